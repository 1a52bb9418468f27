#include "ui/UiSuites.h"

#include "AE_EffectSuites.h"
#include "AE_GeneralPlug.h"
#include "session/HostCall.h"
#include "session/Session.h"
#include "ui/AegpHandles.h"

namespace vorlane::host {
namespace {

// Only the value moves: ranges, defaults and choice strings stay as parameter set-up declared them.
void copy_value(const PF_ParamDef& from, PF_ParamDef& to) {
    switch (to.param_type) {
        case PF_Param_SLIDER:
            to.u.sd.value = from.u.sd.value;
            break;
        case PF_Param_FLOAT_SLIDER:
            to.u.fs_d.value = from.u.fs_d.value;
            break;
        case PF_Param_ANGLE:
            to.u.ad.value = from.u.ad.value;
            break;
        case PF_Param_CHECKBOX:
            to.u.bd.value = from.u.bd.value;
            break;
        case PF_Param_POPUP:
            to.u.pd.value = from.u.pd.value;
            break;
        case PF_Param_FIX_SLIDER:
            to.u.fd.value = from.u.fd.value;
            break;
        default:
            break;
    }
}

Session* session_of(const HostCall& call) {
    return call.context() != nullptr ? call.context()->session : nullptr;
}

// The functions of these suites the effect has no use for answer with an error instead of being null.
template <class... Args>
A_Err not_served(Args...) {
    return PF_Err_INVALID_CALLBACK;
}

// ---- PF Param Utils Suite 3 ----

PF_Err PF_UpdateParamUI(PF_ProgPtr effect_ref, PF_ParamIndex param_index, const PF_ParamDef* defP) {
    HostCall call(context_of(effect_ref), "PF_UpdateParamUI");
    call.arg("param_index", param_index);
    if (call.failed()) {
        return call.error();
    }
    Session* session = session_of(call);
    if (session == nullptr || defP == nullptr) {
        return call.result(PF_Err_BAD_CALLBACK_PARAM);
    }
    return call.result(store_param_ui(*session, param_index, *defP));
}

PF_ParamUtilsSuite3 make_param_utils_suite() {
    PF_ParamUtilsSuite3 suite{};
    suite.PF_UpdateParamUI = PF_UpdateParamUI;
    suite.PF_GetCurrentState = not_served;
    suite.PF_AreStatesIdentical = not_served;
    suite.PF_IsIdenticalCheckout = not_served;
    suite.PF_FindKeyframeTime = not_served;
    suite.PF_GetKeyframeCount = not_served;
    suite.PF_CheckoutKeyframe = not_served;
    suite.PF_CheckinKeyframe = not_served;
    suite.PF_KeyIndexToTime = not_served;
    return suite;
}
const PF_ParamUtilsSuite3 kParamUtilsSuite3 = make_param_utils_suite();

// ---- AEGP PF Interface Suite 1 ----

A_Err AEGP_GetNewEffectForEffect(AEGP_PluginID aegp_plugin_id, PF_ProgPtr effect_ref, AEGP_EffectRefH* effectPH) {
    HostCall call(context_of(effect_ref), "AEGP_GetNewEffectForEffect");
    call.arg("aegp_plugin_id", aegp_plugin_id);
    if (call.failed()) {
        return call.error();
    }
    Session* session = session_of(call);
    if (session == nullptr || effectPH == nullptr) {
        return call.result(kStaleHandleError);
    }
    *effectPH = lend_effect_handle(session);
    call.arg("effect", *effectPH);
    return call.result(A_Err{0});
}

AEGP_PFInterfaceSuite1 make_pf_interface_suite() {
    AEGP_PFInterfaceSuite1 suite{};
    suite.AEGP_GetEffectLayer = not_served;
    suite.AEGP_GetNewEffectForEffect = AEGP_GetNewEffectForEffect;
    suite.AEGP_ConvertEffectToCompTime = not_served;
    suite.AEGP_GetEffectCamera = not_served;
    suite.AEGP_GetEffectCameraMatrix = not_served;
    return suite;
}
const AEGP_PFInterfaceSuite1 kPFInterfaceSuite1 = make_pf_interface_suite();

// ---- AEGP Stream Suite 7 ----

A_Err AEGP_GetEffectNumParamStreams(AEGP_EffectRefH effect_refH, A_long* num_paramsPL) {
    HostCall call(current_context(), "AEGP_GetEffectNumParamStreams");
    call.arg("effect", effect_refH);
    if (call.failed()) {
        return call.error();
    }
    AegpHandleInfo effect;
    if (!find_lent_handle(effect_refH, AegpHandleKind::effect, &effect) || num_paramsPL == nullptr) {
        return call.result(kStaleHandleError);
    }
    *num_paramsPL = effect.session->num_params();
    return call.result(A_Err{0});
}

A_Err AEGP_GetNewEffectStreamByIndex(AEGP_PluginID aegp_plugin_id, AEGP_EffectRefH effect_refH,
                                     PF_ParamIndex param_index, AEGP_StreamRefH* streamPH) {
    HostCall call(current_context(), "AEGP_GetNewEffectStreamByIndex");
    call.arg("aegp_plugin_id", aegp_plugin_id).arg("effect", effect_refH).arg("param_index", param_index);
    if (call.failed()) {
        return call.error();
    }
    AegpHandleInfo effect;
    if (!find_lent_handle(effect_refH, AegpHandleKind::effect, &effect) || streamPH == nullptr || param_index < 0 ||
        param_index >= effect.session->num_params()) {
        return call.result(kStaleHandleError);
    }
    *streamPH = lend_stream_handle(effect.session, param_index);
    return call.result(A_Err{0});
}

// A dispose the gate makes fail still takes the handle back, as a host that reports an error after letting go
// would: the effect cannot do anything about it, and a fault sweep must not see a leak the effect did not make.
A_Err AEGP_DisposeStream(AEGP_StreamRefH streamH) {
    HostCall call(current_context(), "AEGP_DisposeStream");
    call.arg("stream", streamH);
    const A_Err err = take_back_handle(streamH, AegpHandleKind::stream);
    return call.failed() ? call.error() : call.result(err);
}

AEGP_StreamSuite7 make_stream_suite() {
    AEGP_StreamSuite7 suite{};
    suite.AEGP_IsStreamLegal = not_served;
    suite.AEGP_CanVaryOverTime = not_served;
    suite.AEGP_GetNewLayerStream = not_served;
    suite.AEGP_GetEffectNumParamStreams = AEGP_GetEffectNumParamStreams;
    suite.AEGP_GetNewEffectStreamByIndex = AEGP_GetNewEffectStreamByIndex;
    suite.AEGP_GetNewMaskStream = not_served;
    suite.AEGP_DisposeStream = AEGP_DisposeStream;
    suite.AEGP_GetStreamType = not_served;
    return suite;
}
const AEGP_StreamSuite7 kStreamSuite7 = make_stream_suite();

// ---- AEGP Dynamic Stream Suite 2 ----

A_Err AEGP_GetDynamicStreamFlags(AEGP_StreamRefH streamH, AEGP_DynStreamFlags* stream_flagsP) {
    HostCall call(current_context(), "AEGP_GetDynamicStreamFlags");
    call.arg("stream", streamH);
    if (call.failed()) {
        return call.error();
    }
    AegpHandleInfo stream;
    if (!find_lent_handle(streamH, AegpHandleKind::stream, &stream) || stream_flagsP == nullptr) {
        return call.result(kStaleHandleError);
    }
    *stream_flagsP = stream.session->control_flags().flags(stream.param_index);
    return call.result(A_Err{0});
}

A_Err AEGP_SetDynamicStreamFlag(AEGP_StreamRefH streamH, AEGP_DynStreamFlags one_flag, A_Boolean undoableB,
                                A_Boolean setB) {
    HostCall call(current_context(), "AEGP_SetDynamicStreamFlag");
    call.arg("stream", streamH).arg("one_flag", one_flag).arg("undoable", undoableB != 0).arg("set", setB != 0);
    if (call.failed()) {
        return call.error();
    }
    AegpHandleInfo stream;
    if (!find_lent_handle(streamH, AegpHandleKind::stream, &stream)) {
        return call.result(kStaleHandleError);
    }
    stream.session->control_flags().set(stream.param_index, one_flag, setB != 0);
    return call.result(A_Err{0});
}

AEGP_DynamicStreamSuite2 make_dynamic_stream_suite() {
    AEGP_DynamicStreamSuite2 suite{};
    suite.AEGP_GetNewStreamRefForLayer = not_served;
    suite.AEGP_GetNewStreamRefForMask = not_served;
    suite.AEGP_GetStreamDepth = not_served;
    suite.AEGP_GetStreamGroupingType = not_served;
    suite.AEGP_GetNumStreamsInGroup = not_served;
    suite.AEGP_GetDynamicStreamFlags = AEGP_GetDynamicStreamFlags;
    suite.AEGP_SetDynamicStreamFlag = AEGP_SetDynamicStreamFlag;
    return suite;
}
const AEGP_DynamicStreamSuite2 kDynamicStreamSuite2 = make_dynamic_stream_suite();

// ---- AEGP Effect Suite 2 ----

A_Err AEGP_DisposeEffect(AEGP_EffectRefH effectH) {
    HostCall call(current_context(), "AEGP_DisposeEffect");
    call.arg("effect", effectH);
    const A_Err err = take_back_handle(effectH, AegpHandleKind::effect);
    return call.failed() ? call.error() : call.result(err);
}

AEGP_EffectSuite2 make_effect_suite() {
    AEGP_EffectSuite2 suite{};
    suite.AEGP_GetLayerNumEffects = not_served;
    suite.AEGP_GetLayerEffectByIndex = not_served;
    suite.AEGP_GetInstalledKeyFromLayerEffect = not_served;
    suite.AEGP_GetEffectParamUnionByIndex = not_served;
    suite.AEGP_GetEffectFlags = not_served;
    suite.AEGP_SetEffectFlags = not_served;
    suite.AEGP_ReorderEffect = not_served;
    suite.AEGP_EffectCallGeneric = not_served;
    suite.AEGP_DisposeEffect = AEGP_DisposeEffect;
    return suite;
}
const AEGP_EffectSuite2 kEffectSuite2 = make_effect_suite();

}  // namespace

PF_Err store_param_ui(Session& session, PF_ParamIndex index, const PF_ParamDef& def) {
    if (index < 0 || index >= session.num_params()) {
        return PF_Err_INVALID_INDEX;
    }
    PF_ParamDef current = session.param(index);
    if (def.param_type != current.param_type) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    copy_value(def, current);
    current.flags = def.flags;
    current.ui_flags = def.ui_flags;
    session.set_param(index, current);
    return PF_Err_NONE;
}

void register_ui_suites(SuiteRegistry& registry) {
    registry.add(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3, &kParamUtilsSuite3);
    registry.add(kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1, &kPFInterfaceSuite1);
    registry.add(kAEGPStreamSuite, kAEGPStreamSuiteVersion7, &kStreamSuite7);
    registry.add(kAEGPDynamicStreamSuite, kAEGPDynamicStreamSuiteVersion2, &kDynamicStreamSuite2);
    registry.add(kAEGPEffectSuite, kAEGPEffectSuiteVersion2, &kEffectSuite2);
}

}  // namespace vorlane::host
