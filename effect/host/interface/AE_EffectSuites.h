// Effect suites acquired through SPBasicSuite: parameter UI utilities and mask paths.
#pragma once

#include "AE_Effect.h"

typedef A_long PF_State[4];
typedef A_long PF_KeyIndex;
typedef A_long PF_TimeDir;

#define kPFParamUtilsSuite "PF Param Utils Suite"
#define kPFParamUtilsSuiteVersion3 3

typedef struct PF_ParamUtilsSuite3 {
    PF_Err (*PF_UpdateParamUI)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, const PF_ParamDef* defP);
    PF_Err (*PF_GetCurrentState)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, const void* startPT0,
                                 const void* durationPT0, PF_State* stateP);
    PF_Err (*PF_AreStatesIdentical)(PF_ProgPtr effect_ref, const PF_State* state1P, const PF_State* state2P,
                                    A_Boolean* samePB);
    PF_Err (*PF_IsIdenticalCheckout)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, A_long what_time1,
                                     A_long time_step1, A_u_long time_scale1, A_long what_time2, A_long time_step2,
                                     A_u_long time_scale2, PF_Boolean* identicalPB);
    PF_Err (*PF_FindKeyframeTime)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, A_long what_time,
                                  A_u_long time_scale, PF_TimeDir time_dir, PF_Boolean* foundPB,
                                  PF_KeyIndex* key_indexP0, A_long* key_timeP0, A_u_long* key_timescaleP0);
    PF_Err (*PF_GetKeyframeCount)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, PF_KeyIndex* key_countP);
    PF_Err (*PF_CheckoutKeyframe)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, PF_KeyIndex key_index,
                                  A_long* key_timeP0, A_u_long* key_timescaleP0, PF_ParamDef* paramP0);
    PF_Err (*PF_CheckinKeyframe)(PF_ProgPtr effect_ref, PF_ParamDef* paramP);
    PF_Err (*PF_KeyIndexToTime)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, PF_KeyIndex key_indexP,
                                A_long* key_timeP, A_u_long* key_timescaleP);
} PF_ParamUtilsSuite3;

typedef struct PF_PathOutline* PF_PathOutlinePtr;
typedef struct PF_PathSegPrep* PF_PathSegPrepPtr;

typedef struct {
    PF_FpLong x, y;
    PF_FpLong tan_in_x, tan_in_y;
    PF_FpLong tan_out_x, tan_out_y;
} PF_PathVertex;

#define kPFPathQuerySuite "PF Path Query Suite"
#define kPFPathQuerySuiteVersion1 1

typedef struct PF_PathQuerySuite1 {
    PF_Err (*PF_NumPaths)(PF_ProgPtr effect_ref, A_long* num_pathsPL);
    PF_Err (*PF_PathInfo)(PF_ProgPtr effect_ref, A_long indexL, PF_PathID* unique_idP);
    PF_Err (*PF_CheckoutPath)(PF_ProgPtr effect_ref, PF_PathID unique_id, A_long what_time, A_long time_step,
                              A_u_long time_scale, PF_PathOutlinePtr* pathPP);
    PF_Err (*PF_CheckinPath)(PF_ProgPtr effect_ref, PF_PathID unique_id, PF_Boolean changedB, PF_PathOutlinePtr pathP);
} PF_PathQuerySuite1;

#define kPFPathDataSuite "PF Path Data Suite"
#define kPFPathDataSuiteVersion1 1

typedef struct PF_PathDataSuite1 {
    PF_Err (*PF_PathIsOpen)(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, PF_Boolean* openPB);
    PF_Err (*PF_PathNumSegments)(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, A_long* num_segmentsPL);
    PF_Err (*PF_PathVertexInfo)(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, A_long which_pointL,
                                PF_PathVertex* vertexP);
    PF_Err (*PF_PathPrepareSegLength)(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, A_long which_segL,
                                      A_long frequencyL, PF_PathSegPrepPtr* lengthPrepPP);
    PF_Err (*PF_PathGetSegLength)(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, A_long which_segL,
                                  PF_PathSegPrepPtr* lengthPrepP0, PF_FpLong* lengthPF);
    PF_Err (*PF_PathEvalSegLength)(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, PF_PathSegPrepPtr* lengthPrepPP0,
                                   A_long which_segL, PF_FpLong lengthF, PF_FpLong* x, PF_FpLong* y);
    PF_Err (*PF_PathEvalSegLengthDeriv1)(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP,
                                         PF_PathSegPrepPtr* lengthPrepPP0, A_long which_segL, PF_FpLong lengthF,
                                         PF_FpLong* x, PF_FpLong* y, PF_FpLong* deriv1x, PF_FpLong* deriv1y);
    PF_Err (*PF_PathCleanupSegLength)(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, A_long which_segL,
                                      PF_PathSegPrepPtr* lengthPrepPP);
    PF_Err (*PF_PathIsInverted)(PF_ProgPtr effect_ref, PF_PathID unique_id, PF_Boolean* invertedB);
    PF_Err (*PF_PathGetMaskMode)(PF_ProgPtr effect_ref, PF_PathID unique_id, A_long* modeP);
    PF_Err (*PF_PathGetName)(PF_ProgPtr effect_ref, PF_PathID unique_id, A_char* nameZ);
} PF_PathDataSuite1;
