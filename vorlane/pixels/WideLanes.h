// Eight float lanes (AVX2) for the kernel's wide rows: the helpers every eight-lane row shares. Only code compiled
// for those registers may include this, and only on x86-64 with GCC or clang, where VORLANE_WIDE_ROWS is defined.
#pragma once

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

#include <cstdint>

#include "pixels/Lanes.h"
#define VORLANE_WIDE_ROWS 1

// The helpers are inlined into the eight-lane functions, the only code that may use the wider instructions.
#define VORLANE_WIDE [[gnu::target("avx2"), gnu::always_inline]] inline

namespace vorlane::host::wide {

VORLANE_WIDE __m256 side_by_side(__m128 low, __m128 high) {
    return _mm256_insertf128_ps(_mm256_castps128_ps256(low), high, 1);
}

VORLANE_WIDE __m256 load_pair(const float* low, const float* high) {
    return side_by_side(_mm_loadu_ps(low), _mm_loadu_ps(high));
}

VORLANE_WIDE __m256 splat(float x) {
    return _mm256_set1_ps(x);
}

// The last few (fewer than eight) samples of a row and the pixels under them, padded to eight with clear samples,
// which lay nothing, so that they go through the eight-pixel blend; only the real pixels are put back.
template <class Pixel>
struct LastFew {
    Lanes samples[8];
    Pixel pixels[8];
    int left;

    LastFew(const Lanes* s, const Pixel* d, int count) : left(count) {
        for (int i = 0; i < 8; ++i) {
            samples[i] = i < left ? s[i] : Lanes{};
            pixels[i] = i < left ? d[i] : Pixel{};
        }
    }
    void put_back(Pixel* d) const {
        for (int i = 0; i < left; ++i) {
            d[i] = pixels[i];
        }
    }
};

// Lays a row of samples eight pixels at a time with Lay, the last few through `LastFew`.
template <class Pixel, void (*Lay)(const Lanes*, Pixel*, __m256)>
VORLANE_WIDE void lay_in_eights(const Lanes* samples, Pixel* dst, int count, float opacity) {
    const __m256 o = _mm256_set1_ps(opacity);
    int n = 0;
    for (; n + 8 <= count; n += 8) {
        Lay(samples + n, dst + n, o);
    }
    if (n < count) {
        LastFew<Pixel> last(samples + n, dst + n, count - n);
        Lay(last.samples, last.pixels, o);
        last.put_back(dst + n);
    }
}

// Eight premultiplied samples as one register per channel, the samples in order.
struct SampleChannels8 {
    __m256 a, r, g, b;
};

// Samples n and n + 4 are loaded side by side and transposed within each half.
VORLANE_WIDE SampleChannels8 sample_channels8(const Lanes* samples) {
    const float* f = reinterpret_cast<const float*>(samples);
    const __m256 p04 = load_pair(f, f + 16), p15 = load_pair(f + 4, f + 20);
    const __m256 p26 = load_pair(f + 8, f + 24), p37 = load_pair(f + 12, f + 28);
    const __m256 ar01 = _mm256_unpacklo_ps(p04, p15), ar23 = _mm256_unpacklo_ps(p26, p37);
    const __m256 gb01 = _mm256_unpackhi_ps(p04, p15), gb23 = _mm256_unpackhi_ps(p26, p37);
    return {
        _mm256_shuffle_ps(ar01, ar23, _MM_SHUFFLE(1, 0, 1, 0)), _mm256_shuffle_ps(ar01, ar23, _MM_SHUFFLE(3, 2, 3, 2)),
        _mm256_shuffle_ps(gb01, gb23, _MM_SHUFFLE(1, 0, 1, 0)), _mm256_shuffle_ps(gb01, gb23, _MM_SHUFFLE(3, 2, 3, 2))};
}

// One channel of eight 8-bit pixels as floats; Shift picks it (alpha is the lowest byte).
template <int Shift>
VORLANE_WIDE __m256 channel8(__m256i p) {
    return _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(p, Shift), _mm256_set1_epi32(255)));
}

// Lanes in 0..255 rounded to the nearest value (they are never negative), into the byte Shift picks.
template <int Shift>
VORLANE_WIDE __m256i rounded8(__m256 x) {
    const __m256 r = _mm256_min_ps(_mm256_add_ps(x, splat(0.5f)), splat(255.0f));
    return _mm256_slli_epi32(_mm256_cvttps_epi32(r), Shift);
}

// The whole parts of eight fixed-point coordinates, in order, as 32-bit integers: `even` holds those of points 0,
// 2, 4 and 6, `odd` those of 1, 3, 5 and 7, and a coordinate's whole part is its high word.
VORLANE_WIDE __m256i wholes(__m256i even, __m256i odd) {
    return _mm256_blend_epi32(_mm256_srli_epi64(even, 32), odd, 0xAA);
}

// The coordinates of points first, first + 2, first + 4 and first + 6 of a line.
VORLANE_WIDE __m256i lane_points(std::int64_t start, std::int64_t step, int first) {
    return _mm256_setr_epi64x(start + first * step, start + (first + 2) * step, start + (first + 4) * step,
                              start + (first + 6) * step);
}

}  // namespace vorlane::host::wide

#endif
