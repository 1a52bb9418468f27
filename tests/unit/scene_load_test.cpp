// Reading scenes: a good one in full, and every kind of bad input named by file and place.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "pixels/Png.h"
#include "scene/DemoScene.h"
#include "scene/SceneLoad.h"

namespace vorlane::host::test {
namespace {

namespace fs = std::filesystem;

class SceneLoad : public ::testing::Test {
  protected:
    SceneLoad()
        : dir(fs::temp_directory_path() /
              ("vorlane_scene_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        fs::create_directories(dir / "seq");
        WorldStorage pixel(3, 2, PF_PixelFormat_ARGB32);
        write_png(dir / "a.png", pixel.world(), 8);
        for (int i = 0; i < 3; ++i) {
            write_png(dir / "seq" / ("f_000" + std::to_string(i + 5) + ".png"), pixel.world(), 8);
        }
    }
    ~SceneLoad() override { fs::remove_all(dir); }

    Scene parse(const std::string& text) { return parse_scene(text, dir / "scene.json"); }

    // The message of the error a scene gives, or "" when it loads.
    std::string error_of(const std::string& text) {
        try {
            parse(text);
        } catch (const SceneError& e) {
            EXPECT_NE(std::string(e.what()).find("scene.json"), std::string::npos) << e.what();
            return e.pointer + " | " + e.what();
        }
        return "";
    }

    fs::path dir;
};

const char* const kComp = R"("comp": {"width": 32, "height": 24})";

TEST_F(SceneLoad, AGoodSceneKeepsEverythingItSays) {
    const Scene scene =
        parse(std::string("{") + R"("comp": {"width": 33, "height": 20, "frame_rate": 29.97, "duration_frames": 9},
        "effect_layer": {"background": [255, 1, 2, 3], "masks": [
            {"ellipse": [10, 10, 5, 4]}, {"rect": [1, 2, 3, 4]}, {"svg": "M0 0 L10 0 M0 5 L 10 5 L 10 9 Z"},
            {"closed": false, "keyframes": [[0, [[0,0,0,0,0,0],[5,0,0,0,0,0]]], [8, [[0,8,0,0,0,0],[5,8,0,0,0,0]]]]}]},
        "layers": [{"image": "a.png"}, null, {"sequence": "seq/f_%04d.png", "first": 5, "count": 3},
                   {"builtin": "counter", "width": 20, "height": 12}],
        "params": {"Scale": 50, "Evolution": [[0, 0], [8, 100]]},
        "render": {"depth": 16, "quality": "low", "downsample": [1, 2]}})");
    EXPECT_EQ(scene.comp.width, 33);
    EXPECT_DOUBLE_EQ(scene.comp.frame_rate, 29.97);
    EXPECT_EQ(scene.comp.duration_frames, 9);
    ASSERT_TRUE(std::holds_alternative<BackgroundColor>(scene.background));
    EXPECT_EQ(std::get<BackgroundColor>(scene.background).color.blue, 3);
    ASSERT_EQ(scene.masks.size(), 5u);  // each SVG subpath is a mask of its own
    EXPECT_EQ(scene.masks[4].keys.size(), 2u);
    ASSERT_EQ(scene.layers.size(), 4u);
    EXPECT_FALSE(scene.layers[1].has_value());
    const auto& seq = std::get<SequenceSource>(*scene.layers[2]);
    EXPECT_EQ(seq.frame_path(2), dir / "seq" / "f_0007.png");
    EXPECT_EQ(std::get<BuiltinSource>(*scene.layers[3]).width, 20);
    ASSERT_EQ(scene.params.size(), 2u);
    EXPECT_EQ(scene.params[1].pointer, "/params/Scale");
    EXPECT_EQ(scene.render.depth, 16);
    EXPECT_EQ(scene.render.quality, PF_Quality_LO);
    EXPECT_EQ(scene.render.downsample.den, 2u);
    EXPECT_EQ(downsampled_size(33, scene.render.downsample), 17);
}

TEST_F(SceneLoad, EveryBadInputNamesItsPlace) {
    const std::string c = std::string("{") + kComp;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"{\"comp\": {\"width\": 3,", ""},
        {c + R"(, "render": {"depth": 1e888}})", ""},
        {c + R"(, "extra": 1})", "/extra"},
        {R"({"comp": {"height": 4}})", "/comp/width"},
        {R"({"comp": {"width": 0, "height": 4}})", "/comp/width"},
        {R"({"comp": {"width": 4, "height": 4, "frame_rate": 23.976}})", "/comp/frame_rate"},
        {c + R"(, "effect_layer": {"background": [1, 2, 3]}})", "/effect_layer/background"},
        {c + R"(, "effect_layer": {"background": "missing.png"}})", "/effect_layer/background"},
        {c + R"(, "effect_layer": {"masks": [{"ellipse": [1, 1, 0, 2]}]}})", "/effect_layer/masks/0/ellipse"},
        {c + R"(, "effect_layer": {"masks": [{"rect": [1, 1, 2, 2]}, {"svg": "M 0 0 X 3"}]}})",
         "/effect_layer/masks/1/svg"},
        {c + R"(, "effect_layer": {"masks": [{"vertices": [[0,0,0,0,0,0],[1,1,0,0,0]]}]}})",
         "/effect_layer/masks/0/vertices/1"},
        {c + R"(, "effect_layer": {"masks": [{"keyframes": [[2, [[0,0,0,0,0,0],[1,1,0,0,0,0]]], [1, [[0,0,0,0,0,0],[1,1,0,0,0,0]]]]}]}})",
         "/effect_layer/masks/0/keyframes/1/0"},
        {c + R"(, "effect_layer": {"masks": [{"keyframes": [[0, [[0,0,0,0,0,0],[1,1,0,0,0,0]]], [1, [[0,0,0,0,0,0]]]]}]}})",
         "/effect_layer/masks/0/keyframes/1/1"},
        {c + R"(, "layers": [null, {"image": "nope.png"}]})", "/layers/1/image"},
        {c + R"(, "layers": [{"sequence": "seq/f_%04d.png", "first": 5, "count": 4}]})", "/layers/0/sequence"},
        {c + R"(, "layers": [{"sequence": "seq/f_%s.png", "count": 1}]})", "/layers/0/sequence"},
        {c + R"(, "layers": [{"builtin": "comet", "width": 4, "height": 4}]})", "/layers/0/builtin"},
        {c + R"(, "layers": [null, null, null, null, null, null]})", "/layers"},
        {c + R"(, "render": {"depth": 12}})", "/render/depth"},
        {c + R"(, "render": {"downsample": [3, 2]}})", "/render/downsample/0"},
    };
    for (const auto& [text, pointer] : cases) {
        const std::string error = error_of(text);
        ASSERT_FALSE(error.empty()) << text;
        EXPECT_EQ(error.substr(0, error.find(" | ")), pointer) << error;
    }
}

TEST_F(SceneLoad, AnUnreadableImageIsNamedWithTheReason) {
    std::ofstream(dir / "bad.png") << "not a png";
    const std::string error = error_of(std::string("{") + kComp + R"(, "layers": [{"image": "bad.png"}]})");
    EXPECT_NE(error.find("/layers/0/image"), std::string::npos);
    EXPECT_NE(error.find("bad.png"), std::string::npos);
}

TEST(DemoScene, NeedsNoFiles) {
    const Scene scene = demo_scene();
    EXPECT_GE(scene.masks.size(), 3u);
    EXPECT_GE(scene.layers.size(), 2u);
}

}  // namespace
}  // namespace vorlane::host::test
