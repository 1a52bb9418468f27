// Drawing one placed instance: its layer at its own time, copied into a world of the output's depth and composited
// in front of what the output already holds.
#pragma once

#include "render/InstancePlacement.h"
#include "render/RenderContext.h"

namespace vorlane::effect {

void draw_instance(RenderContext& ctx, const InstancePlacement& placement);

}  // namespace vorlane::effect
