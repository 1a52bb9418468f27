// Scene values checked against the parameters the effect registered, and their values over time.
#include <gtest/gtest.h>

#include "frames/SceneSession.h"
#include "scene/MaskIds.h"
#include "scene/SceneLoad.h"
#include "session/Session.h"
#include "suites/StandardSuites.h"
#include "ui/ControlEdits.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*);

namespace vorlane::host::test {
namespace {

class SceneParams : public ::testing::Test {
  protected:
    SceneParams() { EXPECT_EQ(session.global_setup(), PF_Err_NONE); }

    ParamTracks load(const std::string& params, const ParamChanges& changes = {}) {
        scene = parse_scene(R"({"comp": {"width": 8, "height": 8},
            "effect_layer": {"masks": [{"rect": [1, 1, 4, 4]}, {"rect": [2, 2, 4, 4]}]},
            "params": )" + params +
                                "}",
                            "scene.json");
        return prepare_scene_session(session, scene, changes);
    }

    std::string error_of(const std::string& params, const ParamChanges& changes = {}) {
        try {
            load(params, changes);
        } catch (const SceneError& e) {
            return e.what();
        }
        return "";
    }

    PF_ParamDef value(const ParamTracks& tracks, const char* name, double frame = 0.0) {
        return param_at(session, tracks, find_control(session, name), frame);
    }

    Session session{EntryPointFunc, standard_services()};
    Scene scene;
};

TEST_F(SceneParams, ValuesOfEveryKindAreStored) {
    const ParamTracks tracks = load(R"({"Scale": 50, "Mode": "Constant", "Flip": 3, "Auto Orient": false,
        "Rotation": -0.5, "Instances": 7, "Path Selection": 2})");
    EXPECT_DOUBLE_EQ(value(tracks, "Scale").u.fs_d.value, 50.0);
    EXPECT_EQ(value(tracks, "Mode").u.pd.value, 2);
    EXPECT_EQ(value(tracks, "Flip").u.pd.value, 3);
    EXPECT_EQ(value(tracks, "Auto Orient").u.bd.value, 0);
    EXPECT_EQ(value(tracks, "Rotation").u.ad.value, -32768);
    EXPECT_EQ(value(tracks, "Instances").u.sd.value, 7);
    EXPECT_EQ(value(tracks, "Path Selection").u.path_d.path_id, mask_path_id(1));
    EXPECT_DOUBLE_EQ(value(tracks, "Opacity").u.fs_d.value, 100.0);  // not given: the registered default
}

TEST_F(SceneParams, BadValuesNameTheParameterAndThePlace) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"({"Scael": 50})", "/params/Scael"},
        {R"({"Scale": 1001})", "/params/Scale"},
        {R"({"Mode": "Sometimes"})", "/params/Mode"},
        {R"({"Seed": 1.5})", "/params/Seed"},
        {R"({"Path Selection": 3})", "/params/Path Selection"},
        {R"({"Layer 1": 1})", "/params/Layer 1"},
        {R"({"Layers": [[0, 1], [5, 3]]})", "/params/Layers"},  // cannot vary over time
        {R"({"Scale": [[0, 10], [0, 20]]})", "/params/Scale/1/0"},
        {R"({"Scale": [[0, 10], [4, 2000]]})", "/params/Scale/1/1"},
    };
    for (const auto& [params, place] : cases) {
        const std::string error = error_of(params);
        EXPECT_NE(error.find("scene.json at " + place + ":"), std::string::npos) << params << " -> " << error;
    }
}

TEST_F(SceneParams, KeyframesInterpolateSlidersAndAnglesAndHoldChoices) {
    const ParamTracks tracks = load(R"({"Evolution": [[0, 0], [10, 100]], "Rotation": [[0, 0], [10, 90]],
        "Instances": [[0, 0], [4, 3]], "Flip": [[0, "None"], [5, "XY"]]})");
    EXPECT_DOUBLE_EQ(value(tracks, "Evolution", -3).u.fs_d.value, 0.0);
    EXPECT_DOUBLE_EQ(value(tracks, "Evolution", 2.5).u.fs_d.value, 25.0);
    EXPECT_DOUBLE_EQ(value(tracks, "Evolution", 99).u.fs_d.value, 100.0);
    EXPECT_EQ(value(tracks, "Rotation", 5).u.ad.value, 45 << 16);
    EXPECT_EQ(value(tracks, "Instances", 2).u.sd.value, 2);  // 1.5 rounded
    EXPECT_EQ(value(tracks, "Flip", 4.99).u.pd.value, 1);
    EXPECT_EQ(value(tracks, "Flip", 5).u.pd.value, 4);
}

TEST_F(SceneParams, SetsOverrideTheSceneAndEditsGoThroughTheEffect) {
    ParamChanges changes;
    changes.sets = {"Evolution=40"};
    changes.edits = {"Layers=3", "Frequency 1=66.6"};
    const ParamTracks tracks = load(R"({"Evolution": [[0, 0], [10, 100]]})", changes);
    EXPECT_DOUBLE_EQ(value(tracks, "Evolution", 7).u.fs_d.value, 40.0);
    EXPECT_NEAR(value(tracks, "Frequency 1").u.fs_d.value, 50.0, 0.05);
    EXPECT_NEAR(value(tracks, "Frequency 2").u.fs_d.value, 25.0, 0.05);
    EXPECT_NEAR(value(tracks, "Frequency 3").u.fs_d.value, 25.0, 0.05);

    EXPECT_NE(error_of("{}", {{"Scale=2000"}, {}}).find("--set \"Scale=2000\""), std::string::npos);
    EXPECT_NE(error_of("{}", {{}, {"Nope=1"}}).find("Nope"), std::string::npos);
}

}  // namespace
}  // namespace vorlane::host::test
