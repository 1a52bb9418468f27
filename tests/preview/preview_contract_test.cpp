// The preview's HTTP contract: its controls are `vorlane params --json`, its edits those of --edit (refused whole
// when wrong), its frames those of `vorlane render`.
#include <cstring>

#include "pixels/Png.h"
#include "preview_fixture.h"

namespace vorlane::host::test {
namespace {

using nlohmann::json;

TEST_F(PreviewServerTest, ParamsAreThoseOfParamsJsonBeforeAndAfterEdits) {
    start();
    auto res = get("/api/params");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->body, vorlane({"params", scene_path.string(), "--json"}).out);

    res = edit("Layers", 2);
    ASSERT_EQ(res->status, 200) << res->body;
    ASSERT_EQ(edit("Frequency 1", 80)->status, 200);
    ASSERT_EQ(edit("Bidirectional", true)->status, 200);
    const std::string expected = vorlane({"params", scene_path.string(), "--json", "--edit", "Layers=2", "--edit",
                                          "Frequency 1=80", "--edit", "Bidirectional=on"})
                                     .out;
    EXPECT_EQ(get("/api/params")->body, expected);
    // The edit's own answer is the same rows.
    EXPECT_EQ(edit("Seed", 9)->body, vorlane({"params", scene_path.string(), "--json", "--edit", "Layers=2", "--edit",
                                              "Frequency 1=80", "--edit", "Bidirectional=on", "--edit", "Seed=9"})
                                         .out);
}

TEST_F(PreviewServerTest, BadEditsAre400WithOneLineAndChangeNothing) {
    start();
    const std::string before = get("/api/params")->body;
    const std::vector<std::pair<std::string, json>> bad = {
        {"No Such Control", 1},              // unknown
        {"Layers", "many"},                  // not a number
        {"Layers", 9},                       // outside the valid range
        {"Instances", 1000001},              // beyond the typed range too
        {"Mode", "Sideways"},                // not a choice
        {"Layers", json::array({1})},        // not a single value
        {"Layer 1", "nothing.png"},          // not a layer of the scene
        {"Path Selection", "Mask 9"},        // not a mask of the scene
        {"Layer 5", "None"},                 // hidden at Layers 3
        {"Bidirectional Alignment", "Odd"},  // disabled with Bidirectional off
        {"Reset Frequencies", 3},            // a button takes no value
    };
    for (const auto& [name, value] : bad) {
        const auto res = edit(name, value);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 400) << name;
        EXPECT_FALSE(res->body.empty()) << name;
        EXPECT_EQ(res->body.find('\n'), res->body.size() - 1) << name << ": " << res->body;
        EXPECT_EQ(get("/api/params")->body, before) << name;
    }
    EXPECT_FALSE(state_json()["can_undo"].get<bool>());
    // A near miss is named, as the command line names it.
    for (const auto& [name, value, near] : std::vector<std::tuple<std::string, json, std::string>>{
             {"seed", 1, "Seed"}, {"Layer 1", "arow", "arrow"}, {"Mode", "Incremntal", "Incremental"}}) {
        EXPECT_NE(edit(name, value)->body.find("did you mean \"" + near + "\""), std::string::npos) << name;
    }
}

TEST_F(PreviewServerTest, MalformedAndOversizedBodiesAreRefusedWithoutLosingEdits) {
    start();
    ASSERT_EQ(edit("Seed", 77)->status, 200);
    const std::string edited = get("/api/params")->body;
    for (const std::string body : {"", "{", "[1,2]", "{\"value\": 3}", "{\"name\": 5}", "\xff\xfe"}) {
        EXPECT_EQ(post("/api/edit", body)->status, 400) << body;
    }
    EXPECT_EQ(post("/api/edit", std::string(64 * 1024, 'x'))->status, 413);
    EXPECT_EQ(post("/api/edit", json{{"name", "Seed"}, {"value", 1}, {"frame", -1}}.dump())->status, 400);
    EXPECT_EQ(get("/api/frame/48")->status, 400);  // the demo has frames 0 to 47
    EXPECT_EQ(get("/api/frame/0?res=tiny")->status, 400);
    EXPECT_EQ(get("/api/params")->body, edited);
}

TEST_F(PreviewServerTest, FramesHaveThePixelsOfRenderWithTheSameEdits) {
    start();
    ASSERT_EQ(edit("Seed", 7)->status, 200);
    ASSERT_EQ(edit("Layers", 2)->status, 200);
    ASSERT_EQ(edit("Composite", "On Transparent")->status, 200);
    const auto res = get("/api/frame/10");
    ASSERT_EQ(res->status, 200) << res->body;
    EXPECT_EQ(res->get_header_value("Content-Type"), "image/png");
    write_text(dir / "served.png", res->body);

    const CliRun render = vorlane({"render", scene_path.string(), "--frames", "10", "--out", (dir / "cli").string(),
                                   "--edit", "Seed=7", "--edit", "Layers=2", "--edit", "Composite=On Transparent"});
    ASSERT_EQ(render.status, 0) << render.err;
    const WorldStorage served = read_png(dir / "served.png", PF_PixelFormat_ARGB32);
    const WorldStorage rendered = read_png(dir / "cli" / "frame_0010.png", PF_PixelFormat_ARGB32);
    ASSERT_EQ(served.world().width, rendered.world().width);
    ASSERT_EQ(served.world().height, rendered.world().height);
    for (A_long y = 0; y < served.world().height; ++y) {
        const auto* a = reinterpret_cast<const char*>(served.world().data) + y * served.world().rowbytes;
        const auto* b = reinterpret_cast<const char*>(rendered.world().data) + y * rendered.world().rowbytes;
        ASSERT_EQ(std::memcmp(a, b, static_cast<std::size_t>(served.world().width) * 4), 0) << "row " << y;
    }
    // A picture of another state is another picture; the cache does not hand out the old one.
    ASSERT_EQ(edit("Seed", 8)->status, 200);
    EXPECT_NE(get("/api/frame/10")->body, res->body);
    // The resolutions are the render's downsampling.
    write_text(dir / "half.png", get("/api/frame/10?res=half")->body);
    EXPECT_EQ(read_png(dir / "half.png", PF_PixelFormat_ARGB32).world().width, 320);
    write_text(dir / "third.png", get("/api/frame/10?res=third")->body);
    EXPECT_EQ(read_png(dir / "third.png", PF_PixelFormat_ARGB32).world().width, 214);
}

TEST_F(PreviewServerTest, UndoAndRedoStepThroughEdits) {
    start();
    const std::string original = get("/api/params")->body;
    ASSERT_EQ(edit("Layers", 1)->status, 200);
    const std::string one_layer = get("/api/params")->body;
    ASSERT_EQ(edit("Seed", 5)->status, 200);
    EXPECT_EQ(post("/api/undo", "")->status, 200);
    EXPECT_EQ(get("/api/params")->body, one_layer);
    EXPECT_EQ(post("/api/undo", "")->status, 200);
    EXPECT_EQ(get("/api/params")->body, original);  // "Layer 2" and "Frequency 2" shown again
    EXPECT_EQ(post("/api/undo", "")->status, 409);
    EXPECT_EQ(post("/api/redo", "")->status, 200);
    EXPECT_EQ(get("/api/params")->body, one_layer);
    ASSERT_EQ(edit("Seed", 6)->status, 200);  // a new edit ends the redo
    EXPECT_EQ(post("/api/redo", "")->status, 409);
}

TEST_F(PreviewServerTest, EditingAKeyframedValueKeysItAtTheFrame) {
    start();
    // The demo animates "Evolution" from 0 at frame 0 to 100 at frame 40.
    ASSERT_EQ(post("/api/edit", json{{"name", "Evolution"}, {"value", 10}, {"frame", 20}}.dump())->status, 200);
    ASSERT_EQ(post("/api/edit", json{{"name", "Evolution"}, {"value", 90}, {"frame", 40}}.dump())->status, 200);
    const json controls = state_json()["controls"];
    for (const json& c : controls) {
        if (c["name"] == "Evolution") {
            EXPECT_EQ(c["keyframes"], json::array({0, 20, 40}));
        }
    }
    const json at_30 = nlohmann::json::parse(get("/api/state?frame=30")->body);
    EXPECT_EQ(at_30["controls"][0]["name"], "Layers");
    for (const json& c : at_30["controls"]) {
        if (c["name"] == "Evolution") {
            EXPECT_DOUBLE_EQ(c["value"].get<double>(), 50.0);  // halfway from 10 to 90
        }
    }
}

TEST_F(PreviewServerTest, LayerAndMaskPickersTakeTheScenesNames) {
    start();
    const json before = state_json();
    EXPECT_EQ(before["layers"], json::array({"None", "blob", "star", "arrow"}));
    ASSERT_EQ(edit("Layer 1", "arrow")->status, 200);
    ASSERT_EQ(edit("Path Selection", "Mask 2")->status, 200);
    const json after = state_json();
    for (const json& c : after["controls"]) {
        if (c["name"] == "Layer 1") {
            EXPECT_EQ(c["choice"], "arrow");
        }
        if (c["name"] == "Path Selection") {
            EXPECT_EQ(c["choice"], "Mask 2");
            EXPECT_EQ(c["choices"], json::array({"None", "Mask 1", "Mask 2", "Mask 3"}));
        }
    }
}

TEST_F(PreviewServerTest, ARenderErrorIsOneLineAndTheServerGoesOn) {
    WorldStorage leaf(8, 8, PF_PixelFormat_ARGB32);
    write_png(dir / "leaf.png", leaf.world(), 8);
    const std::filesystem::path scene = dir / "leaf.json";
    write_text(scene, R"({"comp": {"width": 64, "height": 48, "duration_frames": 4},
                         "effect_layer": {"masks": [{"ellipse": [32, 24, 20, 12]}]},
                         "layers": [{"image": "leaf.png"}], "params": {"Path Selection": 1, "Instances": 4}})");
    start(scene, scene);
    std::filesystem::remove(dir / "leaf.png");  // gone after the scene was read
    const auto failed = get("/api/frame/1");
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->status, 500);
    EXPECT_NE(failed->body.find("frame 1"), std::string::npos) << failed->body;
    EXPECT_EQ(failed->body.find('\n'), failed->body.size() - 1) << failed->body;
    EXPECT_EQ(get("/api/params")->status, 200);
    EXPECT_EQ(edit("Seed", 3)->status, 200);
}

}  // namespace
}  // namespace vorlane::host::test
