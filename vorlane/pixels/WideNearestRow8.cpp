// The low-quality 8-bit span on eight lanes: `draw_nearest_span8`'s groups of four made groups of eight, the source
// pixels gathered in one instruction and the blend of `in_front4` run on eight pixels, operation for operation.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

#include "pixels/NearestRow8.h"
#include "pixels/WideLanes.h"
#include "pixels/WideRows.h"

namespace vorlane::host {

#if defined(VORLANE_WIDE_ROWS)

namespace {

using wide::channel8;
using wide::lane_points;
using wide::rounded8;
using wide::splat;
using wide::wholes;

// A colour channel of `in_front8`, into its byte of `out`.
template <int Shift>
VORLANE_WIDE __m256i in_front_colour8(__m256i s, __m256i d, __m256 sa, __m256 keep, __m256 k, __m256i out) {
    const __m256 sum = _mm256_add_ps(_mm256_mul_ps(channel8<Shift>(s), sa), _mm256_mul_ps(channel8<Shift>(d), keep));
    return _mm256_or_si256(out, rounded8<Shift>(_mm256_mul_ps(sum, k)));
}

// `in_front4` on eight pixels.
VORLANE_WIDE __m256i in_front8(__m256i s, __m256i d, __m256 opacity) {
    const __m256 sa = _mm256_mul_ps(channel8<0>(s), opacity), da = channel8<0>(d);
    const __m256 keep = _mm256_mul_ps(da, _mm256_sub_ps(splat(1.0f), _mm256_mul_ps(sa, splat(1.0f / 255.0f))));
    const __m256 alpha = _mm256_add_ps(sa, keep);
    const __m256 safe = _mm256_blendv_ps(splat(1.0f), alpha, _mm256_cmp_ps(alpha, splat(0.25f), _CMP_GT_OQ));
    const __m256 k = _mm256_div_ps(splat(1.0f), safe);
    __m256i out = rounded8<0>(alpha);
    out = in_front_colour8<8>(s, d, sa, keep, k, out);
    out = in_front_colour8<16>(s, d, sa, keep, k, out);
    out = in_front_colour8<24>(s, d, sa, keep, k, out);
    const __m256 drawn = _mm256_cmp_ps(sa, splat(0.5f), _CMP_GE_OQ);
    return _mm256_castps_si256(_mm256_blendv_ps(_mm256_castsi256_ps(d), _mm256_castsi256_ps(out), drawn));
}

// Eight destination pixels, or those of them that `on` marks (the others read as clear and are left alone).
struct Destination8 {
    __m256i* at;
    __m256i on;
    bool whole;

    VORLANE_WIDE __m256i load() const {
        return whole ? _mm256_loadu_si256(at) : _mm256_maskload_epi32(reinterpret_cast<const int*>(at), on);
    }
    VORLANE_WIDE void store(__m256i p) const {
        if (whole) {
            _mm256_storeu_si256(at, p);
        } else {
            _mm256_maskstore_epi32(reinterpret_cast<int*>(at), on, p);
        }
    }
};

// `lay_pixels4` on eight source pixels, with its shortcuts taken when all eight allow them.
VORLANE_WIDE void lay_pixels8(__m256i s, const Destination8& dst, __m256 opacity, bool full) {
    const __m256i alpha_bits = _mm256_set1_epi32(255);
    const __m256i sa = _mm256_and_si256(s, alpha_bits);
    if (_mm256_testz_si256(sa, sa)) {
        return;
    }
    if (full && _mm256_movemask_epi8(_mm256_cmpeq_epi32(sa, alpha_bits)) == -1) {
        dst.store(s);
        return;
    }
    __m256i d = dst.load();
    if (full && _mm256_testz_si256(d, alpha_bits)) {
        // Over clear pixels at full opacity each drawn source pixel comes back exactly, as in the narrow code.
        const __m256i clear = _mm256_cmpeq_epi32(sa, _mm256_setzero_si256());
        d = _mm256_blendv_epi8(s, d, clear);
    } else {
        d = in_front8(s, d, opacity);
    }
    dst.store(d);
}

// Lanes 0 to valid - 1.
VORLANE_WIDE __m256i first_lanes(A_long valid) {
    return _mm256_cmpgt_epi32(_mm256_set1_epi32(valid), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
}

}  // namespace

[[gnu::target("avx2")]] void draw_nearest_span8_wide(PF_Pixel* row, const PassRow& span, const PF_EffectWorld& src,
                                                     float opacity) {
    static_assert(kSpanFractionBits == 32, "a point's whole part is the high word of its coordinate");
    // The gather takes 32-bit byte offsets into the source.
    const std::int64_t reach = std::int64_t(std::llabs(src.rowbytes)) * src.height + 4 * std::int64_t(src.width);
    if (reach > INT_MAX) {
        draw_nearest_span8(row, span, src, opacity);
        return;
    }
    const auto* origin = reinterpret_cast<const int*>(src.data);
    const std::int64_t du = span.u.step, dv = span.v.step;
    const A_long count = span.end - span.begin;
    __m256i u_even = lane_points(span.u.start, du, 0), u_odd = lane_points(span.u.start, du, 1);
    __m256i v_even = lane_points(span.v.start, dv, 0), v_odd = lane_points(span.v.start, dv, 1);
    const __m256i u_step = _mm256_set1_epi64x(8 * du), v_step = _mm256_set1_epi64x(8 * dv);
    const __m256i rowbytes = _mm256_set1_epi32(src.rowbytes);
    const __m256 o = splat(opacity);
    const bool full = opacity == 1.0f;
    PF_Pixel* out = row + span.begin;
    // A piece of the span is fetched whole before it is laid: the gathers, free of the laying's branches, then
    // overlap one another instead of each waiting for its pixels. The last group may be short: the pixels past
    // the span are neither read from the source nor touched in the destination.
    constexpr A_long kPiece = 256;
    std::int32_t fetched[kPiece];
    for (A_long n = 0; n < count; n += kPiece) {
        const A_long piece = std::min(kPiece, count - n);
        // The piece's destination is asked for while its source is gathered, which takes long enough for a
        // frame far from the caches to answer.
        for (A_long i = 0; i < piece; i += 16) {
            _mm_prefetch(reinterpret_cast<const char*>(out + n + i), _MM_HINT_T0);
        }
        _mm_prefetch(reinterpret_cast<const char*>(out + n + piece - 1), _MM_HINT_T0);
        for (A_long i = 0; i < piece; i += 8) {
            const __m256i offsets = _mm256_add_epi32(_mm256_mullo_epi32(wholes(v_even, v_odd), rowbytes),
                                                     _mm256_slli_epi32(wholes(u_even, u_odd), 2));
            const __m256i pixels =
                _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), origin, offsets, first_lanes(piece - i), 1);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(fetched + i), pixels);
            u_even = _mm256_add_epi64(u_even, u_step);
            u_odd = _mm256_add_epi64(u_odd, u_step);
            v_even = _mm256_add_epi64(v_even, v_step);
            v_odd = _mm256_add_epi64(v_odd, v_step);
        }
        for (A_long i = 0; i < piece; i += 8) {
            const Destination8 dst{reinterpret_cast<__m256i*>(out + n + i), first_lanes(piece - i), piece - i >= 8};
            lay_pixels8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(fetched + i)), dst, o, full);
        }
    }
}

#else

void draw_nearest_span8_wide(PF_Pixel* row, const PassRow& span, const PF_EffectWorld& src, float opacity) {
    draw_nearest_span8(row, span, src, opacity);
}

#endif

}  // namespace vorlane::host
