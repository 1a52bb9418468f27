#include "output/ExrWrite.h"

#include <Imath/half.h>
#include <OpenEXR/ImfHeader.h>
#include <OpenEXR/ImfRgbaFile.h>

#include <type_traits>
#include <vector>

#include "pixels/PixelTraits.h"
#include "pixels/TemporaryFile.h"
#include "pixels/Worlds.h"

namespace vorlane::host {

namespace {

template <class Pixel>
void premultiplied_row(const PF_EffectWorld& world, A_long y, Imf::Rgba* out) {
    constexpr float kScale = std::is_same_v<Pixel, PF_Pixel> ? 1.0f / 255.0f : 1.0f / 32768.0f;
    const Pixel* row = pixel_row<Pixel>(world, y);
    for (A_long x = 0; x < world.width; ++x) {
        const Pixel& p = row[x];
        const float alpha = static_cast<float>(p.alpha) * kScale;
        out[x] = Imf::Rgba(static_cast<float>(p.red) * kScale * alpha, static_cast<float>(p.green) * kScale * alpha,
                           static_cast<float>(p.blue) * kScale * alpha, alpha);
    }
}

void encode(const std::filesystem::path& path, const PF_EffectWorld& world) {
    const Imath::Box2i window({0, 0}, {world.width - 1, world.height - 1});
    Imf::Header header(window, window, 1.0f, Imath::V2f(0, 0), 1.0f, Imf::INCREASING_Y, Imf::ZIP_COMPRESSION);
    Imf::RgbaOutputFile file(path.string().c_str(), header, Imf::WRITE_RGBA);
    std::vector<Imf::Rgba> row(static_cast<std::size_t>(world.width));
    const bool deep = (world.world_flags & PF_WorldFlag_DEEP) != 0;
    for (A_long y = 0; y < world.height; ++y) {
        deep ? premultiplied_row<PF_Pixel16>(world, y, row.data()) : premultiplied_row<PF_Pixel>(world, y, row.data());
        // The frame buffer is placed so that this one row is row y of the picture.
        file.setFrameBuffer(row.data() - static_cast<std::ptrdiff_t>(y) * world.width, 1,
                            static_cast<std::size_t>(world.width));
        file.writePixels(1);
    }
}

}  // namespace

std::string exr_unavailable() {
    return {};
}

void write_exr(const std::filesystem::path& path, const PF_EffectWorld& world, Existing existing) {
    if (!is_valid_world(world)) {
        throw ExrError("cannot write " + path.string() + ": the world has no pixels");
    }
    TemporaryFile temp(path, existing);
    try {
        encode(temp.path(), world);
    } catch (const std::exception& e) {
        throw ExrError("cannot write " + path.string() + ": " + e.what());
    }
    if (const std::error_code error = temp.keep()) {
        throw ExrError(temp.keep_failure(error));
    }
}

}  // namespace vorlane::host
