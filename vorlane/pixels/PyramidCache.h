// The texels of the last source a scratch loaded, kept for the next call: an effect draws the same layer many
// times a frame, and converting its pixels is a tenth of drawing it. A call reuses them only when the source's
// pixels are byte for byte the ones they were made from, so a reused pyramid is exactly the one it would load.
#pragma once

#include <vector>

#include "AE_Effect.h"
#include "pixels/TexelImage.h"

namespace vorlane::host {

struct PyramidSource {
    std::vector<unsigned char> pixels;  // the source's rows, without the padding between them
    int width = 0, height = 0;
    int levels = -1;  // halvings loaded; none loaded when negative
    bool deep = false, straight = false;
};

// `pyramid` holds the world's texels and at least `levels` halvings, loaded unless `source` shows they already are.
void load_pyramid_cached(const PF_EffectWorld& world, bool straight, int levels, PyramidSource& source,
                         std::vector<TexelImage>& pyramid);

}  // namespace vorlane::host
