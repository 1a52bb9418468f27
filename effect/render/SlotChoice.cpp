#include "render/SlotChoice.h"

namespace vorlane::effect {

float segment_layer_pick(RandomStream& stream) {
    return static_cast<float>(static_cast<double>(unit_draw(next_value(stream))) * 100.0);
}

int32_t path_pick_value(int32_t path_index, int32_t seed) {
    // 32-bit signed arithmetic, wrapping as it always did, with a remainder that keeps the dividend's sign.
    const auto product =
        static_cast<int32_t>((static_cast<uint32_t>(path_index) + static_cast<uint32_t>(seed)) * 7621u + 1u);
    return product % 32768;
}

float path_layer_pick(int32_t path_index, int32_t seed) {
    const float fraction = static_cast<float>(path_pick_value(path_index, seed)) / 32767.0f;
    return static_cast<float>(static_cast<double>(fraction) * 100.0);
}

}  // namespace vorlane::effect
