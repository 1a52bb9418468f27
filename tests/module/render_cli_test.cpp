// `vorlane render` over the built module: frames written where asked, and bad input refused before any frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "pixels/Png.h"
#include "support/cli_run.h"

namespace vorlane::host::test {
namespace {

namespace fs = std::filesystem;

CliRun vorlane_render(std::vector<std::string> args) {
    args.insert(args.begin(), "render");
    return vorlane(std::move(args));
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
    const CliRun run = vorlane_render({"--frames", "3-4", "--out", (dir / "out").string(), "-j", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(dir / "out" / "frame_0003.png"));
    EXPECT_TRUE(fs::exists(dir / "out" / "frame_0004.png"));
    EXPECT_FALSE(fs::exists(dir / "out" / "frame_0005.png"));
    EXPECT_EQ(native_png_format(dir / "out" / "frame_0003.png"), PF_PixelFormat_ARGB32);
    EXPECT_NE(run.err.find("2/2"), std::string::npos) << "plain progress lines when not on a terminal";
}

TEST_F(RenderCli, SmallPngCompressionMakesSmallerFilesOfTheSamePixelsAndPatternsNameTheFrames) {
    ASSERT_EQ(vorlane_render({"--frames", "20", "--out", (dir / "fast_##.png").string()}).status, 0);
    ASSERT_EQ(vorlane_render({"--frames", "20", "--png-compression", "small", "--out", (dir / "small_##.png").string()})
                  .status,
              0);
    EXPECT_LT(fs::file_size(dir / "small_20.png"), fs::file_size(dir / "fast_20.png"));
    const WorldStorage fast = read_png(dir / "fast_20.png", PF_PixelFormat_ARGB32);
    const WorldStorage small = read_png(dir / "small_20.png", PF_PixelFormat_ARGB32);
    const PF_EffectWorld& a = fast.world();
    const PF_EffectWorld& b = small.world();
    for (A_long y = 0; y < a.height; ++y) {
        ASSERT_EQ(std::memcmp(reinterpret_cast<const char*>(a.data) + y * a.rowbytes,
                              reinterpret_cast<const char*>(b.data) + y * b.rowbytes,
                              static_cast<std::size_t>(a.width) * sizeof(PF_Pixel)),
                  0)
            << "row " << y;
    }
    const CliRun bad = vorlane_render({"--png-compression", "tiny", "--out", (dir / "x").string()});
    EXPECT_NE(bad.status, 0);
    EXPECT_FALSE(fs::exists(dir / "x"));
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
        const CliRun run = vorlane_render(all);
        EXPECT_NE(run.status, 0);
        EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_FALSE(fs::exists(dir / "out" / "frame_0000.png"));
    }
}

// One block of the --profile report.
struct ProfileBlock {
    std::string title;
    double command = 0, effect = 0, host = 0;
    unsigned long long calls = 0;
    std::map<std::string, std::pair<unsigned long long, double>> groups, by_call;  // calls, ms
};

std::vector<ProfileBlock> parse_profile(const std::string& text) {
    std::vector<ProfileBlock> blocks;
    std::istringstream in(text);
    std::string line;
    std::map<std::string, std::pair<unsigned long long, double>>* rows = nullptr;
    while (std::getline(in, line)) {
        if (line.rfind("  ", 0) != 0) {
            ProfileBlock block;
            const std::size_t colon = line.find(':');
            block.title = line.substr(0, colon);
            EXPECT_EQ(std::sscanf(line.c_str() + colon, ": command %lf ms = effect %lf ms + host %lf ms in %llu calls",
                                  &block.command, &block.effect, &block.host, &block.calls),
                      4)
                << line;
            blocks.push_back(block);
            continue;
        }
        std::istringstream row(line);
        std::string name, calls, ms;
        row >> name >> calls >> ms;
        if (calls == "calls") {
            rows = name == "group" ? &blocks.back().groups : &blocks.back().by_call;
            continue;
        }
        if (rows == nullptr) {
            ADD_FAILURE() << "a row before its header: " << line;
            continue;
        }
        (*rows)[name] = {std::stoull(calls), std::stod(ms)};
    }
    return blocks;
}

TEST_F(RenderCli, TheProfileSplitsEachFramesCommandIntoEffectAndHostAndCountsTheCallsTheTraceLists) {
    const CliRun run = vorlane_render({"--frames", "3-5", "--out", (dir / "out").string(), "-j", "2", "--profile",
                                       "--trace", (dir / "trace.jsonl").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    std::map<int, std::map<std::string, unsigned long long>> traced;
    std::ifstream trace(dir / "trace.jsonl");
    for (std::string line; std::getline(trace, line);) {
        const nlohmann::json call = nlohmann::json::parse(line);
        ++traced[call["frame"].get<int>()][call["call"].get<std::string>()];
    }
    const std::vector<ProfileBlock> blocks = parse_profile(run.out);
    ASSERT_EQ(blocks.size(), 4u) << run.out;
    const std::vector<std::string> titles = {"frame 3", "frame 4", "frame 5", "all 3 frames"};
    const std::vector<std::string> groups = {"paths", "worlds", "copy", "transform", "parameters", "other"};
    std::map<std::string, unsigned long long> summed;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const ProfileBlock& block = blocks[i];
        SCOPED_TRACE(block.title);
        EXPECT_EQ(block.title, titles[i]);
        EXPECT_NEAR(block.effect + block.host, block.command, 0.002);  // each printed to a thousandth
        EXPECT_GT(block.host, 0.0);
        ASSERT_EQ(block.groups.size(), groups.size());
        unsigned long long group_calls = 0, call_calls = 0;
        double group_ms = 0, call_ms = 0;
        for (const std::string& group : groups) {
            group_calls += block.groups.at(group).first;
            group_ms += block.groups.at(group).second;
        }
        std::map<std::string, unsigned long long> counts;
        for (const auto& [name, row] : block.by_call) {
            call_calls += row.first;
            call_ms += row.second;
            counts[name] = row.first;
        }
        EXPECT_EQ(group_calls, block.calls);
        EXPECT_EQ(call_calls, block.calls);
        EXPECT_NEAR(group_ms, block.host, 0.001 * static_cast<double>(groups.size()));
        EXPECT_NEAR(call_ms, block.host, 0.001 * static_cast<double>(block.by_call.size()));
        EXPECT_GT(block.groups.at("transform").first, 0u);
        EXPECT_EQ(block.groups.at("transform").first, counts["transform_world"]);
        if (i < 3) {
            EXPECT_EQ(counts, traced[3 + static_cast<int>(i)]);
            for (const auto& [name, count] : counts) {
                summed[name] += count;
            }
        } else {
            EXPECT_EQ(counts, summed);
        }
    }
}

TEST_F(RenderCli, NoProfileUnlessAskedFor) {
    const CliRun run = vorlane_render({"--frames", "3", "--out", (dir / "out").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
}

}  // namespace
}  // namespace vorlane::host::test
