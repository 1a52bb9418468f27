// Elliptical arcs in SVG path data, measured against the true ellipse rather than against our own arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "pixels/SvgArc.h"
#include "pixels/SvgPath.h"

namespace vorlane::host {
namespace {

std::vector<CubicSegment> arc_of(std::string_view data) {
    const std::vector<MaskShape> shapes = parse_svg_path(data);
    EXPECT_EQ(shapes.size(), 1u) << data;
    return shapes.empty() ? std::vector<CubicSegment>{} : outline_segments(shapes[0]);
}

template <typename Check>
void for_samples(const std::vector<CubicSegment>& segments, Check check) {
    for (const CubicSegment& segment : segments) {
        for (int i = 0; i <= 64; ++i) {
            check(point_at(segment, i / 64.0));
        }
    }
}

// Largest distance of the samples from the circle, and their extent in y.
struct CircleFit {
    double worst = 0.0, min_y = 1e300, max_y = -1e300;
};
CircleFit fit(const std::vector<CubicSegment>& segments, PathPoint centre, double r) {
    CircleFit f;
    for_samples(segments, [&](PathPoint p) {
        f.worst = std::max(f.worst, std::fabs(std::hypot(p.x - centre.x, p.y - centre.y) - r));
        f.min_y = std::min(f.min_y, p.y);
        f.max_y = std::max(f.max_y, p.y);
    });
    return f;
}

double length(const std::vector<CubicSegment>& segments) {
    double total = 0.0;
    for (const CubicSegment& s : segments) {
        total += segment_length(s);
    }
    return total;
}

TEST(SvgArc, AFullCircleFromTwoArcsHasTheCircumferenceAndStaysOnTheCircle) {
    for (const double r : {5.0, 50.0, 2000.0}) {
        const std::string d = "M 0 " + std::to_string(r) + " A " + std::to_string(r) + " " + std::to_string(r) +
                              " 0 0 1 " + std::to_string(2 * r) + " " + std::to_string(r) + " a " + std::to_string(r) +
                              " " + std::to_string(r) + " 0 1 1 " + std::to_string(-2 * r) + " 0 Z";
        const std::vector<MaskShape> shapes = parse_svg_path(d);
        ASSERT_EQ(shapes.size(), 1u);
        EXPECT_TRUE(shapes[0].closed);
        const std::vector<CubicSegment> s = outline_segments(shapes[0]);
        EXPECT_LE(fit(s, {r, r}, r).worst, kArcTolerance) << "r " << r;
        EXPECT_NEAR(length(s), 2.0 * std::numbers::pi * r, 2.0 * std::numbers::pi * kArcTolerance) << "r " << r;
    }
}

TEST(SvgArc, TheFlagsChooseAmongTheFourArcsThroughTheTwoPoints) {
    // Radius 20 over a chord of 20 from (0, 0) to (20, 0): the centres lie at (10, +-17.32), and the arcs bulge
    // 2.68 or 37.32 above (y < 0) or below the chord.
    const double h = std::sqrt(20.0 * 20.0 - 10.0 * 10.0);
    struct Case {
        const char* flags;
        double centre_y, extreme_y;
    } cases[] = {{"0 1", h, h - 20}, {"1 1", -h, -h - 20}, {"0 0", -h, -h + 20}, {"1 0", h, h + 20}};
    for (const Case& c : cases) {
        const std::vector<CubicSegment> s = arc_of(std::string("M0 0 A20 20 0 ") + c.flags + " 20 0");
        const CircleFit f = fit(s, {10, c.centre_y}, 20);
        EXPECT_LE(f.worst, kArcTolerance) << c.flags;
        EXPECT_NEAR(c.extreme_y < 0 ? f.min_y : f.max_y, c.extreme_y, 1e-3) << c.flags;
        EXPECT_NEAR(s.back().p3.x, 20.0, 0.0) << "ends exactly at its end point";
    }
}

TEST(SvgArc, RadiiTooSmallGrowUntilTheChordIsADiameter) {
    // Radius 10 cannot span 100: it becomes 50, a half circle about the chord's middle.
    const std::vector<CubicSegment> s = arc_of("M0 0 A10 10 0 0 1 100 0");
    const CircleFit f = fit(s, {50, 0}, 50);
    EXPECT_LE(f.worst, kArcTolerance);
    EXPECT_NEAR(f.min_y, -50.0, 1e-3);
    EXPECT_NEAR(length(s), std::numbers::pi * 50.0, kArcTolerance * std::numbers::pi);
    // An ellipse keeps its ratio while it grows: 2:1 radii over a horizontal chord of 40 become 20 and 10.
    for_samples(arc_of("M0 0 A2 1 0 0 0 40 0"),
                [](PathPoint p) { EXPECT_NEAR(std::pow((p.x - 20) / 20, 2) + std::pow(p.y / 10, 2), 1.0, 2e-3); });
}

TEST(SvgArc, ARotatedEllipseStaysOnItsEllipse) {
    // Centre (0, 0), radii 40 and 20, x axis turned by 30 degrees: from the end of its x axis to the end of its
    // y axis, a quarter of the ellipse.
    const double a = 30.0 * std::numbers::pi / 180.0;
    const PathPoint from{40 * std::cos(a), 40 * std::sin(a)};
    const PathPoint to{-20 * std::sin(a), 20 * std::cos(a)};
    const std::vector<CubicSegment> s = arc_segments(from, {40, 20, 30, false, true}, to);
    ASSERT_FALSE(s.empty());
    for_samples(s, [&](PathPoint p) {
        const double u = p.x * std::cos(a) + p.y * std::sin(a), v = -p.x * std::sin(a) + p.y * std::cos(a);
        // Distance from the ellipse, to first order: the level set's error over its gradient.
        const double level = u * u / 1600 + v * v / 400 - 1.0;
        const double gradient = std::hypot(2 * u / 1600, 2 * v / 400);
        EXPECT_LE(std::fabs(level) / gradient, kArcTolerance);
    });
    EXPECT_EQ(s.front().p0.x, from.x);
    EXPECT_EQ(s.back().p3.y, to.y);
}

TEST(SvgArc, DegenerateArcsAreALineOrNothing) {
    const std::vector<CubicSegment> line = arc_of("M0 0 A0 5 0 0 1 30 0");
    ASSERT_EQ(line.size(), 1u) << "a zero radius is a straight line";
    EXPECT_EQ(line[0].p1.x, 10.0);
    EXPECT_EQ(line[0].p1.y, 0.0);
    EXPECT_TRUE(parse_svg_path("M10 10 A5 5 0 0 1 10 10").empty()) << "an arc to its own start draws nothing";
    EXPECT_EQ(arc_of("M0 0 L10 0 a5 5 0 1 1 0 0").size(), 1u) << "and adds no segment to the line before it";
    const std::vector<CubicSegment> huge = arc_of("M0 0 A1e300 1e300 0 0 1 1e300 1e300");
    ASSERT_EQ(huge.size(), 1u) << "radii whose squares overflow give the straight line, not a loop of NaNs";
    EXPECT_EQ(huge[0].p3.x, 1e300);
}

TEST(SvgArc, FlagsMayStandAgainstTheNumbersAndRepeat) {
    // "0110 0": large arc 0, sweep 1, then x 10 and y 0; then an implicit second arc back.
    const std::vector<MaskShape> shapes = parse_svg_path("M0 0a5 5 0 0110 0 5 5 0 01-10 0z");
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_LE(fit(outline_segments(shapes[0]), {5, 0}, 5).worst, kArcTolerance);
    EXPECT_THROW(parse_svg_path("M0 0 A5 5 0 1"), PathDataError);
}

}  // namespace
}  // namespace vorlane::host
