// PF_Cmd_USER_CHANGED_PARAM: keeps the frequency sliders of the layers in use as shares that add up to 100.
#pragma once

#include "AE_Effect.h"

namespace vorlane::effect {

PF_Err user_changed_param(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                          const PF_UserChangedParamExtra* extra);

}  // namespace vorlane::effect
