// The time at which an instance shows its layer: about 100 frames per unit of age, slowed by "Time Factor" and the
// instance's random factor, pulled earlier by its random offset, and held within the effect layer's frames.
#pragma once

#include <cstdint>

#include "AE_Effect.h"

namespace vorlane::effect {

struct SourceTimeInputs {
    bool incremental = false;
    float evolution_fraction = 0.0f;
    float walk_t = 0.0f;
    float time_factor = 1.0f;
    float time_factor_mul = 1.0f;
    float time_offset_frames = 0.0f;
    int32_t total_frames = 0;
    A_long time_step = 0;
};

// In frames, before the conversion to host time.
double source_frames(const SourceTimeInputs& in);

// In host time units of the render's time scale; never negative.
int32_t source_time(const SourceTimeInputs& in);

}  // namespace vorlane::effect
