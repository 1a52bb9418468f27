#include <gtest/gtest.h>

#include "pixels/SvgPath.h"

namespace vorlane::host {
namespace {

std::vector<CubicSegment> segments_of(std::string_view data) {
    const std::vector<MaskShape> shapes = parse_svg_path(data);
    EXPECT_EQ(shapes.size(), 1u) << data;
    return shapes.empty() ? std::vector<CubicSegment>{} : outline_segments(shapes[0]);
}

void expect_point(PathPoint p, double x, double y, const char* what) {
    EXPECT_NEAR(p.x, x, 1e-12) << what;
    EXPECT_NEAR(p.y, y, 1e-12) << what;
}

std::size_t error_position(std::string_view data) {
    try {
        parse_svg_path(data);
    } catch (const PathDataError& e) {
        return e.position;
    }
    ADD_FAILURE() << "no error for " << data;
    return std::string_view::npos;
}

TEST(ServicesSvg, LinesInEveryFormReachTheSamePoints) {
    for (const char* data : {"M10 20 L30 20 L30 50 L10 50", "M10,20 H30 V50 H10", "m10 20 l20 0 0 30 -20 0",
                             "M10 20 h20 v30 h-20", "M10 20 30 20 30 50 10 50"}) {
        const std::vector<CubicSegment> s = segments_of(data);
        ASSERT_EQ(s.size(), 3u) << data;
        expect_point(s[0].p0, 10, 20, data);
        expect_point(s[0].p3, 30, 20, data);
        expect_point(s[1].p3, 30, 50, data);
        expect_point(s[2].p3, 10, 50, data);
        // Lines are raised to cubics with their handles at the thirds, so they are evenly parametrised.
        expect_point(s[1].p1, 30, 30, data);
    }
}

TEST(ServicesSvg, CurvesKeepTheirControlPointsAbsoluteAndRelative) {
    const std::vector<CubicSegment> abs = segments_of("M0 0 C10 0 20 10 20 20 S30 40 40 40");
    const std::vector<CubicSegment> rel = segments_of("m0 0 c10 0 20 10 20 20 s10 20 20 20");
    for (const auto& s : {abs, rel}) {
        ASSERT_EQ(s.size(), 2u);
        expect_point(s[0].p1, 10, 0, "c1");
        expect_point(s[0].p2, 20, 10, "c2");
        expect_point(s[1].p1, 20, 30, "S reflects the previous second control point");
        expect_point(s[1].p2, 30, 40, "S control");
        expect_point(s[1].p3, 40, 40, "S end");
    }
    // S after a non-curve takes the current point as its first control point.
    expect_point(segments_of("M0 0 L10 0 S20 10 30 0")[1].p1, 10, 0, "S after L");
}

TEST(ServicesSvg, QuadraticsAreRaisedExactly) {
    const std::vector<CubicSegment> s = segments_of("M0 0 Q30 30 60 0 T120 0");
    ASSERT_EQ(s.size(), 2u);
    expect_point(s[0].p1, 20, 20, "2/3 towards the control point");
    expect_point(s[0].p2, 40, 20, "2/3 from the end");
    // T reflects (30, 30) about (60, 0) to (90, -30).
    expect_point(s[1].p1, 80, -20, "T first");
    expect_point(s[1].p2, 100, -20, "T second");
    const std::vector<CubicSegment> r = segments_of("M0 0 q30 30 60 0 t60 0");
    expect_point(r[1].p1, 80, -20, "relative T");
    expect_point(segments_of("M0 0 T30 0")[0].p1, 0, 0, "T without a previous Q");
}

TEST(ServicesSvg, ClosepathMakesAClosedShapeWithoutADoubledVertex) {
    const std::vector<MaskShape> shapes = parse_svg_path("M0 0 L10 0 L10 10 Z");
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_TRUE(shapes[0].closed);
    EXPECT_EQ(shapes[0].vertices.size(), 3u);
    const std::vector<CubicSegment> s = outline_segments(shapes[0]);
    ASSERT_EQ(s.size(), 3u);
    expect_point(s[2].p3, 0, 0, "closing segment");
    // A subpath that already returned to its start is not given a zero-length closing line.
    const std::vector<MaskShape> returned = parse_svg_path("M0 0 C10 0 10 10 0 10 C-10 10 -10 0 0 0 Z");
    EXPECT_EQ(outline_segments(returned[0]).size(), 2u);
    expect_point(outline_segments(returned[0])[1].p2, -10, 0, "in tangent of the first vertex");
}

TEST(ServicesSvg, EverySubpathIsItsOwnShape) {
    const std::vector<MaskShape> shapes = parse_svg_path("M0 0 L5 0 Z m10 10 l5 0 M30 30 M40 40 L50 40 z l0 5");
    ASSERT_EQ(shapes.size(), 4u);
    EXPECT_EQ(shapes[1].vertices[0].x, 10.0);  // relative to the closed subpath's start
    EXPECT_FALSE(shapes[1].closed);
    EXPECT_EQ(shapes[2].vertices[0].x, 40.0);  // the lone moveto draws nothing
    EXPECT_EQ(shapes[3].vertices[0].x, 40.0);  // drawing after Z starts at the closed subpath's start
    EXPECT_TRUE(parse_svg_path("").empty());
    EXPECT_TRUE(parse_svg_path("  M 1 1 ").empty());
}

TEST(ServicesSvg, CompactNumbersSplitWhereTheGrammarSays) {
    const std::vector<CubicSegment> s = segments_of("M1.5.5L-.5-1e1 2E-1+3");
    ASSERT_EQ(s.size(), 2u);
    expect_point(s[0].p0, 1.5, 0.5, "1.5.5");
    expect_point(s[0].p3, -0.5, -10, "-.5-1e1");
    expect_point(s[1].p3, 0.2, 3, "2E-1+3");
    expect_point(segments_of("M0,0\nl\t1e-3,1.e2")[0].p3, 0.001, 100, "exponent and trailing point");
}

TEST(ServicesSvg, BadDataIsReportedWithItsPosition) {
    EXPECT_EQ(error_position("L10 10"), 0u);                // no moveto first
    EXPECT_EQ(error_position("10 10"), 0u);                 // numbers before any command
    EXPECT_EQ(error_position("M0 0 L10 X"), 9u);            // unknown command
    EXPECT_EQ(error_position("M0 0 L10"), 8u);              // missing coordinate
    EXPECT_EQ(error_position("M0 0 A5 5 0 2 1 9 9"), 12u);  // an arc's flag is 0 or 1
    EXPECT_EQ(error_position("M0 0 L1 1 Z 5"), 12u);        // a number after closepath
    EXPECT_EQ(error_position("M0 0 L . 1"), 7u);            // a point is not a number
    EXPECT_EQ(error_position("M0 0 L1e999 1"), 6u);         // out of range
    try {
        parse_svg_path("M0 0 L10 #");
    } catch (const PathDataError& e) {
        EXPECT_NE(std::string(e.what()).find("position 9"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace vorlane::host
