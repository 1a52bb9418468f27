// A pass's row without the pixels at its ends whose taps read only clear source. Their samples are exactly zero,
// which lays nothing on a pixel and adds nothing to a sum, so leaving them out changes no pixel: sprites are
// mostly clear about their shapes, and their rows are drawn only where the shape is.
#pragma once

#include "pixels/SamplePass.h"

namespace vorlane::host {

// The pixels of row y within [clip.left, clip.right) whose taps lie on the source (as `pass_row` finds them), less,
// for a bilinear pass, those at either end whose taps read only clear texels. (A nearest pass keeps them: its
// laying already skips clear pixels about as cheaply as they could be found.)
PassRow drawn_row(const SamplePass& pass, A_long y, const PF_Rect& clip);

}  // namespace vorlane::host
