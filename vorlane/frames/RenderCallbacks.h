// The interaction callbacks of a render: parameters at any time from the scene, layers as worlds the host lends
// until check-in. Progress and abort are the session's own.
#pragma once

#include "AE_Effect.h"

namespace vorlane::host {

struct FrameState;

void install_render_callbacks(PF_InData& in_data);

// The work of checkout_param and checkin_param, apart from the call gate.
PF_Err checkout_for_frame(FrameState& frame, PF_ParamIndex index, A_long what_time, A_long time_step,
                          PF_ParamDef* param);
PF_Err checkin_for_frame(FrameState& frame, const PF_ParamDef* param);

}  // namespace vorlane::host
