// The "Frequency" sliders as the slot walk reads them. A slider checked out at the render's own time, time step and
// time scale answers the same value however often it is asked within one render, so each is checked out (and
// straight back in) the first time the walk reaches its slot, and remembered for the rest of the render. A slot the
// walk never reaches is never checked out.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "params/ParamIndex.h"

namespace vorlane::effect {

struct RenderContext;

struct RememberedFrequencies {
    std::array<std::optional<float>, kMaxLayers> percent;  // slot 1 at index 0
};

// The percentage of a slot from 1 to kMaxLayers, or nothing when it cannot be read: its check-out failed, or an error
// is recorded, under which a check-out would not even be tried.
std::optional<float> remembered_frequency(RenderContext& ctx, int32_t slot);

}  // namespace vorlane::effect
