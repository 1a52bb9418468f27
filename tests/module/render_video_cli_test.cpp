// `vorlane render --out VIDEO` and `vorlane encode` through the real ffmpeg, the results read back with ffprobe;
// and what happens without ffmpeg. ffmpeg is Linux-only for us.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "pixels/Png.h"
#include "pixels/Sprites.h"
#include "support/cli_run.h"
#include "support/test_folder.h"

namespace vorlane::host::test {
namespace {

namespace fs = std::filesystem;

// The first video stream's properties as ffprobe counts them: codec_name, pix_fmt, nb_read_frames, r_frame_rate.
std::map<std::string, std::string> probe(const fs::path& video) {
    const std::string command =
        "ffprobe -v error -select_streams v:0 -count_frames -show_entries "
        "stream=codec_name,pix_fmt,nb_read_frames,r_frame_rate -of default=nw=1 '" +
        video.string() + "'";
    std::map<std::string, std::string> fields;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return fields;
    }
    char line[256];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text(line);
        text.erase(text.find_last_not_of("\r\n") + 1);
        if (const std::size_t eq = text.find('='); eq != std::string::npos) {
            fields[text.substr(0, eq)] = text.substr(eq + 1);
        }
    }
    pclose(pipe);
    return fields;
}

class RenderVideo : public ::testing::Test {
  protected:
    RenderVideo() : dir(test_folder("vorlane_video_")) {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~RenderVideo() override { fs::remove_all(dir); }

    std::size_t files() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }

    fs::path dir;
};

// The demo runs at 24 frames per second.
TEST_F(RenderVideo, EachFormatHasItsCodecPixelFormatFramesAndRateWhateverTheThreads) {
    struct Case {
        std::string name, codec, pix_fmt;
    };
    for (const Case& c :
         {Case{"cut.mov", "prores", "yuva444p"}, Case{"cut.mp4", "h264", "yuv420p"}, Case{"cut.gif", "gif", ""}}) {
        const CliRun run = vorlane({"render", "--frames", "2-8", "-j", "3", "--out", (dir / c.name).string()});
        ASSERT_EQ(run.status, 0) << run.err;
        auto info = probe(dir / c.name);
        EXPECT_EQ(info["codec_name"], c.codec) << c.name;
        EXPECT_EQ(info["pix_fmt"].rfind(c.pix_fmt, 0), 0u) << c.name << ": " << info["pix_fmt"];
        EXPECT_EQ(info["nb_read_frames"], "7") << c.name;
        if (c.codec != "gif") {  // a GIF's delays are in hundredths of a second
            EXPECT_EQ(info["r_frame_rate"], "24/1") << c.name;
        }
    }
    EXPECT_EQ(files(), 3u) << "nothing but the videos left";
}

TEST_F(RenderVideo, AVideoThatExistsIsReplacedOnlyWithForce) {
    ASSERT_EQ(vorlane({"render", "--frames", "0-1", "--out", (dir / "a.mp4").string()}).status, 0);
    const CliRun again = vorlane({"render", "--frames", "0-3", "--out", (dir / "a.mp4").string()});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("already exists; --force replaces it"), std::string::npos) << again.err;
    EXPECT_EQ(probe(dir / "a.mp4")["nb_read_frames"], "2");
    ASSERT_EQ(vorlane({"render", "--frames", "0-3", "--force", "--out", (dir / "a.mp4").string()}).status, 0);
    EXPECT_EQ(probe(dir / "a.mp4")["nb_read_frames"], "4");
}

TEST_F(RenderVideo, WithoutFfmpegOneLineNamesThePackageAndNothingIsWritten) {
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", dir.c_str(), 1);
    const CliRun run = vorlane({"render", "--out", (dir / "sub" / "cut.mov").string()});
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "vorlane: --out " + (dir / "sub" / "cut.mov").string() +
                  ": .mov video needs ffmpeg, which is not on PATH; install Debian's ffmpeg package (apt-get install "
                  "ffmpeg)\n");
    EXPECT_EQ(files(), 0u);
}

// Frame 0 draws nothing; the later frames draw the sequence's last picture, whose compressed data is damaged (its
// header, all the scene reads, is whole): frame 0 goes to ffmpeg, frame 1 fails.
TEST_F(RenderVideo, AFrameThatFailsRemovesTheUnfinishedVideoAndSaysSo) {
    for (int i = 0; i < 8; ++i) {
        const WorldStorage sprite = make_sprite(SpriteKind::Blob, i, 16, 16, PF_PixelFormat_ARGB32);
        write_png(dir / ("p_0" + std::to_string(i) + ".png"), sprite.world(), 8);
    }
    {
        std::fstream damage(dir / "p_07.png", std::ios::binary | std::ios::in | std::ios::out);
        damage.seekp(41);  // the first IDAT chunk's zlib header
        damage.write("\xff\xff\xff\xff", 4);
    }
    std::ofstream(dir / "s.json") << R"({"comp": {"width": 64, "height": 48, "duration_frames": 8},
        "effect_layer": {"masks": [{"ellipse": [32, 24, 20, 12]}]},
        "layers": [{"sequence": "p_%02d.png", "count": 8}],
        "params": {"Path Selection": 1, "Instances": 4, "Evolution": [[0, 0], [7, 100]]}})";
    for (const char* name : {"cut.mov", "cut.mp4", "cut.gif"}) {
        const CliRun run = vorlane({"render", (dir / "s.json").string(), "-j", "1", "--out", (dir / name).string()});
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_NE(run.err.find("vorlane: frame 1: the render failed with error 516 (PF_Err_BAD_CALLBACK_PARAM): a "
                               "layer's source can no longer be read: " +
                               (dir / "p_07.png").string()),
                  std::string::npos)
            << run.err;
        EXPECT_NE(run.err.find("; removed the unfinished video " + (dir / name).string() + "\n"), std::string::npos)
            << run.err;
        EXPECT_EQ(files(), 9u) << name << ": nothing but the scene and its pictures left";
    }
}

TEST_F(RenderVideo, EncodeMakesTheVideoOfRenderedPngFramesAndRefusesAGap) {
    ASSERT_EQ(vorlane({"render", "--frames", "3-7", "--out", (dir / "png" / "f_###.png").string()}).status, 0);
    const CliRun run = vorlane({"encode", (dir / "png" / "f_###.png").string(), "--frames", "3-7", "--fps", "12.5",
                                "--out", (dir / "cut.mov").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    auto info = probe(dir / "cut.mov");
    EXPECT_EQ(info["nb_read_frames"], "5");
    EXPECT_EQ(info["r_frame_rate"], "25/2");
    EXPECT_EQ(info["pix_fmt"].rfind("yuva444p", 0), 0u) << info["pix_fmt"];
    const CliRun gap = vorlane(
        {"encode", (dir / "png" / "f_###.png").string(), "--frames", "3-8", "--out", (dir / "more.mp4").string()});
    EXPECT_EQ(gap.status, 1);
    EXPECT_NE(gap.err.find("frame 8 is missing"), std::string::npos) << gap.err;
    EXPECT_FALSE(fs::exists(dir / "more.mp4"));
}

}  // namespace
}  // namespace vorlane::host::test

#endif
