// The real `vorlane render` stopped while it works: Ctrl+C (SIGINT), twice, and SIGKILL. Whatever stops it, the
// output folder holds only whole frames under frame names. Signals as these tests send them are POSIX only.
#ifndef _WIN32

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "pixels/Png.h"

extern char** environ;

namespace vorlane::host::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const fs::path kSlowScene = fs::path(VORLANE_TEST_DATA) / ".." / ".." / "bench" / "scenes" / "crowd-1000.json";

std::string read_text(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// One `vorlane render` of the slow scene's 24 frames into `dir/out` (or `dir/out/NAME`), its streams in `dir`.
class RunningRender {
  public:
    explicit RunningRender(const fs::path& dir, const std::string& name = "") : dir_(dir) {
        const std::string out = (name.empty() ? dir / "out" : dir / "out" / name).string(), scene = kSlowScene.string();
        std::vector<std::string> args = {VORLANE_EXE_PATH, "render", scene, "--out", out, "-j", "2"};
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, (dir / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&files, 2, (dir / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        started_ = Clock::now();
        spawned_ = posix_spawn(&pid_, VORLANE_EXE_PATH, &files, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&files);
    }
    ~RunningRender() {
        if (spawned_ && !reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    bool spawned() const { return spawned_; }

    // How long the first frame took to appear; nullopt if the render ended or took over `limit` before it.
    std::optional<Clock::duration> wait_for_first_frame(Clock::duration limit) {
        return wait_for([&] { return fs::exists(dir_ / "out" / "frame_0000.png"); }, limit);
    }

    // How long it took until `seen`; nullopt if the render ended or took over `limit` before.
    template <class Seen>
    std::optional<Clock::duration> wait_for(Seen seen, Clock::duration limit) {
        while (Clock::now() - started_ < limit) {
            if (seen()) {
                return Clock::now() - started_;
            }
            if (exited(std::chrono::milliseconds(20))) {
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

    void send(int signal) { kill(pid_, signal); }

    // Waits up to `limit` for the process to end.
    bool exited(Clock::duration limit) {
        const auto until = Clock::now() + limit;
        do {
            if (waitpid(pid_, &status_, WNOHANG) == pid_) {
                reaped_ = true;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        } while (Clock::now() < until);
        return false;
    }

    int status() const { return status_; }
    std::string err() const { return read_text(dir_ / "stderr"); }

  private:
    fs::path dir_;
    pid_t pid_ = 0;
    bool spawned_ = false, reaped_ = false;
    int status_ = 0;
    Clock::time_point started_;
};

class RenderInterrupt : public ::testing::Test {
  protected:
    RenderInterrupt()
        : dir(fs::temp_directory_path() /
              ("vorlane_interrupt_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))) {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~RenderInterrupt() override { fs::remove_all(dir); }

    // Every frame_NNNN.png decodes whole; returns how many there are, and fails on any other name unless
    // `temporaries` allows a writer's temporary, which no one takes for a frame.
    int whole_frames(bool temporaries) {
        const std::regex frame_name(R"(frame_\d{4}\.png)"), temporary_name(R"(\.frame_\d{4}\.png\..*\.tmp)");
        int frames = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(dir / "out")) {
            const std::string name = entry.path().filename().string();
            if (std::regex_match(name, frame_name)) {
                EXPECT_NO_THROW(read_png(entry.path(), PF_PixelFormat_ARGB32)) << name;
                ++frames;
            } else {
                EXPECT_TRUE(temporaries && std::regex_match(name, temporary_name)) << name;
            }
        }
        return frames;
    }

    fs::path dir;
};

TEST_F(RenderInterrupt, CtrlCFinishesTheFramesInFlightNamesTheFramesWrittenAndExits130) {
    RunningRender render(dir);
    ASSERT_TRUE(render.spawned());
    const auto first = render.wait_for_first_frame(std::chrono::minutes(3));
    ASSERT_TRUE(first.has_value()) << render.err();
    render.send(SIGINT);
    const auto signalled = Clock::now();
    // Two frames may be in flight; neither takes longer than the set-up and the first frame did.
    ASSERT_TRUE(render.exited(2 * *first + std::chrono::seconds(2))) << "still rendering after Ctrl+C";
    EXPECT_LT(Clock::now() - signalled, 2 * *first + std::chrono::seconds(2));
    ASSERT_TRUE(WIFEXITED(render.status()));
    EXPECT_EQ(WEXITSTATUS(render.status()), 130);
    const int frames = whole_frames(false);
    EXPECT_LT(frames, 24);
    const std::string err = render.err();
    EXPECT_NE(err.find("interrupted; wrote " + std::to_string(frames) + " of 24 frames (0"), std::string::npos) << err;
}

TEST_F(RenderInterrupt, ASecondCtrlCEndsAtOnceLeavingNoPartFrame) {
    RunningRender render(dir);
    ASSERT_TRUE(render.spawned());
    ASSERT_TRUE(render.wait_for_first_frame(std::chrono::minutes(3)).has_value()) << render.err();
    render.send(SIGINT);
    // Apart, so that the two are not merged into one while the first is pending.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    render.send(SIGINT);
    ASSERT_TRUE(render.exited(std::chrono::seconds(2)));
    ASSERT_TRUE(WIFEXITED(render.status()));
    EXPECT_EQ(WEXITSTATUS(render.status()), 130);
    EXPECT_GE(whole_frames(true), 1);
}

TEST_F(RenderInterrupt, AKilledRenderLeavesOnlyWholeFramesUnderFrameNames) {
    RunningRender render(dir);
    ASSERT_TRUE(render.spawned());
    ASSERT_TRUE(render.wait_for_first_frame(std::chrono::minutes(3)).has_value()) << render.err();
    render.send(SIGKILL);
    ASSERT_TRUE(render.exited(std::chrono::seconds(5)));
    EXPECT_TRUE(WIFSIGNALED(render.status()));
    EXPECT_GE(whole_frames(true), 1);
}

TEST_F(RenderInterrupt, CtrlCDuringAVideoRemovesItsTemporaryFileAndLeavesNothingUnderItsName) {
    if (!fs::exists("/usr/bin/ffmpeg")) {
        GTEST_SKIP() << "no ffmpeg";
    }
    fs::create_directories(dir / "out");
    RunningRender render(dir, "cut.mov");
    ASSERT_TRUE(render.spawned());
    // The temporary video grows once ffmpeg has its first frame.
    const auto growing = [&] {
        for (const fs::directory_entry& entry : fs::directory_iterator(dir / "out")) {
            const std::string name = entry.path().filename().string();
            std::error_code ec;
            if (name.rfind(".cut.mov.", 0) == 0 && name.find("ffmpeg-log") == std::string::npos &&
                fs::file_size(entry.path(), ec) > 0) {
                return true;
            }
        }
        return false;
    };
    ASSERT_TRUE(render.wait_for(growing, std::chrono::minutes(3)).has_value()) << render.err();
    render.send(SIGINT);
    ASSERT_TRUE(render.exited(std::chrono::seconds(30)));
    ASSERT_TRUE(WIFEXITED(render.status()));
    EXPECT_EQ(WEXITSTATUS(render.status()), 130);
    EXPECT_TRUE(fs::is_empty(dir / "out")) << "the video, its temporary or ffmpeg's log left behind";
    const std::string err = render.err();
    EXPECT_NE(err.find("interrupted; removed the unfinished video"), std::string::npos) << err;
}

}  // namespace
}  // namespace vorlane::host::test

#endif
