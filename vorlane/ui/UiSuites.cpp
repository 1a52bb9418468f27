#include "ui/UiSuites.h"

#include "AE_EffectSuites.h"
#include "AE_GeneralPlug.h"
#include "session/Serve.h"
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

// A dispose the gate makes fail still takes the handle back, as a host that reports an error after letting go
// would: the effect cannot do anything about it, and a fault sweep must not see a leak the effect did not make.
// So the handle is taken back before the call passes the gate.
A_Err dispose_lent(const char* function, const char* arg_name, const void* handle, AegpHandleKind kind) {
    const A_Err err = take_back_handle(handle, kind);
    return serve(
        current_context(), function, [&](HostCall& call) { call.arg(arg_name, handle); },
        [&](HostCall&) { return err; });
}

// The calls on a handle the host lent: one not lent, given back, or of the other kind is stale; `answer` gets the
// handle's record.
template <class Record, class Answer>
A_Err serve_lent(const char* function, const void* handle, AegpHandleKind kind, Record&& record, Answer&& answer) {
    return serve(current_context(), function, record, [&](HostCall&) -> A_Err {
        AegpHandleInfo info;
        return find_lent_handle(handle, kind, &info) ? answer(info) : kStaleHandleError;
    });
}

// The functions of these suites the effect has no use for answer with an error instead of being null.
template <class... Args>
A_Err not_served(Args...) {
    return PF_Err_INVALID_CALLBACK;
}

// ---- PF Param Utils Suite 3 ----

PF_Err PF_UpdateParamUI(PF_ProgPtr effect_ref, PF_ParamIndex param_index, const PF_ParamDef* defP) {
    return serve(
        context_of(effect_ref), "PF_UpdateParamUI", [&](HostCall& call) { call.arg("param_index", param_index); },
        [&](HostCall& call) -> PF_Err {
            Session* session = session_of(call);
            if (session == nullptr || defP == nullptr) {
                return PF_Err_BAD_CALLBACK_PARAM;
            }
            return store_param_ui(*session, param_index, *defP);
        });
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
    return serve(
        context_of(effect_ref), "AEGP_GetNewEffectForEffect",
        [&](HostCall& call) { call.arg("aegp_plugin_id", aegp_plugin_id); },
        [&](HostCall& call) {
            Session* session = session_of(call);
            if (session == nullptr || effectPH == nullptr) {
                return kStaleHandleError;
            }
            *effectPH = lend_effect_handle(session);
            call.arg("effect", *effectPH);
            return A_Err{0};
        });
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
    return serve_lent(
        "AEGP_GetEffectNumParamStreams", effect_refH, AegpHandleKind::effect,
        [&](HostCall& call) { call.arg("effect", effect_refH); },
        [&](const AegpHandleInfo& effect) {
            if (num_paramsPL == nullptr) {
                return kStaleHandleError;
            }
            *num_paramsPL = effect.session->num_params();
            return A_Err{0};
        });
}

A_Err AEGP_GetNewEffectStreamByIndex(AEGP_PluginID aegp_plugin_id, AEGP_EffectRefH effect_refH,
                                     PF_ParamIndex param_index, AEGP_StreamRefH* streamPH) {
    return serve_lent(
        "AEGP_GetNewEffectStreamByIndex", effect_refH, AegpHandleKind::effect,
        [&](HostCall& call) {
            call.arg("aegp_plugin_id", aegp_plugin_id).arg("effect", effect_refH).arg("param_index", param_index);
        },
        [&](const AegpHandleInfo& effect) {
            if (streamPH == nullptr || param_index < 0 || param_index >= effect.session->num_params()) {
                return kStaleHandleError;
            }
            *streamPH = lend_stream_handle(effect.session, param_index);
            return A_Err{0};
        });
}

A_Err AEGP_DisposeStream(AEGP_StreamRefH streamH) {
    return dispose_lent("AEGP_DisposeStream", "stream", streamH, AegpHandleKind::stream);
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
    return serve_lent(
        "AEGP_GetDynamicStreamFlags", streamH, AegpHandleKind::stream,
        [&](HostCall& call) { call.arg("stream", streamH); },
        [&](const AegpHandleInfo& stream) {
            if (stream_flagsP == nullptr) {
                return kStaleHandleError;
            }
            *stream_flagsP = stream.session->control_flags().flags(stream.param_index);
            return A_Err{0};
        });
}

A_Err AEGP_SetDynamicStreamFlag(AEGP_StreamRefH streamH, AEGP_DynStreamFlags one_flag, A_Boolean undoableB,
                                A_Boolean setB) {
    return serve_lent(
        "AEGP_SetDynamicStreamFlag", streamH, AegpHandleKind::stream,
        [&](HostCall& call) {
            call.arg("stream", streamH).arg("one_flag", one_flag).arg("undoable", undoableB != 0).arg("set", setB != 0);
        },
        [&](const AegpHandleInfo& stream) {
            stream.session->control_flags().set(stream.param_index, one_flag, setB != 0);
            return A_Err{0};
        });
}

AEGP_DynamicStreamSuite2 make_dynamic_stream_suite() {
    AEGP_DynamicStreamSuite2 suite{};
    suite.AEGP_GetNewStreamRefForLayer = not_served;
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
    return dispose_lent("AEGP_DisposeEffect", "effect", effectH, AegpHandleKind::effect);
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
