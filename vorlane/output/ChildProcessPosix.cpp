#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "output/ChildProcess.h"

extern char** environ;

namespace vorlane::host {

struct ChildProcess::State {
    pid_t pid = -1;
    int input = -1;  // our end of the pipe
    struct sigaction previous_sigpipe {};
};

namespace {

// Starts the child reading `read_end` as its standard input; returns 0 or an errno value.
int spawn(const std::filesystem::path& program, const std::vector<std::string>& args,
          const std::filesystem::path& error_log, int read_end, pid_t* pid) {
    std::vector<std::string> owned = args;
    owned.insert(owned.begin(), program.string());
    std::vector<char*> argv;
    for (std::string& arg : owned) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&files);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_adddup2(&files, read_end, 0);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, error_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
    const int error = posix_spawn(pid, program.c_str(), &files, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&files);
    return error;
}

}  // namespace

ChildProcess::ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                           const std::filesystem::path& error_log)
    : state_(std::make_unique<State>()) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        throw ChildError("cannot make a pipe to " + program.string() + ": " + std::strerror(errno));
    }
    const int error = spawn(program, args, error_log, ends[0], &state_->pid);
    close(ends[0]);
    if (error != 0) {
        close(ends[1]);
        throw ChildError("cannot start " + program.string() + ": " + std::strerror(error));
    }
    state_->input = ends[1];
    // A child that stops reading makes write() fail with EPIPE rather than end this process.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &state_->previous_sigpipe);
}

ChildProcess::~ChildProcess() {
    if (state_->pid > 0) {
        kill();
    }
    sigaction(SIGPIPE, &state_->previous_sigpipe, nullptr);
}

bool ChildProcess::write(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0 && state_->input >= 0) {
        const ssize_t written = ::write(state_->input, bytes, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return size == 0;
}

int ChildProcess::finish() {
    if (state_->input >= 0) {
        close(state_->input);
        state_->input = -1;
    }
    if (state_->pid <= 0) {
        return -1;
    }
    int status = 0;
    while (waitpid(state_->pid, &status, 0) < 0 && errno == EINTR) {
    }
    state_->pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ChildProcess::kill() {
    if (state_->pid > 0) {
        ::kill(state_->pid, SIGKILL);
    }
    finish();
}

}  // namespace vorlane::host
