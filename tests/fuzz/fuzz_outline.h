// Measures a mask as the render's path suites do: every segment prepared, a point and a direction taken along it.
// Coordinates within the scene's bounds give finite lengths, points inside the segment's hull's reach, and a
// direction that is a number.
#pragma once

#include <cmath>

#include "fuzz_support.h"
#include "pixels/MaskShape.h"
#include "pixels/PreparedSegment.h"

namespace vorlane::host::fuzz {

// Coordinates the scene accepts are within +-1e7; tangents add to them.
inline bool modest(double v) {
    return std::isfinite(v) && std::fabs(v) <= 1e8;
}

inline bool modest_segment(const CubicSegment& s) {
    for (const PathPoint& p : {s.p0, s.p1, s.p2, s.p3}) {
        if (!modest(p.x) || !modest(p.y)) {
            return false;
        }
    }
    return true;
}

inline void measure_outline(const MaskShape& shape) {
    for (const CubicSegment& segment : outline_segments(shape)) {
        const PreparedSegment prepared = prepare_segment(segment);
        require(!(prepared.length < 0.0), "a segment's length is negative");
        if (!modest_segment(segment)) {
            continue;
        }
        require(std::isfinite(prepared.length), "a segment of finite points has no finite length");
        for (const double at : {-1.0, 0.0, prepared.length * 0.37, prepared.length, prepared.length * 2.0}) {
            const PointAndDerivative pd = point_and_derivative_at_length(prepared, at);
            require(std::isfinite(pd.point.x) && std::isfinite(pd.point.y), "a point on a finite segment is not");
            require(!std::isnan(pd.derivative.x) && !std::isnan(pd.derivative.y), "a segment's direction is NaN");
        }
    }
}

}  // namespace vorlane::host::fuzz
