#include "render/RememberedFrequencies.h"

#include "render/HostGuards.h"
#include "render/RenderContext.h"

namespace vorlane::effect {

std::optional<float> remembered_frequency(RenderContext& ctx, int32_t slot) {
    if (!ctx.error.none()) {
        return std::nullopt;
    }
    std::optional<float>& remembered = ctx.frequencies.percent[static_cast<std::size_t>(slot - 1)];
    if (remembered) {
        return remembered;
    }
    ParamCheckout frequency(ctx.in_data, ctx.error, frequency_param(slot), ctx.in_data.current_time);
    if (!frequency.checked_out()) {
        return std::nullopt;
    }
    remembered = static_cast<float>(frequency.def().u.fs_d.value);
    return remembered;
}

}  // namespace vorlane::effect
