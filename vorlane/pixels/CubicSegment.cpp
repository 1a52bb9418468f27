#include "pixels/CubicSegment.h"

#include <array>
#include <cmath>

namespace vorlane::host {

namespace {

// 10-point Gauss–Legendre nodes on [-1, 1] (positive half) and their weights.
constexpr std::array<double, 5> kNodes = {0.1488743389816312108848260, 0.4333953941292471907992659,
                                          0.6794095682990244062343274, 0.8650633666889845107320967,
                                          0.9739065285171717200779640};
constexpr std::array<double, 5> kWeights = {0.2955242247147528701738930, 0.2692667193099963550912269,
                                            0.2190863625159820439955349, 0.1494513491505805931457763,
                                            0.0666713443086881375935688};

double speed(const CubicSegment& s, double t) {
    const PathPoint d = derivative_at(s, t);
    return std::hypot(d.x, d.y);
}

double gauss_legendre(const CubicSegment& s, double a, double b) {
    const double half = 0.5 * (b - a);
    const double mid = 0.5 * (a + b);
    double sum = 0.0;
    for (std::size_t i = 0; i < kNodes.size(); ++i) {
        sum += kWeights[i] * (speed(s, mid - half * kNodes[i]) + speed(s, mid + half * kNodes[i]));
    }
    return sum * half;
}

// A cusp (speed touching zero) makes the integrand non-smooth; halving localises it, and the depth bound keeps a
// pathological segment from recursing forever once the pieces are far below any visible size.
double adaptive(const CubicSegment& s, double a, double b, double whole, double tolerance, int depth) {
    const double mid = 0.5 * (a + b);
    const double left = gauss_legendre(s, a, mid);
    const double right = gauss_legendre(s, mid, b);
    if (depth >= 40 || std::fabs(left + right - whole) <= tolerance) {
        return left + right;
    }
    return adaptive(s, a, mid, left, 0.5 * tolerance, depth + 1) +
           adaptive(s, mid, b, right, 0.5 * tolerance, depth + 1);
}

double control_polygon_length(const CubicSegment& s) {
    return std::hypot(s.p1.x - s.p0.x, s.p1.y - s.p0.y) + std::hypot(s.p2.x - s.p1.x, s.p2.y - s.p1.y) +
           std::hypot(s.p3.x - s.p2.x, s.p3.y - s.p2.y);
}

}  // namespace

PathPoint point_at(const CubicSegment& s, double t) {
    const double u = 1.0 - t;
    const double b0 = u * u * u, b1 = 3.0 * u * u * t, b2 = 3.0 * u * t * t, b3 = t * t * t;
    return {b0 * s.p0.x + b1 * s.p1.x + b2 * s.p2.x + b3 * s.p3.x,
            b0 * s.p0.y + b1 * s.p1.y + b2 * s.p2.y + b3 * s.p3.y};
}

PathPoint derivative_at(const CubicSegment& s, double t) {
    const double u = 1.0 - t;
    const double c0 = 3.0 * u * u, c1 = 6.0 * u * t, c2 = 3.0 * t * t;
    return {c0 * (s.p1.x - s.p0.x) + c1 * (s.p2.x - s.p1.x) + c2 * (s.p3.x - s.p2.x),
            c0 * (s.p1.y - s.p0.y) + c1 * (s.p2.y - s.p1.y) + c2 * (s.p3.y - s.p2.y)};
}

PathPoint second_derivative_at(const CubicSegment& s, double t) {
    const double u = 1.0 - t;
    return {6.0 * u * (s.p2.x - 2.0 * s.p1.x + s.p0.x) + 6.0 * t * (s.p3.x - 2.0 * s.p2.x + s.p1.x),
            6.0 * u * (s.p2.y - 2.0 * s.p1.y + s.p0.y) + 6.0 * t * (s.p3.y - 2.0 * s.p2.y + s.p1.y)};
}

double arc_length(const CubicSegment& s, double t0, double t1) {
    if (!(t1 > t0)) {
        return 0.0;
    }
    const double tolerance = 1e-11 * control_polygon_length(s) + 1e-300;
    return adaptive(s, t0, t1, gauss_legendre(s, t0, t1), tolerance, 0);
}

}  // namespace vorlane::host
