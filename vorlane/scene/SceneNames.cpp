#include "scene/SceneNames.h"

#include <cstdio>

#include "scene/MaskIds.h"
#include "session/Session.h"

namespace vorlane::host {
namespace {

// "Layer 3" is the scene's third layer; any other layer parameter is not one the scene fills.
int layer_slot_of(const std::string& name) {
    int slot = 0;
    char tail = 0;
    return std::sscanf(name.c_str(), "Layer %d%c", &slot, &tail) == 1 ? slot : 0;
}

}  // namespace

std::string layer_source_name(const LayerSource& source) {
    if (const auto* image = std::get_if<ImageSource>(&source)) {
        return image->path.filename().string();
    }
    if (const auto* sequence = std::get_if<SequenceSource>(&source)) {
        const std::string number = std::string("%") + (sequence->zero_pad ? "0" : "") +
                                   (sequence->width > 0 ? std::to_string(sequence->width) : "") + "d";
        return sequence->prefix + number + sequence->suffix;
    }
    return std::get<BuiltinSource>(source).name;
}

std::string mask_name(PF_PathID id, const Scene& scene) {
    const int index = mask_index_of(id, static_cast<int>(scene.masks.size()));
    return index < 0 ? "None" : "Mask " + std::to_string(index + 1);
}

void name_scene_controls(std::vector<ControlRow>& rows, const Session& session, const Scene& scene) {
    for (ControlRow& row : rows) {
        if (row.param_type == PF_Param_LAYER) {
            const int slot = layer_slot_of(row.name);
            const bool given = slot >= 1 && static_cast<std::size_t>(slot) <= scene.layers.size() &&
                               scene.layers[static_cast<std::size_t>(slot - 1)].has_value();
            row.value = given ? layer_source_name(*scene.layers[static_cast<std::size_t>(slot - 1)]) : "None";
        } else if (row.param_type == PF_Param_PATH) {
            row.value = mask_name(session.param(row.index).u.path_d.path_id, scene);
        }
    }
}

}  // namespace vorlane::host
