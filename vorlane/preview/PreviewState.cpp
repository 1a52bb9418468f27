#include "preview/PreviewState.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <stdexcept>

#include "frames/SceneSession.h"
#include "preview/SceneSave.h"
#include "scene/MaskIds.h"
#include "scene/SceneNames.h"
#include "session/ErrorNames.h"
#include "session/Session.h"
#include "ui/ControlEdits.h"
#include "ui/ControlsView.h"
#include "ui/NearestName.h"

namespace vorlane::host {
namespace {

using nlohmann::json;

PreviewValues snapshot(const PreviewState& state) {
    return {state.session.params(), state.tracks, state.layers};
}

std::optional<std::string> ui_failure(const UiCommandResult& result, const std::string& what) {
    if (!result.leaks.empty()) {
        return what + " left " + result.leaks.front() + " with the host";
    }
    if (result.err != PF_Err_NONE) {
        return what + " failed with error " + describe_err(result.err);
    }
    return std::nullopt;
}

// The commands a host sends after it changed a value itself: the change, when the control is supervised, then the
// UI update.
std::optional<std::string> announce_change(Session& session, PF_ParamIndex index) {
    if ((session.param(index).flags & PF_ParamFlag_SUPERVISE) != 0) {
        if (auto failure = ui_failure(run_ui_command(session, PF_Cmd_USER_CHANGED_PARAM, index), "the change")) {
            return failure;
        }
    }
    return ui_failure(run_ui_command(session, PF_Cmd_UPDATE_PARAMS_UI), "the UI update");
}

void restore(PreviewState& state, const PreviewValues& values) {
    for (std::size_t i = 1; i < values.params.size(); ++i) {
        state.session.set_param(static_cast<PF_ParamIndex>(i), values.params[i]);
    }
    state.tracks = values.tracks;
    state.layers = values.layers;
    run_ui_command(state.session, PF_Cmd_UPDATE_PARAMS_UI);
}

// Keyframed parameters hold their value at `frame` in the session, where the effect's UI commands read them.
void hold_keyframed_at(PreviewState& state, A_long frame) {
    for (const auto& track : state.tracks) {
        state.session.set_param(track.first,
                                param_at(state.session, state.tracks, track.first, static_cast<double>(frame)));
    }
}

bool same_value(const PF_ParamDef& a, const PF_ParamDef& b) {
    return std::memcmp(&a.u, &b.u, sizeof a.u) == 0;
}

// After an edit at `frame`, a keyframed parameter whose value changed gets a key there, or its key there changes.
void key_changes_at(PreviewState& state, A_long frame) {
    const double at = static_cast<double>(frame);
    for (auto& [index, keys] : state.tracks) {
        const PF_ParamDef now = state.session.param(index);
        if (same_value(now, param_at(state.session, state.tracks, index, at))) {
            continue;
        }
        auto place = keys.begin();
        while (place != keys.end() && place->frame < at) {
            ++place;
        }
        if (place != keys.end() && place->frame == at) {
            place->def = now;
        } else {
            keys.insert(place, ParamKey{at, now});
        }
    }
}

std::string json_text(const json& value) {
    if (value.is_string()) {
        return value.get<std::string>();
    }
    if (value.is_boolean()) {
        return value.get<bool>() ? "on" : "off";
    }
    return value.dump();
}

std::optional<std::string> edit_layer(PreviewState& state, PF_ParamIndex index, const json& value) {
    int slot = 0;
    for (PF_ParamIndex i = 1; i <= index; ++i) {
        slot += state.session.param(i).param_type == PF_Param_LAYER ? 1 : 0;
    }
    const std::string wanted = value.is_null() ? "None" : json_text(value);
    int choice = -2;
    std::string names = "None";
    std::vector<std::string> candidates = {"None"};
    for (std::size_t i = 0; i < state.scene.layers.size(); ++i) {
        if (state.scene.layers[i]) {
            const std::string name = layer_source_name(*state.scene.layers[i]);
            names += ", " + name;
            candidates.push_back(name);
            choice = name == wanted && choice == -2 ? static_cast<int>(i) : choice;
        }
    }
    if (wanted == "None") {
        choice = -1;
    }
    if (choice == -2 || slot < 1 || slot > kLayerSlots) {
        const std::string near = nearest_name(wanted, candidates);
        return "takes one of the scene's layers: " + names + (near.empty() ? "" : "; did you mean \"" + near + "\"?");
    }
    state.layers[static_cast<std::size_t>(slot - 1)] = choice;
    return announce_change(state.session, index);
}

std::optional<std::string> edit_path(PreviewState& state, PF_ParamIndex index, const json& value) {
    const std::string text = value.is_null() ? "None" : json_text(value);
    const int count = static_cast<int>(state.scene.masks.size());
    int mask = -1;
    if (text == "None" || text == "0") {
        mask = 0;
    }
    for (int m = 1; m <= count && mask < 0; ++m) {
        mask = text == "Mask " + std::to_string(m) || text == std::to_string(m) ? m : -1;
    }
    if (mask < 0) {
        return "takes None or Mask 1 to Mask " + std::to_string(count);
    }
    PF_ParamDef def = state.session.param(index);
    def.u.path_d.path_id = mask == 0 ? 0 : mask_path_id(mask - 1);
    state.session.set_param(index, def);
    return announce_change(state.session, index);
}

std::optional<std::string> apply_edit(PreviewState& state, PF_ParamIndex index, const json& value) {
    const PF_ParamDef def = state.session.param(index);
    if (value.is_array() || value.is_object()) {
        return "takes a single value";
    }
    switch (def.param_type) {
        case PF_Param_LAYER:
            return edit_layer(state, index, value);
        case PF_Param_PATH:
            return edit_path(state, index, value);
        default:
            break;
    }
    ControlEdit edit{def.name, value.is_null() ? std::nullopt : std::optional(json_text(value))};
    if (def.param_type == PF_Param_BUTTON && value.is_boolean()) {
        edit.value.reset();  // a press sent as true
    }
    if (std::string error; !apply_control_edit(state.session, edit, &error)) {
        // The control's own name leads the reasons apply_control_edit gives.
        const std::string quoted = "\"" + std::string(def.name) + "\" ";
        return error.rfind(quoted, 0) == 0 ? error.substr(quoted.size()) : error;
    }
    return std::nullopt;
}

nlohmann::ordered_json control_extras(const PreviewState& state, const PF_ParamDef& def) {
    nlohmann::ordered_json extra = nlohmann::ordered_json::object();
    const PF_ParamDefUnion& u = def.u;
    switch (def.param_type) {
        case PF_Param_SLIDER:
            extra["valid"] = {u.sd.valid_min, u.sd.valid_max};
            extra["slider"] = {u.sd.slider_min, u.sd.slider_max};
            break;
        case PF_Param_FLOAT_SLIDER:
            extra["valid"] = {static_cast<double>(u.fs_d.valid_min), static_cast<double>(u.fs_d.valid_max)};
            extra["slider"] = {static_cast<double>(u.fs_d.slider_min), static_cast<double>(u.fs_d.slider_max)};
            extra["precision"] = u.fs_d.precision;
            extra["percent"] = (u.fs_d.display_flags & PF_ValueDisplayFlag_PERCENT) != 0;
            break;
        case PF_Param_POPUP: {
            nlohmann::ordered_json choices = nlohmann::ordered_json::array();
            std::string all = u.pd.u.namesptr ? u.pd.u.namesptr : "";
            for (std::size_t start = 0; start <= all.size();) {
                const std::size_t bar = std::min(all.find('|', start), all.size());
                choices.push_back(all.substr(start, bar - start));
                start = bar + 1;
            }
            extra["choices"] = choices;
            break;
        }
        case PF_Param_BUTTON:
            extra["caption"] = u.button_d.u.namesptr ? u.button_d.u.namesptr : "";
            break;
        case PF_Param_PATH: {
            nlohmann::ordered_json choices = nlohmann::ordered_json::array({"None"});
            for (std::size_t m = 1; m <= state.scene.masks.size(); ++m) {
                choices.push_back("Mask " + std::to_string(m));
            }
            extra["choices"] = choices;
            const int mask = mask_index_of(u.path_d.path_id, static_cast<int>(state.scene.masks.size()));
            extra["choice"] = mask < 0 ? "None" : "Mask " + std::to_string(mask + 1);
            break;
        }
        default:
            break;
    }
    extra["collapsed"] = (def.flags & PF_ParamFlag_COLLAPSE_TWIRLY) != 0;
    return extra;
}

}  // namespace

void open_preview(PreviewState& state) {
    state.tracks = prepare_scene_session(state.session, state.scene, {});
    for (std::size_t k = 0; k < state.layers.size(); ++k) {
        state.layers[k] = k < state.scene.layers.size() && state.scene.layers[k] ? static_cast<int>(k) : -1;
    }
    hold_keyframed_at(state, 0);
    if (auto failure = ui_failure(run_ui_command(state.session, PF_Cmd_UPDATE_PARAMS_UI), "the UI update")) {
        throw std::runtime_error(*failure);
    }
    state.read_params = saved_params(state);
    state.read_layers = state.layers;
}

void choose_layers(PreviewState& state, const LayerChoice& layers) {
    const auto held = state.lock.exclusive();
    for (std::size_t k = 0; k < layers.size(); ++k) {
        const int choice = layers[k];
        const bool known = choice >= 0 && static_cast<std::size_t>(choice) < state.scene.layers.size() &&
                           state.scene.layers[static_cast<std::size_t>(choice)];
        state.layers[k] = known ? choice : -1;
    }
    run_ui_command(state.session, PF_Cmd_UPDATE_PARAMS_UI);
    ++state.generation;
}

std::optional<std::string> edit_control(PreviewState& state, const std::string& name, const json& value, A_long frame) {
    const auto held = state.lock.exclusive();
    const PF_ParamIndex index = find_control(state.session, name);
    if (index == 0) {
        return "no control is named \"" + name + "\"" + did_you_mean(state.session, name);
    }
    const PF_ParamDef def = state.session.param(index);
    const std::string quoted = "\"" + std::string(def.name) + "\" ";
    if (state.session.control_flags().hidden(index)) {
        return quoted + "is hidden";
    }
    if ((def.ui_flags & PF_PUI_DISABLED) != 0) {
        return quoted + "is disabled";
    }
    if (frame < 0 || frame >= state.scene.comp.duration_frames) {
        return "frame " + std::to_string(frame) + " lies outside the composition";
    }
    const PreviewValues before = snapshot(state);
    hold_keyframed_at(state, frame);
    if (auto failure = apply_edit(state, index, value)) {
        restore(state, before);
        return quoted + *failure;
    }
    key_changes_at(state, frame);
    state.frame = frame;
    state.undo.push_back(before);
    state.redo.clear();
    if (state.undo.size() > kUndoSteps) {
        state.undo.erase(state.undo.begin());
        ++state.undo_dropped;
    }
    ++state.generation;
    return std::nullopt;
}

namespace {

// Undo and redo alike: the state goes back to the last snapshot of `from`, and the one it leaves goes onto `to`.
bool step_history(PreviewState& state, std::vector<PreviewValues>& from, std::vector<PreviewValues>& to) {
    const auto held = state.lock.exclusive();
    if (from.empty()) {
        return false;
    }
    to.push_back(snapshot(state));
    restore(state, from.back());
    from.pop_back();
    hold_keyframed_at(state, state.frame);
    ++state.generation;
    return true;
}

}  // namespace

bool undo_edit(PreviewState& state) {
    return step_history(state, state.undo, state.redo);
}

bool redo_edit(PreviewState& state) {
    return step_history(state, state.redo, state.undo);
}

void show_frame(PreviewState& state, A_long frame) {
    const auto held = state.lock.exclusive();
    if (frame == state.frame || state.tracks.empty()) {
        state.frame = frame;
        return;
    }
    state.frame = frame;
    hold_keyframed_at(state, frame);
    run_ui_command(state.session, PF_Cmd_UPDATE_PARAMS_UI);
}

Scene scene_for_render(const PreviewState& state) {
    Scene scene = state.scene;
    scene.layers.assign(kLayerSlots, std::nullopt);
    for (std::size_t k = 0; k < state.layers.size(); ++k) {
        if (state.layers[k] >= 0) {
            scene.layers[k] = state.scene.layers[static_cast<std::size_t>(state.layers[k])];
        }
    }
    return scene;
}

std::string params_json(const PreviewState& state) {
    std::vector<ControlRow> rows = control_rows(state.session);
    name_scene_controls(rows, state.session, scene_for_render(state));
    return controls_json(rows);
}

nlohmann::ordered_json preview_state_json(const PreviewState& state) {
    const auto held = state.lock.shared();
    nlohmann::ordered_json out;
    nlohmann::ordered_json controls = nlohmann::ordered_json::array();
    const std::vector<ControlRow> rows = control_rows(state.session);
    const nlohmann::ordered_json listed = nlohmann::ordered_json::parse(controls_json(rows));
    int slot = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        nlohmann::ordered_json control = listed[i];
        const PF_ParamDef def = state.session.param(rows[i].index);
        control["type"] = static_cast<int>(def.param_type);
        control["depth"] = rows[i].depth;
        const nlohmann::ordered_json extras = control_extras(state, def);
        for (const auto& [key, value] : extras.items()) {
            control[key] = value;
        }
        if (def.param_type == PF_Param_LAYER) {
            const int choice = state.layers[static_cast<std::size_t>(slot++)];
            control["choice"] =
                choice < 0 ? "None" : layer_source_name(*state.scene.layers[static_cast<std::size_t>(choice)]);
        }
        if (const auto track = state.tracks.find(rows[i].index); track != state.tracks.end()) {
            nlohmann::ordered_json frames = nlohmann::ordered_json::array();
            for (const ParamKey& key : track->second) {
                frames.push_back(key.frame);
            }
            control["keyframes"] = frames;
        }
        controls.push_back(control);
    }
    nlohmann::ordered_json layers = nlohmann::ordered_json::array({"None"});
    for (const auto& source : state.scene.layers) {
        if (source) {
            layers.push_back(layer_source_name(*source));
        }
    }
    out["scene"] = state.scene.file.empty() ? "(built-in demo)" : state.scene.file.filename().string();
    out["comp"] = {{"width", state.scene.comp.width},
                   {"height", state.scene.comp.height},
                   {"frame_rate", state.scene.comp.frame_rate},
                   {"duration_frames", state.scene.comp.duration_frames}};
    out["frame"] = state.frame;
    out["generation"] = state.generation;
    out["can_undo"] = !state.undo.empty();
    out["can_redo"] = !state.redo.empty();
    out["undo_steps"] = kUndoSteps;
    out["undo_dropped"] = state.undo_dropped;
    out["layers"] = layers;
    out["controls"] = controls;
    return out;
}

}  // namespace vorlane::host
