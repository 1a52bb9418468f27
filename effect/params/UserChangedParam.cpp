#include "params/UserChangedParam.h"

#include <array>

#include "host/HostSuiteHandler.h"
#include "params/FrequencyShares.h"
#include "params/ParamIndex.h"

namespace vorlane::effect {
namespace {

// Hands one frequency slider's new value to the host. The record is marked changed even when an earlier host call
// failed, so what the panel shows and what the host keeps stay the same record.
void publish_frequency(HostSuiteHandler& suites, PF_InData* in_data, PF_ParamDef* params[], int slot, PF_Err& err) {
    PF_ParamDef* def = params[frequency_param(slot)];
    def->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
    def->flags |= PF_ParamFlag_COLLAPSE_TWIRLY;
    if (err == PF_Err_NONE) {
        err = suites.paramUtilsSuite()->PF_UpdateParamUI(in_data->effect_ref, frequency_param(slot), def);
    }
}

std::array<double, kMaxLayers> frequency_values(PF_ParamDef* params[], int layer_count) {
    std::array<double, kMaxLayers> values{};
    for (int slot = 1; slot <= layer_count; ++slot) {
        values[slot - 1] = params[frequency_param(slot)]->u.fs_d.value;
    }
    return values;
}

bool is_frequency_in_use(int index, int layer_count) {
    return index >= frequency_param(1) && index <= frequency_param(layer_count);
}

}  // namespace

PF_Err user_changed_param(PF_InData* in_data, PF_OutData*, PF_ParamDef* params[],
                          const PF_UserChangedParamExtra* extra) {
    HostSuiteHandler suites(in_data->pica_basicP);
    // Every record up to "Composite" is read or written below; a shorter array must not be walked past.
    if (extra == nullptr || params == nullptr || in_data->num_params < kParamCount) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    const int layer_count = layers_in_use(params[kLayers]->u.sd.value);
    const int changed = extra->param_index;
    const bool equalise = changed == kLayers || changed == kResetFrequencies;
    const bool rescale = is_frequency_in_use(changed, layer_count);
    if (!equalise && !rescale) {
        return PF_Err_NONE;
    }
    // Acquired before any slider is touched: a host without the suite gets its records back unchanged.
    suites.paramUtilsSuite();

    PF_Err err = PF_Err_NONE;
    if (equalise) {
        for (int slot = 1; slot <= layer_count; ++slot) {
            params[frequency_param(slot)]->u.fs_d.value = equal_share(layer_count);
            publish_frequency(suites, in_data, params, slot, err);
        }
    }
    const auto values = frequency_values(params, layer_count);
    const float sum = share_sum(std::span(values).first(layer_count));
    if (rescale && can_rescale(sum)) {
        for (int slot = 1; slot <= layer_count; ++slot) {
            params[frequency_param(slot)]->u.fs_d.value = rescaled_share(values[slot - 1], sum);
            publish_frequency(suites, in_data, params, slot, err);
        }
    }
    return err;
}

}  // namespace vorlane::effect
