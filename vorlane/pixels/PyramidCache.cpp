#include "pixels/PyramidCache.h"

#include <cstring>

#include "pixels/PixelTraits.h"

namespace vorlane::host {

namespace {

std::size_t row_size(const PF_EffectWorld& world) {
    const bool deep = (world.world_flags & PF_WorldFlag_DEEP) != 0;
    return std::size_t(world.width) * (deep ? sizeof(PF_Pixel16) : sizeof(PF_Pixel));
}

const unsigned char* row_bytes(const PF_EffectWorld& world, A_long y) {
    return reinterpret_cast<const unsigned char*>(world.data) + std::ptrdiff_t(y) * world.rowbytes;
}

bool same_source(const PF_EffectWorld& world, bool straight, int levels, const PyramidSource& source) {
    const bool deep = (world.world_flags & PF_WorldFlag_DEEP) != 0;
    if (source.levels < levels || source.width != world.width || source.height != world.height || source.deep != deep ||
        source.straight != straight) {
        return false;
    }
    const std::size_t size = row_size(world);
    for (A_long y = 0; y < world.height; ++y) {
        if (std::memcmp(row_bytes(world, y), source.pixels.data() + std::size_t(y) * size, size) != 0) {
            return false;
        }
    }
    return true;
}

void remember(const PF_EffectWorld& world, bool straight, int levels, PyramidSource& source) {
    const std::size_t size = row_size(world);
    source.levels = -1;  // until the copy is whole
    source.pixels.resize(size * std::size_t(world.height));
    for (A_long y = 0; y < world.height; ++y) {
        std::memcpy(source.pixels.data() + std::size_t(y) * size, row_bytes(world, y), size);
    }
    source.width = world.width;
    source.height = world.height;
    source.deep = (world.world_flags & PF_WorldFlag_DEEP) != 0;
    source.straight = straight;
    source.levels = levels;
}

}  // namespace

void load_pyramid_cached(const PF_EffectWorld& world, bool straight, int levels, PyramidSource& source,
                         std::vector<TexelImage>& pyramid) {
    if (same_source(world, straight, levels, source) && pyramid.size() > std::size_t(levels)) {
        return;
    }
    source.levels = -1;
    load_pyramid(world, straight, levels, pyramid);
    remember(world, straight, levels, source);
}

}  // namespace vorlane::host
