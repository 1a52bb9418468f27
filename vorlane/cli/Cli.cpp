#include "cli/Cli.h"

#include "cli/FarmCommand.h"
#include "cli/RenderCommand.h"
#include "cli/Subcommands.h"
#include "module/PiplDecoder.h"

namespace vorlane::host {

int run_cli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app{"vorlane: a stand-alone host for the Vorlane effect module", "vorlane"};
    CliState state{default_module_path().string(), out, err, {}};
    app.add_option("--module", state.module_path,
                   "the effect module to load (default: the one beside vorlane, else in ../lib/vorlane/)");
    app.require_subcommand(1);

    add_about_command(app, state);
    add_params_command(app, state);
    add_pipl_command(app, state);
    add_render_command(app, state);
    add_encode_command(app, state);
    add_farm_command(app, state);
    add_demo_scene_command(app, state);
    add_check_command(app, state);
    add_preview_command(app, state);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e, out, err);
    }
    try {
        return state.action ? state.action() : 0;
    } catch (const CommandFailure& e) {
        err << "vorlane: " << e.what() << "\n";
    } catch (const ModuleError& e) {
        err << "vorlane: " << e.what() << "\n";
    } catch (const PiplError& e) {
        err << "vorlane: the module's PiPL is damaged: " << e.what() << "\n";
    } catch (const std::exception& e) {
        err << "vorlane: " << e.what() << "\n";
    }
    return 1;
}

}  // namespace vorlane::host
