#include "preview/SceneReload.h"

#include <fstream>
#include <sstream>

#include "scene/SceneLoad.h"
#include "session/Session.h"
#include "ui/ControlEdits.h"

namespace vorlane::host {
namespace {

// What a failed reload puts back.
struct Shown {
    Scene scene;
    std::string scene_text;
    PreviewValues values;
    nlohmann::ordered_json read_params;
    LayerChoice read_layers;
};

Shown shown(const PreviewState& state) {
    return {state.scene,
            state.scene_text,
            {state.session.params(), state.tracks, state.layers},
            state.read_params,
            state.read_layers};
}

void put_back(PreviewState& state, Shown& before) {
    state.scene = std::move(before.scene);
    state.scene_text = std::move(before.scene_text);
    for (std::size_t i = 1; i < before.values.params.size(); ++i) {
        state.session.set_param(static_cast<PF_ParamIndex>(i), before.values.params[i]);
    }
    state.tracks = std::move(before.values.tracks);
    state.layers = before.values.layers;
    state.read_params = std::move(before.read_params);
    state.read_layers = before.read_layers;
    run_ui_command(state.session, PF_Cmd_UPDATE_PARAMS_UI);
}

}  // namespace

std::optional<std::string> reload_scene(PreviewState& state, const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "cannot read " + path.string();
    }
    std::ostringstream text;
    text << in.rdbuf();
    Scene scene;
    try {
        scene = parse_scene(text.str(), path);
    } catch (const std::exception& e) {
        return std::string(e.what());
    }
    scene.file = path;
    const auto held = state.lock.exclusive();
    Shown before = shown(state);
    state.scene = std::move(scene);
    state.scene_text = text.str();
    try {
        open_preview(state);
    } catch (const std::exception& e) {
        put_back(state, before);
        return std::string(e.what());
    }
    state.frame = 0;  // where open_preview holds keyframed values; the new file may be shorter
    state.undo.clear();
    state.redo.clear();
    ++state.generation;
    return std::nullopt;
}

}  // namespace vorlane::host
