// The `vorlane` command line: global options, then one subcommand (about, params, pipl, ...).
#pragma once

#include <ostream>

namespace vorlane::host {

// Parses and runs one command line; returns the process exit status. Failures are reported on `err` as one line.
int run_cli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace vorlane::host
