// Two renders into one target: the lock that refuses the second where their frames overlap (and lets the farm's
// tasks of disjoint frames go on together), and the renames that never replace a file nobody checked.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "output/OutputTarget.h"
#include "output/TargetLock.h"
#include "pixels/TemporaryFile.h"
#include "support/cli_run.h"
#include "support/test_folder.h"

namespace vorlane::host {
namespace {

namespace fs = std::filesystem;

class OutputLock : public ::testing::Test {
  protected:
    OutputLock() : dir(test::test_folder("vorlane_lock_")) {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~OutputLock() override { fs::remove_all(dir); }
    OutputTarget target(const std::string& name) const { return parse_output_target((dir / name).string()); }
    fs::path dir;
};

TEST_F(OutputLock, OverlappingFramesOfOneTargetAreRefusedInOneLineAndDisjointOnesGoOn) {
    struct Case {
        std::string out;
        A_long first, last;              // the frames held
        A_long other_first, other_last;  // the frames a second render asks for
        bool refused;
    };
    const std::vector<Case> cases = {
        {"frames", 0, 47, 0, 47, true},
        {"frames", 0, 9, 9, 20, true},
        {"frames", 0, 9, 10, 19, false},
        {"g_####.png", 10, 19, 0, 9, false},
        {"g_####.png", 10, 19, 15, 15, true},
        // A video and a single image are one file: any two renders of them overlap.
        {"cut.mp4", 0, 9, 20, 29, true},
        {"still.png", 5, 5, 6, 6, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out + " " + std::to_string(c.other_first));
        const OutputTarget held = target(c.out);
        fs::create_directories(held.kind == TargetKind::Folder ? held.path : held.path.parent_path());
        const TargetLock first(held, c.first, c.last);
        std::optional<TargetLock> second;
        try {
            second.emplace(held, c.other_first, c.other_last);
            EXPECT_FALSE(c.refused);
        } catch (const TargetError& e) {
            EXPECT_TRUE(c.refused);
            const std::string message = e.what();
            EXPECT_NE(message.find(held.path.string()), std::string::npos) << message;
            EXPECT_NE(message.find("another render"), std::string::npos) << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        }
    }
}

TEST_F(OutputLock, TheLastHolderRemovesTheLockFileAndTheNextRenderTakesItAfresh) {
    const OutputTarget frames = target("frames");
    fs::create_directories(frames.path);
    {
        const TargetLock a(frames, 0, 9);
        {
            const TargetLock b(frames, 10, 19);
            EXPECT_TRUE(fs::exists(target_lock_file(frames)));
        }
        EXPECT_TRUE(fs::exists(target_lock_file(frames))) << "removed while a render still held frames";
        EXPECT_THROW(TargetLock(frames, 5, 5), TargetError);
    }
    EXPECT_FALSE(fs::exists(target_lock_file(frames)));
    EXPECT_NO_THROW(TargetLock(frames, 0, 47));
}

TEST_F(OutputLock, ARenameThatMustNotReplaceLeavesWhatIsThereAlone) {
    std::ofstream(dir / "theirs.png") << "theirs";
    std::ofstream(dir / "ours.tmp") << "ours";
    EXPECT_EQ(rename_no_replace(dir / "ours.tmp", dir / "theirs.png"), std::errc::file_exists);
    EXPECT_EQ(test::file_text(dir / "theirs.png"), "theirs");
    EXPECT_FALSE(rename_no_replace(dir / "ours.tmp", dir / "free.png"));
    EXPECT_EQ(test::file_text(dir / "free.png"), "ours");
    EXPECT_FALSE(fs::exists(dir / "ours.tmp"));

    // A temporary file kept onto a name another program took meanwhile: refused, said so, and removed.
    fs::path temporary;
    {
        TemporaryFile file(dir / "theirs.png", Existing::Keep);
        temporary = file.path();
        std::ofstream(file.path()) << "late";
        const std::error_code error = file.keep();
        EXPECT_TRUE(error);
        EXPECT_NE(file.keep_failure(error).find("--force replaces it"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_EQ(test::file_text(dir / "theirs.png"), "theirs");
}

#if !defined(_WIN32)

TEST_F(OutputLock, ALinkIsANameTakenEvenWhenItPointsNowhere) {
    fs::create_symlink(dir / "nowhere", dir / "dangling.jsonl");
    EXPECT_TRUE(name_taken(dir / "dangling.jsonl"));
    EXPECT_FALSE(name_taken(dir / "free.jsonl"));
    EXPECT_THROW(check_new_file(dir / "dangling.jsonl", false, "--trace"), TargetError);
    EXPECT_NO_THROW(check_new_file(dir / "dangling.jsonl", true, "--trace"));
    EXPECT_THROW(check_new_file(dir, true, "--trace"), TargetError);
}

#endif

}  // namespace
}  // namespace vorlane::host
