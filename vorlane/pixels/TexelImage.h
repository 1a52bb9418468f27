// The source of the transform kernel: premultiplied float texels, four lanes each in the byte order of a pixel
// (alpha, red, green, blue), inside a frame of transparent texels one texel wide, so that a bilinear tap whose
// top-left texel lies in -1..width-1 x -1..height-1 never needs a bounds check.
#pragma once

#include <cstddef>
#include <vector>

#include "AE_Effect.h"

namespace vorlane::host {

// The columns of a row that may hold texels other than clear ones (all four lanes zero): [first, last], empty
// when first > last.
struct ColumnRange {
    int first = 0, last = -1;
};

struct TexelImage {
    int width = 0, height = 0;
    std::ptrdiff_t stride = 0;  // floats from one row to the next
    std::vector<float> lanes;
    // For each row of the image (y in 0..height-1), where its texels that are not clear lie; a bound, which may
    // be wider than they are. A tap reading only clear texels samples exactly zero.
    std::vector<ColumnRange> drawn;
    // For each row a bilinear tap's top-left texel can lie on (y in -1..height-1, at y + 1), the top-left
    // columns whose taps may read a texel that is not clear.
    std::vector<ColumnRange> tap_reach;

    // Texel (x, y), x in -1..width, y in -1..height.
    const float* at(int x, int y) const { return lanes.data() + (std::ptrdiff_t(y) + 1) * stride + 4 * (x + 1); }
    float* at(int x, int y) { return lanes.data() + (std::ptrdiff_t(y) + 1) * stride + 4 * (x + 1); }
};

// Whether the bilinear tap whose top-left texel is (x, y), y in -1..height-1, reads only clear texels.
inline bool clear_tap(const TexelImage& image, std::ptrdiff_t x, std::ptrdiff_t y) {
    const ColumnRange& reach = image.tap_reach[std::size_t(y + 1)];
    return x < reach.first || x > reach.last;
}

// The world's pixels into `image`, whose storage is reused: channels in 0..1 (the world's full value is 1),
// colours multiplied by alpha when `straight`.
void load_texels(const PF_EffectWorld& world, bool straight, TexelImage& image);

// Each texel of `half` the mean of a 2 x 2 block of `image`; odd sizes round up, the block's missing texels
// transparent.
void halve(const TexelImage& image, TexelImage& half);

// The source and `levels` halvings of it into `pyramid` (pyramid[i] halved i times), reusing its storage.
void load_pyramid(const PF_EffectWorld& world, bool straight, int levels, std::vector<TexelImage>& pyramid);

}  // namespace vorlane::host
