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

TEST_F(PreviewServerTest, SaveAsWritesOnlyANameInTheScenesFolder) {
    start();
    ASSERT_EQ(edit("Seed", 31)->status, 200);
    std::filesystem::create_directories(dir / "sub");
    write_text(dir / "outside.json", "theirs");
    std::filesystem::create_symlink(dir / "outside.json", dir / "link.json");
    const std::vector<std::string> refused = {"",
                                              ".",
                                              "..",
                                              "../outside.json",
                                              "sub/x.json",
                                              "sub\\x.json",
                                              "/tmp/x.json",
                                              "sub",
                                              "link.json",
                                              std::string("a\nb.json")};
    for (const std::string& name : refused) {
        const auto res = post("/api/save-as", Json{{"name", name}, {"overwrite", true}}.dump());
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 409) << name;
        EXPECT_EQ(res->body.find('\n'), res->body.size() - 1) << name << ": " << res->body;
    }
    EXPECT_EQ(file_text(dir / "outside.json"), "theirs");
    EXPECT_EQ(post("/api/save-as", R"({"name": 5})")->status, 400);

    ASSERT_EQ(post("/api/save-as", R"({"name": "copy.json"})")->status, 200);
    EXPECT_EQ(Json::parse(file_text(dir / "copy.json"))["params"]["Seed"], 31);
    // An existing file is replaced only when the user confirms.
    ASSERT_EQ(edit("Seed", 32)->status, 200);
    const auto exists = post("/api/save-as", R"({"name": "demo.json"})");
    EXPECT_EQ(exists->status, 409);
    EXPECT_EQ(exists->get_header_value("X-Vorlane-Exists"), "1");
    EXPECT_EQ(Json::parse(file_text(scene_path))["params"]["Seed"], 2024);
    ASSERT_EQ(post("/api/save-as", R"({"name": "demo.json", "overwrite": true})")->status, 200);
    EXPECT_EQ(Json::parse(file_text(scene_path))["params"]["Seed"], 32);
    // Save writes the file saved as last.
    ASSERT_EQ(edit("Seed", 33)->status, 200);
    ASSERT_EQ(post("/api/save", "")->status, 200);
    EXPECT_EQ(Json::parse(file_text(scene_path))["params"]["Seed"], 33);
    EXPECT_EQ(Json::parse(file_text(dir / "copy.json"))["params"]["Seed"], 31);
}

TEST_F(PreviewServerTest, SaveAsAndReloadNeedAFileToSaveTo) {
    start(scene_path, "");  // as the demo without --save-as: Save writes nowhere
    EXPECT_EQ(post("/api/save-as", R"({"name": "copy.json"})")->status, 409);
    EXPECT_FALSE(std::filesystem::exists(dir / "copy.json"));
    EXPECT_EQ(post("/api/reload", "")->status, 409);
    EXPECT_FALSE(state_json()["can_save_as"].get<bool>());
}

TEST_F(PreviewServerTest, ReloadAfterARefusedSaveShowsTheFileAsItIsNow) {
    start();
    ASSERT_EQ(edit("Seed", 5)->status, 200);
    Json theirs = Json::parse(file_text(scene_path));
    theirs["params"]["Instances"] = 7;
    write_text(scene_path, theirs.dump(2));
    ASSERT_EQ(post("/api/save", "")->status, 409);
    const auto reloaded = post("/api/reload", "");
    ASSERT_EQ(reloaded->status, 200) << reloaded->body;
    const Json shown = Json::parse(reloaded->body);
    EXPECT_FALSE(shown["can_undo"].get<bool>());
    for (const Json& c : shown["controls"]) {
        if (c["name"] == "Seed") {
            EXPECT_EQ(c["value"], 2024);
        }
        if (c["name"] == "Instances") {
            EXPECT_EQ(c["value"], 7);
        }
    }
    ASSERT_EQ(edit("Seed", 6)->status, 200);
    ASSERT_EQ(post("/api/save", "")->status, 200);
    const Json saved = Json::parse(file_text(scene_path));
    EXPECT_EQ(saved["params"]["Seed"], 6);
    EXPECT_EQ(saved["params"]["Instances"], 7);
    // A file that is no scene any more is refused, and the edits stay.
    write_text(scene_path, "{");
    EXPECT_EQ(post("/api/reload", "")->status, 409);
    EXPECT_EQ(Json::parse(get("/api/params")->body)[0]["name"], "Layers");
    EXPECT_TRUE(state_json()["can_undo"].get<bool>());
}

}  // namespace
}  // namespace vorlane::host::test
