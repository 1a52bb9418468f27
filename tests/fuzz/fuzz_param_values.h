// Parameter values drawn from fuzz input, stored in the session's records as a project holds them: mostly values
// within each parameter's valid range, and now and then one an old or hand-edited project can carry (a popup at 0
// or 7, "Layers" 0 or 9, a negative count, NaN or infinite sliders, a path id naming no mask).
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cmath>
#include <limits>

#include "params/ParamIndex.h"
#include "scene/MaskIds.h"
#include "session/Session.h"

namespace vorlane::host::fuzz {

using namespace vorlane::effect;

// The work cap of one case: with at most four masks, both "Bidirectional" and "Sequentially" (or "Use All Paths"
// passes) multiply "Instances" by at most 8, so 250 keeps a render under 2000 spots, each compositing at most the
// 64 x 48 output. Larger counts, up to the render's own limit of a million spots, are the bounded-cost tests' part.
constexpr A_long kMaxFuzzInstances = 250;

inline bool stray(FuzzedDataProvider& in) {
    return in.ConsumeIntegralInRange(0, 7) == 7;  // an exhausted input gives in-range values
}

inline A_long stray_integer(FuzzedDataProvider& in, A_long low, A_long high) {
    const A_long picks[] = {low - 1, high + 1, 0, -1, 7, 9, INT_MIN, INT_MAX, in.ConsumeIntegral<A_long>()};
    return picks[in.ConsumeIntegralInRange<std::size_t>(0, std::size(picks) - 1)];
}

inline double stray_float(FuzzedDataProvider& in, double low, double high) {
    const double picks[] = {std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(),
                            low - 1.0,
                            high * 10.0 + 1.0,
                            -1e30,
                            1e30,
                            std::numeric_limits<double>::denorm_min(),
                            in.ConsumeFloatingPoint<double>()};
    return picks[in.ConsumeIntegralInRange<std::size_t>(0, std::size(picks) - 1)];
}

inline A_long integer_value(FuzzedDataProvider& in, A_long low, A_long high) {
    return stray(in) ? stray_integer(in, low, high) : in.ConsumeIntegralInRange(low, high);
}

inline void fuzz_value(FuzzedDataProvider& in, PF_ParamIndex index, int mask_count, PF_ParamDef& def) {
    switch (def.param_type) {
        case PF_Param_SLIDER:
            def.u.sd.value = integer_value(in, def.u.sd.valid_min, def.u.sd.valid_max);
            if (index == kInstances) {
                def.u.sd.value = std::min(def.u.sd.value, kMaxFuzzInstances);
            }
            break;
        case PF_Param_FLOAT_SLIDER: {
            const auto low = static_cast<double>(def.u.fs_d.valid_min);
            const auto high = static_cast<double>(def.u.fs_d.valid_max);
            def.u.fs_d.value =
                stray(in) ? stray_float(in, low, high) : in.ConsumeFloatingPointInRange<double>(low, high);
            break;
        }
        case PF_Param_POPUP:
            def.u.pd.value = integer_value(in, 1, def.u.pd.num_choices);
            break;
        case PF_Param_CHECKBOX:
            def.u.bd.value = integer_value(in, 0, 1);
            break;
        case PF_Param_ANGLE:
            // Any fixed-point angle is a value the control can hold, turns upon turns included.
            def.u.ad.value = in.ConsumeIntegral<PF_Fixed>();
            break;
        case PF_Param_PATH: {
            const A_long mask = integer_value(in, 0, mask_count);
            def.u.path_d.path_id = mask >= 1 && mask <= mask_count ? mask_path_id(mask - 1) : mask;
            break;
        }
        default:
            break;  // layers come from the scene; buttons and groups hold nothing
    }
}

inline void fuzz_values(FuzzedDataProvider& in, Session& session, int mask_count) {
    for (PF_ParamIndex index = 1; index < session.num_params(); ++index) {
        PF_ParamDef def = session.param(index);
        fuzz_value(in, index, mask_count, def);
        session.set_param(index, def);
    }
}

}  // namespace vorlane::host::fuzz
