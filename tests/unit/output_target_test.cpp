// What --out names: the kind of target, the file of each frame, and the checks made before any frame renders.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "output/OutputTarget.h"

namespace vorlane::host {
namespace {

namespace fs = std::filesystem;

TEST(OutputTarget, TheExtensionPicksTheKindAndAnythingElseIsAFolder) {
    EXPECT_EQ(parse_output_target("frames").kind, TargetKind::Folder);
    EXPECT_EQ(parse_output_target("renders/v1.2").kind, TargetKind::Folder);
    const OutputTarget exr = parse_output_target("shots/garden_####.EXR");
    EXPECT_EQ(exr.kind, TargetKind::Sequence);
    EXPECT_EQ(exr.image, ImageFormat::Exr);
    EXPECT_EQ(parse_output_target("still.png").kind, TargetKind::Single);
    EXPECT_EQ(parse_output_target("cut.mov").video, VideoFormat::ProRes4444);
    EXPECT_EQ(parse_output_target("cut.mp4").video, VideoFormat::H264);
    EXPECT_EQ(parse_output_target("cut.gif").video, VideoFormat::Gif);
    EXPECT_TRUE(is_video(parse_output_target("cut.gif")));
    EXPECT_FALSE(is_video(parse_output_target("cut_##.png")));
    EXPECT_THROW(parse_output_target("frames.jpg"), TargetError);
    EXPECT_THROW(parse_output_target("cut.webm"), TargetError);
}

TEST(OutputTarget, TheLastRunOfHashesIsTheZeroPaddedFrameNumberAndGrowsPastItsPadding) {
    const OutputTarget target = parse_output_target("shots/#1_garden_####.png");
    EXPECT_EQ(frame_file(target, 7), fs::path("shots/#1_garden_0007.png"));
    EXPECT_EQ(frame_file(target, 9999), fs::path("shots/#1_garden_9999.png"));
    EXPECT_EQ(frame_file(target, 123456), fs::path("shots/#1_garden_123456.png"));
    EXPECT_EQ(frame_file(parse_output_target("g#.exr"), 12), fs::path("g12.exr"));
    EXPECT_EQ(frame_file(parse_output_target("out"), 3), fs::path("out/frame_0003.png"));
    EXPECT_EQ(frame_file(parse_output_target("out"), 12345), fs::path("out/frame_12345.png"));
    EXPECT_EQ(frame_file(parse_output_target("a/cut.mov"), 3), fs::path("a/cut.mov"));
}

class OutputTargetFiles : public ::testing::Test {
  protected:
    OutputTargetFiles() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() / (std::string("vorlane_target_") + info->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~OutputTargetFiles() override { fs::remove_all(dir); }
    void touch(const fs::path& file) { std::ofstream(dir / file) << "x"; }
    fs::path dir;
};

TEST_F(OutputTargetFiles, NamesThatExistAreReplacedOnlyWithForceButAFolderOfFramesAlwaysIs) {
    touch("g_0002.png");
    touch("g_0005.png");
    const OutputTarget pattern = parse_output_target((dir / "g_####.png").string());
    EXPECT_NO_THROW(check_target(pattern, {0, 1}, false));
    try {
        check_target(pattern, {0, 1, 2, 3, 4, 5}, false);
        ADD_FAILURE() << "existing frames accepted without --force";
    } catch (const TargetError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("g_0002.png and 1 more"), std::string::npos) << text;
        EXPECT_NE(text.find("--force"), std::string::npos) << text;
    }
    EXPECT_NO_THROW(check_target(pattern, {0, 1, 2, 3, 4, 5}, true));

    touch("cut.mp4");
    EXPECT_EQ(existing_outputs(parse_output_target((dir / "cut.mp4").string()), {0, 1}).size(), 1u);
    touch("frame_0000.png");
    EXPECT_NO_THROW(check_target(parse_output_target(dir.string()), {0}, false));
    EXPECT_THROW(check_target(parse_output_target((dir / "cut.mp4").string()), {0}, false), TargetError);
}

TEST_F(OutputTargetFiles, OneImageTakesOneFrameAndAFileIsNoFolder) {
    const OutputTarget still = parse_output_target((dir / "still.png").string());
    EXPECT_NO_THROW(check_target(still, {4}, false));
    try {
        check_target(still, {4, 5}, false);
        ADD_FAILURE() << "two frames accepted for one image";
    } catch (const TargetError& e) {
        EXPECT_NE(std::string(e.what()).find("still_####.png"), std::string::npos) << e.what();
    }
    touch("plain");
    EXPECT_THROW(check_target(parse_output_target((dir / "plain").string()), {0}, false), TargetError);
}

TEST_F(OutputTargetFiles, TheFolderOfAPatternIsMade) {
    const OutputTarget pattern = parse_output_target((dir / "a" / "b" / "g_##.png").string());
    prepare_target_folder(pattern);
    EXPECT_TRUE(fs::is_directory(dir / "a" / "b"));
    EXPECT_FALSE(fs::exists(dir / "a" / "b" / "g_##.png"));
}

}  // namespace
}  // namespace vorlane::host
