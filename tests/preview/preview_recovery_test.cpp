// Unsaved edits outlive the preview: the real `vorlane preview` edited, killed with SIGKILL or stopped with Ctrl+C,
// started again; its state folder is the test's own (XDG_STATE_HOME).
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <regex>

#include "preview/EditRecovery.h"
#include "preview_fixture.h"

extern char** environ;

namespace vorlane::host::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using namespace std::chrono_literals;

// One `vorlane preview ARGS --port 0`, its streams in files of `dir`.
class RunningPreview {
  public:
    RunningPreview(const fs::path& dir, std::vector<std::string> args) : err_(dir / "stderr") {
        args.insert(args.begin(), {VORLANE_EXE_PATH, "preview"});
        args.insert(args.end(), {"--port", "0"});
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        std::vector<std::string> env = {"XDG_STATE_HOME=" + (dir / "state").string()};
        for (char** e = environ; *e; ++e) {
            if (std::string_view(*e).rfind("XDG_STATE_HOME=", 0) != 0) {
                env.emplace_back(*e);
            }
        }
        std::vector<char*> envp;
        for (std::string& e : env) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
        const fs::path out = dir / "stdout";
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&files, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        spawned_ = posix_spawn(&pid_, VORLANE_EXE_PATH, &files, nullptr, argv.data(), envp.data()) == 0;
        posix_spawn_file_actions_destroy(&files);
        const std::regex url(R"(http://127\.0\.0\.1:(\d+)/\?token=(\w+))");
        for (int tries = 0; spawned_ && tries < 400 && port == 0; ++tries) {
            std::smatch found;
            const std::string text = file_text(out);
            if (std::regex_search(text, found, url)) {
                port = std::stoi(found[1]);
                token = found[2];
            } else if (waitpid(pid_, &status_, WNOHANG) == pid_) {
                reaped_ = true;
                break;
            } else {
                std::this_thread::sleep_for(25ms);
            }
        }
    }
    ~RunningPreview() { stop(SIGKILL); }

    // Ends the process with `signal`; its exit status.
    int stop(int signal) {
        if (spawned_ && !reaped_) {
            kill(pid_, signal);
            waitpid(pid_, &status_, 0);
            reaped_ = true;
        }
        return status_;
    }
    std::string err() const { return file_text(err_); }

    httplib::Result post(const std::string& path, const std::string& body) {
        return client().Post(path, headers(), body, "application/json");
    }
    json params() { return json::parse(client().Get("/api/params", headers())->body); }

    int port = 0;
    std::string token;

  private:
    httplib::Client client() const {
        httplib::Client c("127.0.0.1", port);
        c.set_read_timeout(20, 0);
        return c;
    }
    httplib::Headers headers() const {
        return {{"Cookie", "vorlane_token=" + token}, {"Origin", "http://127.0.0.1:" + std::to_string(port)}};
    }

    fs::path err_;
    pid_t pid_ = 0;
    bool spawned_ = false, reaped_ = false;
    int status_ = 0;
};

int seed_of(const json& params) {
    for (const json& control : params) {
        if (control["name"] == "Seed") {
            return control["value"].get<int>();
        }
    }
    return -1;
}

class PreviewRecovery : public ::testing::Test {
  protected:
    PreviewRecovery() : dir(test_folder("vorlane_recovery_")) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        write_text(scene, demo_scene_text());
    }
    ~PreviewRecovery() override { fs::remove_all(dir); }

    // Starts the preview, makes the edit and kills it as a crash would.
    void edit_and_kill(int seed) {
        RunningPreview first(dir, {scene.string()});
        ASSERT_NE(first.port, 0) << first.err();
        ASSERT_EQ(first.post("/api/edit", json{{"name", "Seed"}, {"value", seed}}.dump())->status, 200);
        first.stop(SIGKILL);
    }
    std::vector<fs::path> kept_files() const {
        std::vector<fs::path> files;
        if (fs::exists(dir / "state" / "vorlane" / "recovery")) {
            for (const auto& entry : fs::directory_iterator(dir / "state" / "vorlane" / "recovery")) {
                files.push_back(entry.path());
            }
        }
        return files;
    }

    fs::path dir, scene = dir / "scene.json";
};

TEST_F(PreviewRecovery, AnEditSurvivesSigkillAndComesBackWithRecover) {
    edit_and_kill(4242);
    ASSERT_EQ(kept_files().size(), 1u);
    {
        RunningPreview plain(dir, {scene.string()});
        ASSERT_NE(plain.port, 0) << plain.err();
        EXPECT_NE(seed_of(plain.params()), 4242);
        EXPECT_NE(plain.err().find(scene.filename().string() + " --recover"), std::string::npos) << plain.err();
        plain.stop(SIGINT);
    }
    RunningPreview recovered(dir, {scene.string(), "--recover"});
    ASSERT_NE(recovered.port, 0) << recovered.err();
    EXPECT_EQ(seed_of(recovered.params()), 4242);
    EXPECT_NE(recovered.err().find("recovered"), std::string::npos) << recovered.err();
    ASSERT_EQ(recovered.post("/api/save", "")->status, 200);
    EXPECT_TRUE(kept_files().empty());
    EXPECT_EQ(json::parse(file_text(scene))["params"]["Seed"], 4242);
    EXPECT_EQ(recovered.stop(SIGINT), 0);
    EXPECT_EQ(recovered.err().find("stopped with unsaved"), std::string::npos) << recovered.err();
}

TEST_F(PreviewRecovery, CtrlCWithUnsavedEditsSaysWhereTheyAreKept) {
    RunningPreview preview(dir, {scene.string()});
    ASSERT_NE(preview.port, 0) << preview.err();
    ASSERT_EQ(preview.post("/api/edit", json{{"name", "Seed"}, {"value", 7}}.dump())->status, 200);
    EXPECT_EQ(preview.stop(SIGINT), 0);
    ASSERT_EQ(kept_files().size(), 1u);
    EXPECT_NE(preview.err().find("unsaved edits; they are kept in " + kept_files().front().string()), std::string::npos)
        << preview.err();
}

// Edits made over a file someone changed since are recovered over the file as it was, and Save leaves the newer
// file alone.
TEST_F(PreviewRecovery, ASceneChangedOnDiskSinceIsNotOverwritten) {
    edit_and_kill(4242);
    const std::string theirs = file_text(scene) + "\n";
    write_text(scene, theirs);
    RunningPreview recovered(dir, {scene.string(), "--recover"});
    ASSERT_NE(recovered.port, 0) << recovered.err();
    EXPECT_EQ(seed_of(recovered.params()), 4242);
    EXPECT_NE(recovered.err().find("has changed on disk since"), std::string::npos) << recovered.err();
    EXPECT_EQ(recovered.post("/api/save", "")->status, 409);
    EXPECT_EQ(file_text(scene), theirs);
    EXPECT_EQ(kept_files().size(), 1u);
}

TEST_F(PreviewRecovery, RecoverWithNothingKeptFails) {
    RunningPreview nothing(dir, {scene.string(), "--recover"});
    EXPECT_EQ(nothing.port, 0);
    EXPECT_NE(nothing.stop(SIGKILL), 0);
    EXPECT_NE(nothing.err().find("no unsaved edits"), std::string::npos) << nothing.err();
}

TEST_F(PreviewRecovery, ScenesOfOneNameKeepTheirEditsApart) {
    const std::string a = recovery_scene_key(dir / "a" / "scene.json"),
                      b = recovery_scene_key(dir / "b" / "scene.json");
    EXPECT_NE(recovery_file_for(a), recovery_file_for(b));
    edit_and_kill(4242);
    ASSERT_EQ(kept_files().size(), 1u);
    EXPECT_TRUE(read_kept_edits(kept_files().front(), recovery_scene_key(scene)));
    EXPECT_FALSE(read_kept_edits(kept_files().front(), a));
}

}  // namespace
}  // namespace vorlane::host::test
