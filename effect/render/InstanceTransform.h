// How one drawn instance is handed to the host: flips, anchor point, scales, angle, the matrix that maps the
// layer's pixels onto the output, and the opacity in 8-bit and 16-bit form.
#pragma once

#include <cstdint>

#include "AE_Effect.h"
#include "render/RandomStream.h"

namespace vorlane::effect {

struct TransformInputs {
    float position_x = 0.0f;
    float position_y = 0.0f;
    float path_angle = 0.0f;
    float scale_factor = 1.0f;
    float rotation_jitter = 0.0f;
    float opacity_factor = 1.0f;
    double anchor_x = 0.0;
    double anchor_y = 0.0;
    double downsample_x = 1.0;
    double downsample_y = 1.0;
    float scale_percent = 100.0f;
    float rotation_degrees = 0.0f;
    float opacity_fraction = 1.0f;
    int32_t flip_mode = 1;
    int32_t flip_random_mode = 1;
    int32_t layer_width = 0;
    int32_t layer_height = 0;
};

struct InstanceTransform {
    int32_t flip_sign_x = 1;
    int32_t flip_sign_y = 1;
    int32_t random_flip_sign_x = 1;
    int32_t random_flip_sign_y = 1;
    float anchor_point_x = 0.0f;
    float anchor_point_y = 0.0f;
    float offset_x = 0.0f;
    float offset_y = 0.0f;
    float scale_x = 1.0f;
    float scale_y = 1.0f;
    double angle_radians = 0.0;
    PF_FloatMatrix matrix{};
    uint8_t opacity_8 = 0;
    uint16_t opacity_16 = 0;
};

// The render passes the host's sine and cosine; a build without the host passes the standard ones.
struct SineCosine {
    double (*sin)(double);
    double (*cos)(double);
};

constexpr double kRadiansPerDegree = 0.017453292519943295;

// Takes one value from the stream when "Flip Randomness" is X, Y or XY, none otherwise; calls sin, then cos.
InstanceTransform build_instance_transform(const TransformInputs& in, RandomStream& stream, SineCosine trig);

}  // namespace vorlane::effect
