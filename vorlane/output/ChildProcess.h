// A program run with a pipe to its standard input and its standard error sent to a file, in a process group of its
// own so that a Ctrl+C meant for us does not reach it: we decide whether what it made is kept.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorlane::host {

class ChildError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class ChildProcess {
  public:
    // Starts `program` with `args`. Throws ChildError when it cannot be started.
    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                 const std::filesystem::path& error_log);
    // A child still running is killed and waited for.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // False when the child no longer reads (it ended, or failed).
    bool write(const void* data, std::size_t size);
    // Ends its input and waits for it; its exit status, or -1 when a signal ended it.
    int finish();
    // Ends it at once and waits for it.
    void kill();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace vorlane::host
