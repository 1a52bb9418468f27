// One sweep of the transform kernel over the destination: one matrix's one tap (a single bilinear or nearest
// sample per pixel, at a fixed offset within the pixel's footprint) on one level of the source's pyramid. A
// pixel's colour is the weighted sum of its passes.
//
// Along a destination row the sample point moves by a constant step, so it is stepped in fixed point with 32
// fractional bits: exact integer arithmetic from the span's first pixel, which also makes the span exact — the
// pixels whose taps all lie on the source or its transparent frame, and no others.
#pragma once

#include <cstdint>

#include "AE_Effect.h"
#include "pixels/TexelImage.h"

namespace vorlane::host {

// The kernel's own fixed point along a span, 32.32 (not the host's 16.16 PF_Fixed): 64-bit counts of 2^-32 texels.
constexpr int kSpanFractionBits = 32;
constexpr std::int64_t kSpanFixedOne = std::int64_t(1) << kSpanFractionBits;

struct SamplePass {
    const TexelImage* image = nullptr;      // bilinear passes sample a level of the pyramid,
    const PF_EffectWorld* world = nullptr;  // nearest ones the source world itself
    int width = 0, height = 0;
    bool nearest = false;
    float weight = 1.0f;
    // The point sampled for destination pixel (x, y), in texels of the level, relative to the top-left texel of a
    // bilinear tap (or the texel itself when nearest): u = x * u_x + y * u_y + u_0, and so for v.
    double u_x = 0, u_y = 0, u_0 = 0, v_x = 0, v_y = 0, v_0 = 0;
    double inverse_u_x = 0, inverse_v_x = 0;    // for the span's estimate
    std::int64_t fixed_u_x = 0, fixed_v_x = 0;  // u_x and v_x in the span's fixed point
    bool reachable = false;                     // the steps along a row are small enough for the fixed point
};

// `to_source` maps a destination point to a level-0 source point: u = x * m[0] + y * m[2] + m[4],
// v = x * m[1] + y * m[3] + m[5]; (du, dv) is the tap's offset from the pixel centre's source point, in level-0
// texels; `level_scale` is 1 / 2^level of `image`.
SamplePass bilinear_pass(const TexelImage& image, const double (&to_source)[6], double du, double dv,
                         double level_scale, float weight);
SamplePass nearest_pass(const PF_EffectWorld& world, const double (&to_source)[6], float weight);

// A fixed-point coordinate along a span: its value at the span's first pixel and its change per pixel.
struct FixedLine {
    std::int64_t start = 0, step = 0;
};

struct PassRow {
    A_long begin = 0, end = 0;  // destination x, [begin, end)
    FixedLine u, v;
};

// The rows of `clip` the pass can reach, [top, bottom): a bound a row or so wider than the exact one.
void pass_rows(const SamplePass& pass, const PF_Rect& clip, A_long& top, A_long& bottom);

// The pixels of row y within [clip.left, clip.right) that the pass reaches, and its coordinates from `begin`.
PassRow pass_row(const SamplePass& pass, A_long y, const PF_Rect& clip);

}  // namespace vorlane::host
