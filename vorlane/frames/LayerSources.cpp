#include "frames/LayerSources.h"

#include <algorithm>

#include "pixels/Sprites.h"
#include "scene/SourceLimit.h"

namespace vorlane::host {

namespace {

// Enough pictures for the sprites of a long render at once; beyond it, or beyond the bytes (a sequence of large
// pictures reaches them long before the count), the cache starts afresh.
constexpr std::size_t kMaxCachedPictures = 512;
constexpr std::size_t kMaxCachedBytes = std::size_t(2) << 30;

std::size_t bytes_of(const WorldStorage& storage) {
    const PF_EffectWorld& world = storage.world();
    return static_cast<std::size_t>(world.rowbytes) * static_cast<std::size_t>(world.height);
}

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace

A_long frame_at_time(A_long what_time, A_long time_step) {
    if (time_step <= 0) {
        return 0;
    }
    A_long frame = what_time / time_step;
    if (what_time % time_step != 0 && what_time < 0) {
        --frame;
    }
    return frame;
}

A_long source_picture(const LayerSource& source, A_long frame, const Comp& comp) {
    return std::visit(Overloaded{
                          [](const ImageSource&) { return A_long{0}; },
                          [&](const SequenceSource& s) { return std::clamp<A_long>(frame, 0, s.count - 1); },
                          [&](const BuiltinSource&) {
                              return std::clamp<A_long>(frame, 0, std::max<A_long>(comp.duration_frames - 1, 0));
                          },
                      },
                      source);
}

WorldStorage source_world(const LayerSource& source, A_long picture, PF_PixelFormat format, std::uint64_t max_pixels) {
    return std::visit(
        Overloaded{
            [&](const ImageSource& s) { return read_source_png(s.path, format, max_pixels); },
            [&](const SequenceSource& s) { return read_source_png(s.frame_path(picture), format, max_pixels); },
            [&](const BuiltinSource& s) {
                return make_sprite(*sprite_kind_named(s.name), picture, s.width, s.height, format);
            },
        },
        source);
}

WorldStorage downsampled(WorldStorage full, PF_RationalScale scale_x, PF_RationalScale scale_y) {
    const PF_EffectWorld& world = full.world();
    const A_long width = downsampled_size(world.width, scale_x);
    const A_long height = downsampled_size(world.height, scale_y);
    if (width == world.width && height == world.height) {
        return full;
    }
    WorldStorage small(width, height, pixel_format_of(world));
    copy_world(world, &small.world(), nullptr, nullptr, CopyFilter::HighQuality);
    return small;
}

LayerCache::LayerCache(const Scene& scene, PF_PixelFormat format, PF_RationalScale scale_x, PF_RationalScale scale_y)
    : scene_(scene), format_(format), scale_x_(scale_x), scale_y_(scale_y) {}

std::shared_ptr<const WorldStorage> LayerCache::layer(int slot, A_long what_time, A_long time_step) {
    if (slot < 1 || static_cast<std::size_t>(slot) > scene_.layers.size() || !scene_.layers[slot - 1]) {
        return nullptr;
    }
    const LayerSource& source = *scene_.layers[slot - 1];
    const A_long picture = source_picture(source, frame_at_time(what_time, time_step), scene_.comp);
    const std::pair key{slot, picture};
    {
        std::lock_guard lock(mutex_);
        if (const auto it = pictures_.find(key); it != pictures_.end()) {
            return it->second;
        }
    }
    // Made outside the lock so that other frames are not held up; two threads may make the same picture once.
    auto made = std::make_shared<const WorldStorage>(
        downsampled(source_world(source, picture, format_, scene_.max_source_pixels), scale_x_, scale_y_));
    std::lock_guard lock(mutex_);
    if (pictures_.size() >= kMaxCachedPictures || cached_bytes_ + bytes_of(*made) > kMaxCachedBytes) {
        pictures_.clear();
        cached_bytes_ = 0;
    }
    const auto [it, added] = pictures_.try_emplace(key, std::move(made));
    cached_bytes_ += added ? bytes_of(*it->second) : 0;
    return it->second;
}

}  // namespace vorlane::host
