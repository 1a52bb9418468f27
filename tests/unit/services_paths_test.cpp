#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "pixels/MaskShape.h"
#include "pixels/PreparedSegment.h"

namespace vorlane::host {
namespace {

constexpr double kPi = 3.14159265358979323846;

CubicSegment straight_with_thirds(PathPoint a, PathPoint b) {
    return {
        a, {a.x + (b.x - a.x) / 3, a.y + (b.y - a.y) / 3}, {a.x + 2 * (b.x - a.x) / 3, a.y + 2 * (b.y - a.y) / 3}, b};
}

// The unit quarter circle's usual cubic, scaled to radius 100.
CubicSegment quarter_circle() {
    const double k = 0.55228474983079339840 * 100.0;
    return {{100, 0}, {100, k}, {k, 100}, {0, 100}};
}

// An independent reference: composite Simpson over a million intervals in long double.
double reference_length(const CubicSegment& s) {
    const int n = 1 << 20;
    long double sum = 0;
    for (int i = 0; i <= n; ++i) {
        const PathPoint d = derivative_at(s, double(i) / n);
        const long double speed = std::sqrt((long double)d.x * d.x + (long double)d.y * d.y);
        sum += speed * (i == 0 || i == n ? 1 : (i % 2 ? 4 : 2));
    }
    return double(sum / (3.0L * n));
}

TEST(ServicesPaths, StraightSegmentsMeasureExactlyWhateverTheirHandles) {
    const CubicSegment thirds = straight_with_thirds({10, 20}, {40, 60});
    const CubicSegment zero_handles{{10, 20}, {10, 20}, {40, 60}, {40, 60}};  // a drawn polygon's edge
    for (const CubicSegment& s : {thirds, zero_handles}) {
        const PreparedSegment p = prepare_segment(s);
        EXPECT_NEAR(p.length, 50.0, 50.0 * 1e-9);
        const PathPoint mid = point_at_length(p, 25.0);
        EXPECT_NEAR(mid.x, 25.0, 1e-7);
        EXPECT_NEAR(mid.y, 40.0, 1e-7);
        const PathPoint q = point_at_length(p, 10.0);
        EXPECT_NEAR(q.x, 16.0, 1e-7);
        EXPECT_NEAR(q.y, 28.0, 1e-7);
    }
}

TEST(ServicesPaths, QuarterCircleLengthMatchesReferenceIntegral) {
    const CubicSegment s = quarter_circle();
    const double reference = reference_length(s);
    EXPECT_NEAR(segment_length(s) / reference, 1.0, 1e-9);
    EXPECT_NEAR(prepare_segment(s).length / reference, 1.0, 1e-9);
    // The cubic is close to, but not exactly, the circle's quarter (50 pi).
    EXPECT_NEAR(reference, 50.0 * kPi, 0.03);
}

TEST(ServicesPaths, CuspSegmentLengthIsAccurate) {
    // Handles crossed so that the speed touches zero inside the segment.
    const CubicSegment s{{0, 0}, {100, 100}, {0, 100}, {100, 0}};
    EXPECT_NEAR(segment_length(s) / reference_length(s), 1.0, 1e-6);
}

TEST(ServicesPaths, PointAtLengthInvertsArcLength) {
    const CubicSegment s{{0, 0}, {80, -40}, {-20, 120}, {90, 70}};
    const PreparedSegment p = prepare_segment(s);
    for (double f : {0.013, 0.2, 0.5, 0.77, 0.999}) {
        const double t = parameter_at_length(p, f * p.length);
        EXPECT_NEAR(arc_length(s, 0.0, t), f * p.length, 1e-8 * p.length) << f;
    }
}

TEST(ServicesPaths, LengthsOutsideTheSegmentClampToItsEnds) {
    const PreparedSegment p = prepare_segment(straight_with_thirds({0, 0}, {10, 0}));
    EXPECT_EQ(parameter_at_length(p, -5.0), 0.0);
    EXPECT_EQ(parameter_at_length(p, -std::numeric_limits<double>::infinity()), 0.0);
    EXPECT_EQ(parameter_at_length(p, std::numeric_limits<double>::quiet_NaN()), 0.0);
    EXPECT_EQ(parameter_at_length(p, 11.0), 1.0);
    EXPECT_EQ(parameter_at_length(p, std::numeric_limits<double>::infinity()), 1.0);
    EXPECT_EQ(point_at_length(p, 1e9).x, 10.0);
}

TEST(ServicesPaths, DerivativeIsWithRespectToTheCurveParameter) {
    const CubicSegment s{{0, 0}, {30, 60}, {90, -10}, {120, 40}};
    const PreparedSegment p = prepare_segment(s);
    const double length = 0.4 * p.length;
    const double t = parameter_at_length(p, length);
    const PointAndDerivative pd = point_and_derivative_at_length(p, length);
    const double h = 1e-6;
    const PathPoint a = point_at(s, t - h), b = point_at(s, t + h);
    EXPECT_NEAR(pd.derivative.x, (b.x - a.x) / (2 * h), 1e-4);
    EXPECT_NEAR(pd.derivative.y, (b.y - a.y) / (2 * h), 1e-4);
}

TEST(ServicesPaths, VanishingDerivativeStillPointsAlongTheCurve) {
    // A polygon edge drawn with zero handles has dB/dt = 0 at both vertices.
    const PreparedSegment p = prepare_segment({{0, 0}, {0, 0}, {0, 50}, {0, 50}});
    for (double length : {0.0, 50.0}) {
        const PointAndDerivative pd = point_and_derivative_at_length(p, length);
        EXPECT_NEAR(std::atan2(pd.derivative.y, pd.derivative.x), kPi / 2, 1e-12) << length;
    }
    const PointAndDerivative point = point_and_derivative_at_length(prepare_segment({}), 3.0);
    EXPECT_EQ(point.point.x, 0.0);
}

TEST(ServicesPaths, ShapesGiveTheirSegments) {
    MaskShape shape = rect_shape(10, 20, 30, 40);
    EXPECT_EQ(outline_segments(shape).size(), 4u);
    double perimeter = 0;
    for (const CubicSegment& s : outline_segments(shape)) {
        perimeter += segment_length(s);
    }
    EXPECT_NEAR(perimeter, 140.0, 1e-9);
    shape.closed = false;
    EXPECT_EQ(outline_segments(shape).size(), 3u);
    EXPECT_TRUE(outline_segments(MaskShape{}).empty());

    double circumference = 0;
    for (const CubicSegment& s : outline_segments(ellipse_shape(50, 50, 40, 40))) {
        circumference += segment_length(s);
    }
    EXPECT_NEAR(circumference / (2 * kPi * 40), 1.0, 3e-4);
    const std::vector<CubicSegment> segments = outline_segments(ellipse_shape(50, 60, 40, 20));
    EXPECT_EQ(segments.front().p0.x, 50.0);  // starts at the top
    EXPECT_EQ(segments.front().p0.y, 40.0);
    EXPECT_EQ(segments.front().p3.x, 90.0);  // and runs clockwise on screen
}

TEST(ServicesPaths, ScalingFollowsEachAxisDownsampleFactor) {
    const MaskShape scaled = scale_shape(ellipse_shape(100, 100, 40, 20), {1, 2}, {1, 4});
    const MaskVertex& top = scaled.vertices[0];
    EXPECT_EQ(top.x, 50.0);
    EXPECT_EQ(top.y, 20.0);
    EXPECT_NEAR(top.out_x, 0.55228474983 * 20.0, 1e-9);
    EXPECT_THROW(scale_shape(scaled, {1, 0}, {1, 1}), MaskError);
}

TEST(ServicesPaths, KeyframesInterpolateLinearlyAndHoldOutside) {
    const std::vector<MaskKeyframe> keys = {{0.0, rect_shape(0, 0, 10, 10)}, {2.0, rect_shape(20, 0, 30, 10)}};
    EXPECT_EQ(shape_at_time(keys, 1.0).vertices[1].x, 30.0);  // halfway from 10 to 50
    EXPECT_EQ(shape_at_time(keys, 0.5).vertices[0].x, 5.0);
    EXPECT_EQ(shape_at_time(keys, -3.0).vertices[1].x, 10.0);
    EXPECT_EQ(shape_at_time(keys, 9.0).vertices[1].x, 50.0);

    std::vector<MaskKeyframe> mismatched = keys;
    mismatched[1].shape.vertices.pop_back();
    EXPECT_THROW(shape_at_time(mismatched, 1.0), MaskError);
    std::vector<MaskKeyframe> unordered = {keys[1], keys[0]};
    EXPECT_THROW(check_keyframes(unordered), MaskError);
    std::vector<MaskKeyframe> mixed = keys;
    mixed[1].shape.closed = false;
    EXPECT_THROW(check_keyframes(mixed), MaskError);
    EXPECT_THROW(check_keyframes({}), MaskError);
}

}  // namespace
}  // namespace vorlane::host
