// Laying a row of premultiplied samples (lanes in 0..1) in front of a straight-alpha 8-bit destination, four pixels
// at a time: the samples are turned into one register per channel, so that the blend, its division included, runs
// on four pixels at once.
#pragma once

#include <algorithm>
#include <cstring>

#include "pixels/NearestRow8.h"

namespace vorlane::host {

inline void lay_premultiplied4(const Lanes* samples, PF_Pixel* dst, float opacity) {
    const Lanes& s0 = samples[0];
    const Lanes& s1 = samples[1];
    const Lanes& s2 = samples[2];
    const Lanes& s3 = samples[3];
    const Lanes sa = Lanes{s0[0], s1[0], s2[0], s3[0]} * opacity;
    if (!(sa[0] >= kLeastAlpha8 || sa[1] >= kLeastAlpha8 || sa[2] >= kLeastAlpha8 || sa[3] >= kLeastAlpha8)) {
        return;
    }
    Pixels4 d;
    std::memcpy(&d, dst, sizeof d);
    const Lanes keep = channel4(d, 0) * (1.0f / 255.0f) * (1.0f - sa);
    const Lanes alpha = sa + keep;
    const Lanes safe = alpha > 0.25f / 255.0f ? alpha : Lanes{} + 1.0f;
    const Lanes k = 255.0f / safe;
    Pixels4 out = rounded4(alpha * 255.0f, 0);
    for (int lane = 1; lane < 4; ++lane) {
        const Lanes c = Lanes{s0[lane], s1[lane], s2[lane], s3[lane]} * opacity;
        const int shift = 8 * lane;
        out |= rounded4((c + channel4(d, shift) * (1.0f / 255.0f) * keep) * k, shift);
    }
    const Pixels4 drawn = Pixels4(sa >= kLeastAlpha8);
    d = (out & drawn) | (d & ~drawn);
    std::memcpy(dst, &d, sizeof d);
}

inline void lay_premultiplied_row8(const Lanes* samples, PF_Pixel* dst, A_long count, float opacity) {
    A_long n = 0;
    for (; n + 4 <= count; n += 4) {
        lay_premultiplied4(samples + n, dst + n, opacity);
    }
    if (n < count) {
        // The last few go through a group padded with clear samples, which change nothing. Fixed-length copies
        // (the index clamped inside the span) keep the compiler from calling memcpy for a few bytes.
        const A_long left = count - n;
        Lanes rest[4];
        PF_Pixel kept[4];
        for (A_long i = 0; i < 4; ++i) {
            rest[i] = i < left ? samples[n + i] : Lanes{};
            kept[i] = dst[n + std::min(i, left - 1)];
        }
        lay_premultiplied4(rest, kept, opacity);
        for (A_long i = 0; i < 4; ++i) {
            if (i < left) {
                dst[n + i] = kept[i];
            }
        }
    }
}

}  // namespace vorlane::host
