// The transform kernel written the plain way, for the fast one to be checked against: every pixel of the
// destination rectangle visited, its source point in double precision, the footprint sampled by the float
// resampler, the straight-alpha "in front" formula in 0..1 floats.
#pragma once

#include <algorithm>
#include <cmath>

#include "pixels/Blend.h"
#include "pixels/Resampler.h"

namespace vorlane::host::test {

// `to_frame` maps source points to destination points (row vectors); the source has straight alpha.
template <class Dst>
void reference_transform(const PF_EffectWorld& src, const PF_FloatMatrix& to_frame, PF_Quality quality, float opacity,
                         const PF_Rect& clip, PF_EffectWorld& dst) {
    const double a = to_frame.mat[0][0], b = to_frame.mat[0][1], c = to_frame.mat[1][0], d = to_frame.mat[1][1];
    const double tx = to_frame.mat[2][0], ty = to_frame.mat[2][1], det = a * d - b * c;
    if (det == 0.0) {
        return;
    }
    const double i00 = d / det, i01 = -b / det, i10 = -c / det, i11 = a / det;
    const double i20 = (c * ty - d * tx) / det, i21 = (b * tx - a * ty) / det;
    const SamplingPlan plan = plan_sampling(i00, i01, i10, i11, quality == PF_Quality_HI);
    const auto levels = build_levels(premultiplied_image(src, true, EdgeMode::Transparent), plan.level);
    const float least = 0.5f / float(PixelTraits<Dst>::kMax);
    for (A_long y = std::max<A_long>(clip.top, 0); y < std::min(clip.bottom, dst.height); ++y) {
        Dst* row = pixel_row<Dst>(dst, y);
        for (A_long x = std::max<A_long>(clip.left, 0); x < std::min(clip.right, dst.width); ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const Premul p = sample_footprint(levels, plan, px * i00 + py * i10 + i20, px * i01 + py * i11 + i21);
            const UnitPixel source = from_premul(p, opacity, true);
            if (source.a >= least) {
                row[x] = from_unit<Dst>(straight_over(source, to_unit(row[x])));
            }
        }
    }
}

}  // namespace vorlane::host::test
