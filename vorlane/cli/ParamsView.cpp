// `vorlane params` as the effect controls panel: the controls after the effect updated its UI, optionally after
// edits made one by one as a user makes them.
#include <optional>
#include <string>
#include <vector>

#include "cli/Subcommands.h"
#include "scene/SceneLoad.h"
#include "scene/SceneParams.h"
#include "ui/ControlEdits.h"
#include "ui/ControlsView.h"

namespace vorlane::host {
namespace {

struct ParamsViewOptions {
    std::string scene_path;
    std::vector<std::string> edits;
    bool controls = false;
    bool all = false;
    bool json = false;

    bool requested() const { return controls || all || json || !edits.empty() || !scene_path.empty(); }
};

// A scene's values are what the panel opens with, as a saved project's would be; a keyframed parameter shows its
// value at the first frame.
void apply_scene_values(const std::string& scene_path, Session& session) {
    const Scene scene = load_scene_file(scene_path);
    const ParamTracks tracks = apply_scene_params(session, scene);
    for (const auto& track : tracks) {
        session.set_param(track.first, param_at(session, tracks, track.first, 0.0));
    }
}

void require_ui_command(const UiCommandResult& result, const std::string& what, const Session& session) {
    if (!result.leaks.empty()) {
        throw CommandFailure(what + " left " + result.leaks.front() + " with the host");
    }
    require_success(result.err, what, session);
}

int run_params_view(const ParamsViewOptions& options, const CliState& state) {
    HostedEffect effect = open_effect(state);
    Session& session = *effect.session;
    require_success(session.params_setup(), "parameter set-up", session);
    if (!options.scene_path.empty()) {
        apply_scene_values(options.scene_path, session);
    }
    // The panel opens: the effect gets to hide and disable its controls before anything is shown.
    require_ui_command(run_ui_command(session, PF_Cmd_UPDATE_PARAMS_UI), "the UI update", session);
    for (const std::string& text : options.edits) {
        if (std::string error; !apply_control_edit(session, parse_control_edit(text), &error)) {
            throw CommandFailure("--edit \"" + text + "\": " + error);
        }
    }
    const std::vector<ControlRow> rows = control_rows(session);
    state.out << (options.json ? controls_json(rows) : controls_text(rows, options.all));
    return 0;
}

}  // namespace

std::function<std::optional<int>()> add_params_view(CLI::App& params, const CliState& state) {
    auto options = std::make_shared<ParamsViewOptions>();
    params.add_option("scene", options->scene_path, "a scene whose parameter values to start from")
        ->check(CLI::ExistingPath);
    params.add_flag("--controls", options->controls,
                    "show the controls as the effect controls panel does, instead of the registration table");
    // One value per occurrence, so that a scene named after --edit is not taken for a second edit.
    params
        .add_option("--edit", options->edits,
                    "NAME=VALUE, or the name of a button to press; repeat it for several, applied one by one as a "
                    "user would")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    params.add_flag("--all", options->all, "also list hidden controls, marked (hidden)");
    params.add_flag("--json", options->json, "print name, index, value, hidden and disabled of every control");
    return [options, &state]() -> std::optional<int> {
        if (!options->requested()) {
            return std::nullopt;
        }
        return run_params_view(*options, state);
    };
}

}  // namespace vorlane::host
