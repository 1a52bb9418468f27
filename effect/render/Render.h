// The render command: one frame of instances composited along the mask outlines.
#pragma once

#include "AE_Effect.h"

namespace vorlane::effect {

PF_Err render(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output);

}  // namespace vorlane::effect
