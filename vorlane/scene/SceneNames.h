// What a scene calls its layers and masks, for the controls a user reads: "Layer 1  leaf.png",
// "Path Selection  Mask 1".
#pragma once

#include <string>
#include <vector>

#include "AE_Effect.h"
#include "scene/Scene.h"
#include "ui/ControlsView.h"

namespace vorlane::host {

// The file name of an image, the pattern's of a sequence, the name of a built-in source.
std::string layer_source_name(const LayerSource& source);

// "Mask N" (1-based, in the order the scene lists them) for a mask's id; "None" for 0 or an id no mask has.
std::string mask_name(PF_PathID id, const Scene& scene);

// The layer slots' and mask choosers' values named after the scene: a layer slot shows its source's name (or
// "None" when the scene leaves it empty), a mask chooser the mask it holds.
void name_scene_controls(std::vector<ControlRow>& rows, const Session& session, const Scene& scene);

}  // namespace vorlane::host
