// PF_Cmd_UPDATE_PARAMS_UI: hides the controls of layer slots beyond "Layers" and enables the controls that only
// matter under other settings.
#pragma once

#include "AE_Effect.h"

namespace vorlane::effect {

PF_Err update_params_ui(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], void* extra);

}  // namespace vorlane::effect
