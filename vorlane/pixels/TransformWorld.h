// The transform-and-composite kernel behind the host's transform_world, and a plain "over" of two worlds.
#pragma once

#include "AE_Effect.h"

namespace vorlane::host {

// Lays `src_world`, transformed, over `dst_world`; the arguments are those of the host's transform_world after the
// effect reference.
//
// - The matrices are 3x3 with row vectors: (x, y, 1) times a matrix gives the destination point of the source
//   point (x, y) when `src2dst_matrix` is true, the source point of a destination point otherwise. Coordinates are
//   continuous: pixel (x, y) covers [x, x+1) x [y, y+1), so an identity plus an integer translation moves pixels
//   exactly. Only affine matrices are taken (third column 0, 0, non-zero); a singular one draws nothing. Several
//   matrices average their transformed sources (motion blur).
// - PF_Quality_HI samples bilinearly and, where the transform shrinks, averages over each destination pixel's
//   footprint; any other quality takes the nearest pixel. Resampling is done in premultiplied form.
// - m_flags PF_MF_Alpha_STRAIGHT: both worlds hold straight alpha; otherwise both are premultiplied.
// - comp_mode: PF_Xfer_IN_FRONT lays the source over the destination, PF_Xfer_BEHIND under it; its opacity
//   (8-bit destinations: `opacity` of 255, 16-bit: `opacitySu` of 32768) scales the source's alpha.
// - Pixels are written only inside `dest_rect` (null: the whole destination) and the destination world, and only
//   where the source reaches: elsewhere the destination keeps its exact values.
// Returns PF_Err_BAD_CALLBACK_PARAM for what it cannot do (a mask world, a field other than PF_Field_FRAME,
// another transfer mode, rgb_only, a projective matrix, no matrix, an invalid world).
PF_Err transform_world(PF_Quality quality, PF_ModeFlags m_flags, PF_Field field, const PF_EffectWorld* src_world,
                       const PF_CompositeMode* comp_mode, const PF_MaskWorld* mask_world0,
                       const PF_FloatMatrix* matrices, A_long num_matrices, PF_Boolean src2dst_matrix,
                       const PF_Rect* dest_rect, PF_EffectWorld* dst_world);

// Lays `src` with straight alpha over `dst`, its top-left pixel on (dst_x, dst_y), at full opacity; the depths may
// differ. Only the overlap is touched.
PF_Err composite_over(const PF_EffectWorld& src, PF_EffectWorld* dst, A_long dst_x, A_long dst_y);

}  // namespace vorlane::host
