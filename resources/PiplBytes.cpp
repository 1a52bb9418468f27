#include "resources/PiplBytes.h"

namespace vorlane {
std::vector<std::uint8_t> pipl_bytes() { return {1, 0}; }  // placeholder until the PiPL lands
}  // namespace vorlane
