#include "vorlane/render_services/TransformWorld.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "vorlane/render_services/Blend.h"
#include "vorlane/render_services/Resampler.h"
#include "vorlane/render_services/Worlds.h"

namespace vorlane {

namespace {

// Destination (pixel-centre) point to source point: u = x * i00 + y * i10 + i20, v = x * i01 + y * i11 + i21.
struct Affine {
    double i00, i01, i10, i11, i20, i21;
};

// One matrix's share of the work: where it samples and how.
struct MatrixSampler {
    Affine to_source;
    SamplingPlan plan;
    std::vector<PremultipliedImage> levels;
    double margin_u, margin_v;  // how far outside the source a sample point can still pick up colour
};

struct Span {
    A_long begin, end;
};

std::optional<Affine> normalized(const PF_FloatMatrix& m) {
    const double w = m.mat[2][2];
    if (std::fabs(m.mat[0][2]) > 1e-12 || std::fabs(m.mat[1][2]) > 1e-12 || w == 0.0 || !std::isfinite(w)) {
        return std::nullopt;
    }
    return Affine{m.mat[0][0] / w, m.mat[0][1] / w, m.mat[1][0] / w, m.mat[1][1] / w, m.mat[2][0] / w, m.mat[2][1] / w};
}

// Empty when the map is singular: a layer squeezed to nothing covers nothing.
std::optional<Affine> inverted(const Affine& m) {
    const double det = m.i00 * m.i11 - m.i01 * m.i10;
    if (det == 0.0 || !std::isfinite(det)) {
        return std::nullopt;
    }
    const Affine inverse{m.i11 / det,
                         -m.i01 / det,
                         -m.i10 / det,
                         m.i00 / det,
                         (m.i10 * m.i21 - m.i11 * m.i20) / det,
                         (m.i01 * m.i20 - m.i00 * m.i21) / det};
    const double values[] = {inverse.i00, inverse.i01, inverse.i10, inverse.i11, inverse.i20, inverse.i21};
    if (!std::all_of(std::begin(values), std::end(values), [](double v) { return std::isfinite(v); })) {
        return std::nullopt;
    }
    return inverse;
}

MatrixSampler make_sampler(const Affine& to_source, const PremultipliedImage& base, bool high_quality) {
    MatrixSampler sampler{to_source,
                          plan_sampling(to_source.i00, to_source.i01, to_source.i10, to_source.i11, high_quality),
                          {},
                          0.0,
                          0.0};
    sampler.levels = build_levels(base, sampler.plan.level);
    double reach_u = 0.0, reach_v = 0.0;
    for (const SampleOffset& o : sampler.plan.offsets) {
        reach_u = std::max(reach_u, std::fabs(o.du));
        reach_v = std::max(reach_v, std::fabs(o.dv));
    }
    const double texel = 1.0 / sampler.plan.level_scale;
    sampler.margin_u = reach_u + texel + 1.0;
    sampler.margin_v = reach_v + texel + 1.0;
    return sampler;
}

// Narrows [lo, hi) to the x for which c + x * step lies within (low, high).
void narrow(double c, double step, double low, double high, double& lo, double& hi) {
    if (std::fabs(step) < 1e-12) {
        if (!(c > low && c < high)) {
            hi = lo;
        }
        return;
    }
    const double x1 = (low - c) / step, x2 = (high - c) / step;
    lo = std::max(lo, std::floor(std::min(x1, x2)));
    hi = std::min(hi, std::ceil(std::max(x1, x2)) + 1.0);
}

// The pixels of row y (centre y + 0.5) whose sample points can fall on the source: a bound, not exact, since
// pixels that sample nothing are skipped anyway.
Span row_span(const MatrixSampler& s, const PremultipliedImage& base, A_long y, const PF_Rect& clip) {
    const Affine& m = s.to_source;
    const double yc = double(y) + 0.5;
    const double cu = 0.5 * m.i00 + yc * m.i10 + m.i20;
    const double cv = 0.5 * m.i01 + yc * m.i11 + m.i21;
    double lo = clip.left, hi = clip.right;
    narrow(cu, m.i00, -s.margin_u, base.width + s.margin_u, lo, hi);
    narrow(cv, m.i01, -s.margin_v, base.height + s.margin_v, lo, hi);
    lo = std::clamp(lo, double(clip.left), double(clip.right));
    hi = std::clamp(hi, lo, double(clip.right));
    return {A_long(lo), A_long(hi)};
}

Premul sample_all(const std::vector<MatrixSampler>& samplers, double x, double y) {
    if (samplers.size() == 1) {
        const Affine& m = samplers[0].to_source;
        return sample_footprint(samplers[0].levels, samplers[0].plan, x * m.i00 + y * m.i10 + m.i20,
                                x * m.i01 + y * m.i11 + m.i21);
    }
    Premul sum;
    for (const MatrixSampler& s : samplers) {
        const Affine& m = s.to_source;
        const Premul p =
            sample_footprint(s.levels, s.plan, x * m.i00 + y * m.i10 + m.i20, x * m.i01 + y * m.i11 + m.i21);
        sum.r += p.r;
        sum.g += p.g;
        sum.b += p.b;
        sum.a += p.a;
    }
    const float k = 1.0f / float(samplers.size());
    return {sum.r * k, sum.g * k, sum.b * k, sum.a * k};
}

template <class Dst>
void composite_rows(const std::vector<MatrixSampler>& samplers, const PremultipliedImage& base, bool straight,
                    bool in_front, float opacity, const PF_Rect& clip, PF_EffectWorld& dst) {
    // Coverage below half a step of the destination's depth changes nothing that could be stored.
    const float least_alpha = 0.5f / float(PixelTraits<Dst>::kMax);
    for (A_long y = clip.top; y < clip.bottom; ++y) {
        Span span{clip.right, clip.left};
        for (const MatrixSampler& s : samplers) {
            const Span one = row_span(s, base, y, clip);
            if (one.begin < one.end) {
                span = {std::min(span.begin, one.begin), std::max(span.end, one.end)};
            }
        }
        Dst* row = pixel_row<Dst>(dst, y);
        const double yc = double(y) + 0.5;
        for (A_long x = span.begin; x < span.end; ++x) {
            const UnitPixel source = from_premul(sample_all(samplers, double(x) + 0.5, yc), opacity, straight);
            if (!(source.a >= least_alpha)) {
                continue;
            }
            const UnitPixel dest = to_unit(row[x]);
            UnitPixel result;
            if (straight) {
                result = in_front ? straight_over(source, dest) : straight_over(dest, source);
            } else {
                result = in_front ? premultiplied_over(source, dest) : premultiplied_over(dest, source);
            }
            row[x] = from_unit<Dst>(result);
        }
    }
}

bool supported(PF_Field field, const PF_CompositeMode* mode, const PF_MaskWorld* mask, A_long num_matrices) {
    return field == PF_Field_FRAME && mode && !mask && num_matrices >= 1 && !mode->rgb_only &&
           (mode->xfer == PF_Xfer_IN_FRONT || mode->xfer == PF_Xfer_BEHIND);
}

PF_Rect clip_rect(const PF_Rect* dest_rect, const PF_EffectWorld& dst) {
    PF_Rect r{0, 0, dst.width, dst.height};
    if (dest_rect) {
        r = {std::max(r.left, dest_rect->left), std::max(r.top, dest_rect->top), std::min(r.right, dest_rect->right),
             std::min(r.bottom, dest_rect->bottom)};
    }
    return r;
}

}  // namespace

PF_Err transform_world(PF_Quality quality, PF_ModeFlags m_flags, PF_Field field, const PF_EffectWorld* src_world,
                       const PF_CompositeMode* comp_mode, const PF_MaskWorld* mask_world0,
                       const PF_FloatMatrix* matrices, A_long num_matrices, PF_Boolean src2dst_matrix,
                       const PF_Rect* dest_rect, PF_EffectWorld* dst_world) {
    if (!src_world || !dst_world || !matrices || !is_valid_world(*src_world) || !is_valid_world(*dst_world) ||
        !supported(field, comp_mode, mask_world0, num_matrices)) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    std::vector<Affine> maps;
    for (A_long i = 0; i < num_matrices; ++i) {
        const std::optional<Affine> affine = normalized(matrices[i]);
        if (!affine) {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        const std::optional<Affine> to_source = src2dst_matrix ? inverted(*affine) : affine;
        if (to_source) {
            maps.push_back(*to_source);
        }
    }
    const PF_Rect clip = clip_rect(dest_rect, *dst_world);
    if (maps.empty() || clip.right <= clip.left || clip.bottom <= clip.top) {
        return PF_Err_NONE;
    }
    const bool straight = (m_flags & PF_MF_Alpha_STRAIGHT) != 0;
    const PremultipliedImage base = premultiplied_image(*src_world, straight, EdgeMode::Transparent);
    std::vector<MatrixSampler> samplers;
    for (const Affine& map : maps) {
        samplers.push_back(make_sampler(map, base, quality == PF_Quality_HI));
    }
    const bool in_front = comp_mode->xfer == PF_Xfer_IN_FRONT;
    if (dst_world->world_flags & PF_WorldFlag_DEEP) {
        const float opacity = std::min(float(comp_mode->opacitySu) / 32768.0f, 1.0f);
        composite_rows<PF_Pixel16>(samplers, base, straight, in_front, opacity, clip, *dst_world);
    } else {
        const float opacity = float(comp_mode->opacity) / 255.0f;
        composite_rows<PF_Pixel>(samplers, base, straight, in_front, opacity, clip, *dst_world);
    }
    return PF_Err_NONE;
}

PF_Err composite_over(const PF_EffectWorld& src, PF_EffectWorld* dst, A_long dst_x, A_long dst_y) {
    if (!dst || !is_valid_world(src) || !is_valid_world(*dst)) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    const PF_CompositeMode mode{PF_Xfer_IN_FRONT, 0, 255, false, 32768};
    PF_FloatMatrix shift{{{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {double(dst_x), double(dst_y), 1.0}}};
    return transform_world(PF_Quality_LO, PF_MF_Alpha_STRAIGHT, PF_Field_FRAME, &src, &mode, nullptr, &shift, 1, true,
                           nullptr, dst);
}

}  // namespace vorlane
