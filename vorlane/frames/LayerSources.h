// The pictures of the layer slots at any time, at the render's depth and downsampling, made once and shared by
// the frames of a render (several may run at once).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "pixels/Worlds.h"
#include "scene/Scene.h"

namespace vorlane::host {

// The frame a layer shows at a host time: floor(what_time / time_step); 0 when there is no step to count by.
A_long frame_at_time(A_long what_time, A_long time_step);

// Which picture of the source that frame is: a sequence's file index held at its ends, a built-in's frame held
// within the composition, 0 for a still.
A_long source_picture(const LayerSource& source, A_long frame, const Comp& comp);

// Reads or draws one picture of a source at full size. Throws PngError for an image gone bad since loading, or
// grown past `max_pixels`.
WorldStorage source_world(const LayerSource& source, A_long picture, PF_PixelFormat format, std::uint64_t max_pixels);

// A world brought to the render's downsampling: ceil(w x num / den) by ceil(h x num / den), resampled.
WorldStorage downsampled(WorldStorage full, PF_RationalScale scale_x, PF_RationalScale scale_y);

class LayerCache {
  public:
    LayerCache(const Scene& scene, PF_PixelFormat format, PF_RationalScale scale_x, PF_RationalScale scale_y);

    // Slot n (1-based) at a host time; null for an empty or missing slot.
    std::shared_ptr<const WorldStorage> layer(int slot, A_long what_time, A_long time_step);

  private:
    const Scene& scene_;
    PF_PixelFormat format_;
    PF_RationalScale scale_x_, scale_y_;
    std::mutex mutex_;
    std::map<std::pair<int, A_long>, std::shared_ptr<const WorldStorage>> pictures_;
    std::size_t cached_bytes_ = 0;
};

}  // namespace vorlane::host
