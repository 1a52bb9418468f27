// Runs another program with arguments passed as they are (no shell), and collects what it prints.
#pragma once

#include <string>
#include <vector>

namespace vorlane::host {

struct ProgramResult {
    bool started = false;  // false when the program could not be run at all (not found, not executable)
    int status = -1;       // the exit status; -1 when it was ended by a signal
    std::string out;       // standard output
    std::string err;       // standard error
};

// argv[0] is looked up in PATH. Not available on Windows, where it reports started = false.
ProgramResult run_program(const std::vector<std::string>& argv);

}  // namespace vorlane::host
