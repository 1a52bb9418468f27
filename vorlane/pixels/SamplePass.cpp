#include "pixels/SamplePass.h"

#include <algorithm>
#include <cmath>

namespace vorlane::host {

namespace {

// Beyond this many texels per destination pixel the fixed-point values could overflow; a pass so stretched
// belongs to a source far smaller than a pixel, which the pyramid has already averaged away.
constexpr double kLargestStep = 1 << 20;

// Narrows [lo, hi) to the x for which c + x * step lies within [low, high], with pixels to spare on each side
// (truncation stands in for floor and ceil, which the baseline instruction set has no instruction for).
inline void narrow(double c, double step, double inverse, double low, double high, double& lo, double& hi) {
    if (std::fabs(step) < 1e-12) {
        if (!(c >= low - 1.0 && c <= high + 1.0)) {
            hi = lo;
        }
        return;
    }
    const double x1 = (low - c) * inverse, x2 = (high - c) * inverse;
    const double first = std::clamp(std::min(x1, x2), lo - 4.0, hi + 4.0);
    const double last = std::clamp(std::max(x1, x2), lo - 4.0, hi + 4.0);
    lo = std::max(lo, double(std::int64_t(first)) - 2.0);
    hi = std::min(hi, double(std::int64_t(last)) + 3.0);
}

// The clamp only matters for matrices so extreme that the span's ends carry rounding errors of many texels.
std::int64_t to_fixed(double value) {
    const double scaled = std::clamp(value, -1e9, 1e9) * double(kSpanFixedOne);
    return std::int64_t(scaled + (scaled < 0.0 ? -0.5 : 0.5));
}

// Pixel n of the span, in fixed point, lies where a tap may be taken.
struct Reach {
    FixedLine u, v;
    std::int64_t u_low, u_high, v_low, v_high;

    bool operator()(std::int64_t n) const {
        const std::int64_t pu = u.start + n * u.step, pv = v.start + n * v.step;
        return pu >= u_low && pu <= u_high && pv >= v_low && pv <= v_high;
    }
};

SamplePass make_pass(const double (&m)[6], double du, double dv, double level_scale, double texel_centre,
                     float weight) {
    SamplePass pass;
    pass.weight = weight;
    pass.u_x = m[0] * level_scale;
    pass.u_y = m[2] * level_scale;
    pass.u_0 = (0.5 * m[0] + 0.5 * m[2] + m[4] + du) * level_scale - texel_centre;
    pass.v_x = m[1] * level_scale;
    pass.v_y = m[3] * level_scale;
    pass.v_0 = (0.5 * m[1] + 0.5 * m[3] + m[5] + dv) * level_scale - texel_centre;
    pass.inverse_u_x = 1.0 / pass.u_x;
    pass.inverse_v_x = 1.0 / pass.v_x;
    pass.reachable = !(std::fabs(pass.u_x) > kLargestStep || std::fabs(pass.v_x) > kLargestStep);
    pass.fixed_u_x = to_fixed(pass.u_x);
    pass.fixed_v_x = to_fixed(pass.v_x);
    return pass;
}

}  // namespace

// Pixel centres sit half a pixel in; a bilinear tap's top-left texel centre half a texel before the point.
SamplePass bilinear_pass(const TexelImage& image, const double (&to_source)[6], double du, double dv,
                         double level_scale, float weight) {
    SamplePass pass = make_pass(to_source, du, dv, level_scale, 0.5, weight);
    pass.image = &image;
    pass.width = image.width;
    pass.height = image.height;
    return pass;
}

SamplePass nearest_pass(const PF_EffectWorld& world, const double (&to_source)[6], float weight) {
    SamplePass pass = make_pass(to_source, 0.0, 0.0, 1.0, 0.0, weight);
    pass.world = &world;
    pass.nearest = true;
    pass.width = world.width;
    pass.height = world.height;
    return pass;
}

void pass_rows(const SamplePass& pass, const PF_Rect& clip, A_long& top, A_long& bottom) {
    top = clip.top;
    bottom = clip.bottom;
    const double det = pass.u_x * pass.v_y - pass.u_y * pass.v_x;
    if (!(std::fabs(det) > 1e-300)) {
        return;
    }
    // The destination rows of the corners of the reachable part of the level, a texel beyond it on every side.
    double low = 1e300, high = -1e300;
    for (const double u : {-2.0, double(pass.width) + 1.0}) {
        for (const double v : {-2.0, double(pass.height) + 1.0}) {
            const double y = (pass.u_x * (v - pass.v_0) - pass.v_x * (u - pass.u_0)) / det;
            low = std::min(low, y);
            high = std::max(high, y);
        }
    }
    if (!(low <= high)) {
        return;
    }
    top = A_long(std::clamp(low - 1.0, double(clip.top), double(clip.bottom)));
    bottom = A_long(std::clamp(high + 2.0, double(top), double(clip.bottom)));
}

PassRow pass_row(const SamplePass& pass, A_long y, const PF_Rect& clip) {
    PassRow row{clip.left, clip.left, {}, {}};
    if (!pass.reachable) {
        return row;
    }
    // A bilinear tap's top-left texel may lie on the frame before the first texel; a nearest one may not.
    const int first = pass.nearest ? 0 : -1;
    const int width = pass.width, height = pass.height;
    const double cu = double(y) * pass.u_y + pass.u_0, cv = double(y) * pass.v_y + pass.v_0;
    double lo = clip.left, hi = clip.right;
    narrow(cu, pass.u_x, pass.inverse_u_x, first, width, lo, hi);
    narrow(cv, pass.v_x, pass.inverse_v_x, first, height, lo, hi);
    if (!(lo < hi)) {
        return row;
    }
    // The estimate in floating point is a pixel wider than the reach on each side; exact fixed-point tests of
    // its ends narrow it to the pixels whose taps all lie on the image or its frame.
    const Reach reach{{to_fixed(cu + lo * pass.u_x), pass.fixed_u_x},
                      {to_fixed(cv + lo * pass.v_x), pass.fixed_v_x},
                      first * kSpanFixedOne,
                      width * kSpanFixedOne - 1,
                      first * kSpanFixedOne,
                      height * kSpanFixedOne - 1};
    std::int64_t begin = 0, end = std::int64_t(hi - lo);
    while (begin < end && !reach(begin)) {
        ++begin;
    }
    while (end > begin && !reach(end - 1)) {
        --end;
    }
    if (begin >= end) {
        return row;
    }
    const FixedLine& u = reach.u;
    const FixedLine& v = reach.v;
    row.begin = A_long(lo) + A_long(begin);
    row.end = A_long(lo) + A_long(end);
    row.u = {u.start + begin * u.step, u.step};
    row.v = {v.start + begin * v.step, v.step};
    return row;
}

}  // namespace vorlane::host
