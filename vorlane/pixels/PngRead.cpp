#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "pixels/ImageFile.h"
#include "pixels/PixelTraits.h"
#include "pixels/Png.h"

namespace {

// What one decode may allocate in all, set from the picture's header before stb starts. stb grows its inflate
// buffer for as long as the compressed data goes on, so a file of a few kilobytes that claims one pixel could
// otherwise take gigabytes; refused, the allocation fails and stb reports it.
thread_local std::size_t stb_budget = std::numeric_limits<std::size_t>::max();
thread_local bool stb_budget_exceeded = false;

void* stb_bounded_realloc(void* block, std::size_t size) {
    if (size > stb_budget) {
        stb_budget_exceeded = true;
        return nullptr;
    }
    return std::realloc(block, size);
}

}  // namespace

// Private to this file: other parts of the host may compile stb_image themselves.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_MALLOC(size) stb_bounded_realloc(nullptr, size)
#define STBI_REALLOC(block, size) stb_bounded_realloc(block, size)
#define STBI_FREE(block) std::free(block)
#include <stb/stb_image.h>

namespace vorlane::host {

namespace {

// stb takes an int length.
constexpr std::size_t kMaxFileBytes = std::size_t(INT32_MAX);

std::uint32_t big_endian_32(const unsigned char* bytes) {
    return (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) | (std::uint32_t(bytes[2]) << 8) |
           std::uint32_t(bytes[3]);
}

// What the chunks of a file say before stb is asked: how many bytes of compressed image data it holds, and how many
// the rows of its header's size inflate to at the least.
struct ChunkLayout {
    std::uint64_t width = 0, height = 0;  // as IHDR gives them
    std::uint64_t compressed = 0;
    std::uint64_t least_inflated = 0;
};

// Bits of one pixel in the rows: the sample depth times the samples of the colour type.
std::uint64_t bits_per_pixel(unsigned depth, unsigned colour_type) {
    const unsigned samples = colour_type == 2 ? 3 : colour_type == 4 ? 2 : colour_type == 6 ? 4 : 1;
    return std::uint64_t(depth) * samples;
}

// stb trusts a chunk's length field (and on some lengths fails without a reason): every chunk must end, with its
// checksum, within the file, up to IEND.
ChunkLayout whole_chunks(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
    static constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < sizeof kSignature || !std::equal(std::begin(kSignature), std::end(kSignature), bytes.begin())) {
        throw PngError(path.string() + ": not a PNG file");
    }
    ChunkLayout layout;
    std::size_t at = sizeof kSignature;
    while (true) {
        if (bytes.size() - at < 12) {
            throw PngError(path.string() + ": not a readable PNG (the file ends before its IEND chunk)");
        }
        const std::uint32_t length = big_endian_32(&bytes[at]);
        if (length > bytes.size() - at - 12) {
            throw PngError(path.string() + ": not a readable PNG (a chunk's length of " + std::to_string(length) +
                           " bytes runs past the end of the file)");
        }
        const unsigned char* type = &bytes[at + 4];
        const unsigned char* data = &bytes[at + 8];
        if (std::equal(type, type + 4, "IHDR") && length >= 13) {
            layout.width = big_endian_32(data);
            layout.height = big_endian_32(data + 4);
            // stb refuses sides past 2^24 itself; held there, the product cannot overflow.
            const std::uint64_t width = std::min<std::uint64_t>(layout.width, 1u << 24);
            const std::uint64_t height = std::min<std::uint64_t>(layout.height, 1u << 24);
            layout.least_inflated = height * (1 + (width * bits_per_pixel(data[8], data[9]) + 7) / 8);
        } else if (std::equal(type, type + 4, "IDAT")) {
            layout.compressed += length;
        }
        at += 12 + std::size_t(length);
        if (std::equal(type, type + 4, "IEND")) {
            return layout;
        }
    }
}

// Deflate makes at most about 1032 bytes of one: a header whose rows need far more than its data can make is a lie
// that would have stb set aside their size before finding out.
void require_enough_data(const std::filesystem::path& path, const ChunkLayout& layout) {
    constexpr std::uint64_t kMostInflation = 1100;
    constexpr std::uint64_t kSlack = 1u << 16;
    if (layout.least_inflated > layout.compressed * kMostInflation + kSlack) {
        throw PngError(path.string() + ": not a readable PNG (its " + std::to_string(layout.compressed) +
                       " bytes of image data are too few for the size its header gives)");
    }
}

// stb keeps its last reason per thread and does not always set one: cleared before each call, a missing reason is
// a failure it did not name.
void clear_stb_reason() {
    stbi__g_failure_reason = nullptr;
    stb_budget_exceeded = false;
}

std::string stb_reason() {
    if (stb_budget_exceeded) {
        return "its compressed data inflates to more than its size calls for";
    }
    const char* reason = stbi_failure_reason();
    return reason != nullptr ? reason : "damaged data";
}

struct StbFree {
    void operator()(void* p) const { stbi_image_free(p); }
};
using StbPixels = std::unique_ptr<void, StbFree>;

// Sets the allocation budget of the decodes on this thread for as long as it lives.
class StbBudget {
  public:
    explicit StbBudget(std::size_t bytes) { stb_budget = bytes; }
    ~StbBudget() { stb_budget = std::numeric_limits<std::size_t>::max(); }
    StbBudget(const StbBudget&) = delete;
    StbBudget& operator=(const StbBudget&) = delete;
};

// The most a decode of a w x h picture needs at once: the inflated rows (a filter byte and up to 8 bytes a pixel),
// which stb may have grown to twice what it guessed, beside the 16-bit RGBA result, and the compressed data gathered
// from the file.
std::size_t decode_budget(const PngInfo& info, std::size_t file_bytes) {
    const std::size_t w = static_cast<std::size_t>(info.width);
    const std::size_t h = static_cast<std::size_t>(info.height);
    return 2 * h * (1 + 8 * w) + 8 * w * h + 2 * file_bytes + (std::size_t(1) << 20);
}

PngInfo info_of(const std::filesystem::path& path, const std::vector<unsigned char>& bytes, std::uint64_t max_pixels) {
    const ChunkLayout layout = whole_chunks(path, bytes);
    // From the header as the file gives it, before stb, which refuses some sizes on its own and with its own words.
    if (const std::uint64_t pixels = layout.width * layout.height; pixels > max_pixels) {
        throw PngTooLarge(path.string() + " is " + std::to_string(layout.width) + " x " +
                          std::to_string(layout.height) + " (" + std::to_string(pixels) + " pixels), more than the " +
                          std::to_string(max_pixels) + " pixels a picture may have here");
    }
    require_enough_data(path, layout);
    clear_stb_reason();
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(bytes.data(), int(bytes.size()), &w, &h, &channels)) {
        throw PngError(path.string() + ": not a readable PNG (" + stb_reason() + ")");
    }
    PngInfo info;
    info.width = w;
    info.height = h;
    info.native =
        stbi_is_16_bit_from_memory(bytes.data(), int(bytes.size())) ? PF_PixelFormat_ARGB64 : PF_PixelFormat_ARGB32;
    return info;
}

// The file's pixels as RGBA samples, 8 or 16 bits as the file has them.
StbPixels decode(const std::filesystem::path& path, const std::vector<unsigned char>& bytes, const PngInfo& info) {
    int w = 0, h = 0, channels = 0;
    const StbBudget budget(decode_budget(info, bytes.size()));
    clear_stb_reason();
    StbPixels pixels(
        info.native == PF_PixelFormat_ARGB64
            ? static_cast<void*>(stbi_load_16_from_memory(bytes.data(), int(bytes.size()), &w, &h, &channels, 4))
            : static_cast<void*>(stbi_load_from_memory(bytes.data(), int(bytes.size()), &w, &h, &channels, 4)));
    if (!pixels) {
        throw PngError(path.string() + ": not a readable PNG (" + stb_reason() + ")");
    }
    if (w != info.width || h != info.height) {
        throw PngError(path.string() + ": not a readable PNG (its size changed while it was read)");
    }
    return pixels;
}

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

PngInfo png_info(const std::filesystem::path& path, std::uint64_t max_pixels) {
    return info_of(path, read_image_file(path, kMaxFileBytes), max_pixels);
}

void check_png_decodes(const std::filesystem::path& path, std::uint64_t max_pixels) {
    const std::vector<unsigned char> bytes = read_image_file(path, kMaxFileBytes);
    decode(path, bytes, info_of(path, bytes, max_pixels));
}

PF_PixelFormat native_png_format(const std::filesystem::path& path) {
    return png_info(path).native;
}

WorldStorage read_png(const std::filesystem::path& path, PF_PixelFormat format, std::uint64_t max_pixels) {
    if (format != PF_PixelFormat_ARGB32 && format != PF_PixelFormat_ARGB64) {
        throw PngError("PNG files load into 8- or 16-bit ARGB worlds only");
    }
    const std::vector<unsigned char> bytes = read_image_file(path, kMaxFileBytes);
    const PngInfo info = info_of(path, bytes, max_pixels);
    const bool sixteen_in_file = info.native == PF_PixelFormat_ARGB64;
    const StbPixels pixels = decode(path, bytes, info);
    WorldStorage storage(info.width, info.height, format);
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
