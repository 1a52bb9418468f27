// `vorlane demo-scene`: the built-in demo's scene as JSON, to start a scene of one's own from (or to check it).
#include "cli/Subcommands.h"
#include "scene/DemoScene.h"

namespace vorlane::host {

void add_demo_scene_command(CLI::App& app, CliState& state) {
    CLI::App* command = app.add_subcommand("demo-scene", "print the built-in demo's scene file (JSON)");
    command->callback([&state] {
        state.action = [&state] {
            state.out << demo_scene_text() << "\n";
            return 0;
        };
    });
}

}  // namespace vorlane::host
