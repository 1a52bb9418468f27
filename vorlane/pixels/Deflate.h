// zlib-format compression of a whole buffer at once: libdeflate where the build has it (several times faster than
// zlib at equal size), zlib otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorlane::host {

// `level` is 1 (fastest) to 12 (smallest); zlib, which stops at 9, takes 9 for 10 to 12. Throws std::bad_alloc, or
// std::runtime_error when the compressor fails.
std::vector<std::uint8_t> zlib_compress(const std::uint8_t* data, std::size_t size, int level);

}  // namespace vorlane::host
