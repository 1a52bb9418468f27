// The rows of the transform kernel on eight float lanes (AVX2), for processors that have them: two bilinear taps
// per register, and eight pixels per blend. Every lane does the arithmetic of the four-lane code, operation for
// operation and without fused multiply-adds, so either path gives the same bytes; only the speed differs.
#pragma once

#include "pixels/Lanes.h"
#include "pixels/SamplePass.h"
#include "pixels/TexelSampling.h"

namespace vorlane::host {

// Whether the processor (and the system, which must save the wider registers) runs the eight-lane code; checked
// once.
bool wide_rows_available();

// The span's bilinear samples into `samples`, as `BilinearTap` takes them.
void sample_span_wide(Lanes* samples, const PassRow& span, const BilinearTap& tap);

// Adds the span's bilinear samples, times `weight`, into `sums`.
void accumulate_wide(Lanes* sums, const PassRow& span, const BilinearTap& tap, float weight);

// `count` premultiplied samples laid in front of straight-alpha 8-bit pixels, as `lay_premultiplied_row8` does.
void lay_premultiplied_row8_wide(const Lanes* samples, PF_Pixel* dst, A_long count, float opacity);

// `count` premultiplied samples laid in front of straight-alpha 16-bit pixels, as `InFrontOfStraight` lays them.
void lay_premultiplied_row16_wide(const Lanes* samples, PF_Pixel16* dst, A_long count, float opacity);

// `draw_nearest_span8`, eight pixels at a time.
void draw_nearest_span8_wide(PF_Pixel* row, const PassRow& span, const PF_EffectWorld& src, float opacity);

}  // namespace vorlane::host
