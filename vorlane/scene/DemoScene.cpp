#include "scene/DemoScene.h"

#include "scene/SceneLoad.h"

namespace vorlane::host {

namespace {

// Three outlines (an ellipse, a wave and a rounded swoop) along which three animated sprites grow as "Evolution"
// runs from 0 to 100, each instance jittered, turned, scaled and faded by the seeded stream.
const char* const kDemoScene = R"json({
  "comp": {"width": 640, "height": 360, "frame_rate": 24, "duration_frames": 48},
  "effect_layer": {
    "background": [255, 16, 18, 30],
    "masks": [
      {"ellipse": [320, 180, 250, 130]},
      {"svg": "M 60 250 C 160 120 230 120 320 200 S 480 300 580 140"},
      {"closed": true, "vertices": [[320, 95, -90, 0, 90, 0], [410, 180, 0, -50, 0, 50],
                                    [320, 265, 90, 0, -90, 0], [230, 180, 0, 50, 0, -50]]}
    ]
  },
  "layers": [
    {"builtin": "blob", "width": 44, "height": 44},
    {"builtin": "star", "width": 40, "height": 40},
    {"builtin": "arrow", "width": 40, "height": 24}
  ],
  "params": {
    "Layers": 3,
    "Frequency 1": 45, "Frequency 2": 35, "Frequency 3": 20,
    "Path Selection": 1,
    "Use All Paths": true,
    "Mode": "Incremental",
    "Instances": 36,
    "Evolution": [[0, 0], [40, 100]],
    "Evolution Randomness": 35,
    "Time Factor Randomness": 60,
    "Time Offset Randomness (frames)": 12,
    "Scale": 100,
    "Scale Randomness": 45,
    "Rotation Randomness": 15,
    "Opacity Randomness": 35,
    "Flip Randomness": "Y",
    "Seed": 2024
  },
  "render": {"depth": 8, "quality": "high"}
})json";

}  // namespace

const char* demo_scene_text() {
    return kDemoScene;
}

Scene demo_scene() {
    return parse_scene(kDemoScene, "(built-in demo scene)");
}

}  // namespace vorlane::host
