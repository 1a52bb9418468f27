// The random variations of one instance. Every placed instance makes these six draws in this order, drawn or not,
// so that one instance more or less never reshuffles the others.
#pragma once

#include "render/RandomStream.h"
#include "render/RenderValues.h"

namespace vorlane::effect {

struct InstanceDraws {
    float position_jitter = 0.0f;
    float scale_factor = 1.0f;
    float rotation_jitter = 0.0f;
    float opacity_factor = 1.0f;
    float time_factor_mul = 1.0f;
    float time_offset_frames = 0.0f;
};

InstanceDraws draw_instance_variations(RandomStream& stream, const RenderValues& values, float walk_step);

}  // namespace vorlane::effect
