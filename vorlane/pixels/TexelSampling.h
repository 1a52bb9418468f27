// Taps of the transform kernel: a texel image sampled at a fixed-point point, into four premultiplied lanes.
#pragma once

#include <cstdint>

#include "pixels/Lanes.h"
#include "pixels/SamplePass.h"
#include "pixels/TexelImage.h"

namespace vorlane::host {

// A tap's weights keep the top 16 of a coordinate's 32 fraction bits, which a float holds exactly.
constexpr int kWeightBits = 16;
static_assert(kSpanFractionBits == 32, "the fraction of a span coordinate is its low 32-bit word");

// The fraction of a fixed-point coordinate, to kWeightBits, as a weight.
inline float fraction(std::int64_t fixed) {
    return float(std::uint32_t(fixed) >> (kSpanFractionBits - kWeightBits)) * (1.0f / float(1 << kWeightBits));
}

inline std::ptrdiff_t whole(std::int64_t fixed) {
    return std::ptrdiff_t(fixed >> kSpanFractionBits);
}

// Four texels about (u, v); the top-left one at (floor u, floor v), which the pass keeps in -1..width-1 and
// -1..height-1.
struct BilinearTap {
    const float* origin;  // texel (0, 0)
    std::ptrdiff_t stride;

    explicit BilinearTap(const TexelImage& image) : origin(image.at(0, 0)), stride(image.stride) {}

    [[gnu::always_inline]] Lanes operator()(std::int64_t u, std::int64_t v) const {
        const float* top = origin + whole(v) * stride + 4 * whole(u);
        const float* bottom = top + stride;
        const float fx = fraction(u);
        return lerp(lerp(load_lanes(top), load_lanes(top + 4), fx),
                    lerp(load_lanes(bottom), load_lanes(bottom + 4), fx), fraction(v));
    }
};

// A bilinear tap of a pure translation: along a row the point moves by exactly one texel, so the weights and the
// rows stay put and only the column advances. With no fraction at all the tap is the texel itself.
struct TranslatedTap {
    const float* top;  // texel (0, floor v)
    std::ptrdiff_t stride;
    float fx, fy;

    TranslatedTap(const TexelImage& image, std::int64_t u, std::int64_t v)
        : top(image.at(0, 0) + whole(v) * image.stride), stride(image.stride), fx(fraction(u)), fy(fraction(v)) {}

    [[gnu::always_inline]] Lanes operator()(std::int64_t u, std::int64_t) const {
        const float* t = top + 4 * whole(u);
        return lerp(lerp(load_lanes(t), load_lanes(t + 4), fx),
                    lerp(load_lanes(t + stride), load_lanes(t + stride + 4), fx), fy);
    }
};

struct TexelTap {
    const float* top;

    TexelTap(const TexelImage& image, std::int64_t v) : top(image.at(0, 0) + whole(v) * image.stride) {}

    [[gnu::always_inline]] Lanes operator()(std::int64_t u, std::int64_t) const {
        return load_lanes(top + 4 * whole(u));
    }
};

// The source pixel under (u, v), which the pass keeps on the world, premultiplied unless it already is.
template <class Src>
struct NearestTap {
    const char* origin;  // pixel (0, 0)
    std::ptrdiff_t rowbytes;
    bool straight;

    NearestTap(const PF_EffectWorld& world, bool straight_alpha)
        : origin(reinterpret_cast<const char*>(world.data)), rowbytes(world.rowbytes), straight(straight_alpha) {}

    [[gnu::always_inline]] Lanes operator()(std::int64_t u, std::int64_t v) const {
        const Src& p = reinterpret_cast<const Src*>(origin + whole(v) * rowbytes)[whole(u)];
        // Clear pixels, the corners of most sprites, skip the arithmetic.
        if (p.alpha == 0) {
            return Lanes{};
        }
        Lanes s = pixel_lanes(p) * (1.0f / float(PixelTraits<Src>::kMax));
        if (straight) {
            const float a = s[0];
            s *= a;
            s[0] = a;
        }
        return s;
    }
};

}  // namespace vorlane::host
