// Laying resampled samples on destination pixels. A sample is four premultiplied lanes in 0..1, not yet weighted
// by the layer's opacity; samples whose alpha, so weighted, would not change a stored value leave the pixel
// exactly as it was.
#pragma once

#include "pixels/Lanes.h"

namespace vorlane::host {

// Coverage below half a step of the destination's depth changes nothing that could be stored.
template <class Dst>
constexpr float kLeastAlpha = 0.5f / float(PixelTraits<Dst>::kMax);

// The effect's case: the sample in front of a destination with straight alpha.
struct InFrontOfStraight {
    float opacity;

    template <class Dst>
    [[gnu::always_inline]] void operator()(Lanes s, Dst& d) const {
        constexpr float kMax = float(PixelTraits<Dst>::kMax), kUnit = 1.0f / kMax;
        s *= opacity;
        if (!(s[0] >= kLeastAlpha<Dst>)) {
            return;
        }
        // An opaque sample hides the destination: its premultiplied colour is its colour.
        if (s[0] >= 1.0f) {
            store_lanes(s * kMax, d);
            return;
        }
        Lanes below = pixel_lanes(d) * kUnit;
        // What shows of the destination, in alpha; its colours are straight, so each colour lane weighs by it.
        const float keep = below[0] * (1.0f - s[0]);
        below[0] = 1.0f;
        Lanes sum = s + below * keep;
        const float alpha = sum[0] * kMax;
        sum *= kMax / sum[0];
        sum[0] = alpha;
        store_lanes(sum, d);
    }
};

// Any supported layering: in front or behind, straight or premultiplied destination.
struct AnyLayering {
    float opacity;
    bool straight, in_front;

    template <class Dst>
    [[gnu::always_inline]] void operator()(Lanes s, Dst& d) const {
        constexpr float kMax = float(PixelTraits<Dst>::kMax), kUnit = 1.0f / kMax;
        s *= opacity;
        if (!(s[0] >= kLeastAlpha<Dst>)) {
            return;
        }
        Lanes dest = pixel_lanes(d) * kUnit;
        if (straight) {
            const float a = dest[0];
            dest *= a;
            dest[0] = a;
        }
        const Lanes top = in_front ? s : dest;
        const Lanes bottom = in_front ? dest : s;
        Lanes sum = top + bottom * (1.0f - top[0]);
        const float alpha = sum[0] * kMax;
        sum *= straight ? kMax / sum[0] : kMax;
        sum[0] = alpha;
        store_lanes(sum, d);
    }
};

}  // namespace vorlane::host
