// A segment prepared for evaluation by arc length: what PF_PathPrepareSegLength hands back.
#pragma once

#include <array>

#include "pixels/CubicSegment.h"

namespace vorlane::host {

struct PreparedSegment {
    static constexpr int kPieces = 16;
    CubicSegment segment;
    // cumulative[i] is the length of the curve from t = 0 to t = i / kPieces.
    std::array<double, kPieces + 1> cumulative{};
    double length = 0.0;
};

struct PointAndDerivative {
    PathPoint point;
    PathPoint derivative;  // with respect to the curve parameter t
};

// The accuracy of everything below does not depend on any sampling frequency a caller may ask for: lengths are
// integrated adaptively, so the host can ignore that argument.
PreparedSegment prepare_segment(const CubicSegment& segment);

// The curve parameter at which the arc length from the segment's start equals `length`. Lengths below 0 (also
// minus infinity) give t = 0, lengths beyond the segment's length give t = 1, and a length that is not a number
// gives t = 0.
double parameter_at_length(const PreparedSegment& prepared, double length);

PathPoint point_at_length(const PreparedSegment& prepared, double length);

// Where dB/dt vanishes (a zero tangent handle at a vertex, or a degenerate segment) the derivative carries no
// direction; callers take its angle, so we hand back the direction in which the curve moves at that point instead
// (the second derivative's, or the chord's when that vanishes too).
PointAndDerivative point_and_derivative_at_length(const PreparedSegment& prepared, double length);

}  // namespace vorlane::host
