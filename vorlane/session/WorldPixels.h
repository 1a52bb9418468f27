// The pixel work behind the utility callbacks fill and copy, on 8-bit and 16-bit (PF_WorldFlag_DEEP) worlds.
// Rectangles are clipped to the worlds; a null rectangle is the whole world, a null colour transparent black.
#pragma once

#include "AE_Effect.h"

namespace vorlane::host {

PF_Err fill_world(const PF_Pixel* color, const PF_Rect* rect, PF_EffectWorld* world);
// Copies src_rect of src onto dst_rect of dst, resampling to the nearest pixel when the two sizes differ.
PF_Err copy_world(const PF_EffectWorld* src, PF_EffectWorld* dst, const PF_Rect* src_rect, const PF_Rect* dst_rect);

}  // namespace vorlane::host
