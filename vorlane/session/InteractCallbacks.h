// The interaction callbacks a session hands the effect inside PF_InData: add_param, checkout_param, checkin_param,
// abort and progress, served from the session's own records. Every entry passes through the call gate and refuses
// a stale effect_ref.
#pragma once

#include "AE_Effect.h"

namespace vorlane::host {

PF_InteractCallbacks interact_callbacks();

}  // namespace vorlane::host
