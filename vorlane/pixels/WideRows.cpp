#include "pixels/WideRows.h"

#include "pixels/PremulRow8.h"
#include "pixels/TransformRows.h"
#include "pixels/WideLanes.h"

namespace vorlane::host {

#if defined(VORLANE_WIDE_ROWS)

namespace {

using wide::channel8;
using wide::load_pair;
using wide::rounded8;
using wide::sample_channels8;
using wide::SampleChannels8;
using wide::side_by_side;
using wide::splat;

VORLANE_WIDE __m256 lerp8(__m256 a, __m256 b, __m256 t) {
    return _mm256_add_ps(a, _mm256_mul_ps(_mm256_sub_ps(b, a), t));
}

// The fixed-point coordinates of two taps side by side, (u0, v0, u1, v1), as `two_taps` takes them.
VORLANE_WIDE __m256i tap_pair(std::int64_t u, std::int64_t v, std::int64_t du, std::int64_t dv) {
    return _mm256_setr_epi64x(u, v, u + du, v + dv);
}

// The taps at (u0, v0) and (u1, v1), the first in the low half: the two texels of a tap's row sit side by side in
// memory, and each half of a register holds one tap's texel, so the lerps of `BilinearTap` run on both at once.
// The weights come from the coordinates' fractions, all four at once, as `fraction` takes them.
VORLANE_WIDE __m256 two_taps(const BilinearTap& tap, __m256i uv, std::int64_t u0, std::int64_t v0, std::int64_t u1,
                             std::int64_t v1) {
    const float* a = tap.origin + whole(v0) * tap.stride + 4 * whole(u0);
    const float* b = tap.origin + whole(v1) * tap.stride + 4 * whole(u1);
    const std::ptrdiff_t s = tap.stride;
    const __m256i bits = _mm256_and_si256(_mm256_srli_epi64(uv, kSpanFractionBits - kWeightBits),
                                          _mm256_set1_epi64x((1 << kWeightBits) - 1));
    const __m256 f = _mm256_mul_ps(_mm256_cvtepi32_ps(bits), splat(1.0f / float(1 << kWeightBits)));
    // Each half holds one tap's fractions, (u, v), so each spreads over its half without crossing halves.
    const __m256 fx = _mm256_shuffle_ps(f, f, _MM_SHUFFLE(0, 0, 0, 0));
    const __m256 fy = _mm256_shuffle_ps(f, f, _MM_SHUFFLE(2, 2, 2, 2));
    const __m256 top = lerp8(load_pair(a, b), load_pair(a + 4, b + 4), fx);
    const __m256 bottom = lerp8(load_pair(a + s, b + s), load_pair(a + s + 4, b + s + 4), fx);
    return lerp8(top, bottom, fy);
}

// A colour channel of the blend, into its byte of `out`.
template <int Shift>
VORLANE_WIDE __m256i blend_colour8(__m256 c, __m256i d, __m256 keep, __m256 k, __m256i out) {
    const __m256 below = _mm256_mul_ps(_mm256_mul_ps(channel8<Shift>(d), splat(1.0f / 255.0f)), keep);
    return _mm256_or_si256(out, rounded8<Shift>(_mm256_mul_ps(_mm256_add_ps(c, below), k)));
}

// `lay_premultiplied4` on eight samples.
VORLANE_WIDE void lay_premultiplied8(const Lanes* samples, PF_Pixel* dst, __m256 opacity) {
    const SampleChannels8 s = sample_channels8(samples);
    const __m256 sa = _mm256_mul_ps(s.a, opacity);
    const __m256 drawn = _mm256_cmp_ps(sa, splat(kLeastAlpha8), _CMP_GE_OQ);
    if (_mm256_movemask_ps(drawn) == 0) {
        return;
    }
    const __m256 red = _mm256_mul_ps(s.r, opacity);
    const __m256 green = _mm256_mul_ps(s.g, opacity);
    const __m256 blue = _mm256_mul_ps(s.b, opacity);
    if (_mm256_movemask_ps(_mm256_cmp_ps(sa, splat(1.0f), _CMP_EQ_OQ)) == 0xFF) {
        // Eight opaque samples hide what is below (the blend keeps none of it and divides by 1), so the
        // destination need not be read.
        const __m256 full = splat(255.0f);
        __m256i out = rounded8<0>(full);
        out = _mm256_or_si256(out, rounded8<8>(_mm256_mul_ps(red, full)));
        out = _mm256_or_si256(out, rounded8<16>(_mm256_mul_ps(green, full)));
        out = _mm256_or_si256(out, rounded8<24>(_mm256_mul_ps(blue, full)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), out);
        return;
    }
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst));
    const __m256 below = _mm256_mul_ps(channel8<0>(d), splat(1.0f / 255.0f));
    const __m256 keep = _mm256_mul_ps(below, _mm256_sub_ps(splat(1.0f), sa));
    const __m256 alpha = _mm256_add_ps(sa, keep);
    const __m256 safe = _mm256_blendv_ps(splat(1.0f), alpha, _mm256_cmp_ps(alpha, splat(0.25f / 255.0f), _CMP_GT_OQ));
    const __m256 k = _mm256_div_ps(splat(255.0f), safe);
    __m256i out = rounded8<0>(_mm256_mul_ps(alpha, splat(255.0f)));
    out = blend_colour8<8>(red, d, keep, k, out);
    out = blend_colour8<16>(green, d, keep, k, out);
    out = blend_colour8<24>(blue, d, keep, k, out);
    const __m256 laid = _mm256_blendv_ps(_mm256_castsi256_ps(d), _mm256_castsi256_ps(out), drawn);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), _mm256_castps_si256(laid));
}

}  // namespace

bool wide_rows_available() {
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}

[[gnu::target("avx2")]] void accumulate_wide(Lanes* sums, const PassRow& span, const BilinearTap& source,
                                             float weight) {
    // A copy the stores to `sums`, which may alias anything, cannot change: it stays in registers.
    const BilinearTap tap = source;
    std::int64_t u = span.u.start, v = span.v.start;
    const std::int64_t du = span.u.step, dv = span.v.step;
    const A_long count = span.end - span.begin;
    const __m256 w = splat(weight);
    __m256i uv = tap_pair(u, v, du, dv);
    const __m256i step = tap_pair(2 * du, 2 * dv, 0, 0);
    A_long n = 0;
    for (; n + 2 <= count; n += 2) {
        float* s = reinterpret_cast<float*>(sums + n);
        const __m256 taps = two_taps(tap, uv, u, v, u + du, v + dv);
        _mm256_storeu_ps(s, _mm256_add_ps(_mm256_loadu_ps(s), _mm256_mul_ps(taps, w)));
        uv = _mm256_add_epi64(uv, step);
        u += 2 * du;
        v += 2 * dv;
    }
    if (n < count) {
        sums[n] += tap(u, v) * weight;
    }
}

[[gnu::target("avx2")]] void lay_premultiplied_row8_wide(const Lanes* samples, PF_Pixel* dst, A_long count,
                                                         float opacity) {
    wide::lay_in_eights<PF_Pixel, lay_premultiplied8>(samples, dst, int(count), opacity);
}

[[gnu::target("avx2")]] void sample_span_wide(Lanes* samples, const PassRow& span, const BilinearTap& source) {
    const BilinearTap tap = source;  // in registers, as in `accumulate_wide`
    std::int64_t u = span.u.start, v = span.v.start;
    const std::int64_t du = span.u.step, dv = span.v.step;
    const A_long count = span.end - span.begin;
    __m256i uv = tap_pair(u, v, du, dv);
    const __m256i step = tap_pair(2 * du, 2 * dv, 0, 0);
    A_long n = 0;
    for (; n + 2 <= count; n += 2) {
        _mm256_storeu_ps(reinterpret_cast<float*>(samples + n), two_taps(tap, uv, u, v, u + du, v + dv));
        uv = _mm256_add_epi64(uv, step);
        u += 2 * du;
        v += 2 * dv;
    }
    if (n < count) {
        samples[n] = tap(u, v);
    }
}

#else

bool wide_rows_available() {
    return false;
}

void accumulate_wide(Lanes* sums, const PassRow& span, const BilinearTap& tap, float weight) {
    rows::accumulate(sums, span, tap, weight);
}

void lay_premultiplied_row8_wide(const Lanes* samples, PF_Pixel* dst, A_long count, float opacity) {
    lay_premultiplied_row8(samples, dst, count, opacity);
}

void sample_span_wide(Lanes* samples, const PassRow& span, const BilinearTap& tap) {
    rows::sample_span(samples, span, tap);
}

#endif

}  // namespace vorlane::host
