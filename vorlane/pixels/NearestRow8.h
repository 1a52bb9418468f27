// The low-quality case on 8 bits, four pixels at a time: nearest source pixels with straight alpha laid in front
// of a straight-alpha destination, arithmetic on whole registers of four pixels, with clear groups skipped and
// opaque groups at full opacity copied.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "pixels/Lanes.h"
#include "pixels/SamplePass.h"

namespace vorlane::host {

using Pixels4 = std::uint32_t __attribute__((vector_size(16)));

// Coverage below half a step of 8 bits changes nothing that could be stored.
constexpr float kLeastAlpha8 = 0.5f / 255.0f;

// One channel of four pixels as floats; `shift` picks it (alpha is the lowest byte).
inline Lanes channel4(Pixels4 p, int shift) {
    return __builtin_convertvector(LaneInts((p >> shift) & 255u), Lanes);
}

inline Pixels4 rounded4(Lanes x, int shift) {
    const Lanes r = x + 0.5f;
    const Lanes top = Lanes{} + 255.0f;
    return Pixels4(__builtin_convertvector(r < top ? r : top, LaneInts)) << shift;
}

// `s` in front of `d`, both straight, the source's alpha scaled by `opacity`; pixels whose source alpha would
// not change a stored value keep `d`.
inline Pixels4 in_front4(Pixels4 s, Pixels4 d, float opacity) {
    const Lanes sa = channel4(s, 0) * opacity, da = channel4(d, 0);
    const Lanes keep = da * (1.0f - sa * (1.0f / 255.0f));
    const Lanes alpha = sa + keep;
    const Lanes safe = alpha > 0.25f ? alpha : Lanes{} + 1.0f;
    const Lanes k = 1.0f / safe;
    Pixels4 out = rounded4(alpha, 0);
    for (const int shift : {8, 16, 24}) {
        out |= rounded4((channel4(s, shift) * sa + channel4(d, shift) * keep) * k, shift);
    }
    const Pixels4 drawn = Pixels4(sa >= 0.5f);
    return (out & drawn) | (d & ~drawn);
}

// Four source pixels, as loaded, over four destination pixels.
inline void lay_pixels4(const std::uint32_t (&p)[4], PF_Pixel* dst, float opacity) {
    const std::uint32_t any = p[0] | p[1] | p[2] | p[3], all = p[0] & p[1] & p[2] & p[3];
    if ((any & 255u) == 0) {
        return;
    }
    const Pixels4 s = {p[0], p[1], p[2], p[3]};
    if (opacity == 1.0f && (all & 255u) == 255u) {
        std::memcpy(dst, &s, sizeof s);
        return;
    }
    Pixels4 d;
    std::memcpy(&d, dst, sizeof d);
    if (opacity == 1.0f && ((d[0] | d[1] | d[2] | d[3]) & 255u) == 0) {
        // Over clear pixels at full opacity the blend gives back each drawn source pixel exactly (its colours
        // times its alpha, divided by it again, round to themselves), so it is copied.
        const Pixels4 drawn = Pixels4((s & 255u) != 0u);
        d = (s & drawn) | (d & ~drawn);
    } else {
        d = in_front4(s, d, opacity);
    }
    std::memcpy(dst, &d, sizeof d);
}

// Loads each group of four source pixels straight into registers and lays it.
inline void draw_nearest_span8(PF_Pixel* row, const PassRow& span, const PF_EffectWorld& src, float opacity) {
    const char* origin = reinterpret_cast<const char*>(src.data);
    const std::ptrdiff_t rowbytes = src.rowbytes;
    const std::int64_t du = span.u.step, dv = span.v.step;
    std::int64_t u = span.u.start, v = span.v.start;
    auto next = [&] {
        std::uint32_t p;
        std::memcpy(&p, origin + (v >> kSpanFractionBits) * rowbytes + 4 * (u >> kSpanFractionBits), 4);
        u += du;
        v += dv;
        return p;
    };
    const A_long count = span.end - span.begin;
    PF_Pixel* out = row + span.begin;
    A_long n = 0;
    for (; n + 4 <= count; n += 4) {
        const std::uint32_t p[4] = {next(), next(), next(), next()};
        lay_pixels4(p, out + n, opacity);
    }
    if (n < count) {
        // The last few go through a group padded with clear pixels, which change nothing. Fixed-length copies (the
        // index clamped inside the span) keep the compiler from calling memcpy for a few bytes.
        const A_long left = count - n;
        std::uint32_t p[4];
        PF_Pixel kept[4];
        for (A_long i = 0; i < 4; ++i) {
            p[i] = i < left ? next() : 0u;
            kept[i] = out[n + std::min(i, left - 1)];
        }
        lay_pixels4(p, kept, opacity);
        for (A_long i = 0; i < 4; ++i) {
            if (i < left) {
                out[n + i] = kept[i];
            }
        }
    }
}

}  // namespace vorlane::host
