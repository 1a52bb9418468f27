// The effect layer's masks as a scene gives them: vertex lists (possibly keyframed), ellipses, rectangles and SVG
// path data, each SVG subpath a mask of its own.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "scene/Scene.h"
#include "scene/SceneReader.h"

namespace vorlane::host {

std::vector<SceneMask> read_masks(const SceneReader& reader, const nlohmann::json& j, const std::string& pointer);

// The mask's shape at a time given in frames (fractions allowed), keys interpolated.
MaskShape mask_shape_at(const SceneMask& mask, double frame);

}  // namespace vorlane::host
