// The row loops of the transform kernel: for each destination row, the spans of its sample passes, sampled and
// laid on the destination — in one go for a single pass, through a row of weighted sums for several. The 8-bit
// "in front of straight alpha" case, the effect's, lays four pixels at a time.
#pragma once

#include <algorithm>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "pixels/ClearEnds.h"
#include "pixels/NearestRow8.h"
#include "pixels/PremulRow8.h"
#include "pixels/SamplePass.h"
#include "pixels/SpanBlend.h"
#include "pixels/TexelSampling.h"
#include "pixels/WideRows.h"

namespace vorlane::host::rows {

// The row, at least `count` long.
inline Lanes* row_of(std::vector<Lanes>& row, std::size_t count) {
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
// processor's prefetcher to catch up with; asking for a row's pixels a few rows ahead hides some of the wait.
// Far enough ahead for the memory to answer before the row is laid, near enough that the pixels are still cached.
constexpr A_long kPrefetchRowsAhead = 6;

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

// Lays a row of samples (or weighted sums of them): the effect's layering a register of pixels at a time, any
// other one pixel by pixel.
template <class Dst, class Layer>
void lay_sums(Dst* pixels, const Lanes* sums, A_long count, const Layer layer) {
    if constexpr (std::is_same_v<Layer, InFrontOfStraight>) {
        const bool wide = wide_rows_available();
        if constexpr (std::is_same_v<Dst, PF_Pixel>) {
            if (wide) {
                lay_premultiplied_row8_wide(sums, pixels, count, layer.opacity);
            } else {
                lay_premultiplied_row8(sums, pixels, count, layer.opacity);
            }
            return;
        } else if (wide) {
            lay_premultiplied_row16_wide(sums, pixels, count, layer.opacity);
            return;
        }
    }
    for (A_long n = 0; n < count; ++n) {
        layer(sums[n], pixels[n]);
    }
}

template <class Dst, class Layer>
void draw_single_pass(const SamplePass& pass, bool straight, const PF_Rect& clip, const Layer& layer,
                      std::vector<Lanes>& row, PF_EffectWorld& dst) {
    A_long top, bottom;
    pass_rows(pass, clip, top, bottom);
    // A pure translation keeps its weights along the row.
    if (!pass.nearest && pass.u_x == 1.0 && pass.v_x == 0.0) {
        for (A_long y = top; y < bottom; ++y) {
            const PassRow span = drawn_row(pass, y, clip);
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
            const bool wide = wide_rows_available();
            for (A_long y = top; y < bottom; ++y) {
                const PassRow span = drawn_row(pass, y, clip);
                if (span.begin < span.end) {
                    prefetch_span<Dst>(dst, y + kPrefetchRowsAhead, span.begin, span.end);
                    PF_Pixel* pixels = pixel_row<PF_Pixel>(dst, y);
                    if (wide) {
                        draw_nearest_span8_wide(pixels, span, *pass.world, layer.opacity);
                    } else {
                        draw_nearest_span8(pixels, span, *pass.world, layer.opacity);
                    }
                }
            }
            return;
        }
    }
    if constexpr (std::is_same_v<Layer, InFrontOfStraight>) {
        const bool wide = wide_rows_available();
        // 16-bit pixels are laid a row at a time only on eight lanes; otherwise one at a time, below.
        if (!pass.nearest && (wide || std::is_same_v<Dst, PF_Pixel>)) {
            Lanes* samples = row_of(row, std::size_t(clip.right - clip.left));
            const BilinearTap tap(*pass.image);
            for (A_long y = top; y < bottom; ++y) {
                const PassRow span = drawn_row(pass, y, clip);
                if (span.begin < span.end) {
                    prefetch_span<Dst>(dst, y + kPrefetchRowsAhead, span.begin, span.end);
                    if (wide) {
                        sample_span_wide(samples, span, tap);
                    } else {
                        sample_span(samples, span, tap);
                    }
                    lay_sums(pixel_row<Dst>(dst, y) + span.begin, samples, span.end - span.begin, layer);
                }
            }
            return;
        }
    }
    with_tap(pass, straight, [&](const auto& tap) {
        for (A_long y = top; y < bottom; ++y) {
            const PassRow span = drawn_row(pass, y, clip);
            if (span.begin < span.end) {
                prefetch_span<Dst>(dst, y + kPrefetchRowsAhead, span.begin, span.end);
                draw_span(pixel_row<Dst>(dst, y), span, tap, layer);
            }
        }
    });
}

// Several passes add their weighted samples into a row of sums over the union of their spans, which is then laid
// in one go.
template <class Dst, class Layer>
void draw_passes(const std::vector<SamplePass>& passes, bool straight, const PF_Rect& clip, const Layer& layer,
                 std::vector<Lanes>& row, PF_EffectWorld& dst) {
    Lanes* sums = row_of(row, std::size_t(clip.right - clip.left));
    std::vector<PassRow> spans(passes.size());
    const bool wide = wide_rows_available();
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
            spans[i] = drawn_row(passes[i], y, clip);
            if (spans[i].begin < spans[i].end) {
                begin = std::min(begin, spans[i].begin);
                end = std::max(end, spans[i].end);
            }
        }
        if (begin >= end) {
            continue;
        }
        prefetch_span<Dst>(dst, y + kPrefetchRowsAhead, begin, end);
        std::fill(sums, sums + (end - begin), Lanes{});
        for (std::size_t i = 0; i < passes.size(); ++i) {
            if (spans[i].begin >= spans[i].end) {
                continue;
            }
            Lanes* at = sums + (spans[i].begin - begin);
            if (wide && !passes[i].nearest) {
                accumulate_wide(at, spans[i], BilinearTap(*passes[i].image), passes[i].weight);
            } else {
                with_tap(passes[i], straight,
                         [&](const auto& tap) { accumulate(at, spans[i], tap, passes[i].weight); });
            }
        }
        lay_sums(pixel_row<Dst>(dst, y) + begin, sums, end - begin, layer);
    }
}

template <class Dst, class Layer>
void draw(const std::vector<SamplePass>& passes, bool straight, const PF_Rect& clip, const Layer& layer,
          std::vector<Lanes>& row, PF_EffectWorld& dst) {
    if (passes.size() == 1) {
        draw_single_pass<Dst>(passes[0], straight, clip, layer, row, dst);
    } else {
        draw_passes<Dst>(passes, straight, clip, layer, row, dst);
    }
}

}  // namespace vorlane::host::rows
