// Parameter values of a scene, checked against the parameters the module registered (names, valid ranges, popup
// choices), and the values at any time.
//
// Constant values go into the session's own parameter records, as a project's values would; keyframed ones are
// kept as tracks beside them, since the session holds one value per parameter.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "AE_Effect.h"
#include "scene/Scene.h"

namespace vorlane::host {

class Session;

struct ParamKey {
    double frame = 0.0;
    PF_ParamDef def{};
};

// Per parameter index, the keys of a keyframed parameter in increasing frame order.
using ParamTracks = std::map<PF_ParamIndex, std::vector<ParamKey>>;

// Checks every value of the scene and stores it; throws SceneError naming the place of the first bad one.
ParamTracks apply_scene_params(Session& session, const Scene& scene);

// "NAME=VALUE" given on the command line: the value replaces whatever the scene gave, keys included.
// Throws SceneError with `origin` as the place.
void apply_param_override(Session& session, const Scene& scene, ParamTracks& tracks, const std::string& assignment,
                          const std::string& origin);

// The record of a parameter at a time in frames: keys interpolated (held for popups and checkboxes, linear for
// sliders and angles), the session's value where there are none.
PF_ParamDef param_at(const Session& session, const ParamTracks& tracks, PF_ParamIndex index, double frame);

}  // namespace vorlane::host
