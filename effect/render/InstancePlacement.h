// What placement hands to drawing for every instance it places.
#pragma once

#include <cstdint>

namespace vorlane::effect {

struct InstancePlacement {
    int32_t layer_slot = 1;   // 1 to 5; the slot after the last one in use can occur and is not drawn
    int32_t source_time = 0;  // host time units of the render's time scale, never negative
    float position_x = 0.0f;
    float position_y = 0.0f;
    float path_angle = 0.0f;  // degrees
    float scale_factor = 1.0f;
    float rotation_jitter = 0.0f;  // degrees
    float opacity_factor = 1.0f;
};

}  // namespace vorlane::effect
