// Renders that run without an error but draw less than the scene's author very likely meant: no mask to walk, a
// layer slot in use with nothing in it, frequencies that leave spots empty, keyframes beyond a slider, a source
// far larger than the composition. Each is one line for the user; none changes what is rendered.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "scene/Scene.h"
#include "scene/SceneParams.h"

namespace vorlane::host {

class Session;

// The session holds the scene's values (and any overrides) as the render will see them.
std::vector<std::string> scene_warnings(const Session& session, const Scene& scene, const ParamTracks& tracks);

// "vorlane: warning: ..." per line.
void print_warnings(std::ostream& err, const std::vector<std::string>& warnings);

}  // namespace vorlane::host
