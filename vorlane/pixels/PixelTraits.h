// What differs between the 8-bit and the 16-bit pixel: the channel's full value.
#pragma once

#include <algorithm>
#include <cstddef>

#include "AE_Effect.h"

namespace vorlane::host {

template <class Pixel>
struct PixelTraits;

template <>
struct PixelTraits<PF_Pixel> {
    using Channel = A_u_char;
    static constexpr int kMax = 255;
    static constexpr PF_PixelFormat kFormat = PF_PixelFormat_ARGB32;
};

template <>
struct PixelTraits<PF_Pixel16> {
    using Channel = A_u_short;
    static constexpr int kMax = 32768;  // the host's full value, not 65535
    static constexpr PF_PixelFormat kFormat = PF_PixelFormat_ARGB64;
};

template <class Pixel>
inline float channel_to_unit(typename PixelTraits<Pixel>::Channel value) {
    return float(value) * (1.0f / float(PixelTraits<Pixel>::kMax));
}

template <class Pixel>
inline typename PixelTraits<Pixel>::Channel unit_to_channel(float value) {
    const float scaled = std::clamp(value, 0.0f, 1.0f) * float(PixelTraits<Pixel>::kMax) + 0.5f;
    return static_cast<typename PixelTraits<Pixel>::Channel>(scaled);
}

// Exact integer conversions between the two depths, rounding to nearest.
inline A_u_short channel_8_to_16(A_u_char v) {
    return static_cast<A_u_short>((v * 32768 + 127) / 255);
}
inline A_u_char channel_16_to_8(A_u_short v) {
    return static_cast<A_u_char>((std::min<int>(v, 32768) * 255 + 16384) / 32768);
}

inline PF_Pixel16 pixel_8_to_16(const PF_Pixel& p) {
    return {channel_8_to_16(p.alpha), channel_8_to_16(p.red), channel_8_to_16(p.green), channel_8_to_16(p.blue)};
}
inline PF_Pixel pixel_16_to_8(const PF_Pixel16& p) {
    return {channel_16_to_8(p.alpha), channel_16_to_8(p.red), channel_16_to_8(p.green), channel_16_to_8(p.blue)};
}

template <class To, class From>
inline To convert_pixel(const From& p) {
    if constexpr (std::is_same_v<To, From>) {
        return p;
    } else if constexpr (std::is_same_v<To, PF_Pixel16>) {
        return pixel_8_to_16(p);
    } else {
        return pixel_16_to_8(p);
    }
}

template <class Pixel>
inline Pixel* pixel_row(const PF_EffectWorld& world, A_long y) {
    return reinterpret_cast<Pixel*>(reinterpret_cast<char*>(world.data) + std::ptrdiff_t(y) * world.rowbytes);
}

}  // namespace vorlane::host
