// The utility callbacks a session hands the effect in PF_InData::utils: fill and copy, the handle functions of
// "PF Handle Suite" 2 and the ANSI functions. Every entry passes through the call gate.
#pragma once

#include "AE_EffectCB.h"

namespace vorlane::host {

PF_UtilCallbacks util_callbacks();

}  // namespace vorlane::host
