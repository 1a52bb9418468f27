// What Save writes: the user's own "params" with only their changes, the rest of the file as they wrote it.
#include "preview/ParamsMerge.h"
#include "preview_fixture.h"

namespace vorlane::host::test {
namespace {

using Json = nlohmann::ordered_json;

TEST(ParamsMerge, KeepsWhatTheUserWroteAndWritesOnlyChanges) {
    struct Case {
        const char* what;
        const char* written;
        const char* read;
        const char* now;
        const char* saved;
    };
    const Case cases[] = {
        {"untouched values stay as written", R"({"Seed": 0, "Scale": 0})", R"({"Seed": 0, "Scale": 0.0, "Mode": "A"})",
         R"({"Seed": 0, "Scale": 0.0, "Mode": "A"})", R"({"Seed": 0, "Scale": 0})"},
        {"a change replaces in place", R"({"Seed": 1, "Scale": 5})", R"({"Seed": 1, "Scale": 5.0})",
         R"({"Seed": 1, "Scale": 7.5})", R"({"Seed": 1, "Scale": 7.5})"},
        {"a new change is appended", R"({"Seed": 1})", R"({"Mode": "A", "Seed": 1, "Scale": 5.0})",
         R"({"Mode": "B", "Seed": 1, "Scale": 5.0})", R"({"Seed": 1, "Mode": "B"})"},
        {"an untouched key stays its keys", R"({"Evolution": [[0, 0], [40, 100]]})",
         R"({"Evolution": [[0, 0.0], [40, 100.0]]})", R"({"Evolution": [[0, 0.0], [40, 100.0]]})",
         R"({"Evolution": [[0, 0], [40, 100]]})"},
        {"a changed key is the new keys", R"({"Evolution": [[0, 0], [40, 100]]})",
         R"({"Evolution": [[0, 0.0], [40, 100.0]]})", R"({"Evolution": [[0, 0.0], [20, 5.0], [40, 100.0]]})",
         R"({"Evolution": [[0, 0.0], [20, 5.0], [40, 100.0]]})"},
        {"changed and changed back is untouched", R"({"Seed": 3})", R"({"Seed": 3, "Mode": "A"})",
         R"({"Seed": 3, "Mode": "A"})", R"({"Seed": 3})"},
        {"a value the state leaves unnamed stays", R"({"Mode": "Gone"})", R"({})", R"({})", R"({"Mode": "Gone"})"},
        {"no params block gets only changes", R"(null)", R"({"Seed": 0})", R"({"Seed": 4})", R"({"Seed": 4})"},
    };
    for (const Case& c : cases) {
        const Json saved = merged_params(Json::parse(c.written), Json::parse(c.read), Json::parse(c.now));
        EXPECT_EQ(saved.dump(), Json::parse(c.saved).dump()) << c.what;
    }
}

TEST_F(PreviewServerTest, SaveRewritesOnlyWhatTheUserChanged) {
    Json scene = Json::parse(demo_scene_text());
    // As a user writes them: integers for float sliders, a key the effect sorts elsewhere first.
    scene["params"] = Json::parse(R"({"Seed": 0, "Layers": 2, "Frequency 1": 60, "Frequency 2": 40,
        "Path Selection": 1, "Evolution": [[0, 0], [40, 100]], "Scale": 100, "Rotation Randomness": 0})");
    write_text(scene_path, scene.dump(4));
    start();
    ASSERT_EQ(edit("Scale", 80)->status, 200);
    ASSERT_EQ(edit("Instances", 12)->status, 200);
    ASSERT_EQ(post("/api/save", "")->status, 200);
    const Json saved = Json::parse(file_text(scene_path));
    EXPECT_EQ(saved["params"].dump(), Json::parse(R"({"Seed": 0, "Layers": 2, "Frequency 1": 60, "Frequency 2": 40,
        "Path Selection": 1, "Evolution": [[0, 0], [40, 100]], "Scale": 80.0, "Rotation Randomness": 0,
        "Instances": 12})")
                                          .dump());
    Json rest = saved, before = scene;
    rest.erase("params");
    before.erase("params");
    EXPECT_EQ(rest.dump(), before.dump());
}

}  // namespace
}  // namespace vorlane::host::test
