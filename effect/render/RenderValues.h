// The parameter values of one render, converted once at its start and read-only afterwards.
#pragma once

#include "AE_Effect.h"

namespace vorlane::effect {

struct RenderValues {
    int32_t layers = 1;
    int32_t instances = 0;
    double anchor_x = 0.0;
    double anchor_y = 0.0;
    int32_t flip_mode = 1;
    int32_t flip_random_mode = 1;
    float evolution_fraction = 0.0f;
    float evolution_randomness = 0.0f;
    float scale_percent = 100.0f;
    float scale_randomness = 0.0f;
    float rotation_degrees = 0.0f;
    float rotation_randomness = 0.0f;
    float opacity_fraction = 1.0f;
    float opacity_randomness = 0.0f;
    // Only 1 is Incremental; every other value, the undeclared 0 of old projects included, renders as Constant.
    bool incremental = false;
    int32_t distribution = 1;
    float time_factor = 1.0f;
    float time_factor_randomness = 0.0f;
    float time_offset_randomness = 0.0f;
    bool auto_orient = false;
    bool bidirectional = false;
    int32_t alignment = 1;
    bool use_all_paths = false;
    bool sequentially = false;
    int32_t seed = 0;
    int32_t composite = 1;
    double downsample_x = 1.0;
    double downsample_y = 1.0;
    int32_t total_frames = 0;
    PF_PathID path_selection = 0;  // the mask named in the parameter array, before any check-out
};

// Reads the parameter array (values at the render's current time) and the frame facts of in_data.
RenderValues gather_render_values(const PF_InData& in_data, PF_ParamDef* const params[]);

// 16.16 fixed-point degrees, the low half added as a positive fraction: -32768 is -1 + 0.5.
float fixed_degrees(PF_Fixed value);

// The layer's length in whole frames, rounded half up; total_time itself when there is no frame step.
int32_t total_frames(A_long total_time, A_long time_step);

// A ratio of the host's downsampling as a factor; an empty denominator counts as full resolution.
double downsample_factor(PF_RationalScale ratio);

}  // namespace vorlane::effect
