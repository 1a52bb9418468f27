// A session made ready to render a scene: the render suites served beside the standard ones, the parameters set up, and
// the scene's values, then command-line overrides (--set, stored as given) and edits (--edit, made as a user makes
// them, so that the effect reacts as it does in its controls panel) applied in that order.
#pragma once

#include <string>
#include <vector>

#include "scene/Scene.h"
#include "scene/SceneParams.h"

namespace vorlane::host {

class Session;

struct ParamChanges {
    std::vector<std::string> sets;   // "NAME=VALUE"
    std::vector<std::string> edits;  // "NAME=VALUE", or "NAME" for a button
};

// Throws SceneError for a value the effect does not take, std::runtime_error when the effect fails a command.
ParamTracks prepare_scene_session(Session& session, const Scene& scene, const ParamChanges& changes);

}  // namespace vorlane::host
