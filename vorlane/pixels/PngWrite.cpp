#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

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

// Writes the file as it is made: the signature and header, IDAT chunks of at most 1 MiB of compressed data as
// the compressor fills them, the end chunk. No copy of the whole picture, filtered or compressed, is ever held.
class PngStream {
  public:
    PngStream(std::ostream& out, const PF_EffectWorld& world, int bits) : out_(out) {
        static const std::uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        out_.write(reinterpret_cast<const char*>(signature), sizeof signature);
        Bytes header;
        put_u32(header, std::uint32_t(world.width));
        put_u32(header, std::uint32_t(world.height));
        header.insert(header.end(), {std::uint8_t(bits), 6, 0, 0, 0});  // RGBA, deflate, adaptive filters, no interlace
        write_chunk("IHDR", header.data(), header.size());
        if (deflateInit(&z_, 6) != Z_OK) {
            throw PngError("cannot start the compressor");
        }
        started_ = true;
    }
    ~PngStream() {
        if (started_) {
            deflateEnd(&z_);
        }
    }
    PngStream(const PngStream&) = delete;
    PngStream& operator=(const PngStream&) = delete;

    void add(const std::vector<std::uint8_t>& bytes) { compress(bytes.data(), bytes.size(), Z_NO_FLUSH); }

    void finish() {
        compress(nullptr, 0, Z_FINISH);
        if (z_.avail_out != kChunk) {
            write_chunk("IDAT", compressed_.data(), kChunk - z_.avail_out);
        }
        write_chunk("IEND", nullptr, 0);
    }

  private:
    static constexpr std::size_t kChunk = 1 << 20;

    void compress(const std::uint8_t* data, std::size_t size, int flush) {
        z_.next_in = const_cast<Bytef*>(data);
        z_.avail_in = uInt(size);
        for (;;) {
            if (z_.avail_out == 0) {
                if (!compressed_.empty()) {
                    write_chunk("IDAT", compressed_.data(), kChunk);
                }
                compressed_.resize(kChunk);
                z_.next_out = compressed_.data();
                z_.avail_out = uInt(kChunk);
            }
            const int result = deflate(&z_, flush);
            if (result == Z_STREAM_END) {
                return;
            }
            if (result != Z_OK && result != Z_BUF_ERROR) {
                throw PngError("compression failed");
            }
            if (z_.avail_out != 0 && z_.avail_in == 0 && flush == Z_NO_FLUSH) {
                return;
            }
        }
    }

    void write_chunk(const char (&type)[5], const std::uint8_t* data, std::size_t size) {
        Bytes head;
        put_u32(head, std::uint32_t(size));
        head.insert(head.end(), type, type + 4);
        uLong crc = crc32(0L, head.data() + 4, 4);
        if (size > 0) {
            crc = crc32(crc, data, uInt(size));
        }
        out_.write(reinterpret_cast<const char*>(head.data()), std::streamsize(head.size()));
        out_.write(reinterpret_cast<const char*>(data), std::streamsize(size));
        Bytes tail;
        put_u32(tail, std::uint32_t(crc));
        out_.write(reinterpret_cast<const char*>(tail.data()), std::streamsize(tail.size()));
    }

    std::ostream& out_;
    z_stream z_{};
    bool started_ = false;
    Bytes compressed_;
};

void encode(std::ostream& out, const PF_EffectWorld& world, int bits) {
    const std::size_t bpp = std::size_t(bits / 2);  // bytes per pixel: 4 channels of bits / 8
    const std::size_t row_size = std::size_t(world.width) * bpp;
    if ((row_size + 1) * std::size_t(world.height) > std::size_t(UINT32_MAX / 2)) {
        throw PngError("picture too large for one PNG");
    }
    PngStream png(out, world, bits);
    Bytes row(row_size), above(row_size, 0);
    FilterScratch scratch;
    const bool deep = (world.world_flags & PF_WorldFlag_DEEP) != 0;
    for (A_long y = 0; y < world.height; ++y) {
        deep ? raw_row<PF_Pixel16>(world, y, bits, row.data()) : raw_row<PF_Pixel>(world, y, bits, row.data());
        png.add(best_filtered_row(row.data(), above.data(), row_size, bpp, scratch));
        std::swap(row, above);
    }
    png.finish();
}

}  // namespace

void write_png(const std::filesystem::path& path, const PF_EffectWorld& world, int bits_per_channel,
               PngCompression compression) {
    (void)compression;
    if (bits_per_channel != 8 && bits_per_channel != 16) {
        throw PngError("PNG files are written with 8 or 16 bits per channel");
    }
    if (!is_valid_world(world)) {
        throw PngError("cannot write " + path.string() + ": the world has no pixels");
    }
    TemporaryFile temp(path);
    {
        std::ofstream out(temp.path(), std::ios::binary | std::ios::trunc);
        if (out) {
            encode(out, world, bits_per_channel);
        }
        out.close();
        if (!out) {
            throw PngError("cannot write " + temp.path().string());
        }
    }
    if (const std::error_code error = temp.keep()) {
        throw PngError("cannot move " + temp.path().string() + " to " + path.string() + ": " + error.message());
    }
}

void encode_png(std::ostream& out, const PF_EffectWorld& world, int bits_per_channel) {
    if ((bits_per_channel != 8 && bits_per_channel != 16) || !is_valid_world(world)) {
        throw PngError("a PNG is made of a world with pixels, at 8 or 16 bits per channel");
    }
    encode(out, world, bits_per_channel);
}

}  // namespace vorlane::host
