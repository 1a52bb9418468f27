// Pixel worlds: allocation, the pixel format, fill and copy.
//
// A world's `data` points at its first row; rows are `rowbytes` apart, which may exceed width × pixel size.
// Pixels are PF_Pixel (8-bit) or PF_Pixel16 (0..32768) with straight alpha; PF_WorldFlag_DEEP marks 16 bits.
#pragma once

#include "AE_Effect.h"

namespace vorlane::host {

// Allocates a cleared (transparent black) world. `row_padding` bytes are added to every row, so that code which
// wrongly assumes tight rows shows itself. Fails with PF_Err_BAD_CALLBACK_PARAM for a size below 1 or a format
// other than ARGB32 / ARGB64, and PF_Err_OUT_OF_MEMORY when the memory cannot be had.
PF_Err allocate_world(A_long width, A_long height, PF_PixelFormat format, A_long row_padding, PF_EffectWorld* world);

// Frees what allocate_world allocated and zeroes the record; a zeroed record is left alone.
void release_world(PF_EffectWorld* world);

// While on, every world allocate_world makes (output, the effect's worlds, checked-out layers) ends its last row
// at an inaccessible page and has rows at least 16 bytes longer than its pixels, so that a write or read past the
// end is a crash where it happens rather than quiet damage found later. For tests; process-wide, and worlds made
// while it was on are freed correctly after it is turned off.
void set_world_guard_pages(bool on);
bool world_guard_pages();

// Turns guard pages on for a scope.
class GuardedWorlds {
  public:
    GuardedWorlds() : previous_(world_guard_pages()) { set_world_guard_pages(true); }
    ~GuardedWorlds() { set_world_guard_pages(previous_); }
    GuardedWorlds(const GuardedWorlds&) = delete;
    GuardedWorlds& operator=(const GuardedWorlds&) = delete;

  private:
    bool previous_;
};

// Owns one allocated world for its lifetime.
class WorldStorage {
  public:
    WorldStorage() = default;
    // Throws std::bad_alloc or std::invalid_argument where allocate_world fails.
    WorldStorage(A_long width, A_long height, PF_PixelFormat format, A_long row_padding = 0);
    WorldStorage(WorldStorage&& other) noexcept;
    WorldStorage& operator=(WorldStorage&& other) noexcept;
    WorldStorage(const WorldStorage&) = delete;
    WorldStorage& operator=(const WorldStorage&) = delete;
    ~WorldStorage();

    PF_EffectWorld& world() { return world_; }
    const PF_EffectWorld& world() const { return world_; }

  private:
    PF_EffectWorld world_{};
};

PF_PixelFormat pixel_format_of(const PF_EffectWorld& world);

// True when the world has pixels and rows long enough for its width.
bool is_valid_world(const PF_EffectWorld& world);

// A record that shares the pixels of `rect` inside `world` (rect must lie within it).
PF_EffectWorld sub_world(const PF_EffectWorld& world, const PF_Rect& rect);

// Fills `rect` (null: the whole world; clipped to the world) with a colour, or with transparent black when
// `color` is null. An 8-bit colour fills a 16-bit world at the equivalent 16-bit values.
PF_Err fill_world(PF_EffectWorld* world, const PF_Pixel* color, const PF_Rect* rect);
PF_Err fill_world16(PF_EffectWorld* world, const PF_Pixel16* color, const PF_Rect* rect);

enum class CopyFilter { Nearest, HighQuality };

// Copies src_rect of src (null: all of it) onto dst_rect of dst (null: all of it), converting depth when the two
// differ. Equal sizes copy pixels exactly; different sizes scale, by the nearest pixel or, with HighQuality, by
// area-weighted resampling in premultiplied form. Rectangles must lie within their worlds
// (PF_Err_BAD_CALLBACK_PARAM otherwise); an empty one copies nothing.
PF_Err copy_world(const PF_EffectWorld& src, PF_EffectWorld* dst, const PF_Rect* src_rect, const PF_Rect* dst_rect,
                  CopyFilter filter);

}  // namespace vorlane::host
