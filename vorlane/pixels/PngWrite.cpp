#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "pixels/Deflate.h"
#include "pixels/PixelTraits.h"
#include "pixels/Png.h"
#include "pixels/PngFilter.h"
#include "pixels/TemporaryFile.h"

namespace vorlane::host {

namespace {

using Bytes = std::vector<std::uint8_t>;

void put_u32(Bytes& out, std::uint32_t v) {
    out.insert(out.end(), {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
}

std::uint16_t to_file_16(A_u_short v) {
    return std::uint16_t((std::min<std::uint32_t>(v, 32768u) * 65535u + 16384u) / 32768u);
}

// One row as the file stores it: RGBA, big-endian samples.
template <class Pixel>
void raw_row(const PF_EffectWorld& world, A_long y, int bits, std::uint8_t* out) {
    const Pixel* row = pixel_row<Pixel>(world, y);
    for (A_long x = 0; x < world.width; ++x) {
        const Pixel& p = row[x];
        const A_u_short channels[4] = {p.red, p.green, p.blue, p.alpha};
        for (A_u_short c : channels) {
            if (bits == 8) {
                if constexpr (std::is_same_v<Pixel, PF_Pixel>) {
                    *out++ = std::uint8_t(c);
                } else {
                    *out++ = channel_16_to_8(c);
                }
            } else {
                const std::uint16_t v = std::is_same_v<Pixel, PF_Pixel> ? std::uint16_t(c * 257u) : to_file_16(c);
                *out++ = std::uint8_t(v >> 8);
                *out++ = std::uint8_t(v);
            }
        }
    }
}

void write_chunk(std::ostream& out, const char (&type)[5], const std::uint8_t* data, std::size_t size) {
    Bytes head;
    put_u32(head, std::uint32_t(size));
    head.insert(head.end(), type, type + 4);
    uLong crc = crc32(0L, head.data() + 4, 4);
    if (size > 0) {
        crc = crc32(crc, data, uInt(size));
    }
    out.write(reinterpret_cast<const char*>(head.data()), std::streamsize(head.size()));
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    Bytes tail;
    put_u32(tail, std::uint32_t(crc));
    out.write(reinterpret_cast<const char*>(tail.data()), std::streamsize(tail.size()));
}

// How each choice filters and compresses. Fast: every row filtered "up" (next to no work, and on rendered frames
// within 1 % of Paeth's size) at libdeflate's second level; that costs a small fraction of the adaptive choice at
// zlib's default level, for files about 5 % larger. Small: both the adaptive choice and "up" at the strongest
// level, the smaller kept: the adaptive choice wins on most frames (about 9 % smaller than zlib's default), but
// its guess loses badly to "up" on some regular patterns. Several times slower.
struct PngEffort {
    bool adaptive;
    std::size_t filter;  // when not adaptive
    int level;
};

std::vector<PngEffort> efforts_of(PngCompression compression) {
    if (compression == PngCompression::Small) {
        return {PngEffort{true, 0, 12}, PngEffort{false, 2, 12}};
    }
    return {PngEffort{false, 2, 2}};
}

// The rows as the file stores them, each filtered and led by its filter type.
Bytes filtered_rows(const PF_EffectWorld& world, int bits, const PngEffort& effort) {
    const std::size_t bpp = std::size_t(bits / 2);  // bytes per pixel: 4 channels of bits / 8
    const std::size_t row_size = std::size_t(world.width) * bpp;
    Bytes filtered((row_size + 1) * std::size_t(world.height));
    Bytes row(row_size), above(row_size, 0);
    FilterScratch scratch;
    const bool deep = (world.world_flags & PF_WorldFlag_DEEP) != 0;
    for (A_long y = 0; y < world.height; ++y) {
        deep ? raw_row<PF_Pixel16>(world, y, bits, row.data()) : raw_row<PF_Pixel>(world, y, bits, row.data());
        std::uint8_t* out = filtered.data() + std::size_t(y) * (row_size + 1);
        if (effort.adaptive) {
            const Bytes& best = best_filtered_row(row.data(), above.data(), row_size, bpp, scratch);
            std::copy(best.begin(), best.end(), out);
        } else {
            filter_row(effort.filter, row.data(), above.data(), row_size, bpp, out);
        }
        std::swap(row, above);
    }
    return filtered;
}

void encode(std::ostream& out, const PF_EffectWorld& world, int bits, PngCompression compression) {
    const std::size_t row_size = std::size_t(world.width) * std::size_t(bits / 2);
    if ((row_size + 1) * std::size_t(world.height) > std::size_t(UINT32_MAX / 2)) {
        throw PngError("picture too large for one PNG");
    }
    static const std::uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    out.write(reinterpret_cast<const char*>(signature), sizeof signature);
    Bytes header;
    put_u32(header, std::uint32_t(world.width));
    put_u32(header, std::uint32_t(world.height));
    header.insert(header.end(), {std::uint8_t(bits), 6, 0, 0, 0});  // RGBA, deflate, adaptive filters, no interlace
    write_chunk(out, "IHDR", header.data(), header.size());
    Bytes compressed;
    for (const PngEffort& effort : efforts_of(compression)) {
        const Bytes filtered = filtered_rows(world, bits, effort);
        try {
            Bytes candidate = zlib_compress(filtered.data(), filtered.size(), effort.level);
            if (compressed.empty() || candidate.size() < compressed.size()) {
                compressed = std::move(candidate);
            }
        } catch (const std::runtime_error& e) {
            throw PngError(e.what());
        }
    }
    constexpr std::size_t kChunk = 1 << 20;  // IDAT chunks of at most 1 MiB
    for (std::size_t at = 0; at < compressed.size(); at += kChunk) {
        write_chunk(out, "IDAT", compressed.data() + at, std::min(kChunk, compressed.size() - at));
    }
    write_chunk(out, "IEND", nullptr, 0);
}

}  // namespace

void write_png(const std::filesystem::path& path, const PF_EffectWorld& world, int bits_per_channel,
               PngCompression compression, Existing existing) {
    if (bits_per_channel != 8 && bits_per_channel != 16) {
        throw PngError("PNG files are written with 8 or 16 bits per channel");
    }
    if (!is_valid_world(world)) {
        throw PngError("cannot write " + path.string() + ": the world has no pixels");
    }
    TemporaryFile temp(path, existing);
    {
        std::ofstream out(temp.path(), std::ios::binary | std::ios::trunc);
        if (out) {
            encode(out, world, bits_per_channel, compression);
        }
        out.close();
        if (!out) {
            throw PngError("cannot write " + temp.path().string());
        }
    }
    if (const std::error_code error = temp.keep()) {
        throw PngError(temp.keep_failure(error));
    }
}

void encode_png(std::ostream& out, const PF_EffectWorld& world, int bits_per_channel, PngCompression compression) {
    if ((bits_per_channel != 8 && bits_per_channel != 16) || !is_valid_world(world)) {
        throw PngError("a PNG is made of a world with pixels, at 8 or 16 bits per channel");
    }
    encode(out, world, bits_per_channel, compression);
}

}  // namespace vorlane::host
