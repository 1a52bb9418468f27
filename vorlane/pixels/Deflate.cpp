#include "pixels/Deflate.h"

#include <algorithm>
#include <memory>
#include <new>
#include <stdexcept>

#ifdef VORLANE_HAVE_LIBDEFLATE
#include <libdeflate.h>
#else
#include <zlib.h>
#endif

namespace vorlane::host {

#ifdef VORLANE_HAVE_LIBDEFLATE

std::vector<std::uint8_t> zlib_compress(const std::uint8_t* data, std::size_t size, int level) {
    const std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> compressor(
        libdeflate_alloc_compressor(std::clamp(level, 1, 12)), libdeflate_free_compressor);
    if (!compressor) {
        throw std::bad_alloc();
    }
    std::vector<std::uint8_t> out(libdeflate_zlib_compress_bound(compressor.get(), size));
    const std::size_t written = libdeflate_zlib_compress(compressor.get(), data, size, out.data(), out.size());
    if (written == 0) {
        throw std::runtime_error("compression failed");
    }
    out.resize(written);
    return out;
}

#else

std::vector<std::uint8_t> zlib_compress(const std::uint8_t* data, std::size_t size, int level) {
    uLongf bound = compressBound(static_cast<uLong>(size));
    std::vector<std::uint8_t> out(bound);
    const int result = compress2(out.data(), &bound, data, static_cast<uLong>(size), std::clamp(level, 1, 9));
    if (result == Z_MEM_ERROR) {
        throw std::bad_alloc();
    }
    if (result != Z_OK) {
        throw std::runtime_error("compression failed");
    }
    out.resize(bound);
    return out;
}

#endif

}  // namespace vorlane::host
