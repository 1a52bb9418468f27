// PF_Cmd_PARAMS_SETUP: declares the effect's parameters to the host, in index order.
#pragma once

#include "AE_Effect.h"

namespace vorlane::effect {

PF_Err params_setup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output);

}  // namespace vorlane::effect
