// The per-pixel arithmetic of laying one pixel over another, shared by every compositing path.
#pragma once

#include "pixels/PixelTraits.h"
#include "pixels/Resampler.h"

namespace vorlane::host {

// Colour and alpha in 0..1, straight or premultiplied as the caller's mode says.
struct UnitPixel {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
};

template <class Pixel>
inline UnitPixel to_unit(const Pixel& p) {
    return {channel_to_unit<Pixel>(p.red), channel_to_unit<Pixel>(p.green), channel_to_unit<Pixel>(p.blue),
            channel_to_unit<Pixel>(p.alpha)};
}

template <class Pixel>
inline Pixel from_unit(const UnitPixel& u) {
    return {unit_to_channel<Pixel>(u.a), unit_to_channel<Pixel>(u.r), unit_to_channel<Pixel>(u.g),
            unit_to_channel<Pixel>(u.b)};
}

// Straight colours: `top` (its alpha already carrying any opacity) over `bottom`. Where the result is fully
// transparent the colour is black.
inline UnitPixel straight_over(const UnitPixel& top, const UnitPixel& bottom) {
    const float below = bottom.a * (1.0f - top.a);
    const float a = top.a + below;
    if (!(a > 0.0f)) {
        return {};
    }
    const float k = 1.0f / a;
    return {(top.r * top.a + bottom.r * below) * k, (top.g * top.a + bottom.g * below) * k,
            (top.b * top.a + bottom.b * below) * k, a};
}

// Premultiplied colours: `top` over `bottom`.
inline UnitPixel premultiplied_over(const UnitPixel& top, const UnitPixel& bottom) {
    const float k = 1.0f - top.a;
    return {top.r + bottom.r * k, top.g + bottom.g * k, top.b + bottom.b * k, top.a + bottom.a * k};
}

// A resampled premultiplied colour, scaled by opacity, in the form the destination keeps.
inline UnitPixel from_premul(const Premul& p, float opacity, bool straight) {
    if (straight) {
        const float k = p.a > 0.0f ? 1.0f / p.a : 0.0f;
        return {std::min(p.r * k, 1.0f), std::min(p.g * k, 1.0f), std::min(p.b * k, 1.0f), p.a * opacity};
    }
    return {p.r * opacity, p.g * opacity, p.b * opacity, p.a * opacity};
}

}  // namespace vorlane::host
