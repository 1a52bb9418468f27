#include "params/UpdateParamsUi.h"

#include "host/GlobalRecord.h"
#include "host/HostSuiteHandler.h"
#include "params/EffectStreams.h"
#include "params/FrequencyShares.h"
#include "params/ParamIndex.h"

namespace vorlane::effect {
namespace {

// Global set-up leaves global_data unset when it could not lock its handle; the UI update then has no plug-in id to
// address streams with.
const GlobalRecord* global_record(const PF_InData* in_data) {
    if (in_data->global_data == nullptr) {
        return nullptr;
    }
    return static_cast<const GlobalRecord*>(*in_data->global_data);
}

PF_Err set_hidden(const AEGP_DynamicStreamSuite2* dynamic_streams, AEGP_StreamRefH stream, bool hidden, PF_Err err) {
    if (err == PF_Err_NONE && stream != nullptr) {
        err = dynamic_streams->AEGP_SetDynamicStreamFlag(stream, AEGP_DynStreamFlag_HIDDEN, false, hidden);
    }
    return err;
}

// Hides "Layer k" and "Frequency k" for every slot beyond the layers in use, and shows the others.
PF_Err show_layer_controls(HostSuiteHandler& suites, PF_ProgPtr effect_ref, AEGP_PluginID plugin_id, int layer_count) {
    // Every suite is in hand before the host lends anything, so a host without one of them lends nothing.
    const AEGP_PFInterfaceSuite1* pf_interface = suites.pfInterfaceSuite();
    const AEGP_DynamicStreamSuite2* dynamic_streams = suites.dynamicStreamSuite();
    EffectHandle effect(suites.effectSuite());
    StreamTable streams(suites.streamSuite());

    PF_Err err = pf_interface->AEGP_GetNewEffectForEffect(plugin_id, effect_ref, &effect.handle);
    for (int index = 1; index < kParamCount && err == PF_Err_NONE; ++index) {
        err = streams.suite->AEGP_GetNewEffectStreamByIndex(plugin_id, effect.handle, index, &streams.slots[index]);
    }
    for (int slot = 1; slot <= kMaxLayers; ++slot) {
        const bool hidden = slot > layer_count;
        err = set_hidden(dynamic_streams, streams.slots[layer_param(slot)], hidden, err);
        err = set_hidden(dynamic_streams, streams.slots[frequency_param(slot)], hidden, err);
    }
    err = dispose_effect(effect, err);
    return dispose_streams(streams, err);
}

void set_enabled(PF_ParamDef* def, bool enabled) {
    if (enabled) {
        def->ui_flags &= ~PF_PUI_DISABLED;
    } else {
        def->ui_flags |= PF_PUI_DISABLED;
    }
}

PF_Err enable_control(HostSuiteHandler& suites, PF_InData* in_data, PF_ParamDef* params[], int index, bool enabled,
                      PF_Err err) {
    set_enabled(params[index], enabled);
    if (err == PF_Err_NONE) {
        err = suites.paramUtilsSuite()->PF_UpdateParamUI(in_data->effect_ref, index, params[index]);
    }
    return err;
}

}  // namespace

PF_Err update_params_ui(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], void*) {
    HostSuiteHandler suites(in_data->pica_basicP);
    // Every record up to "Composite" is read or written below; a shorter array must not be walked past.
    if (params == nullptr || in_data->num_params < kParamCount) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    // Acquired before anything changes, so that a host without it gets back the records as they came.
    suites.paramUtilsSuite();
    const int layer_count = layers_in_use(params[kLayers]->u.sd.value);

    PF_Err err = PF_Err_NONE;
    // Without a global record the layer controls simply stay as they are: the panel keeps working, and the render
    // reads only the layers in use anyway. An error here would be reported on every refresh of the panel.
    if (const GlobalRecord* global = global_record(in_data)) {
        err = show_layer_controls(suites, in_data->effect_ref, global->plugin_id, layer_count);
    }

    const bool sequential_counts =
        params[kUseAllPaths]->u.bd.value == 1 && params[kMode]->u.pd.value == kModeIncremental;
    err = enable_control(suites, in_data, params, kSequentially, sequential_counts, err);
    const bool alignment_counts = params[kBidirectional]->u.bd.value == 1;
    err = enable_control(suites, in_data, params, kBidirectionalAlignment, alignment_counts, err);

    if (err == PF_Err_NONE) {
        out_data->out_flags |= PF_OutFlag_FORCE_RERENDER;
    }
    return err;
}

}  // namespace vorlane::effect
