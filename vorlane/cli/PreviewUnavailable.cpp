// `vorlane preview` where the host is built without its HTTP server (Windows: Debian has no mingw-w64 build of
// cpp-httplib): the command exists, so that it can say so.
#include "cli/Subcommands.h"

namespace vorlane::host {

void add_preview_command(CLI::App& app, CliState& state) {
    CLI::App* preview = app.add_subcommand("preview", "not available in this build of vorlane");
    preview->allow_extras();
    preview->callback([&state] {
        state.action = []() -> int {
            throw CommandFailure("preview is not available in the Windows build of vorlane; run it on Linux");
        };
    });
}

}  // namespace vorlane::host
