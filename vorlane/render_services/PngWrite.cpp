#include <zlib.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "vorlane/render_services/PixelTraits.h"
#include "vorlane/render_services/Png.h"

namespace vorlane {

namespace {

using Bytes = std::vector<std::uint8_t>;

void put_u32(Bytes& out, std::uint32_t v) {
    out.insert(out.end(), {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
}

void put_chunk(Bytes& out, const char (&type)[5], const std::uint8_t* data, std::size_t size) {
    put_u32(out, std::uint32_t(size));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + size);
    const uLong crc = crc32(0L, out.data() + start, uInt(out.size() - start));
    put_u32(out, std::uint32_t(crc));
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

std::uint8_t paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return std::uint8_t(pa <= pb && pa <= pc ? a : (pb <= pc ? b : c));
}

// Filters one row with each of the five filters and keeps the one whose bytes, read as signed, sum smallest:
// the usual heuristic, and it roughly halves the size of smooth pictures.
void filter_row(const Bytes& row, const Bytes& above, std::size_t bpp, Bytes& out) {
    const std::size_t n = row.size();
    Bytes best;
    std::uint64_t best_cost = UINT64_MAX;
    Bytes candidate(n + 1);
    for (std::uint8_t type = 0; type < 5; ++type) {
        candidate[0] = type;
        std::uint64_t cost = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const int a = i >= bpp ? row[i - bpp] : 0;
            const int b = above[i];
            const int c = i >= bpp ? above[i - bpp] : 0;
            const int predictor = type == 0   ? 0
                                  : type == 1 ? a
                                  : type == 2 ? b
                                  : type == 3 ? (a + b) / 2
                                              : paeth(a, b, c);
            const std::uint8_t v = std::uint8_t(row[i] - predictor);
            candidate[i + 1] = v;
            cost += v < 128 ? v : 256 - v;
        }
        if (cost < best_cost) {
            best_cost = cost;
            best = candidate;
        }
    }
    out.insert(out.end(), best.begin(), best.end());
}

Bytes deflate_all(const Bytes& input) {
    if (input.size() > std::size_t(UINT32_MAX / 2)) {
        throw PngError("picture too large for one PNG");
    }
    z_stream z{};
    if (deflateInit(&z, 6) != Z_OK) {
        throw PngError("cannot start the compressor");
    }
    Bytes out(deflateBound(&z, uLong(input.size())));
    z.next_in = const_cast<Bytef*>(input.data());
    z.avail_in = uInt(input.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    const int result = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (result != Z_STREAM_END) {
        throw PngError("compression failed");
    }
    return out;
}

Bytes encode(const PF_EffectWorld& world, int bits) {
    const std::size_t bpp = std::size_t(bits / 2);  // bytes per pixel: 4 channels of bits / 8
    const std::size_t row_size = std::size_t(world.width) * bpp;
    Bytes filtered, row(row_size), above(row_size, 0);
    filtered.reserve((row_size + 1) * std::size_t(world.height));
    const bool deep = (world.world_flags & PF_WorldFlag_DEEP) != 0;
    for (A_long y = 0; y < world.height; ++y) {
        deep ? raw_row<PF_Pixel16>(world, y, bits, row.data()) : raw_row<PF_Pixel>(world, y, bits, row.data());
        filter_row(row, above, bpp, filtered);
        std::swap(row, above);
    }
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    put_u32(header, std::uint32_t(world.width));
    put_u32(header, std::uint32_t(world.height));
    header.insert(header.end(), {std::uint8_t(bits), 6, 0, 0, 0});  // RGBA, deflate, adaptive filters, no interlace
    put_chunk(png, "IHDR", header.data(), header.size());
    const Bytes compressed = deflate_all(filtered);
    constexpr std::size_t kChunk = 1 << 20;
    for (std::size_t at = 0; at < compressed.size(); at += kChunk) {
        put_chunk(png, "IDAT", compressed.data() + at, std::min(kChunk, compressed.size() - at));
    }
    put_chunk(png, "IEND", nullptr, 0);
    return png;
}

// A name no other writer picks: the same output may be rendered by several threads or processes at once.
std::filesystem::path temporary_beside(const std::filesystem::path& path) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path temp = path;
    temp.replace_filename("." + path.filename().string() + "." + std::to_string(stamp) + "." +
                          std::to_string(counter++) + ".tmp");
    return temp;
}

// Removes the temporary file unless it was renamed into place.
struct TemporaryFile {
    std::filesystem::path path;
    bool kept = false;
    ~TemporaryFile() {
        if (!kept) {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
    }
};

}  // namespace

void write_png(const std::filesystem::path& path, const PF_EffectWorld& world, int bits_per_channel) {
    if (bits_per_channel != 8 && bits_per_channel != 16) {
        throw PngError("PNG files are written with 8 or 16 bits per channel");
    }
    if (!is_valid_world(world)) {
        throw PngError("cannot write " + path.string() + ": the world has no pixels");
    }
    const Bytes png = encode(world, bits_per_channel);
    TemporaryFile temp{temporary_beside(path)};
    {
        std::ofstream out(temp.path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
        out.close();
        if (!out) {
            throw PngError("cannot write " + temp.path.string());
        }
    }
    std::error_code error;
    std::filesystem::rename(temp.path, path, error);
    if (error) {
        throw PngError("cannot move " + temp.path.string() + " to " + path.string() + ": " + error.message());
    }
    temp.kept = true;
}

}  // namespace vorlane
