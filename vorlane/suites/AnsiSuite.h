// "PF ANSI Suite" 1 and the same functions as PF_UtilCallbacks::ansi. They cannot fail; the gate only counts them.
#pragma once

#include "AE_EffectCB.h"
#include "AE_EffectCBSuites.h"

namespace vorlane::host {

const PF_ANSICallbacksSuite1& ansi_suite();
PF_ANSICallbacks ansi_callbacks();

}  // namespace vorlane::host
