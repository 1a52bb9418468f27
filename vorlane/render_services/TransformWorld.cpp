#include "vorlane/render_services/TransformWorld.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <type_traits>
#include <vector>

#include "vorlane/render_services/NearestRow8.h"
#include "vorlane/render_services/PremulRow8.h"
#include "vorlane/render_services/Resampler.h"
#include "vorlane/render_services/SamplePass.h"
#include "vorlane/render_services/SpanBlend.h"
#include "vorlane/render_services/TexelImage.h"
#include "vorlane/render_services/TexelSampling.h"
#include "vorlane/render_services/Worlds.h"

namespace vorlane {

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
                                  const PF_EffectWorld& world, const PyramidLease* pyramid) {
    std::vector<SamplePass> passes;
    for (std::size_t i = 0; i < maps.size(); ++i) {
        const Affine& m = maps[i];
        const double to_source[6] = {m.i00, m.i01, m.i10, m.i11, m.i20, m.i21};
        const SamplingPlan& plan = plans[i];
        if (plan.nearest) {
            passes.push_back(nearest_pass(world, to_source, 1.0f / float(maps.size())));
            continue;
        }
        const TexelImage& image = pyramid->level(plan.level);
        const float weight = 1.0f / float(plan.offsets.size() * maps.size());
        for (const SampleOffset& o : plan.offsets) {
            passes.push_back(bilinear_pass(image, to_source, o.du, o.dv, plan.level_scale, weight));
        }
    }
    return passes;
}

// A row of samples or pixels, kept with the thread: allocating it on every call costs more than small sprites do.
template <class T>
T* row_scratch(std::size_t count) {
    thread_local std::vector<T> row;
    if (row.size() < count) {
        row.resize(count);
    }
    return row.data();
}

// Calls `fn` with the tap that samples the pass.
template <class Fn>
void with_tap(const SamplePass& pass, bool straight, Fn&& fn) {
    if (!pass.nearest) {
        fn(BilinearTap(*pass.image));
    } else if (pass.world->world_flags & PF_WorldFlag_DEEP) {
        fn(NearestTap<PF_Pixel16>(*pass.world, straight));
    } else {
        fn(NearestTap<PF_Pixel>(*pass.world, straight));
    }
}

// Sprites land anywhere in a large destination, whose rows are then far from every cache and too short for the
// processor's prefetcher to catch up with; asking for a row's pixels a couple of rows ahead hides most of the wait.
template <class Dst>
void prefetch_span(const PF_EffectWorld& dst, A_long y, A_long begin, A_long end) {
    if (y >= dst.height) {
        return;
    }
    const char* row = reinterpret_cast<const char*>(pixel_row<Dst>(dst, y));
    const char* last = row + std::ptrdiff_t(end) * std::ptrdiff_t(sizeof(Dst)) - 1;
    for (const char* p = row + std::ptrdiff_t(begin) * std::ptrdiff_t(sizeof(Dst)); p <= last + 63; p += 64) {
        __builtin_prefetch(std::min(p, last), 1);
    }
}

// A single pass samples and lays each pixel in one go. Everything the loop reads is a local copy, so that the
// compiler keeps it in registers across the stores of pixel bytes, which may alias anything.
template <class Dst, class Tap, class Layer>
void draw_span(Dst* row, const PassRow span, const Tap tap, const Layer layer) {
    std::int64_t u = span.u.start, v = span.v.start;
    const std::int64_t du = span.u.step, dv = span.v.step;
    for (A_long x = span.begin; x < span.end; ++x) {
        layer(tap(u, v), row[x]);
        u += du;
        v += dv;
    }
}

template <class Tap>
void sample_span(Lanes* samples, const PassRow span, const Tap tap) {
    std::int64_t u = span.u.start, v = span.v.start;
    const std::int64_t du = span.u.step, dv = span.v.step;
    for (A_long n = 0; n < span.end - span.begin; ++n) {
        samples[n] = tap(u, v);
        u += du;
        v += dv;
    }
}

template <class Tap>
void accumulate(Lanes* sums, const PassRow span, const Tap tap, float weight) {
    std::int64_t u = span.u.start, v = span.v.start;
    const std::int64_t du = span.u.step, dv = span.v.step;
    for (A_long n = 0; n < span.end - span.begin; ++n) {
        sums[n] += tap(u, v) * weight;
        u += du;
        v += dv;
    }
}

template <class Dst, class Layer>
void draw_single_pass(const SamplePass& pass, bool straight, const PF_Rect& clip, const Layer& layer,
                      PF_EffectWorld& dst) {
    A_long top, bottom;
    pass_rows(pass, clip, top, bottom);
    // A pure translation keeps its weights along the row.
    if (!pass.nearest && pass.u_x == 1.0 && pass.v_x == 0.0) {
        for (A_long y = top; y < bottom; ++y) {
            const PassRow span = pass_row(pass, y, clip);
            if (span.begin >= span.end) {
                continue;
            }
            if (fraction(span.u.start) == 0.0f && fraction(span.v.start) == 0.0f) {
                draw_span(pixel_row<Dst>(dst, y), span, TexelTap(*pass.image, span.v.start), layer);
            } else {
                draw_span(pixel_row<Dst>(dst, y), span, TranslatedTap(*pass.image, span.u.start, span.v.start), layer);
            }
        }
        return;
    }
    if constexpr (std::is_same_v<Dst, PF_Pixel> && std::is_same_v<Layer, InFrontOfStraight>) {
        if (pass.nearest && !(pass.world->world_flags & PF_WorldFlag_DEEP)) {
            for (A_long y = top; y < bottom; ++y) {
                const PassRow span = pass_row(pass, y, clip);
                if (span.begin < span.end) {
                    prefetch_span<Dst>(dst, y + 6, span.begin, span.end);
                    draw_nearest_span8(pixel_row<PF_Pixel>(dst, y), span, *pass.world, layer.opacity);
                }
            }
            return;
        }
    }
    if constexpr (std::is_same_v<Dst, PF_Pixel> && std::is_same_v<Layer, InFrontOfStraight>) {
        if (!pass.nearest) {
            Lanes* samples = row_scratch<Lanes>(std::size_t(clip.right - clip.left));
            const BilinearTap tap(*pass.image);
            for (A_long y = top; y < bottom; ++y) {
                const PassRow span = pass_row(pass, y, clip);
                if (span.begin < span.end) {
                    prefetch_span<Dst>(dst, y + 6, span.begin, span.end);
                    sample_span(samples, span, tap);
                    lay_premultiplied_row8(samples, pixel_row<PF_Pixel>(dst, y) + span.begin, span.end - span.begin,
                                           layer.opacity);
                }
            }
            return;
        }
    }
    with_tap(pass, straight, [&](const auto& tap) {
        for (A_long y = top; y < bottom; ++y) {
            const PassRow span = pass_row(pass, y, clip);
            if (span.begin < span.end) {
                prefetch_span<Dst>(dst, y + 6, span.begin, span.end);
                draw_span(pixel_row<Dst>(dst, y), span, tap, layer);
            }
        }
    });
}

template <class Dst, class Layer>
void lay_sums(Dst* pixels, const Lanes* sums, A_long count, const Layer layer) {
    if constexpr (std::is_same_v<Dst, PF_Pixel> && std::is_same_v<Layer, InFrontOfStraight>) {
        lay_premultiplied_row8(sums, pixels, count, layer.opacity);
    } else {
        for (A_long n = 0; n < count; ++n) {
            layer(sums[n], pixels[n]);
        }
    }
}

// Several passes add their weighted samples into a row of sums over the union of their spans, which is then laid
// in one go.
template <class Dst, class Layer>
void draw_passes(const std::vector<SamplePass>& passes, bool straight, const PF_Rect& clip, const Layer& layer,
                 PF_EffectWorld& dst) {
    Lanes* sums = row_scratch<Lanes>(std::size_t(clip.right - clip.left));
    std::vector<PassRow> spans(passes.size());
    A_long top = clip.bottom, bottom = clip.top;
    for (const SamplePass& pass : passes) {
        A_long pass_top, pass_bottom;
        pass_rows(pass, clip, pass_top, pass_bottom);
        top = std::min(top, pass_top);
        bottom = std::max(bottom, pass_bottom);
    }
    for (A_long y = top; y < bottom; ++y) {
        A_long begin = clip.right, end = clip.left;
        for (std::size_t i = 0; i < passes.size(); ++i) {
            spans[i] = pass_row(passes[i], y, clip);
            if (spans[i].begin < spans[i].end) {
                begin = std::min(begin, spans[i].begin);
                end = std::max(end, spans[i].end);
            }
        }
        if (begin >= end) {
            continue;
        }
        prefetch_span<Dst>(dst, y + 6, begin, end);
        std::fill(sums, sums + (end - begin), Lanes{});
        for (std::size_t i = 0; i < passes.size(); ++i) {
            if (spans[i].begin < spans[i].end) {
                with_tap(passes[i], straight, [&](const auto& tap) {
                    accumulate(sums + (spans[i].begin - begin), spans[i], tap, passes[i].weight);
                });
            }
        }
        lay_sums(pixel_row<Dst>(dst, y) + begin, sums, end - begin, layer);
    }
}

template <class Dst, class Layer>
void draw(const std::vector<SamplePass>& passes, bool straight, const PF_Rect& clip, const Layer& layer,
          PF_EffectWorld& dst) {
    if (passes.size() == 1) {
        draw_single_pass<Dst>(passes[0], straight, clip, layer, dst);
    } else {
        draw_passes<Dst>(passes, straight, clip, layer, dst);
    }
}

template <class Dst>
void composite_rows(const std::vector<SamplePass>& passes, bool straight, bool in_front, float opacity,
                    const PF_Rect& clip, PF_EffectWorld& dst) {
    if (straight && in_front) {
        draw<Dst>(passes, straight, clip, InFrontOfStraight{opacity}, dst);
    } else {
        draw<Dst>(passes, straight, clip, AnyLayering{opacity, straight, in_front}, dst);
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
    std::optional<PyramidLease> pyramid;
    if (quality == PF_Quality_HI) {
        const auto deepest = std::max_element(plans.begin(), plans.end(),
                                              [](const auto& a, const auto& b) { return a.level < b.level; });
        pyramid.emplace(*src_world, straight, deepest->level);
    }
    const std::vector<SamplePass> passes = passes_of(maps, plans, *src_world, pyramid ? &*pyramid : nullptr);
    const bool in_front = comp_mode->xfer == PF_Xfer_IN_FRONT;
    if (dst_world->world_flags & PF_WorldFlag_DEEP) {
        const float opacity = std::min(float(comp_mode->opacitySu) / 32768.0f, 1.0f);
        composite_rows<PF_Pixel16>(passes, straight, in_front, opacity, clip, *dst_world);
    } else {
        const float opacity = float(comp_mode->opacity) / 255.0f;
        composite_rows<PF_Pixel>(passes, straight, in_front, opacity, clip, *dst_world);
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
