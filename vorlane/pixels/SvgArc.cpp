#include "pixels/SvgArc.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vorlane::host {
namespace {

// The farthest a cubic with handles 4/3 tan(a/4) strays from the unit circle over an arc of a = 90 degrees,
// rounded up; the error falls with the sixth power of the arc's angle.
constexpr double kQuarterArcError = 2.8e-4;
constexpr int kMaxPieces = 64;

// Enough pieces of at most 90 degrees that none strays further than the tolerance from an ellipse whose larger
// radius is `radius`.
int piece_count(double sweep_radians, double radius) {
    const double quarters = std::fabs(sweep_radians) / (std::numbers::pi / 2.0);
    int pieces = std::max(1, static_cast<int>(std::ceil(quarters - 1e-9)));
    while (pieces < kMaxPieces && radius * kQuarterArcError * std::pow(quarters / pieces, 6.0) > kArcTolerance) {
        ++pieces;
    }
    return pieces;
}

struct Ellipse {
    PathPoint centre;
    double rx, ry, cos_phi, sin_phi;

    PathPoint at(double u, double v) const {  // (u, v) on the unit circle's plane
        return {centre.x + rx * u * cos_phi - ry * v * sin_phi, centre.y + rx * u * sin_phi + ry * v * cos_phi};
    }
};

double angle_between(double ux, double uy, double vx, double vy) {
    return std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
}

CubicSegment straight(PathPoint from, PathPoint to) {
    return {from,
            {from.x + (to.x - from.x) / 3.0, from.y + (to.y - from.y) / 3.0},
            {from.x + (to.x - from.x) * 2.0 / 3.0, from.y + (to.y - from.y) * 2.0 / 3.0},
            to};
}

}  // namespace

std::vector<CubicSegment> arc_segments(PathPoint from, const SvgArc& arc, PathPoint to) {
    if (from.x == to.x && from.y == to.y) {
        return {};
    }
    double rx = std::fabs(arc.rx), ry = std::fabs(arc.ry);
    if (rx == 0.0 || ry == 0.0) {
        return {straight(from, to)};
    }
    // From the end points to the centre: the half chord in the ellipse's own axes.
    const double phi = arc.rotation_degrees * std::numbers::pi / 180.0;
    const double cos_phi = std::cos(phi), sin_phi = std::sin(phi);
    const double hx = (from.x - to.x) / 2.0, hy = (from.y - to.y) / 2.0;
    const double x1 = cos_phi * hx + sin_phi * hy;
    const double y1 = -sin_phi * hx + cos_phi * hy;
    // Radii too small to span the chord grow, keeping their ratio, until the chord is a diameter.
    const double reach = (x1 * x1) / (rx * rx) + (y1 * y1) / (ry * ry);
    if (reach > 1.0) {
        rx *= std::sqrt(reach);
        ry *= std::sqrt(reach);
    }
    const double num = rx * rx * ry * ry - rx * rx * y1 * y1 - ry * ry * x1 * x1;
    const double den = rx * rx * y1 * y1 + ry * ry * x1 * x1;
    const double root = std::sqrt(std::max(0.0, num / den)) * (arc.large_arc == arc.sweep ? -1.0 : 1.0);
    const double cx1 = root * rx * y1 / ry, cy1 = -root * ry * x1 / rx;
    const Ellipse ellipse{
        {cos_phi * cx1 - sin_phi * cy1 + (from.x + to.x) / 2.0, sin_phi * cx1 + cos_phi * cy1 + (from.y + to.y) / 2.0},
        rx,
        ry,
        cos_phi,
        sin_phi};
    const double ux = (x1 - cx1) / rx, uy = (y1 - cy1) / ry;
    const double vx = (-x1 - cx1) / rx, vy = (-y1 - cy1) / ry;
    const double start = std::atan2(uy, ux);
    double sweep = angle_between(ux, uy, vx, vy);
    if (!arc.sweep && sweep > 0.0) {
        sweep -= 2.0 * std::numbers::pi;
    } else if (arc.sweep && sweep < 0.0) {
        sweep += 2.0 * std::numbers::pi;
    }

    // Coordinates near the limits of a double overflow on the way to the centre: such an arc is drawn straight.
    if (!std::isfinite(sweep) || !std::isfinite(start) || !std::isfinite(ellipse.centre.x) ||
        !std::isfinite(ellipse.centre.y) || !std::isfinite(rx * ry)) {
        return {straight(from, to)};
    }
    const int pieces = piece_count(sweep, std::max(rx, ry));
    const double step = sweep / pieces;
    const double k = 4.0 / 3.0 * std::tan(step / 4.0);
    std::vector<CubicSegment> segments;
    PathPoint begin = from;
    for (int i = 0; i < pieces; ++i) {
        const double a = start + step * i, b = a + step;
        const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
        const PathPoint end = i + 1 == pieces ? to : ellipse.at(cb, sb);
        segments.push_back({begin, ellipse.at(ca - k * sa, sa + k * ca), ellipse.at(cb + k * sb, sb - k * cb), end});
        begin = end;
    }
    return segments;
}

}  // namespace vorlane::host
