// Laying premultiplied samples in front of straight-alpha 16-bit pixels eight at a time: `InFrontOfStraight` on
// eight lanes, one register per channel, its branches made selections and its arithmetic done operation for
// operation, so that every pixel comes out as the one-pixel code lays it.
#include "pixels/SpanBlend.h"
#include "pixels/WideLanes.h"
#include "pixels/WideRows.h"

namespace vorlane::host {

#if defined(VORLANE_WIDE_ROWS)

namespace {

using wide::sample_channels8;
using wide::SampleChannels8;
using wide::splat;

constexpr float kFull16 = float(PixelTraits<PF_Pixel16>::kMax);

// Eight 16-bit pixels as one register of 32-bit integers per channel, the pixels in order.
struct PixelChannels16 {
    __m256i a, r, g, b;
};

VORLANE_WIDE PixelChannels16 load_channels16(const PF_Pixel16* pixels) {
    const __m256i p0123 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels));
    const __m256i p4567 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels + 4));
    const __m256i p01 = _mm256_permute2x128_si256(p0123, p4567, 0x20);  // and 4, 5 in the high half
    const __m256i p23 = _mm256_permute2x128_si256(p0123, p4567, 0x31);  // and 6, 7
    const __m256i even = _mm256_unpacklo_epi16(p01, p23);               // a0 a2 r0 r2 g0 g2 b0 b2
    const __m256i odd = _mm256_unpackhi_epi16(p01, p23);                // a1 a3 r1 r3 g1 g3 b1 b3
    const __m256i ar = _mm256_unpacklo_epi16(even, odd);                // a0 a1 a2 a3 r0 r1 r2 r3
    const __m256i gb = _mm256_unpackhi_epi16(even, odd);                // g0 g1 g2 g3 b0 b1 b2 b3
    const __m256i zero = _mm256_setzero_si256();
    return {_mm256_unpacklo_epi16(ar, zero), _mm256_unpackhi_epi16(ar, zero), _mm256_unpacklo_epi16(gb, zero),
            _mm256_unpackhi_epi16(gb, zero)};
}

// The steps of `load_channels16` undone; the channels are in 0..65535.
VORLANE_WIDE void store_channels16(const PixelChannels16& c, PF_Pixel16* pixels) {
    const __m256i ar = _mm256_packus_epi32(c.a, c.r);
    const __m256i gb = _mm256_packus_epi32(c.g, c.b);
    const __m256i ag = _mm256_unpacklo_epi16(ar, gb);  // a0 g0 a1 g1 a2 g2 a3 g3
    const __m256i rb = _mm256_unpackhi_epi16(ar, gb);  // r0 b0 r1 b1 r2 b2 r3 b3
    const __m256i p01 = _mm256_unpacklo_epi16(ag, rb);
    const __m256i p23 = _mm256_unpackhi_epi16(ag, rb);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixels), _mm256_permute2x128_si256(p01, p23, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixels + 4), _mm256_permute2x128_si256(p01, p23, 0x31));
}

VORLANE_WIDE __m256 unit16(__m256i channel) {
    return _mm256_mul_ps(_mm256_cvtepi32_ps(channel), splat(1.0f / kFull16));
}

// Lanes in 0..kFull16 rounded to the nearest value; they are never negative.
VORLANE_WIDE __m256i rounded16(__m256 x) {
    return _mm256_cvttps_epi32(_mm256_min_ps(_mm256_add_ps(x, splat(0.5f)), splat(kFull16)));
}

// A lane in 0..1 as a channel value.
VORLANE_WIDE __m256i scaled16(__m256 x) {
    return rounded16(_mm256_mul_ps(x, splat(kFull16)));
}

// What `InFrontOfStraight` gives a channel: the opaque sample's own value, or the blend's.
struct Blend16 {
    __m256 keep, scale, opaque;

    VORLANE_WIDE __m256i colour(__m256 s, __m256i d) const {
        const __m256 blended = _mm256_mul_ps(_mm256_add_ps(s, _mm256_mul_ps(unit16(d), keep)), scale);
        return rounded16(_mm256_blendv_ps(blended, _mm256_mul_ps(s, splat(kFull16)), opaque));
    }
};

VORLANE_WIDE __m256i kept_where(__m256 drawn, __m256i laid, __m256i kept) {
    return _mm256_castps_si256(_mm256_blendv_ps(_mm256_castsi256_ps(kept), _mm256_castsi256_ps(laid), drawn));
}

VORLANE_WIDE void lay_premultiplied16(const Lanes* samples, PF_Pixel16* dst, __m256 opacity) {
    const SampleChannels8 s = sample_channels8(samples);
    const __m256 sa = _mm256_mul_ps(s.a, opacity);
    const __m256 drawn = _mm256_cmp_ps(sa, splat(kLeastAlpha<PF_Pixel16>), _CMP_GE_OQ);
    if (_mm256_movemask_ps(drawn) == 0) {
        return;
    }
    const __m256 opaque = _mm256_cmp_ps(sa, splat(1.0f), _CMP_GE_OQ);
    if (_mm256_movemask_ps(opaque) == 0xFF) {
        // Eight opaque samples hide what is below, which then need not be read.
        store_channels16({scaled16(sa), scaled16(_mm256_mul_ps(s.r, opacity)), scaled16(_mm256_mul_ps(s.g, opacity)),
                          scaled16(_mm256_mul_ps(s.b, opacity))},
                         dst);
        return;
    }
    const PixelChannels16 d = load_channels16(dst);
    const __m256 keep = _mm256_mul_ps(unit16(d.a), _mm256_sub_ps(splat(1.0f), sa));
    const __m256 sum = _mm256_add_ps(sa, keep);
    const Blend16 blend{keep, _mm256_div_ps(splat(kFull16), sum), opaque};
    const __m256 alpha =
        _mm256_blendv_ps(_mm256_mul_ps(sum, splat(kFull16)), _mm256_mul_ps(sa, splat(kFull16)), blend.opaque);
    const PixelChannels16 out{kept_where(drawn, rounded16(alpha), d.a),
                              kept_where(drawn, blend.colour(_mm256_mul_ps(s.r, opacity), d.r), d.r),
                              kept_where(drawn, blend.colour(_mm256_mul_ps(s.g, opacity), d.g), d.g),
                              kept_where(drawn, blend.colour(_mm256_mul_ps(s.b, opacity), d.b), d.b)};
    store_channels16(out, dst);
}

}  // namespace

[[gnu::target("avx2")]] void lay_premultiplied_row16_wide(const Lanes* samples, PF_Pixel16* dst, A_long count,
                                                          float opacity) {
    wide::lay_in_eights<PF_Pixel16, lay_premultiplied16>(samples, dst, int(count), opacity);
}

#else

void lay_premultiplied_row16_wide(const Lanes* samples, PF_Pixel16* dst, A_long count, float opacity) {
    const InFrontOfStraight layer{opacity};
    for (A_long n = 0; n < count; ++n) {
        layer(samples[n], dst[n]);
    }
}

#endif

}  // namespace vorlane::host
