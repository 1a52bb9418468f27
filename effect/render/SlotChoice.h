// Which of the layer slots an instance shows: a pick from 0 to 100 laid against the frequencies as consecutive
// intervals.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>

#include "params/ParamIndex.h"
#include "render/RandomStream.h"

namespace vorlane::effect {

// "Distribution" Segment: a fresh pick per instance, the seventh draw of the instance.
float segment_layer_pick(RandomStream& stream);

// "Distribution" Path: one pick per mask, the same for every instance on it; 32767 gives exactly 100.
int32_t path_pick_value(int32_t path_index, int32_t seed);
float path_layer_pick(int32_t path_index, int32_t seed);

// The chosen slot, 1 to layers + 1. Both bounds of an interval are exclusive, so a pick of exactly 0, one on the
// upper bound of an interval or one above their sum selects layers + 1, the slot after the last one in use, which
// drawing leaves out. frequency_of(slot) gives a slot's percentage, or nothing when it could not be read; the
// choice then ends without a slot. The frequencies are read only as far as the chosen slot.
template <class FrequencyOf>
std::optional<int32_t> choose_slot(float layer_pick, int32_t layers, FrequencyOf&& frequency_of) {
    float cum = 0.0f;
    int32_t passed = 0;
    // A slot count beyond the five layer parameters would read parameters that are not frequencies.
    const int32_t slots = std::min(layers, kMaxLayers);
    for (int32_t slot = 1; slot <= slots; ++slot) {
        const std::optional<float> frequency = frequency_of(slot);
        if (!frequency) {
            return std::nullopt;
        }
        if (layer_pick > cum && cum + *frequency > layer_pick) {
            return slot;
        }
        ++passed;
        cum += *frequency;
    }
    return passed + 1;
}

}  // namespace vorlane::effect
