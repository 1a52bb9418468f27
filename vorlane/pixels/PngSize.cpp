#include "pixels/PngSize.h"

#include <array>
#include <cstring>
#include <fstream>

namespace vorlane::host {
namespace {

long big_endian_32(const unsigned char* bytes) {
    return static_cast<long>((static_cast<unsigned long>(bytes[0]) << 24) |
                             (static_cast<unsigned long>(bytes[1]) << 16) |
                             (static_cast<unsigned long>(bytes[2]) << 8) | static_cast<unsigned long>(bytes[3]));
}

}  // namespace

std::optional<PictureSize> png_size(const std::filesystem::path& path) {
    // The signature, then the IHDR chunk's length and type, then width and height.
    static constexpr unsigned char kStart[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                               0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    std::array<unsigned char, sizeof kStart + 8> header{};
    std::ifstream in(path, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(header.data()), static_cast<std::streamsize>(header.size())) ||
        std::memcmp(header.data(), kStart, sizeof kStart) != 0) {
        return std::nullopt;
    }
    return PictureSize{big_endian_32(header.data() + 16), big_endian_32(header.data() + 20)};
}

}  // namespace vorlane::host
