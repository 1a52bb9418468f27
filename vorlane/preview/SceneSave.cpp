#include "preview/SceneSave.h"

#include <fstream>
#include <mutex>
#include <sstream>

#include "AE_Macros.h"
#include "pixels/TemporaryFile.h"
#include "preview/ParamsMerge.h"
#include "scene/MaskIds.h"
#include "session/Session.h"
#include "ui/ControlValue.h"

namespace vorlane::host {
namespace {

using Json = nlohmann::ordered_json;

std::optional<std::string> read_all(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The value as a scene file writes it; null for what a scene does not hold.
Json scene_value(const PF_ParamDef& def, int mask_count) {
    switch (def.param_type) {
        case PF_Param_SLIDER:
            return def.u.sd.value;
        case PF_Param_FLOAT_SLIDER:
            return def.u.fs_d.value;
        case PF_Param_ANGLE:
            return FIX_2_FLOAT(def.u.ad.value);
        case PF_Param_CHECKBOX:
            return def.u.bd.value != 0;
        case PF_Param_POPUP:
            // A value outside the choices is the registered default, which a reload gives back by itself.
            return def.u.pd.value >= 1 && def.u.pd.value <= def.u.pd.num_choices
                       ? Json(popup_choice(def, def.u.pd.value))
                       : Json();
        case PF_Param_PATH:
            return std::max(0, mask_index_of(def.u.path_d.path_id, mask_count) + 1);
        default:
            return Json();
    }
}

// A relative path in the file is relative to the file's folder; saved elsewhere, it is rewritten to stay put.
void rebase(Json& value, const std::filesystem::path& from, const std::filesystem::path& to) {
    if (!value.is_string() || from == to) {
        return;
    }
    const std::filesystem::path path = value.get<std::string>();
    if (path.is_relative()) {
        const std::filesystem::path whole = std::filesystem::absolute(from / path).lexically_normal();
        value = whole.lexically_relative(std::filesystem::absolute(to)).generic_string();
    }
}

void rebase_source(Json& source, const std::filesystem::path& from, const std::filesystem::path& to) {
    for (const char* key : {"image", "sequence"}) {
        if (source.is_object() && source.contains(key)) {
            rebase(source[key], from, to);
        }
    }
}

Json saved_layers(const PreviewState& state, const Json& written, const std::filesystem::path& from,
                  const std::filesystem::path& to) {
    Json layers = Json::array();
    std::size_t used = 0;
    for (std::size_t k = 0; k < state.layers.size(); ++k) {
        const int choice = state.layers[k];
        if (choice < 0 || !written.is_array() || static_cast<std::size_t>(choice) >= written.size()) {
            layers.push_back(nullptr);
            continue;
        }
        Json source = written[static_cast<std::size_t>(choice)];
        rebase_source(source, from, to);
        layers.push_back(source);
        used = k + 1;
    }
    layers.erase(layers.begin() + static_cast<std::ptrdiff_t>(used), layers.end());
    return layers;
}

// The file a save writes: the target of a symbolic link rather than the link, which a rename would replace with a
// file of its own while the file it pointed to kept the old values. A link to a link is followed to the end; the
// temporary file goes beside the end, so that the rename stays within one folder (and one file system).
std::filesystem::path through_links(std::filesystem::path path) {
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(path); ++hops) {
        const std::filesystem::path target = std::filesystem::read_symlink(path);
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

}  // namespace

Json saved_params(const PreviewState& state) {
    Json params = Json::object();
    const std::vector<PF_ParamDef> defs = state.session.params();
    const int masks = static_cast<int>(state.scene.masks.size());
    for (std::size_t i = 1; i < defs.size(); ++i) {
        const auto track = state.tracks.find(static_cast<PF_ParamIndex>(i));
        if (track != state.tracks.end()) {
            Json keys = Json::array();
            for (const ParamKey& key : track->second) {
                keys.push_back(Json::array({key.frame, scene_value(key.def, masks)}));
            }
            params[defs[i].name] = keys;
        } else if (Json value = scene_value(defs[i], masks); !value.is_null()) {
            params[defs[i].name] = value;
        }
    }
    return params;
}

SaveTarget save_target(const std::filesystem::path& path) {
    return {path, path.empty() ? std::nullopt : read_all(path)};
}

std::string saved_scene_text(const PreviewState& state, const std::filesystem::path& folder) {
    Json scene = Json::parse(state.scene_text);
    const std::filesystem::path from = state.scene.file.empty() ? folder : state.scene.file.parent_path();
    if (scene.contains("effect_layer") && scene["effect_layer"].contains("background")) {
        rebase(scene["effect_layer"]["background"], from, folder);
    }
    // Slots the user left as the file fills them stay as written, nulls and all.
    if (state.layers != state.read_layers) {
        scene["layers"] = saved_layers(state, scene.contains("layers") ? scene["layers"] : Json(), from, folder);
    } else if (scene.contains("layers")) {
        for (Json& source : scene["layers"]) {
            rebase_source(source, from, folder);
        }
    }
    const Json written = scene.contains("params") ? scene["params"] : Json::object();
    const Json params = merged_params(written, state.read_params, saved_params(state));
    if (scene.contains("params") || !params.empty()) {
        scene["params"] = params;
    }
    return scene.dump(2) + "\n";
}

std::optional<std::string> save_scene(const PreviewState& state, SaveTarget& target) {
    if (target.path.empty()) {
        return "the built-in demo is saved only under a name: start the preview with --save-as FILE";
    }
    std::string text;
    {
        const auto held = state.lock.shared();
        text = saved_scene_text(state, target.path.parent_path());
    }
    if (read_all(target.path) != target.on_disk) {
        return target.path.string() +
               " changed on disk since it was read; not overwritten (save it under another "
               "name, or reload)";
    }
    try {
        if (std::optional<std::string> failure = write_file_whole(through_links(target.path), text)) {
            return failure;
        }
    } catch (const std::exception& e) {
        return "cannot save " + target.path.string() + ": " + e.what();
    }
    target.on_disk = text;
    return std::nullopt;
}

}  // namespace vorlane::host
