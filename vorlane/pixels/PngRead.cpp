#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "pixels/PixelTraits.h"
#include "pixels/Png.h"

// Private to this file: other parts of the host may compile stb_image themselves.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb/stb_image.h>

namespace vorlane::host {

namespace {

std::vector<stbi_uc> file_bytes(const std::filesystem::path& path) {
    // A folder opens as a stream on some systems and fails only on the first read, with a message about buffers.
    if (std::error_code ec; std::filesystem::is_directory(path, ec)) {
        throw PngError(path.string() + " is a folder, not an image");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw PngError("cannot open " + path.string());
    }
    std::vector<stbi_uc> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        throw PngError("cannot read " + path.string());
    }
    if (bytes.size() > std::size_t(INT32_MAX)) {
        throw PngError(path.string() + ": file too large");
    }
    return bytes;
}

struct StbFree {
    void operator()(void* p) const { stbi_image_free(p); }
};

A_u_short from_file_16(std::uint16_t v) {
    return static_cast<A_u_short>((std::uint32_t(v) * 32768u + 32767u) / 65535u);
}

template <class Pixel, class Sample, class Convert>
void store(const Sample* samples, PF_EffectWorld& world, Convert convert) {
    for (A_long y = 0; y < world.height; ++y) {
        Pixel* row = pixel_row<Pixel>(world, y);
        const Sample* in = samples + std::size_t(y) * std::size_t(world.width) * 4;
        for (A_long x = 0; x < world.width; ++x, in += 4) {
            row[x] = {convert(in[3]), convert(in[0]), convert(in[1]), convert(in[2])};
        }
    }
}

}  // namespace

PF_PixelFormat native_png_format(const std::filesystem::path& path) {
    const std::vector<stbi_uc> bytes = file_bytes(path);
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(bytes.data(), int(bytes.size()), &w, &h, &channels)) {
        throw PngError(path.string() + ": not a readable PNG (" + stbi_failure_reason() + ")");
    }
    return stbi_is_16_bit_from_memory(bytes.data(), int(bytes.size())) ? PF_PixelFormat_ARGB64 : PF_PixelFormat_ARGB32;
}

WorldStorage read_png(const std::filesystem::path& path, PF_PixelFormat format) {
    if (format != PF_PixelFormat_ARGB32 && format != PF_PixelFormat_ARGB64) {
        throw PngError("PNG files load into 8- or 16-bit ARGB worlds only");
    }
    const std::vector<stbi_uc> bytes = file_bytes(path);
    const bool sixteen_in_file = stbi_is_16_bit_from_memory(bytes.data(), int(bytes.size())) != 0;
    int w = 0, h = 0, channels = 0;
    std::unique_ptr<void, StbFree> pixels(
        sixteen_in_file
            ? static_cast<void*>(stbi_load_16_from_memory(bytes.data(), int(bytes.size()), &w, &h, &channels, 4))
            : static_cast<void*>(stbi_load_from_memory(bytes.data(), int(bytes.size()), &w, &h, &channels, 4)));
    if (!pixels) {
        throw PngError(path.string() + ": not a readable PNG (" + stbi_failure_reason() + ")");
    }
    WorldStorage storage(w, h, format);
    PF_EffectWorld& world = storage.world();
    if (sixteen_in_file) {
        const auto* samples = static_cast<const std::uint16_t*>(pixels.get());
        if (format == PF_PixelFormat_ARGB64) {
            store<PF_Pixel16>(samples, world, from_file_16);
        } else {
            store<PF_Pixel>(samples, world, [](std::uint16_t v) {
                return static_cast<A_u_char>((std::uint32_t(v) * 255u + 32767u) / 65535u);
            });
        }
    } else {
        const auto* samples = static_cast<const stbi_uc*>(pixels.get());
        if (format == PF_PixelFormat_ARGB64) {
            store<PF_Pixel16>(samples, world, channel_8_to_16);
        } else {
            store<PF_Pixel>(samples, world, [](stbi_uc v) { return v; });
        }
    }
    return storage;
}

}  // namespace vorlane::host
