// A scene file as `vorlane render` reads it: the JSON, its masks (SVG path data included) and its parameter
// values checked against the parameters the built module registers. Any text is either a scene whose masks can be
// measured and whose values can be read at any frame, or refused with a SceneError; nothing else may escape.
#include <cstddef>
#include <cstdint>
#include <string>

#include "frames/SceneSession.h"
#include "fuzz_outline.h"
#include "scene/SceneLoad.h"
#include "scene/SceneMasks.h"
#include "session/Session.h"
#include "suites/StandardSuites.h"

namespace vorlane::host::fuzz {
namespace {

// A folder that does not exist: an image the scene names relative to it cannot be found, so a run reads no files.
const char* const kSceneFile = "/nonexistent-vorlane-fuzz/scene.json";

void measure_masks(const Scene& scene) {
    for (const SceneMask& mask : scene.masks) {
        require(!mask.keys.empty(), "a mask without keys");
        for (const double frame : {mask.keys.front().time - 1.0, mask.keys.front().time, mask.keys.back().time + 0.5}) {
            measure_outline(mask_shape_at(mask, frame));
        }
    }
}

void apply_values(const Scene& scene) {
    Session session(effect_entry(), standard_services());
    require(session.global_setup() == PF_Err_NONE, "global set-up failed");
    ParamTracks tracks;
    try {
        tracks = prepare_scene_session(session, scene, {});
    } catch (const SceneError&) {
        return;
    }
    for (const auto& [index, keys] : tracks) {
        require(!keys.empty(), "a parameter track without keys");
        for (const double frame :
             {keys.front().frame - 1.0, (keys.front().frame + keys.back().frame) / 2.0, keys.back().frame + 1.0}) {
            const PF_ParamDef def = param_at(session, tracks, index, frame);
            require(def.param_type == session.param(index).param_type, "a key changed the parameter's type");
        }
    }
}

}  // namespace
}  // namespace vorlane::host::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vorlane::host::fuzz::effect_entry();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorlane::host;
    Scene scene;
    try {
        scene = parse_scene(std::string(reinterpret_cast<const char*>(data), size), fuzz::kSceneFile);
    } catch (const SceneError&) {
        return 0;
    }
    fuzz::measure_masks(scene);
    fuzz::apply_values(scene);
    return 0;
}
