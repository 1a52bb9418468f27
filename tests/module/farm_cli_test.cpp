// `render --skip-existing`, `farm status` and the refusals of `farm slurm` over the built module: a re-run renders
// only what is missing, and a farm render that would fail on the cluster is refused here, before anything is written
// for it or submitted.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/cli_run.h"
#include "support/test_folder.h"

namespace vorlane::host::test {
namespace {

namespace fs = std::filesystem;

class FarmCli : public ::testing::Test {
  protected:
    FarmCli() : dir(test_folder("vorlane_farm_")) {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~FarmCli() override { fs::remove_all(dir); }
    std::string out() const { return (dir / "out").string(); }
    fs::path dir;
};

TEST_F(FarmCli, SkipExistingRendersOnlyMissingOrBrokenFramesAndTheyMatchAWholeRender) {
    const CliRun whole = vorlane({"render", "--frames", "0-5", "--out", (dir / "whole").string()});
    ASSERT_EQ(whole.status, 0) << whole.err;
    ASSERT_EQ(vorlane({"render", "--frames", "0-5", "--out", out()}).status, 0);
    fs::remove(dir / "out" / "frame_0002.png");
    fs::resize_file(dir / "out" / "frame_0004.png", 100);
    const fs::file_time_type kept_time = fs::last_write_time(dir / "out" / "frame_0000.png");

    const CliRun again = vorlane({"render", "--frames", "0-5", "--out", out(), "--skip-existing"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.err.find("skipped 4 frame(s) already written (0-1, 3, 5)"), std::string::npos) << again.err;
    EXPECT_EQ(std::count(again.err.begin(), again.err.end(), '\n'), 3) << "one line for the skipped, one per frame";
    EXPECT_EQ(fs::last_write_time(dir / "out" / "frame_0000.png"), kept_time);
    for (const char* name : {"frame_0002.png", "frame_0004.png"}) {
        EXPECT_EQ(file_text(dir / "out" / name), file_text(dir / "whole" / name)) << name;
    }

    const CliRun done = vorlane({"render", "--frames", "0-5", "--out", out(), "--skip-existing"});
    EXPECT_EQ(done.status, 0);
    EXPECT_NE(done.err.find("nothing left to render"), std::string::npos) << done.err;
}

TEST_F(FarmCli, StatusListsTheMissingFramesAndSaysSoInItsExitStatus) {
    ASSERT_EQ(vorlane({"render", "--frames", "2-4", "--out", out()}).status, 0);
    const CliRun partial = vorlane({"farm", "status", out(), "--frames", "0-7"});
    EXPECT_EQ(partial.status, 2);
    EXPECT_NE(partial.out.find("3 of 8 frames whole; missing 5: 0-1, 5-7"), std::string::npos) << partial.out;
    const CliRun full = vorlane({"farm", "status", out(), "--frames", "2-4"});
    EXPECT_EQ(full.status, 0);
    EXPECT_NE(full.out.find("3 of 3 frames whole\n"), std::string::npos) << full.out;
    const CliRun unknown = vorlane({"farm", "status", out()});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("give --frames A-B"), std::string::npos) << unknown.err;
}

#if !defined(_WIN32)

TEST_F(FarmCli, TheScriptNamesAbsolutePathsAndStatusFollowsItsFrames) {
    const fs::path scene = fs::path(VORLANE_TEST_DATA) / "crowd-8.json";
    ASSERT_EQ(vorlane({"render", scene.string(), "--frames", "3", "--out", out()}).status, 0);
    const fs::path here = fs::current_path();
    fs::current_path(dir);
    const CliRun run = vorlane({"farm", "slurm", scene.string(), "--out", "out", "--chunk", "5", "--frames", "1-11"});
    fs::current_path(here);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("frames 1-11 in 3 task(s)"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("already holds frames 3; the tasks keep them"), std::string::npos) << run.err;
    const std::string script = file_text(dir / "out.farm" / "render.sbatch");
    EXPECT_NE(script.find("out='" + (dir / "out").string() + "'"), std::string::npos) << script;
    EXPECT_NE(script.find("scene='" + scene.string() + "'"), std::string::npos) << script;
    EXPECT_NE(script.find("chunks=(1-5 6-10 11)"), std::string::npos) << script;
    EXPECT_TRUE(fs::is_directory(dir / "out.farm" / "logs")) << "Slurm does not make the log folder itself";
    const CliRun status = vorlane({"farm", "status", out()});
    EXPECT_EQ(status.status, 2);
    EXPECT_NE(status.out.find("1 of 11 frames whole; missing 10: 1-2, 4-11"), std::string::npos) << status.out;
}

TEST_F(FarmCli, WhatWouldFailOnTheClusterIsRefusedInOneLineBeforeAnythingIsWritten) {
    const fs::path scene = fs::path(VORLANE_TEST_DATA) / "crowd-8.json";
    std::ofstream(dir / "bad-value.json") << R"({"comp": {"width": 8, "height": 8}, "params": {"Scale": 5000}})";
    std::ofstream(dir / "blocker") << "a file where the output folder would go";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{(dir / "missing.json").string(), "--out", out()}, "missing.json"},
        {{(dir / "bad-value.json").string(), "--out", out()}, "/params/Scale"},
        {{scene.string(), "--out", (dir / "blocker" / "out").string()}, "cannot make the output folder"},
        {{scene.string(), "--out", out(), "--frames", "5-40"}, "--frames"},
        {{scene.string(), "--out", out(), "--chunk", "0"}, "--chunk"},
        {{scene.string(), "--out", out(), "--time", "1 day"}, "--time"},
    };
    for (const auto& [args, named] : cases) {
        std::vector<std::string> all = {"farm", "slurm"};
        all.insert(all.end(), args.begin(), args.end());
        all.push_back("--submit");
        const CliRun run = vorlane(all);
        EXPECT_EQ(run.status, 1) << named;
        EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_FALSE(fs::exists(dir / "out.farm")) << named;
    }
}

#endif

}  // namespace
}  // namespace vorlane::host::test
