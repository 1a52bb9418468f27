// What goes down the pipe to ffmpeg, and the command it is given, for each kind of video.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "output/VideoEncoder.h"
#include "services_test_support.h"

namespace vorlane::host {
namespace {

using test::at;

bool has(const std::vector<std::string>& args, const std::string& a, const std::string& b) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == a && args[i + 1] == b) {
            return true;
        }
    }
    return false;
}

TEST(VideoFrames, EachFormatGetsItsCodecPixelFormatContainerAndTheFrameRate) {
    VideoSettings settings;
    settings.width = 5;
    settings.height = 3;
    settings.frame_rate = 29.97;
    const auto mov = ffmpeg_arguments(settings, "/x/.cut.mov.1.tmp");
    EXPECT_TRUE(has(mov, "-c:v", "prores_ks") && has(mov, "-profile:v", "4444") &&
                has(mov, "-pix_fmt", "yuva444p10le"));
    EXPECT_TRUE(has(mov, "-f", "mov") && has(mov, "-s", "5x3") && has(mov, "-framerate", "29.97"));
    EXPECT_EQ(mov.back(), "/x/.cut.mov.1.tmp");
    settings.format = VideoFormat::H264;
    const auto mp4 = ffmpeg_arguments(settings, "a.mp4");
    EXPECT_TRUE(has(mp4, "-c:v", "libx264") && has(mp4, "-pix_fmt", "yuv420p") && has(mp4, "-f", "mp4"));
    EXPECT_TRUE(has(mp4, "-pix_fmt", "rgb24")) << "frames arrive without alpha";
    settings.format = VideoFormat::Gif;
    EXPECT_TRUE(has(ffmpeg_arguments(settings, "a.gif"), "-f", "gif"));
}

TEST(VideoFrames, H264FramesAreCompositedOverTheMatte) {
    WorldStorage world(3, 1, PF_PixelFormat_ARGB32);
    at<PF_Pixel>(world.world(), 0, 0) = {255, 10, 20, 30};   // opaque: itself
    at<PF_Pixel>(world.world(), 1, 0) = {0, 250, 250, 250};  // transparent: the matte
    at<PF_Pixel>(world.world(), 2, 0) = {51, 255, 0, 0};     // a fifth of red over the matte
    VideoSettings settings;
    settings.format = VideoFormat::H264;
    settings.width = 3;
    settings.height = 1;
    settings.matte = {255, 0, 100, 200};
    std::vector<std::uint8_t> out(piped_frame_bytes(settings));
    ASSERT_EQ(out.size(), 9u);
    pipe_frame(world.world(), settings, out.data());
    EXPECT_EQ(out, (std::vector<std::uint8_t>{10, 20, 30, 0, 100, 200, 51, 80, 160}));
}

TEST(VideoFrames, SixteenBitProResFramesKeepTheirDepthLittleEndianAndOthersAreEightBit) {
    WorldStorage world(1, 1, PF_PixelFormat_ARGB64);
    at<PF_Pixel16>(world.world(), 0, 0) = {32768, 16384, 0, 1};
    VideoSettings settings;
    settings.width = 1;
    settings.height = 1;
    settings.bits = 16;
    std::vector<std::uint8_t> out(piped_frame_bytes(settings));
    ASSERT_EQ(out.size(), 8u);
    pipe_frame(world.world(), settings, out.data());
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0x00, 0x80, 0x00, 0x00, 0x02, 0x00, 0xFF, 0xFF}));  // r, g, b, a
    settings.format = VideoFormat::Gif;
    std::vector<std::uint8_t> gif(piped_frame_bytes(settings));
    ASSERT_EQ(gif.size(), 4u);
    pipe_frame(world.world(), settings, gif.data());
    EXPECT_EQ(gif[3], 255);  // alpha
    EXPECT_EQ(gif[1], 0);    // green
}

}  // namespace
}  // namespace vorlane::host
