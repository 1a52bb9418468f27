// `vorlane` run in this process as its command line runs it, with what it printed: for the tests of the commands.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"

namespace vorlane::host::test {

struct CliRun {
    int status = 0;
    std::string out, err;
    bool says(const std::string& text) const { return err.find(text) != std::string::npos; }
};

// `vorlane ARGS`: the arguments as typed after the program's name.
inline CliRun run_vorlane(std::vector<std::string> args) {
    args.insert(args.begin(), "vorlane");
    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    std::ostringstream out, err;
    CliRun run;
    run.status = run_cli(static_cast<int>(argv.size()), argv.data(), out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

// `vorlane --module <the built module> ARGS`.
inline CliRun vorlane(std::vector<std::string> args) {
    args.insert(args.begin(), {"--module", VORLANE_MODULE_PATH});
    return run_vorlane(std::move(args));
}

inline std::string file_text(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace vorlane::host::test
