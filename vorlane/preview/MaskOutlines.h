// The effect layer's masks at a frame as SVG path data in composition pixels, for the viewer's outline overlay.
#pragma once

#include <string>
#include <vector>

#include "scene/Scene.h"

namespace vorlane::host {

std::vector<std::string> mask_outlines(const Scene& scene, A_long frame);

}  // namespace vorlane::host
