// `vorlane check SCENE`: everything a render would refuse, and every warning it would print, without rendering.
#include <memory>

#include "cli/Subcommands.h"
#include "frames/SceneSession.h"
#include "scene/SceneLoad.h"
#include "scene/SceneWarnings.h"
#include "scene/SourceDecoding.h"

namespace vorlane::host {
namespace {

struct CheckArgs {
    std::string scene;
    ParamChanges changes;
};

int run_check(const CliState& state, const CheckArgs& args) {
    const Scene scene = load_scene_file(args.scene);
    decode_scene_sources(scene);
    HostedEffect effect = open_effect(state);
    const ParamTracks tracks = prepare_scene_session(*effect.session, scene, args.changes);
    const std::vector<std::string> warnings = scene_warnings(*effect.session, scene, tracks);
    print_warnings(state.err, warnings);
    state.out << args.scene << ": no errors, "
              << (warnings.empty()
                      ? std::string("no warnings")
                      : std::to_string(warnings.size()) + (warnings.size() == 1 ? " warning" : " warnings"))
              << "\n";
    return 0;
}

}  // namespace

void add_check_command(CLI::App& app, CliState& state) {
    auto args = std::make_shared<CheckArgs>();
    CLI::App* check = app.add_subcommand(
        "check", "check a scene as a render would and print its warnings, without rendering; fails on errors only");
    check->add_option("scene", args->scene, "the scene file (JSON)")->required();
    check->add_option("--set", args->changes.sets, "NAME=VALUE: override a parameter of the scene")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    check->add_option("--edit", args->changes.edits, "NAME=VALUE: change a parameter as a user does")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    check->callback([&state, args] { state.action = [&state, args] { return run_check(state, *args); }; });
}

}  // namespace vorlane::host
