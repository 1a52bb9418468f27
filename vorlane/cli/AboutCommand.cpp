#include "cli/Subcommands.h"

namespace vorlane::host {
namespace {

// The about box breaks lines at carriage returns; a terminal wants line feeds.
std::string as_lines(const std::string& text) {
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            lines += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            lines += text[i];
        }
    }
    return lines;
}

int run_about(const CliState& state) {
    HostedEffect effect = open_effect(state);
    std::string text;
    require_success(effect.session->about(&text), "the about command", *effect.session);
    state.out << as_lines(text) << "\n";
    return 0;
}

}  // namespace

void add_about_command(CLI::App& app, CliState& state) {
    app.add_subcommand("about", "show the effect's about text")->callback([&state] {
        state.action = [&state] { return run_about(state); };
    });
}

}  // namespace vorlane::host
