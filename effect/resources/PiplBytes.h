#pragma once
#include <cstdint>
#include <vector>

namespace vorlane::effect {
// The complete PIPL resource of the effect, byte for byte.
std::vector<std::uint8_t> pipl_bytes();
}  // namespace vorlane::effect
