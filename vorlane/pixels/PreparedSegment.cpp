#include "pixels/PreparedSegment.h"

#include <algorithm>
#include <cmath>

namespace vorlane::host {

namespace {

double norm(PathPoint p) {
    return std::hypot(p.x, p.y);
}

// Solves arc_length(t_lo, t) = target inside one piece of the table by Newton's method, falling back to bisection
// whenever a step would leave the bracket (the speed may vanish at a cusp).
double solve_in_piece(const CubicSegment& s, double t_lo, double t_hi, double target, double tolerance) {
    const double piece = arc_length(s, t_lo, t_hi);
    if (!(piece > 0.0)) {
        return t_lo;
    }
    double lo = t_lo, hi = t_hi;
    double t = t_lo + (t_hi - t_lo) * std::clamp(target / piece, 0.0, 1.0);
    for (int iteration = 0; iteration < 60; ++iteration) {
        const double error = arc_length(s, t_lo, t) - target;
        if (std::fabs(error) <= tolerance) {
            break;
        }
        (error > 0.0 ? hi : lo) = t;
        const double speed = norm(derivative_at(s, t));
        double next = speed > 0.0 ? t - error / speed : 0.5 * (lo + hi);
        if (!(next > lo && next < hi)) {
            next = 0.5 * (lo + hi);
        }
        if (next == t) {
            break;
        }
        t = next;
    }
    return t;
}

PathPoint motion_direction(const CubicSegment& s, double t) {
    const PathPoint second = second_derivative_at(s, t);
    if (norm(second) > 0.0) {
        return t < 1.0 ? second : PathPoint{-second.x, -second.y};
    }
    return {s.p3.x - s.p0.x, s.p3.y - s.p0.y};
}

}  // namespace

PreparedSegment prepare_segment(const CubicSegment& segment) {
    PreparedSegment prepared;
    prepared.segment = segment;
    prepared.cumulative[0] = 0.0;
    for (int i = 0; i < PreparedSegment::kPieces; ++i) {
        const double t0 = double(i) / PreparedSegment::kPieces;
        const double t1 = double(i + 1) / PreparedSegment::kPieces;
        prepared.cumulative[i + 1] = prepared.cumulative[i] + arc_length(segment, t0, t1);
    }
    prepared.length = prepared.cumulative.back();
    return prepared;
}

double parameter_at_length(const PreparedSegment& prepared, double length) {
    if (!(length > 0.0) || !(prepared.length > 0.0)) {
        return 0.0;
    }
    if (length >= prepared.length) {
        return 1.0;
    }
    const auto upper = std::upper_bound(prepared.cumulative.begin(), prepared.cumulative.end(), length);
    const int piece = std::clamp(int(upper - prepared.cumulative.begin()) - 1, 0, PreparedSegment::kPieces - 1);
    const double t_lo = double(piece) / PreparedSegment::kPieces;
    const double t_hi = double(piece + 1) / PreparedSegment::kPieces;
    const double tolerance = 1e-12 * prepared.length;
    return solve_in_piece(prepared.segment, t_lo, t_hi, length - prepared.cumulative[piece], tolerance);
}

PathPoint point_at_length(const PreparedSegment& prepared, double length) {
    return point_at(prepared.segment, parameter_at_length(prepared, length));
}

PointAndDerivative point_and_derivative_at_length(const PreparedSegment& prepared, double length) {
    const double t = parameter_at_length(prepared, length);
    PointAndDerivative result{point_at(prepared.segment, t), derivative_at(prepared.segment, t)};
    const CubicSegment& s = prepared.segment;
    const double size = norm({s.p1.x - s.p0.x, s.p1.y - s.p0.y}) + norm({s.p2.x - s.p1.x, s.p2.y - s.p1.y}) +
                        norm({s.p3.x - s.p2.x, s.p3.y - s.p2.y});
    if (norm(result.derivative) <= 1e-12 * size) {
        result.derivative = motion_direction(s, t);
    }
    return result;
}

}  // namespace vorlane::host
