// The farm's batch script and chunks: every frame in exactly one task, and the script, run as Slurm runs a task,
// calls the host with that task's frames and the paths it was given, however awkwardly they are spelt.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "farm/FrameChunks.h"
#include "farm/RunProgram.h"
#include "farm/SlurmScript.h"
#include "support/test_folder.h"

namespace vorlane::host::test {
namespace {

namespace fs = std::filesystem;

TEST(FarmChunks, CoverEveryFrameOnceInOrderWithTheRemainderLast) {
    struct Case {
        A_long first, last, size;
        std::vector<std::string> texts;
    };
    const std::vector<Case> cases = {
        {0, 47, 12, {"0-11", "12-23", "24-35", "36-47"}},
        {5, 14, 4, {"5-8", "9-12", "13-14"}},
        {3, 3, 10, {"3"}},
        {0, 2, 1, {"0", "1", "2"}},
        {10, 20, 100, {"10-20"}},
    };
    for (const Case& c : cases) {
        const std::vector<FrameChunk> chunks = chunk_frames(c.first, c.last, c.size);
        std::vector<std::string> texts;
        for (const FrameChunk& chunk : chunks) {
            texts.push_back(chunk_text(chunk));
        }
        EXPECT_EQ(texts, c.texts) << c.first << "-" << c.last << " by " << c.size;
    }
    const std::vector<FrameChunk> top = chunk_frames(2147483640, 2147483647, 5);
    ASSERT_EQ(top.size(), 2u) << "a chunk ending at the largest frame does not wrap";
    EXPECT_EQ(top[1].last, 2147483647);
}

TEST(FarmScript, AsksSlurmForOneTaskPerChunkWithTheLimitsGiven) {
    SlurmJob job;
    job.name = "vorlane-shot";
    job.vorlane = "/opt/v/vorlane";
    job.module = "/opt/v/Vorlane.so";
    job.scene = "/s/shot.json";
    job.out = "/s/frames";
    job.logs = "/s/frames.farm/logs";
    job.chunks = chunk_frames(0, 47, 12);
    job.threads = 4;
    const std::string bare = slurm_batch_script(job);
    EXPECT_EQ(bare.rfind("#!/bin/bash\n", 0), 0u);
    EXPECT_NE(bare.find("#SBATCH --array=0-3\n"), std::string::npos);
    EXPECT_NE(bare.find("#SBATCH --cpus-per-task=4\n"), std::string::npos);
    EXPECT_NE(bare.find("#SBATCH --output=/s/frames.farm/logs/task-%A_%a.log\n"), std::string::npos);
    EXPECT_EQ(bare.find("--partition"), std::string::npos) << "the cluster's default partition unless one is given";
    EXPECT_EQ(bare.find("--time"), std::string::npos);
    job.partition = "gpu";
    job.time = "1:30:00";
    const std::string limited = slurm_batch_script(job);
    EXPECT_NE(limited.find("#SBATCH --partition=gpu\n"), std::string::npos);
    EXPECT_NE(limited.find("#SBATCH --time=1:30:00\n"), std::string::npos);
    // Slurm stops reading #SBATCH lines at the first command.
    EXPECT_LT(limited.rfind("#SBATCH"), limited.find("set -euo"));
}

TEST(FarmScript, ShellQuotingSurvivesQuotesSpacesAndDollars) {
    EXPECT_EQ(shell_quote("plain"), "'plain'");
    EXPECT_EQ(shell_quote("it's"), "'it'\\''s'");
    EXPECT_EQ(shell_quote(""), "''");
}

#if !defined(_WIN32)

class FarmScriptRun : public ::testing::Test {
  protected:
    FarmScriptRun() : dir(test_folder("vorlane farm 'script' $HOME ")) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        // A stand-in for the host that prints the arguments it gets, one a line.
        std::ofstream(dir / "vorlane") << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done\n";
        fs::permissions(dir / "vorlane", fs::perms::owner_all);
        std::ofstream(dir / "Vorlane.so") << "";
        std::ofstream(dir / "shot.json") << "{}";
        job.name = "vorlane-shot";
        job.vorlane = dir / "vorlane";
        job.module = dir / "Vorlane.so";
        job.scene = dir / "shot.json";
        job.out = dir / "frames";
        job.logs = dir / "logs";
        job.chunks = chunk_frames(0, 9, 4);
        std::ofstream(dir / "render.sbatch") << slurm_batch_script(job);
    }
    ~FarmScriptRun() override { fs::remove_all(dir); }

    ProgramResult run_task(const std::string& task) {
        return run_program(
            {"env", "SLURM_ARRAY_TASK_ID=" + task, "SLURM_CPUS_PER_TASK=3", "bash", (dir / "render.sbatch").string()});
    }

    fs::path dir;
    SlurmJob job;
};

TEST_F(FarmScriptRun, EachTaskRendersItsOwnChunkSkippingFramesAlreadyThere) {
    const std::vector<std::string> frames = {"0-3", "4-7", "8-9"};
    for (std::size_t task = 0; task < frames.size(); ++task) {
        const ProgramResult run = run_task(std::to_string(task));
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string expected = "--module\n" + job.module.string() + "\nrender\n" + job.scene.string() +
                                     "\n--frames\n" + frames[task] + "\n--out\n" + job.out.string() +
                                     "\n-j\n3\n--skip-existing\n";
        EXPECT_NE(run.out.find(expected), std::string::npos) << run.out;
    }
}

TEST_F(FarmScriptRun, RefusesInOneLineWhenAPathIsMissingOnTheNode) {
    fs::remove(dir / "shot.json");
    const ProgramResult run = run_task("0");
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find(job.scene.string() + " is missing on"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("--frames"), std::string::npos) << "the host is not started";
}

TEST_F(FarmScriptRun, TheEncodeJobRemovesTheFramesOnlyOnceTheVideoIsMade) {
    SlurmEncodeJob encode;
    encode.name = "vorlane-shot-encode";
    encode.vorlane = dir / "vorlane";
    encode.frames = dir / "frames";
    encode.video = dir / "cut.mp4";
    encode.logs = dir / "logs";
    encode.range = {0, 47};
    encode.fps = "23.98";
    encode.matte = "0e1814";
    const std::string script = slurm_encode_script(encode);
    EXPECT_EQ(script.find("--array"), std::string::npos) << "one job, not an array";
    EXPECT_EQ(script.find("--force"), std::string::npos);
    std::ofstream(dir / "encode.sbatch") << script;
    fs::create_directories(dir / "frames");
    const std::vector<std::string> run_it = {"bash", (dir / "encode.sbatch").string()};

    std::ofstream(dir / "vorlane") << "#!/bin/sh\necho \"$@\" >&2\nexit 1\n";
    const ProgramResult failed = run_program(run_it);
    EXPECT_NE(failed.status, 0);
    EXPECT_NE(failed.err.find("encode " + encode.frames.string() + " --frames 0-47 --out " + encode.video.string() +
                              " --fps 23.98 --matte 0e1814"),
              std::string::npos)
        << failed.err;
    EXPECT_TRUE(fs::is_directory(dir / "frames")) << "a failed encode keeps the frames";

    std::ofstream(dir / "vorlane") << "#!/bin/sh\nexit 0\n";
    const ProgramResult made = run_program(run_it);
    EXPECT_EQ(made.status, 0) << made.err;
    EXPECT_FALSE(fs::exists(dir / "frames"));
}

TEST(RunProgram, CollectsBothStreamsAndTheStatusAndReportsAProgramNotFound) {
    const ProgramResult run = run_program({"sh", "-c", "echo out; echo err >&2; exit 3"});
    EXPECT_TRUE(run.started);
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, "out\n");
    EXPECT_EQ(run.err, "err\n");
    EXPECT_FALSE(run_program({"vorlane-no-such-program"}).started);
}

#endif

}  // namespace
}  // namespace vorlane::host::test
