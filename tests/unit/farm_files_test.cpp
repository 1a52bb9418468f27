// Which frames of a folder count as written, and the record a farm render leaves for `farm status`.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "farm/FarmRecord.h"
#include "farm/FrameFiles.h"
#include "output/ExrWrite.h"
#include "pixels/Png.h"
#include "pixels/Worlds.h"
#include "support/test_folder.h"

namespace vorlane::host::test {
namespace {

namespace fs = std::filesystem;

class FarmFiles : public ::testing::Test {
  protected:
    FarmFiles() : dir(test_folder("vorlane_farm_files_")) {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~FarmFiles() override { fs::remove_all(dir); }
    OutputTarget target(const std::string& name) const { return parse_output_target((dir / name).string()); }
    void write_frame(const OutputTarget& to, A_long frame) {
        WorldStorage world(4, 3, PF_PixelFormat_ARGB32);
        if (to.image == ImageFormat::Exr) {
            write_exr(frame_file(to, frame), world.world());
        } else {
            write_png(frame_file(to, frame), world.world(), 8);
        }
    }
    fs::path dir;
};

TEST_F(FarmFiles, OnlyFramesThatDecodeCountAsWritten) {
    const OutputTarget folder = target("frames");
    fs::create_directories(folder.path);
    for (A_long frame : {0, 1, 2, 3, 4}) {
        write_frame(folder, frame);
    }
    // Cut short, as a copy interrupted part way leaves a file.
    const fs::path f = folder.path;
    fs::resize_file(f / "frame_0001.png", fs::file_size(f / "frame_0001.png") / 2);
    std::ofstream(f / "frame_0002.png") << "not a png";
    fs::remove(f / "frame_0003.png");
    fs::remove(f / "frame_0004.png");
    fs::create_directory(f / "frame_0004.png");
    EXPECT_EQ(missing_frames(folder, {0, 1, 2, 3, 4, 5}), (std::vector<A_long>{1, 2, 3, 4, 5}));
    EXPECT_EQ(missing_frames(target("nowhere"), {7, 8}), (std::vector<A_long>{7, 8}));

    const OutputTarget pattern = target("shot_##.png");
    write_frame(pattern, 3);
    EXPECT_EQ(missing_frames(pattern, {2, 3}), (std::vector<A_long>{2}));
    EXPECT_EQ(missing_frames(target("cut.mp4"), {0, 1}), (std::vector<A_long>{0, 1})) << "a video has no frames";
}

TEST_F(FarmFiles, AnOpenExrFrameCountsOnlyWithEveryLine) {
    if (!exr_unavailable().empty()) {
        GTEST_SKIP() << exr_unavailable();
    }
    const OutputTarget exr = target("shot_####.exr");
    for (A_long frame : {0, 1}) {
        write_frame(exr, frame);
    }
    const fs::path cut = frame_file(exr, 1);
    fs::resize_file(cut, fs::file_size(cut) - 8);
    EXPECT_EQ(missing_frames(exr, {0, 1, 2}), (std::vector<A_long>{1, 2}));
}

TEST_F(FarmFiles, TheFarmFolderSitsBesideTheOutputHoweverItIsSpelt) {
    for (const fs::path& out : {dir / "frames", fs::path(dir.string() + "/frames/"), dir / "x" / ".." / "frames"}) {
        const vorlane::host::FarmFiles files = farm_files(out);
        EXPECT_EQ(files.folder, dir / "frames.farm") << out;
        EXPECT_EQ(files.script.parent_path(), files.folder);
        EXPECT_EQ(files.logs.parent_path(), files.folder);
    }
}

TEST_F(FarmFiles, TheRecordReadsBackAndADamagedOneIsNamed) {
    const FarmRecord record{dir / "shot.json", 12, 59, 8, "4711"};
    write_farm_record(dir / "farm.json", record);
    const std::optional<FarmRecord> back = read_farm_record(dir / "farm.json");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->scene, record.scene);
    EXPECT_EQ(back->first, 12);
    EXPECT_EQ(back->last, 59);
    EXPECT_EQ(back->chunk, 8);
    EXPECT_EQ(back->job, "4711");
    EXPECT_FALSE(read_farm_record(dir / "none.json"));
    for (const char* text : {R"({"scene": "s", "first": 9, "last": 2, "chunk": 1, "job": ""})", "{", "[]"}) {
        std::ofstream(dir / "bad.json") << text;
        try {
            read_farm_record(dir / "bad.json");
            ADD_FAILURE() << text;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("bad.json is damaged"), std::string::npos) << e.what();
        }
    }
    EXPECT_FALSE(fs::exists(dir / "farm.json.tmp")) << "no temporary left behind";
}

}  // namespace
}  // namespace vorlane::host::test
