// `vorlane params` as the effect controls panel: the controls after the effect updated its UI, optionally after
// edits made one by one as a user makes them.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/ParamTable.h"
#include "cli/Subcommands.h"
#include "scene/SceneLoad.h"
#include "scene/SceneNames.h"
#include "scene/SceneParams.h"
#include "ui/ControlDescriptions.h"
#include "ui/ControlEdits.h"
#include "ui/ControlsView.h"
#include "ui/NearestName.h"

namespace vorlane::host {
namespace {

struct ParamsViewOptions {
    std::string scene_path;
    std::vector<std::string> edits;
    bool controls = false;
    bool all = false;
    bool json = false;
    std::optional<double> frame;
    std::string describe;

    bool requested() const {
        return controls || all || json || frame || !edits.empty() || !scene_path.empty() || !describe.empty();
    }
};

// A scene's values are what the panel opens with, as a saved project's would be; a keyframed parameter shows its
// value at the frame asked for, the first one by default.
Scene apply_scene_values(const std::string& scene_path, std::optional<double> frame, Session& session) {
    Scene scene = load_scene_file(scene_path);
    const double at = frame.value_or(0.0);
    if (at < 0.0 || at > static_cast<double>(scene.comp.duration_frames - 1)) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", at);
        throw CommandFailure("--frame " + std::string(text) + " lies outside the composition's frames 0-" +
                             std::to_string(scene.comp.duration_frames - 1));
    }
    const ParamTracks tracks = apply_scene_params(session, scene);
    for (const auto& track : tracks) {
        session.set_param(track.first, param_at(session, tracks, track.first, at));
    }
    return scene;
}

// One control: its registration (type, default, ranges) and what it does.
int describe_control(const std::string& name, const CliState& state) {
    HostedEffect effect = open_effect(state);
    Session& session = *effect.session;
    require_success(session.params_setup(), "parameter set-up", session);
    const PF_ParamIndex index = find_control(session, name);
    if (index == 0) {
        throw CommandFailure("--describe: the effect has no parameter named \"" + name + "\"" +
                             did_you_mean(session, name));
    }
    const ParamRow row = param_row(index, session.param(index));
    std::string facts = row.type;
    for (const auto& [label, value] : {std::pair<const char*, const std::string&>{"default ", row.dephault},
                                       {"valid ", row.valid_range},
                                       {"slider ", row.slider_range}}) {
        if (!value.empty()) {
            facts += std::string(", ") + label + value;
        }
    }
    state.out << row.name << " (" << facts << ")\n" << control_description(row.name) << "\n";
    return 0;
}

void require_ui_command(const UiCommandResult& result, const std::string& what, const Session& session) {
    if (!result.leaks.empty()) {
        throw CommandFailure(what + " left " + result.leaks.front() + " with the host");
    }
    require_success(result.err, what, session);
}

int run_params_view(const ParamsViewOptions& options, const CliState& state) {
    if (!options.describe.empty()) {
        return describe_control(options.describe, state);
    }
    if (options.frame && options.scene_path.empty()) {
        throw CommandFailure("--frame needs a scene whose keyframes to read");
    }
    HostedEffect effect = open_effect(state);
    Session& session = *effect.session;
    require_success(session.params_setup(), "parameter set-up", session);
    std::optional<Scene> scene;
    if (!options.scene_path.empty()) {
        scene = apply_scene_values(options.scene_path, options.frame, session);
    }
    // The panel opens: the effect gets to hide and disable its controls before anything is shown.
    require_ui_command(run_ui_command(session, PF_Cmd_UPDATE_PARAMS_UI), "the UI update", session);
    for (const std::string& text : options.edits) {
        if (std::string error; !apply_control_edit(session, parse_control_edit(text), &error)) {
            throw CommandFailure("--edit \"" + text + "\": " + error);
        }
    }
    std::vector<ControlRow> rows = control_rows(session);
    if (scene) {
        name_scene_controls(rows, session, *scene);
    }
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
        ->type_name("NAME=VALUE")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    params.add_flag("--all", options->all, "also list hidden controls, marked (hidden)");
    params.add_flag("--json", options->json,
                    "print name, index, value, description, hidden and disabled of every control");
    params.add_option("--frame", options->frame, "show the scene's values at this frame, keyframes interpolated");
    params.add_option("--describe", options->describe, "say what the parameter NAME does, its type and ranges")
        ->type_name("NAME");
    return [options, &state]() -> std::optional<int> {
        if (!options->requested()) {
            return std::nullopt;
        }
        return run_params_view(*options, state);
    };
}

}  // namespace vorlane::host
