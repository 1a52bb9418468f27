#include <gtest/gtest.h>

#include <cmath>

#include "render/InstanceTransform.h"

namespace vorlane::effect {
namespace {

double std_sin(double x) {
    return std::sin(x);
}
double std_cos(double x) {
    return std::cos(x);
}
constexpr SineCosine kStd{std_sin, std_cos};

TransformInputs neutral() {
    TransformInputs in;
    in.position_x = 123.25f;
    in.position_y = 45.5f;
    in.layer_width = 101;
    in.layer_height = 60;
    return in;
}

InstanceTransform build(const TransformInputs& in) {
    RandomStream stream;
    return build_instance_transform(in, stream, kStd);
}

// Where the matrix sends the source pixel (x, y), as the host multiplies row vectors.
std::array<double, 2> map(const PF_FloatMatrix& m, double x, double y) {
    return {x * m.mat[0][0] + y * m.mat[1][0] + m.mat[2][0], x * m.mat[0][1] + y * m.mat[1][1] + m.mat[2][1]};
}

TEST(InstanceTransform, NeutralLookMovesTheCentreOntoThePoint) {
    const InstanceTransform t = build(neutral());
    EXPECT_EQ(t.anchor_point_x, 50.5f);
    EXPECT_EQ(t.anchor_point_y, 30.0f);
    EXPECT_EQ(t.offset_x, 123.25f - 50.5f);
    EXPECT_EQ(t.angle_radians, 0.0);
    const auto& m = t.matrix.mat;
    EXPECT_EQ(m[0][0], 1.0);
    EXPECT_EQ(m[0][1], 0.0);
    EXPECT_EQ(m[1][1], 1.0);
    EXPECT_EQ(m[1][0], 0.0);
    EXPECT_TRUE(std::signbit(m[1][0]));
    EXPECT_EQ(m[2][0], static_cast<double>(t.offset_x));
    EXPECT_EQ(m[2][1], static_cast<double>(t.offset_y));
    EXPECT_EQ(m[0][2], 0.0);
    EXPECT_EQ(m[1][2], 0.0);
    EXPECT_EQ(m[2][2], 1.0);
    EXPECT_EQ(t.opacity_8, 255);
    EXPECT_EQ(t.opacity_16, 32768);
}

TEST(InstanceTransform, FlipXMirrorsAboutTheAnchor) {
    TransformInputs in = neutral();
    in.flip_mode = 2;
    const InstanceTransform t = build(in);
    EXPECT_EQ(t.matrix.mat[0][0], -1.0);
    EXPECT_EQ(t.matrix.mat[1][1], 1.0);
    const auto anchor = map(t.matrix, t.anchor_point_x, t.anchor_point_y);
    EXPECT_NEAR(anchor[0], in.position_x, 1e-4);
    EXPECT_NEAR(anchor[1], in.position_y, 1e-4);
}

TEST(InstanceTransform, FlipXYIsAHalfTurn) {
    TransformInputs flipped = neutral();
    flipped.flip_mode = 4;
    TransformInputs turned = neutral();
    turned.rotation_degrees = 180.0f;
    const InstanceTransform a = build(flipped);
    const InstanceTransform b = build(turned);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(a.matrix.mat[r][c], b.matrix.mat[r][c], 1e-9) << r << "," << c;
        }
    }
}

TEST(InstanceTransform, AnchorsFollowTheirOwnAxisDownsampling) {
    TransformInputs in = neutral();
    in.anchor_x = 20.0;
    in.anchor_y = 20.0;
    in.downsample_x = 0.5;
    in.downsample_y = 0.25;
    const InstanceTransform t = build(in);
    EXPECT_EQ(t.anchor_point_x, 60.5f);
    EXPECT_EQ(t.anchor_point_y, 35.0f);
    // The layer's centre lands 10 pixels left of the path point.
    const auto centre = map(t.matrix, 50.5, 30.0);
    EXPECT_NEAR(centre[0], static_cast<double>(in.position_x) - 10.0, 1e-4);
}

TEST(InstanceTransform, QuarterTurnPointsTheXAxisDown) {
    TransformInputs in = neutral();
    in.path_angle = 90.0f;
    // The cosine is whatever the given function answers (libraries differ in its last digits), taken unchanged.
    static double cosine = 0.0;
    const SineCosine kept{std_sin, [](double x) { return cosine = std::cos(x); }};
    RandomStream stream;
    const InstanceTransform t = build_instance_transform(in, stream, kept);
    EXPECT_EQ(t.angle_radians, 90.0 * kRadiansPerDegree);
    EXPECT_EQ(t.matrix.mat[0][1], 1.0);
    EXPECT_EQ(t.matrix.mat[0][0], cosine);
    EXPECT_LT(std::abs(t.matrix.mat[0][0]), 1e-15);
}

TEST(InstanceTransform, ZeroScaleIsHandedOnUnchanged) {
    TransformInputs in = neutral();
    in.scale_percent = 0.0f;
    in.flip_mode = 4;
    const InstanceTransform t = build(in);
    EXPECT_EQ(t.matrix.mat[0][0], 0.0);
    EXPECT_EQ(t.matrix.mat[0][1], 0.0);
    EXPECT_EQ(t.matrix.mat[1][0], 0.0);
    EXPECT_EQ(t.matrix.mat[1][1], 0.0);
    EXPECT_EQ(t.matrix.mat[2][0], static_cast<double>(in.position_x));
}

TEST(InstanceTransform, ScaleAndOpacity) {
    TransformInputs in = neutral();
    in.scale_percent = 150.0f;
    in.scale_factor = 0.5f;
    in.opacity_fraction = 0.5f;
    const InstanceTransform t = build(in);
    EXPECT_EQ(t.scale_x, 0.75f);
    EXPECT_EQ(t.opacity_8, 127);
    EXPECT_EQ(t.opacity_16, 16384);
    in.opacity_fraction = 0.0f;
    EXPECT_EQ(build(in).opacity_8, 0);
    EXPECT_EQ(build(in).opacity_16, 0);
}

TEST(InstanceTransform, RandomFlipTakesOneValueOnlyWhenAsked) {
    TransformInputs in = neutral();
    RandomStream none;
    build_instance_transform(in, none, kStd);
    EXPECT_EQ(none.state, 1u);

    // Seed 1 gives 41 (odd: flips) and then 18467 (odd), 6334 (even: keeps).
    in.flip_random_mode = 4;
    RandomStream stream;
    seed_stream(stream, 1);
    const InstanceTransform first = build_instance_transform(in, stream, kStd);
    EXPECT_EQ(first.random_flip_sign_x, -1);
    EXPECT_EQ(first.random_flip_sign_y, -1);
    in.flip_random_mode = 3;
    const InstanceTransform second = build_instance_transform(in, stream, kStd);
    EXPECT_EQ(second.random_flip_sign_x, 1);
    EXPECT_EQ(second.random_flip_sign_y, -1);
    in.flip_random_mode = 2;
    EXPECT_EQ(build_instance_transform(in, stream, kStd).random_flip_sign_x, 1);
    in.flip_random_mode = 7;
    const uint32_t before = stream.state;
    build_instance_transform(in, stream, kStd);
    EXPECT_EQ(stream.state, before);
}

TEST(InstanceTransform, SineBeforeCosine) {
    static std::vector<char> calls;
    calls.clear();
    const SineCosine traced{[](double x) {
                                calls.push_back('s');
                                return std::sin(x);
                            },
                            [](double x) {
                                calls.push_back('c');
                                return std::cos(x);
                            }};
    RandomStream stream;
    build_instance_transform(neutral(), stream, traced);
    EXPECT_EQ(calls, (std::vector<char>{'s', 'c'}));
}

}  // namespace
}  // namespace vorlane::effect
