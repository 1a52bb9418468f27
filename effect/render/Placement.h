// The walk over the masks: one or more passes, and for every spot of a pass the instance's random draws, its mask,
// point and direction, its layer slot and source time, handed on to drawing.
#pragma once

#include "render/RenderContext.h"

namespace vorlane::effect {

// Runs only after set-up has checked "Path Selection" out; stops as soon as an error is recorded, since nothing
// more would be drawn.
void run_placement(RenderContext& ctx);

}  // namespace vorlane::effect
