#include "farm/RunProgram.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>

extern char** environ;
#endif

namespace vorlane::host {

#if defined(_WIN32)

ProgramResult run_program(const std::vector<std::string>&) {
    return {};
}

#else

namespace {

// A pipe whose ends close when it goes.
struct Pipe {
    std::array<int, 2> fd{-1, -1};
    Pipe() {
        if (pipe2(fd.data(), O_CLOEXEC) != 0) {
            fd = {-1, -1};
        }
    }
    ~Pipe() {
        close_read();
        close_write();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    bool ok() const { return fd[0] >= 0; }
    void close_read() {
        if (fd[0] >= 0) {
            close(fd[0]);
            fd[0] = -1;
        }
    }
    void close_write() {
        if (fd[1] >= 0) {
            close(fd[1]);
            fd[1] = -1;
        }
    }
};

// Both streams read together, so that a program filling one pipe never waits on us reading the other.
void drain(Pipe& out, Pipe& err, ProgramResult& result) {
    std::array<pollfd, 2> fds{pollfd{out.fd[0], POLLIN, 0}, pollfd{err.fd[0], POLLIN, 0}};
    std::array<std::string*, 2> texts{&result.out, &result.err};
    int open = 2;
    char buffer[4096];
    while (open > 0) {
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                texts[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

}  // namespace

ProgramResult run_program(const std::vector<std::string>& argv) {
    ProgramResult result;
    Pipe out, err;
    if (argv.empty() || !out.ok() || !err.ok()) {
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out.fd[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.fd[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return result;
    }
    out.close_write();
    err.close_write();
    drain(out, err, result);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.started = true;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

#endif

}  // namespace vorlane::host
