// The callback tables a session hands the effect inside PF_InData: the interaction callbacks (add_param,
// checkout_param, checkin_param, abort, progress) and the utility callbacks (ANSI functions, fill, copy, handles).
// Every entry passes through the call gate; the ones that receive effect_ref refuse a stale one.
#pragma once

#include "AE_Effect.h"
#include "AE_EffectCB.h"

namespace vorlane::host {

PF_InteractCallbacks interact_callbacks();
PF_UtilCallbacks util_callbacks();

}  // namespace vorlane::host
