#include "scene/SceneParams.h"

#include <cmath>

#include "AE_Macros.h"
#include "scene/MaskIds.h"
#include "session/Session.h"
#include "ui/ControlEdits.h"
#include "ui/ControlValue.h"
#include "ui/NearestName.h"

namespace vorlane::host {

namespace {

using nlohmann::json;

struct Place {
    std::string file;
    std::string pointer;
    [[noreturn]] void fail(const std::string& message) const { throw SceneError(file, pointer, message); }
};

std::string as_text(const json& value, const Place& place) {
    if (value.is_string()) {
        return value.get<std::string>();
    }
    if (value.is_boolean()) {
        return value.get<bool>() ? "true" : "false";
    }
    if (value.is_number()) {
        return value.dump();
    }
    place.fail("expected a number, a string or true/false");
}

// "Path Selection" and any other mask chooser: the 1-based number of a mask, 0 for none.
PF_ParamDef mask_choice(PF_ParamDef def, const std::string& text, const Scene& scene, const Place& place) {
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    const bool whole = !text.empty() && *end == '\0';
    if (scene.masks.empty() && !(whole && number == 0)) {
        place.fail("\"" + std::string(def.name) + "\" can only be 0 (none): the effect layer has no masks");
    }
    if (!whole || number < 0 || number > static_cast<long>(scene.masks.size())) {
        place.fail("\"" + std::string(def.name) + "\" takes a mask number from 1 to " +
                   std::to_string(scene.masks.size()) + ", or 0 for none");
    }
    def.u.path_d.path_id = number == 0 ? 0 : mask_path_id(static_cast<int>(number - 1));
    return def;
}

PF_ParamDef parsed_value(const Session& session, PF_ParamIndex index, const std::string& text, const Scene& scene,
                         const Place& place) {
    PF_ParamDef def = session.param(index);
    const std::string name = def.name;
    switch (def.param_type) {
        case PF_Param_PATH:
            return mask_choice(def, text, scene, place);
        case PF_Param_LAYER:
            place.fail("\"" + name + "\" is a layer: give its source in /layers");
        case PF_Param_BUTTON:
        case PF_Param_GROUP_START:
        case PF_Param_GROUP_END:
            place.fail("\"" + name + "\" holds no value");
        default:
            break;
    }
    if (std::string why; !parse_control_value(text, &def, &why)) {
        place.fail("\"" + name + "\" " + why);
    }
    return def;
}

PF_ParamIndex registered_index(const Session& session, const std::string& name, const Place& place) {
    const PF_ParamIndex index = find_control(session, name);
    if (index == 0) {
        place.fail("the effect has no parameter named \"" + name + "\"" + did_you_mean(session, name));
    }
    return index;
}

std::vector<ParamKey> read_keys(const Session& session, PF_ParamIndex index, const json& value, const Scene& scene,
                                const Place& place) {
    const PF_ParamDef registered = session.param(index);
    if ((registered.flags & PF_ParamFlag_CANNOT_TIME_VARY) != 0) {
        place.fail("\"" + std::string(registered.name) + "\" cannot vary over time: give one value");
    }
    if (value.empty()) {
        place.fail("expected at least one keyframe [frame, value]");
    }
    std::vector<ParamKey> keys;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const Place key_place{place.file, place.pointer + "/" + std::to_string(i)};
        const json& key = value[i];
        if (!key.is_array() || key.size() != 2 || !key[0].is_number()) {
            key_place.fail("expected a keyframe [frame, value]");
        }
        const double frame = key[0].get<double>();
        if (!keys.empty() && frame <= keys.back().frame) {
            Place{place.file, key_place.pointer + "/0"}.fail("keyframes must come in increasing frame order");
        }
        const Place value_place{place.file, key_place.pointer + "/1"};
        keys.push_back({frame, parsed_value(session, index, as_text(key[1], value_place), scene, value_place)});
    }
    return keys;
}

double lerp(double a, double b, double t) {
    return a + (b - a) * t;
}

PF_ParamDef interpolated(const ParamKey& a, const ParamKey& b, double frame) {
    const double t = (frame - a.frame) / (b.frame - a.frame);
    PF_ParamDef def = a.def;
    switch (def.param_type) {
        case PF_Param_FLOAT_SLIDER:
            def.u.fs_d.value = lerp(a.def.u.fs_d.value, b.def.u.fs_d.value, t);
            break;
        case PF_Param_SLIDER:
            def.u.sd.value = static_cast<PF_ParamValue>(std::lround(lerp(a.def.u.sd.value, b.def.u.sd.value, t)));
            break;
        case PF_Param_ANGLE: {
            const double degrees = lerp(FIX_2_FLOAT(a.def.u.ad.value), FIX_2_FLOAT(b.def.u.ad.value), t);
            def.u.ad.value = static_cast<PF_Fixed>(std::lround(degrees * INT2FIX(1)));
            break;
        }
        default:
            break;  // popups and checkboxes hold until the next key
    }
    return def;
}

void store(Session& session, ParamTracks& tracks, PF_ParamIndex index, const json& value, const Scene& scene,
           const Place& place) {
    if (value.is_array()) {
        tracks[index] = read_keys(session, index, value, scene, place);
        return;
    }
    session.set_param(index, parsed_value(session, index, as_text(value, place), scene, place));
    tracks.erase(index);
}

}  // namespace

ParamTracks apply_scene_params(Session& session, const Scene& scene) {
    ParamTracks tracks;
    for (const SceneParamValue& param : scene.params) {
        const Place place{scene.file.string(), param.pointer};
        store(session, tracks, registered_index(session, param.name, place), param.value, scene, place);
    }
    return tracks;
}

void apply_param_override(Session& session, const Scene& scene, ParamTracks& tracks, const std::string& assignment,
                          const std::string& origin) {
    const Place place{origin, ""};
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos) {
        place.fail("expected NAME=VALUE, not \"" + assignment + "\"");
    }
    const PF_ParamIndex index = registered_index(session, assignment.substr(0, equals), place);
    const std::string value = assignment.substr(equals + 1);
    // Keyframes are written as in the scene file: [[frame, value], ...].
    json parsed = value;
    if (!value.empty() && value.front() == '[') {
        parsed = json::parse(value, nullptr, false);
        if (parsed.is_discarded() || !parsed.is_array()) {
            place.fail("keyframes are written [[frame, value], ...], not \"" + value + "\"");
        }
    }
    store(session, tracks, index, parsed, scene, place);
}

PF_ParamDef param_at(const Session& session, const ParamTracks& tracks, PF_ParamIndex index, double frame) {
    const auto track = tracks.find(index);
    if (track == tracks.end()) {
        return session.param(index);
    }
    const std::vector<ParamKey>& keys = track->second;
    if (frame <= keys.front().frame) {
        return keys.front().def;
    }
    for (std::size_t i = 1; i < keys.size(); ++i) {
        if (frame < keys[i].frame) {
            return interpolated(keys[i - 1], keys[i], frame);
        }
    }
    return keys.back().def;
}

}  // namespace vorlane::host
