#include "session/WorldPixels.h"

#include <algorithm>
#include <cstdint>

namespace vorlane::host {
namespace {

bool is_deep(const PF_EffectWorld& world) {
    return (world.world_flags & PF_WorldFlag_DEEP) != 0;
}

bool usable(const PF_EffectWorld* world) {
    if (world == nullptr || world->data == nullptr || world->width < 0 || world->height < 0) {
        return false;
    }
    const A_long pixel_bytes = is_deep(*world) ? 8 : 4;
    return world->rowbytes >= world->width * pixel_bytes;
}

PF_Rect whole(const PF_EffectWorld& world) {
    return PF_Rect{0, 0, world.width, world.height};
}

PF_Rect clipped(const PF_Rect& rect, const PF_EffectWorld& world) {
    return PF_Rect{std::max<A_long>(rect.left, 0), std::max<A_long>(rect.top, 0),
                   std::min<A_long>(rect.right, world.width), std::min<A_long>(rect.bottom, world.height)};
}

// 16-bit worlds run from 0 to 32768.
A_u_short widen(A_u_char v) {
    return static_cast<A_u_short>((v * 32768u + 127u) / 255u);
}
A_u_char narrow(A_u_short v) {
    return static_cast<A_u_char>((std::min<unsigned>(v, 32768u) * 255u + 16384u) / 32768u);
}

PF_Pixel16 read16(const PF_EffectWorld& world, A_long x, A_long y) {
    const auto* row =
        reinterpret_cast<const std::uint8_t*>(world.data) + static_cast<std::intptr_t>(y) * world.rowbytes;
    if (is_deep(world)) {
        return reinterpret_cast<const PF_Pixel16*>(row)[x];
    }
    const PF_Pixel p = reinterpret_cast<const PF_Pixel*>(row)[x];
    return PF_Pixel16{widen(p.alpha), widen(p.red), widen(p.green), widen(p.blue)};
}

PF_Pixel read8(const PF_EffectWorld& world, A_long x, A_long y) {
    const auto* row =
        reinterpret_cast<const std::uint8_t*>(world.data) + static_cast<std::intptr_t>(y) * world.rowbytes;
    if (!is_deep(world)) {
        return reinterpret_cast<const PF_Pixel*>(row)[x];
    }
    const PF_Pixel16 p = reinterpret_cast<const PF_Pixel16*>(row)[x];
    return PF_Pixel{narrow(p.alpha), narrow(p.red), narrow(p.green), narrow(p.blue)};
}

void write(PF_EffectWorld& world, A_long x, A_long y, const PF_EffectWorld& src, A_long sx, A_long sy) {
    auto* row = reinterpret_cast<std::uint8_t*>(world.data) + static_cast<std::intptr_t>(y) * world.rowbytes;
    if (is_deep(world)) {
        reinterpret_cast<PF_Pixel16*>(row)[x] = read16(src, sx, sy);
    } else {
        reinterpret_cast<PF_Pixel*>(row)[x] = read8(src, sx, sy);
    }
}

}  // namespace

PF_Err fill_world(const PF_Pixel* color, const PF_Rect* rect, PF_EffectWorld* world) {
    if (!usable(world)) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    const PF_Pixel c = color ? *color : PF_Pixel{0, 0, 0, 0};
    const PF_Pixel16 c16{widen(c.alpha), widen(c.red), widen(c.green), widen(c.blue)};
    const PF_Rect r = clipped(rect ? *rect : whole(*world), *world);
    for (A_long y = r.top; y < r.bottom; ++y) {
        auto* row = reinterpret_cast<std::uint8_t*>(world->data) + static_cast<std::intptr_t>(y) * world->rowbytes;
        for (A_long x = r.left; x < r.right; ++x) {
            if (is_deep(*world)) {
                reinterpret_cast<PF_Pixel16*>(row)[x] = c16;
            } else {
                reinterpret_cast<PF_Pixel*>(row)[x] = c;
            }
        }
    }
    return PF_Err_NONE;
}

PF_Err copy_world(const PF_EffectWorld* src, PF_EffectWorld* dst, const PF_Rect* src_rect, const PF_Rect* dst_rect) {
    if (!usable(src) || !usable(dst)) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    const PF_Rect s = src_rect ? *src_rect : whole(*src);
    const PF_Rect d = dst_rect ? *dst_rect : whole(*dst);
    const std::int64_t sw = s.right - s.left, sh = s.bottom - s.top;
    const std::int64_t dw = d.right - d.left, dh = d.bottom - d.top;
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) {
        return PF_Err_NONE;
    }
    const PF_Rect target = clipped(d, *dst);
    for (A_long y = target.top; y < target.bottom; ++y) {
        const std::int64_t sy = s.top + (y - d.top) * sh / dh;
        if (sy < 0 || sy >= src->height) {
            continue;
        }
        for (A_long x = target.left; x < target.right; ++x) {
            const std::int64_t sx = s.left + (x - d.left) * sw / dw;
            if (sx >= 0 && sx < src->width) {
                write(*dst, x, y, *src, static_cast<A_long>(sx), static_cast<A_long>(sy));
            }
        }
    }
    return PF_Err_NONE;
}

}  // namespace vorlane::host
