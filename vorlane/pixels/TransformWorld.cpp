#include "pixels/TransformWorld.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "pixels/KernelScratch.h"
#include "pixels/Resampler.h"
#include "pixels/SamplePass.h"
#include "pixels/SpanBlend.h"
#include "pixels/TexelImage.h"
#include "pixels/TransformRows.h"
#include "pixels/Worlds.h"

namespace vorlane::host {

namespace {

// Destination (pixel-centre) point to source point: u = x * i00 + y * i10 + i20, v = x * i01 + y * i11 + i21.
struct Affine {
    double i00, i01, i10, i11, i20, i21;
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

// Every tap of every matrix, each weighing its share of the pixel.
std::vector<SamplePass> passes_of(const std::vector<Affine>& maps, const std::vector<SamplingPlan>& plans,
                                  const PF_EffectWorld& world, const std::vector<TexelImage>& pyramid) {
    std::vector<SamplePass> passes;
    for (std::size_t i = 0; i < maps.size(); ++i) {
        const Affine& m = maps[i];
        const double to_source[6] = {m.i00, m.i01, m.i10, m.i11, m.i20, m.i21};
        const SamplingPlan& plan = plans[i];
        if (plan.nearest) {
            passes.push_back(nearest_pass(world, to_source, 1.0f / float(maps.size())));
            continue;
        }
        const TexelImage& image = pyramid[std::size_t(plan.level)];
        const float weight = 1.0f / float(plan.offsets.size() * maps.size());
        for (const SampleOffset& o : plan.offsets) {
            passes.push_back(bilinear_pass(image, to_source, o.du, o.dv, plan.level_scale, weight));
        }
    }
    return passes;
}

template <class Dst>
void composite_rows(const std::vector<SamplePass>& passes, bool straight, bool in_front, float opacity,
                    const PF_Rect& clip, std::vector<Lanes>& row, PF_EffectWorld& dst) {
    if (straight && in_front) {
        rows::draw<Dst>(passes, straight, clip, InFrontOfStraight{opacity}, row, dst);
    } else {
        rows::draw<Dst>(passes, straight, clip, AnyLayering{opacity, straight, in_front}, row, dst);
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
    std::vector<SamplingPlan> plans;
    for (const Affine& m : maps) {
        plans.push_back(plan_sampling(m.i00, m.i01, m.i10, m.i11, quality == PF_Quality_HI));
    }
    // Nearest samples come straight from the world; only bilinear ones need the texels.
    const ScratchLease scratch;
    if (quality == PF_Quality_HI) {
        const auto deepest = std::max_element(plans.begin(), plans.end(),
                                              [](const auto& a, const auto& b) { return a.level < b.level; });
        load_pyramid_cached(*src_world, straight, deepest->level, scratch->pyramid_source, scratch->pyramid);
    }
    const std::vector<SamplePass> passes = passes_of(maps, plans, *src_world, scratch->pyramid);
    const bool in_front = comp_mode->xfer == PF_Xfer_IN_FRONT;
    if (dst_world->world_flags & PF_WorldFlag_DEEP) {
        const float opacity = std::min(float(comp_mode->opacitySu) / 32768.0f, 1.0f);
        composite_rows<PF_Pixel16>(passes, straight, in_front, opacity, clip, scratch->row, *dst_world);
    } else {
        const float opacity = float(comp_mode->opacity) / 255.0f;
        composite_rows<PF_Pixel>(passes, straight, in_front, opacity, clip, scratch->row, *dst_world);
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

}  // namespace vorlane::host
