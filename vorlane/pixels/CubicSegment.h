// One cubic Bézier segment of a mask outline and its arc length.
#pragma once

namespace vorlane::host {

struct PathPoint {
    double x = 0.0;
    double y = 0.0;
};

// Control points in order: the segment starts at p0, leaves towards p1, arrives from p2 and ends at p3.
struct CubicSegment {
    PathPoint p0, p1, p2, p3;
};

PathPoint point_at(const CubicSegment& segment, double t);
PathPoint derivative_at(const CubicSegment& segment, double t);
PathPoint second_derivative_at(const CubicSegment& segment, double t);

// Length of the curve between the parameters t0 <= t1, by adaptive Gauss–Legendre quadrature of the speed;
// the result is within about 1e-10 of the segment's size of the exact integral.
double arc_length(const CubicSegment& segment, double t0, double t1);

inline double segment_length(const CubicSegment& segment) {
    return arc_length(segment, 0.0, 1.0);
}

}  // namespace vorlane::host
