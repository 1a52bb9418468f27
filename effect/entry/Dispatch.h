// Picks the handler of a command selector. Commands the effect does not handle succeed without touching anything.
#pragma once

#include "AE_Effect.h"

namespace vorlane::effect {

PF_Err dispatch(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output,
                void* extra);

}  // namespace vorlane::effect
