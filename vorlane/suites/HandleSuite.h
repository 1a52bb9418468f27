// "PF Handle Suite" 2 and the handle functions of PF_UtilCallbacks: host memory handles of the session whose
// command runs on the calling thread. Making and locking can be failed through the call gate
// (gate().fail_function("host_new_handle", ...)); they then answer null, as a host out of memory does.
#pragma once

#include "AE_EffectCBSuites.h"

namespace vorlane::host {

const PF_HandleSuite2& handle_suite();

}  // namespace vorlane::host
