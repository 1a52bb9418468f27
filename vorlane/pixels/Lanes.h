// Four float lanes in one register: a premultiplied sample (alpha, red, green, blue, a pixel's byte order) or a
// pixel's channels. GCC's vector types lower to SSE on x86-64 (baseline, so the Windows build is the same code)
// and to plain scalar code elsewhere, without intrinsics or a check of the processor.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "pixels/PixelTraits.h"

namespace vorlane::host {

using Lanes = float __attribute__((vector_size(16)));
using LaneInts = int __attribute__((vector_size(16)));

template <class Pixel>
struct ChannelLanes;
template <>
struct ChannelLanes<PF_Pixel> {
    using Type = A_u_char __attribute__((vector_size(4)));
};
template <>
struct ChannelLanes<PF_Pixel16> {
    using Type = A_u_short __attribute__((vector_size(8)));
};

inline Lanes load_lanes(const float* p) {
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline Lanes lerp(Lanes a, Lanes b, float t) {
    return a + (b - a) * t;
}

#if defined(__SSE2__)
inline Lanes pixel_lanes(const PF_Pixel& p) {
    std::int32_t bytes;
    std::memcpy(&bytes, &p, sizeof bytes);
    const __m128i zero = _mm_setzero_si128();
    const __m128i words = _mm_unpacklo_epi8(_mm_cvtsi32_si128(bytes), zero);
    return Lanes(_mm_cvtepi32_ps(_mm_unpacklo_epi16(words, zero)));
}

// Lanes in 0..255, rounded to the nearest value; they are never negative.
inline void store_lanes(Lanes x, PF_Pixel& p) {
    const __m128i whole = _mm_cvttps_epi32(__m128(_mm_min_ps(__m128(x + 0.5f), _mm_set1_ps(255.0f))));
    const __m128i words = _mm_packs_epi32(whole, whole);
    const std::int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(&p, &bytes, sizeof bytes);
}
#endif

template <class Pixel>
inline Lanes pixel_lanes(const Pixel& p) {
    typename ChannelLanes<Pixel>::Type c;
    std::memcpy(&c, &p, sizeof c);
    return __builtin_convertvector(c, Lanes);
}

// Lanes in 0..kMax, rounded to the nearest value; they are never negative.
template <class Pixel>
inline void store_lanes(Lanes x, Pixel& p) {
    constexpr float kMax = float(PixelTraits<Pixel>::kMax);
    const Lanes rounded = x + 0.5f;
    const Lanes top = Lanes{} + kMax;
    const LaneInts whole = __builtin_convertvector(rounded < top ? rounded : top, LaneInts);
    const auto c = __builtin_convertvector(whole, typename ChannelLanes<Pixel>::Type);
    std::memcpy(&p, &c, sizeof c);
}

}  // namespace vorlane::host
