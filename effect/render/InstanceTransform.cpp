#include "render/InstanceTransform.h"

#include <cmath>

#include "params/ParamIndex.h"

namespace vorlane::effect {

namespace {

void apply_flips(const TransformInputs& in, RandomStream& stream, InstanceTransform& t) {
    if (in.flip_mode == kFlipX || in.flip_mode == kFlipXY) {
        t.flip_sign_x = -1;
    }
    if (in.flip_mode == kFlipY || in.flip_mode == kFlipXY) {
        t.flip_sign_y = -1;
    }
    const int32_t mode = in.flip_random_mode;
    if (mode != kFlipX && mode != kFlipY && mode != kFlipXY) {
        return;
    }
    // XY flips both axes together or neither.
    const bool flip = next_value(stream) % 2 == 1;
    if (flip && (mode == kFlipX || mode == kFlipXY)) {
        t.random_flip_sign_x = -1;
    }
    if (flip && (mode == kFlipY || mode == kFlipXY)) {
        t.random_flip_sign_y = -1;
    }
}

void fill_matrix(double s, double c, InstanceTransform& t) {
    const double ax = static_cast<double>(t.anchor_point_x);
    const double ay = static_cast<double>(t.anchor_point_y);
    const double ox = static_cast<double>(t.offset_x);
    const double oy = static_cast<double>(t.offset_y);
    const double sx = static_cast<double>(t.scale_x);
    const double sy = static_cast<double>(t.scale_y);
    // Row vectors, source to destination: scale about the anchor point, turn about it, move it onto the path point.
    auto& m = t.matrix.mat;
    m[0][0] = c * sx;
    m[0][1] = s * sx;
    m[0][2] = 0.0;
    m[1][0] = (-s) * sy;
    m[1][1] = c * sy;
    m[1][2] = 0.0;
    m[2][0] = (-ax) * c * sx + ay * s * sy + ax + ox;
    m[2][1] = (-ax) * s * sx - ay * c * sy + ay + oy;
    m[2][2] = 1.0;
}

// Truncated toward zero; a product outside the field (only from values outside the sliders' ranges) is held at
// its ends rather than wrapped.
template <class Field>
Field opacity_field(float product, float top) {
    if (!(product > 0.0f)) {
        return 0;
    }
    return static_cast<Field>(product < top ? product : top);
}

}  // namespace

InstanceTransform build_instance_transform(const TransformInputs& in, RandomStream& stream, SineCosine trig) {
    InstanceTransform t;
    apply_flips(in, stream, t);

    // "Anchor X" and "Anchor Y" are in full-resolution pixels; each is brought to the layer world by its own axis's
    // downsampling, which also holds when the two differ.
    t.anchor_point_x = static_cast<float>(in.layer_width / 2.0 + in.anchor_x * in.downsample_x);
    t.anchor_point_y = static_cast<float>(in.layer_height / 2.0 + in.anchor_y * in.downsample_y);
    t.offset_x = in.position_x - t.anchor_point_x;
    t.offset_y = in.position_y - t.anchor_point_y;

    // A flip is a negative scale about the anchor point.
    const double scale = static_cast<double>(in.scale_percent) / 100.0 * static_cast<double>(in.scale_factor);
    t.scale_x = static_cast<float>(scale * t.flip_sign_x * t.random_flip_sign_x);
    t.scale_y = static_cast<float>(scale * t.flip_sign_y * t.random_flip_sign_y);

    t.angle_radians = static_cast<double>(in.path_angle) * kRadiansPerDegree +
                      static_cast<double>(in.rotation_degrees) * kRadiansPerDegree +
                      static_cast<double>(in.rotation_jitter) * kRadiansPerDegree;
    const double s = trig.sin(t.angle_radians);
    const double c = trig.cos(t.angle_radians);
    fill_matrix(s, c, t);

    t.opacity_8 = opacity_field<uint8_t>(255.0f * in.opacity_fraction * in.opacity_factor, 255.0f);
    t.opacity_16 = opacity_field<uint16_t>(32768.0f * in.opacity_fraction * in.opacity_factor, 32768.0f);
    return t;
}

}  // namespace vorlane::effect
