// `vorlane render` over the built module: frames written where asked, and bad input refused before any frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "vorlane/cli/Cli.h"
#include "vorlane/render_services/Png.h"

namespace vorlane::test {
namespace {

namespace fs = std::filesystem;

struct RenderRun {
    int status = 0;
    std::string err;
};

RenderRun vorlane_render(std::vector<std::string> args) {
    args.insert(args.begin(), {"vorlane", "--module", VORLANE_MODULE_PATH, "render"});
    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    std::ostringstream out, err;
    RenderRun run;
    run.status = run_cli(static_cast<int>(argv.size()), argv.data(), out, err);
    run.err = err.str();
    return run;
}

class RenderCli : public ::testing::Test {
  protected:
    RenderCli()
        : dir(fs::temp_directory_path() /
              ("vorlane_cli_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))) {
        fs::create_directories(dir);
    }
    ~RenderCli() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(RenderCli, TheDemoRendersTheFramesAskedForAtTheDepthOfItsScene) {
    const RenderRun run = vorlane_render({"--frames", "3-4", "--out", (dir / "out").string(), "-j", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(dir / "out" / "frame_0003.png"));
    EXPECT_TRUE(fs::exists(dir / "out" / "frame_0004.png"));
    EXPECT_FALSE(fs::exists(dir / "out" / "frame_0005.png"));
    EXPECT_EQ(native_png_format(dir / "out" / "frame_0003.png"), PF_PixelFormat_ARGB32);
    EXPECT_NE(run.err.find("2/2"), std::string::npos) << "plain progress lines when not on a terminal";
}

TEST_F(RenderCli, BadInputIsOneMessageNamingThePlaceAndNoFrame) {
    std::ofstream(dir / "scene.json") << R"({"comp": {"width": 8, "height": 8, "duration_frames": 2},
        "params": {"Scale": 5000}})";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{(dir / "scene.json").string()}, "/params/Scale"},
        {{"--set", "Seed=-4"}, "--set \"Seed=-4\""},
        {{"--frames", "40-60"}, "--frames"},
        {{(dir / "missing.json").string()}, "missing.json"},
    };
    for (const auto& [args, named] : cases) {
        std::vector<std::string> all = args;
        all.insert(all.end(), {"--out", (dir / "out").string()});
        const RenderRun run = vorlane_render(all);
        EXPECT_NE(run.status, 0);
        EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_FALSE(fs::exists(dir / "out" / "frame_0000.png"));
    }
}

}  // namespace
}  // namespace vorlane::test
