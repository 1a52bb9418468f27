// PF_Cmd_GLOBAL_SETUP: declares version and capabilities, makes the global record and registers with the AEGP
// layer. Runs once per module load.
#pragma once

#include "AE_Effect.h"

namespace vorlane::effect {

// Premiere Pro's application id ('PrMr'): it has no AEGP layer to register with.
constexpr A_long kPremiereApplId = 0x50724D72;

PF_Err global_setup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output);

}  // namespace vorlane::effect
