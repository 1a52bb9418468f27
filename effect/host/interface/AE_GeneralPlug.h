// The general-plug-in (AEGP) handles and the AEGP suites an effect reaches through SPBasicSuite.
#pragma once

#include "AE_Effect.h"

typedef A_long AEGP_PluginID;
typedef void* AEGP_GlobalRefcon;
typedef struct _AEGP_EffectRefH* AEGP_EffectRefH;
typedef struct _AEGP_StreamRefH* AEGP_StreamRefH;
typedef struct _AEGP_LayerH* AEGP_LayerH;
typedef struct _AEGP_CompH* AEGP_CompH;
typedef struct _AEGP_MaskRefH* AEGP_MaskRefH;
typedef A_long AEGP_InstalledEffectKey;
typedef A_long AEGP_EffectFlags;
typedef A_long AEGP_StreamType;
typedef A_long AEGP_StreamGroupingType;
typedef A_long AEGP_LayerStream;
typedef A_long AEGP_MaskStream;

typedef A_u_long AEGP_DynStreamFlags;
enum {
    AEGP_DynStreamFlag_ACTIVE_EYEBALL = 1L << 0,
    AEGP_DynStreamFlag_HIDDEN = 1L << 1,
    AEGP_DynStreamFlag_DISABLED = 1L << 4,
    AEGP_DynStreamFlag_ELIDED = 1L << 5,
    AEGP_DynStreamFlag_SHOWN_WHEN_EMPTY = 1L << 10,
    AEGP_DynStreamFlag_SKIP_REVEAL_WHEN_UNHIDDEN = 1L << 16
};

#define kAEGPUtilitySuite "AEGP Utility Suite"
// Not in the published table, which measured version 6 only; version 7 keeps its members.
#define kAEGPUtilitySuiteVersion7 7

// Published as AEGP_UtilitySuite6, whose members version 7 keeps.
typedef struct AEGP_UtilitySuite7 {
    A_Err (*AEGP_ReportInfo)(AEGP_PluginID aegp_plugin_id, const A_char* info_string);
    A_Err (*AEGP_ReportInfoUnicode)(AEGP_PluginID aegp_plugin_id, const A_u_short* info_string);
    A_Err (*AEGP_GetDriverPluginInitFuncVersion)(A_short* major_versionPS, A_short* minor_versionPS);
    A_Err (*AEGP_GetDriverImplementationVersion)(A_short* major_versionPS, A_short* minor_versionPS);
    A_Err (*AEGP_StartQuietErrors)(void* err_stateP);
    A_Err (*AEGP_EndQuietErrors)(A_Boolean report_quieted_errorsB, void* err_stateP);
    A_Err (*AEGP_GetLastErrorMessage)(A_long buffer_size, A_char* error_string, A_Err* error_num);
    A_Err (*AEGP_StartUndoGroup)(const A_char* undo_name);
    A_Err (*AEGP_EndUndoGroup)(void);
    A_Err (*AEGP_RegisterWithAEGP)(AEGP_GlobalRefcon global_refcon, const A_char* plugin_name,
                                   AEGP_PluginID* plugin_id);
    void* AEGP_GetMainHWND;
    void* AEGP_ShowHideAllFloaters;
    void* AEGP_PaintPalGetForeColor;
    void* AEGP_PaintPalGetBackColor;
    void* AEGP_PaintPalSetForeColor;
    void* AEGP_PaintPalSetBackColor;
    void* AEGP_CharPalGetFillColor;
    void* AEGP_CharPalGetStrokeColor;
    void* AEGP_CharPalSetFillColor;
    void* AEGP_CharPalSetStrokeColor;
    void* AEGP_CharPalIsFillColorUIFrontmost;
    void* AEGP_ConvertFpLongToHSFRatio;
    void* AEGP_ConvertHSFRatioToFpLong;
    void* AEGP_CauseIdleRoutinesToBeCalled;
    void* AEGP_GetSuppressInteractiveUI;
    void* AEGP_WriteToOSConsole;
    void* AEGP_WriteToDebugLog;
    void* AEGP_IsScriptingAvailable;
    void* AEGP_ExecuteScript;
    void* AEGP_HostIsActivated;
    void* AEGP_GetPluginPlatformRef;
    void* AEGP_UpdateFontList;
    void* AEGP_GetPluginPaths;
} AEGP_UtilitySuite7;

#define kAEGPPFInterfaceSuite "AEGP PF Interface Suite"
#define kAEGPPFInterfaceSuiteVersion1 1

typedef struct AEGP_PFInterfaceSuite1 {
    A_Err (*AEGP_GetEffectLayer)(PF_ProgPtr effect_ref, AEGP_LayerH* layerPH);
    A_Err (*AEGP_GetNewEffectForEffect)(AEGP_PluginID aegp_plugin_id, PF_ProgPtr effect_ref, AEGP_EffectRefH* effectPH);
    A_Err (*AEGP_ConvertEffectToCompTime)(PF_ProgPtr effect_ref, A_long what_timeL, A_u_long time_scaleLu,
                                          void* comp_timePT);
    A_Err (*AEGP_GetEffectCamera)(PF_ProgPtr effect_ref, const void* comp_timePT, AEGP_LayerH* camera_layerPH);
    A_Err (*AEGP_GetEffectCameraMatrix)(PF_ProgPtr effect_ref, const void* comp_timePT, void* camera_matrixP,
                                        A_FpLong* dst_to_planePF, A_short* plane_widthPL, A_short* plane_heightPL);
} AEGP_PFInterfaceSuite1;

#define kAEGPStreamSuite "AEGP Stream Suite"
// Not in the published table, which measured version 6 only; version 7 keeps its members.
#define kAEGPStreamSuiteVersion7 7

// Published as AEGP_StreamSuite6, whose members version 7 keeps.
typedef struct AEGP_StreamSuite7 {
    A_Err (*AEGP_IsStreamLegal)(AEGP_LayerH layerH, AEGP_LayerStream which_stream, A_Boolean* is_legalP);
    A_Err (*AEGP_CanVaryOverTime)(AEGP_StreamRefH streamH, A_Boolean* can_varyPB);
    void* AEGP_GetValidInterpolations;
    A_Err (*AEGP_GetNewLayerStream)(AEGP_PluginID aegp_plugin_id, AEGP_LayerH layerH, AEGP_LayerStream which_stream,
                                    AEGP_StreamRefH* streamPH);
    A_Err (*AEGP_GetEffectNumParamStreams)(AEGP_EffectRefH effect_refH, A_long* num_paramsPL);
    A_Err (*AEGP_GetNewEffectStreamByIndex)(AEGP_PluginID aegp_plugin_id, AEGP_EffectRefH effect_refH,
                                            PF_ParamIndex param_index, AEGP_StreamRefH* streamPH);
    A_Err (*AEGP_GetNewMaskStream)(AEGP_PluginID aegp_plugin_id, AEGP_MaskRefH mask_refH, AEGP_MaskStream which_stream,
                                   AEGP_StreamRefH* mask_streamPH);
    A_Err (*AEGP_DisposeStream)(AEGP_StreamRefH streamH);
    void* AEGP_GetStreamName;
    void* AEGP_GetStreamUnitsText;
    void* AEGP_GetStreamProperties;
    void* AEGP_IsStreamTimevarying;
    A_Err (*AEGP_GetStreamType)(AEGP_StreamRefH streamH, AEGP_StreamType* stream_typeP);
    void* AEGP_GetNewStreamValue;
    void* AEGP_DisposeStreamValue;
    void* AEGP_SetStreamValue;
    void* AEGP_GetLayerStreamValue;
    void* AEGP_GetExpressionState;
    void* AEGP_SetExpressionState;
    void* AEGP_GetExpression;
    void* AEGP_SetExpression;
    void* AEGP_DuplicateStreamRef;
    void* AEGP_GetUniqueStreamID;
} AEGP_StreamSuite7;

#define kAEGPDynamicStreamSuite "AEGP Dynamic Stream Suite"
#define kAEGPDynamicStreamSuiteVersion2 2

typedef struct AEGP_DynamicStreamSuite2 {
    A_Err (*AEGP_GetNewStreamRefForLayer)(AEGP_PluginID aegp_plugin_id, AEGP_LayerH layerH, AEGP_StreamRefH* streamPH);
    A_Err (*AEGP_GetStreamDepth)(AEGP_StreamRefH streamH, A_long* depthPL);
    A_Err (*AEGP_GetStreamGroupingType)(AEGP_StreamRefH streamH, AEGP_StreamGroupingType* group_typeP);
    A_Err (*AEGP_GetNumStreamsInGroup)(AEGP_StreamRefH streamH, A_long* num_streamsPL);
    A_Err (*AEGP_GetDynamicStreamFlags)(AEGP_StreamRefH streamH, AEGP_DynStreamFlags* stream_flagsP);
    A_Err (*AEGP_SetDynamicStreamFlag)(AEGP_StreamRefH streamH, AEGP_DynStreamFlags one_flag, A_Boolean undoableB,
                                       A_Boolean setB);
    void* AEGP_GetNewStreamRefByIndex;
    void* AEGP_GetNewStreamRefByMatchname;
    void* AEGP_DeleteStream;
    void* AEGP_ReorderStream;
    void* AEGP_DuplicateStream;
    void* AEGP_SetStreamName;
    void* AEGP_CanAddStream;
    void* AEGP_AddStream;
    void* AEGP_GetMatchName;
    void* AEGP_GetNewParentStreamRef;
    void* AEGP_GetStreamIsModified;
} AEGP_DynamicStreamSuite2;

#define kAEGPEffectSuite "AEGP Effect Suite"
#define kAEGPEffectSuiteVersion2 2

typedef struct AEGP_EffectSuite2 {
    A_Err (*AEGP_GetLayerNumEffects)(AEGP_LayerH layerH, A_long* num_effectsPL);
    A_Err (*AEGP_GetLayerEffectByIndex)(AEGP_PluginID aegp_plugin_id, AEGP_LayerH layerH, A_long layer_effect_index,
                                        AEGP_EffectRefH* effectPH);
    A_Err (*AEGP_GetInstalledKeyFromLayerEffect)(AEGP_EffectRefH effect_refH, AEGP_InstalledEffectKey* installed_keyP);
    A_Err (*AEGP_GetEffectParamUnionByIndex)(AEGP_PluginID aegp_plugin_id, AEGP_EffectRefH effectH,
                                             PF_ParamIndex param_index, PF_ParamType* param_typeP,
                                             PF_ParamDefUnion* uP0);
    A_Err (*AEGP_GetEffectFlags)(AEGP_EffectRefH effect_refH, AEGP_EffectFlags* effect_flagsP);
    A_Err (*AEGP_SetEffectFlags)(AEGP_EffectRefH effect_refH, AEGP_EffectFlags mask, AEGP_EffectFlags effect_flags);
    A_Err (*AEGP_ReorderEffect)(AEGP_EffectRefH effect_refH, A_long effect_indexL);
    // The command parameter came with version 3 of the suite.
    A_Err (*AEGP_EffectCallGeneric)(AEGP_PluginID aegp_plugin_id, AEGP_EffectRefH effectH, const void* timePT,
                                    void* effect_extraPV);
    A_Err (*AEGP_DisposeEffect)(AEGP_EffectRefH effectH);
    void* AEGP_ApplyEffect;
    void* AEGP_DeleteLayerEffect;
    void* AEGP_GetNumInstalledEffects;
    void* AEGP_GetNextInstalledEffect;
    void* AEGP_GetEffectName;
    void* AEGP_GetEffectMatchName;
    void* AEGP_GetEffectCategory;
    void* AEGP_DuplicateEffect;
} AEGP_EffectSuite2;
