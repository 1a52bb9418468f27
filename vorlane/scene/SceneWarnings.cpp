#include "scene/SceneWarnings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "pixels/PngSize.h"
#include "scene/SceneNames.h"
#include "session/Session.h"
#include "ui/ControlEdits.h"
#include "ui/ControlValue.h"

namespace vorlane::host {
namespace {

// A source this many times the composition's width or height is more likely a wrong file than a wish.
constexpr long kFarLarger = 4;
// Shares below this are rounding, not a mistake worth a line.
constexpr double kShareTolerance = 0.05;

std::string percent(double share) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f%%", share < 10.0 && share != std::floor(share) ? 1 : 0, share);
    return text;
}

std::string number_text(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

std::optional<PF_ParamDef> param_named(const Session& session, const std::string& name) {
    const PF_ParamIndex index = find_control(session, name);
    return index == 0 ? std::nullopt : std::optional(session.param(index));
}

bool slot_has_layer(const Scene& scene, int slot) {
    return slot >= 1 && static_cast<std::size_t>(slot) <= scene.layers.size() &&
           scene.layers[static_cast<std::size_t>(slot - 1)].has_value();
}

void mask_warnings(const Session& session, const Scene& scene, std::vector<std::string>& out) {
    if (scene.masks.empty()) {
        out.push_back("the effect layer has no masks: every frame shows only the background");
        return;
    }
    // The effect places nothing while "Path Selection" names no mask, whether or not it walks all of them.
    const std::optional<PF_ParamDef> selection = param_named(session, "Path Selection");
    if (selection && selection->u.path_d.path_id == 0) {
        out.push_back(
            "no mask is selected (\"Path Selection\" is None, which draws nothing even with \"Use All "
            "Paths\" on): every frame shows only the background");
    }
}

// The spots go to the slots by a pick in 0 .. 100 against the frequencies laid end to end, slot by slot: slot k
// gets the part of its interval that lies below 100, and whatever the intervals leave uncovered goes to the slot
// after the last in use.
void slot_warnings(const Session& session, const Scene& scene, std::vector<std::string>& out) {
    const std::optional<PF_ParamDef> layers = param_named(session, "Layers");
    if (!layers) {
        return;
    }
    const int in_use = layers->u.sd.value;
    double cumulative = 0.0;
    for (int slot = 1; slot <= in_use; ++slot) {
        const std::optional<PF_ParamDef> frequency = param_named(session, "Frequency " + std::to_string(slot));
        const double f = frequency ? frequency->u.fs_d.value : 0.0;
        const double share = std::clamp(cumulative + f, 0.0, 100.0) - std::clamp(cumulative, 0.0, 100.0);
        const std::string layer = quoted("Layer " + std::to_string(slot));
        if (share > kShareTolerance && !slot_has_layer(scene, slot)) {
            out.push_back(layer + " is in use (\"Layers\" " + std::to_string(in_use) +
                          ") but the scene gives no layer for it: about " + percent(share) +
                          " of the spots stay empty");
        } else if (f - share > kShareTolerance && f > kShareTolerance) {
            out.push_back("the frequencies before " + layer + " already take " + percent(std::min(cumulative, 100.0)) +
                          " of the spots, so it gets " + percent(share) + " rather than its " + percent(f) +
                          " (the frequencies are taken slot by slot and should add up to 100)");
        }
        cumulative += f;
    }
    const double left = 100.0 - cumulative;
    if (left <= kShareTolerance) {
        return;
    }
    const std::string range = in_use == 1
                                  ? "\"Frequency 1\" is "
                                  : "\"Frequency 1\" to \"Frequency " + std::to_string(in_use) + "\" add up to ";
    const int next = in_use + 1;
    if (next <= 5 && slot_has_layer(scene, next)) {
        out.push_back(range + percent(cumulative) + ": about " + percent(left) + " of the spots draw \"Layer " +
                      std::to_string(next) + "\", which lies beyond \"Layers\"");
    } else {
        out.push_back(range + percent(cumulative) + ": about " + percent(left) + " of the spots stay empty");
    }
}

void keyframe_warnings(const Session& session, const ParamTracks& tracks, std::vector<std::string>& out) {
    for (const auto& [index, keys] : tracks) {
        const PF_ParamDef& registered = session.param(index);
        double low = 0.0, high = 0.0;
        if (registered.param_type == PF_Param_SLIDER) {
            low = registered.u.sd.slider_min;
            high = registered.u.sd.slider_max;
        } else if (registered.param_type == PF_Param_FLOAT_SLIDER) {
            low = static_cast<double>(registered.u.fs_d.slider_min);
            high = static_cast<double>(registered.u.fs_d.slider_max);
        } else {
            continue;
        }
        for (const ParamKey& key : keys) {
            double value = 0.0;
            if (control_number(key.def, &value) && (value < low || value > high)) {
                out.push_back(quoted(registered.name) + " is keyframed to " + number_text(value) + " at frame " +
                              number_text(key.frame) + ", outside its slider's " + number_text(low) + " .. " +
                              number_text(high));
                break;
            }
        }
    }
}

std::optional<PictureSize> source_size(const LayerSource& source) {
    if (const auto* image = std::get_if<ImageSource>(&source)) {
        return png_size(image->path);
    }
    if (const auto* sequence = std::get_if<SequenceSource>(&source)) {
        return png_size(sequence->frame_path(0));
    }
    const auto& builtin = std::get<BuiltinSource>(source);
    return PictureSize{builtin.width, builtin.height};
}

void size_warnings(const Scene& scene, std::vector<std::string>& out) {
    for (std::size_t i = 0; i < scene.layers.size(); ++i) {
        if (!scene.layers[i]) {
            continue;
        }
        const std::optional<PictureSize> size = source_size(*scene.layers[i]);
        if (size && (size->width > kFarLarger * scene.comp.width || size->height > kFarLarger * scene.comp.height)) {
            out.push_back("\"Layer " + std::to_string(i + 1) + "\" (" + layer_source_name(*scene.layers[i]) + ") is " +
                          std::to_string(size->width) + " x " + std::to_string(size->height) +
                          ", far larger than the " + std::to_string(scene.comp.width) + " x " +
                          std::to_string(scene.comp.height) + " composition: each copy may cover the frame");
        }
    }
}

}  // namespace

std::vector<std::string> scene_warnings(const Session& session, const Scene& scene, const ParamTracks& tracks) {
    std::vector<std::string> warnings;
    mask_warnings(session, scene, warnings);
    slot_warnings(session, scene, warnings);
    keyframe_warnings(session, tracks, warnings);
    size_warnings(scene, warnings);
    return warnings;
}

void print_warnings(std::ostream& err, const std::vector<std::string>& warnings) {
    for (const std::string& warning : warnings) {
        err << "vorlane: warning: " << warning << "\n";
    }
}

}  // namespace vorlane::host
