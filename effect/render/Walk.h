// The walk along the mask outlines: how many spots it has and how it advances from one spot to the next.
#pragma once

#include <cstdint>

#include "render/RenderValues.h"

namespace vorlane::effect {

struct WalkSize {
    int32_t instance_total = 0;
    float walk_step = 0.0f;
    float walk_limit = 1.0f;
};

// No render places more spots than this over all its passes; past it nothing more is placed. It lies far above
// every total the slider offers (10000 gives 11111 spots), so it only ever stops walks that would not end.
constexpr int64_t kMaxSpotsPerRender = 1000000;

// mask_count is the number of masks the render walks: 1 when "Use All Paths" is off.
WalkSize size_walk(const RenderValues& values, int32_t mask_count);

// Moves walk_t on by one step. False when the step no longer moves it (a step of zero, a negative one, or one too
// small for single precision at walk_t): such a walk would never reach its limit, so the pass ends there.
bool advance_walk(float& walk_t, float walk_step);

// The spots of one pass: the single-precision partial sums 0, step, 2 step, ... up to the limit, at most max_spots.
int64_t count_walk_spots(float walk_step, float walk_limit, int64_t max_spots);

}  // namespace vorlane::effect
