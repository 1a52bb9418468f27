// What the subcommands share, and the list of them. A subcommand lives in a file of its own and is one function
// that adds itself to the app; adding one is a declaration here and a line in Cli.cpp.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>

#include "module/LoadedModule.h"
#include "session/Session.h"

namespace vorlane::host {

// A subcommand that cannot do its work; what() is the one line shown to the user.
class CommandFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct CliState {
    std::string module_path;  // --module, defaults to the module beside the executable
    std::ostream& out;
    std::ostream& err;
    std::function<int()> action;  // set by the subcommand chosen on the command line
};

// The module loaded and one effect instance over it, with global set-up done, as a host has it before the first
// user-visible command. Throws CommandFailure.
struct HostedEffect {
    LoadedModule module;
    std::unique_ptr<Session> session;
};
HostedEffect open_effect(const CliState& state);
// Throws CommandFailure naming `what` when `err` is an error.
void require_success(PF_Err err, const std::string& what, const Session& session);

void add_about_command(CLI::App& app, CliState& state);
void add_params_command(CLI::App& app, CliState& state);
// The controls view of `params`. The returned action shows it when one of its options was given, and returns
// nothing otherwise, leaving the registration table to `params`.
std::function<std::optional<int>()> add_params_view(CLI::App& params, const CliState& state);
void add_pipl_command(CLI::App& app, CliState& state);
void add_encode_command(CLI::App& app, CliState& state);
void add_demo_scene_command(CLI::App& app, CliState& state);
void add_check_command(CLI::App& app, CliState& state);
void add_preview_command(CLI::App& app, CliState& state);

}  // namespace vorlane::host
