// PF_Cmd_ABOUT: the name, version and description the host shows in its about box.
#pragma once

#include "AE_Effect.h"

namespace vorlane::effect {

PF_Err about(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output);

}  // namespace vorlane::effect
