// "PF ANSI Suite" 1 and the same functions as PF_UtilCallbacks::ansi. They cannot fail; the gate only counts them.
#pragma once

#include "host/AE_EffectCB.h"
#include "host/AE_EffectCBSuites.h"

namespace vorlane {

const PF_ANSICallbacksSuite1& ansi_suite();
PF_ANSICallbacks ansi_callbacks();

}  // namespace vorlane
