// Worlds for the render-services tests: padded rows whose padding is filled with a sentinel, so that writes past
// a row's end show up, and pixel accessors.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "pixels/PixelTraits.h"
#include "pixels/Worlds.h"

namespace vorlane::host::test {

constexpr A_long kPadding = 24;
constexpr std::uint8_t kSentinel = 0xCD;

inline WorldStorage padded_world(A_long width, A_long height, PF_PixelFormat format) {
    WorldStorage storage(width, height, format, kPadding);
    PF_EffectWorld& w = storage.world();
    const std::size_t used = std::size_t(w.rowbytes - kPadding);
    for (A_long y = 0; y < height; ++y) {
        std::fill_n(reinterpret_cast<std::uint8_t*>(w.data) + std::ptrdiff_t(y) * w.rowbytes + used, kPadding,
                    kSentinel);
    }
    return storage;
}

inline bool padding_intact(const PF_EffectWorld& w) {
    const std::size_t used = std::size_t(w.rowbytes - kPadding);
    for (A_long y = 0; y < w.height; ++y) {
        const auto* pad = reinterpret_cast<const std::uint8_t*>(w.data) + std::ptrdiff_t(y) * w.rowbytes + used;
        for (A_long i = 0; i < kPadding; ++i) {
            if (pad[i] != kSentinel) {
                return false;
            }
        }
    }
    return true;
}

template <class Pixel = PF_Pixel>
Pixel& at(const PF_EffectWorld& w, A_long x, A_long y) {
    return pixel_row<Pixel>(w, y)[x];
}

inline bool same(const PF_Pixel& a, const PF_Pixel& b) {
    return a.alpha == b.alpha && a.red == b.red && a.green == b.green && a.blue == b.blue;
}
inline bool same(const PF_Pixel16& a, const PF_Pixel16& b) {
    return a.alpha == b.alpha && a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// Every pixel a function of its position, so that displaced or mirrored pixels are told apart.
template <class Pixel>
void fill_pattern(PF_EffectWorld& w, unsigned seed = 1) {
    using Channel = typename PixelTraits<Pixel>::Channel;
    const unsigned max = PixelTraits<Pixel>::kMax;
    for (A_long y = 0; y < w.height; ++y) {
        for (A_long x = 0; x < w.width; ++x) {
            const unsigned h = (unsigned(x) * 73856093u) ^ (unsigned(y) * 19349663u) ^ (seed * 83492791u);
            at<Pixel>(w, x, y) = {Channel(h % (max + 1)), Channel((h >> 7) % (max + 1)), Channel((h >> 13) % (max + 1)),
                                  Channel((h >> 19) % (max + 1))};
        }
    }
}

}  // namespace vorlane::host::test
