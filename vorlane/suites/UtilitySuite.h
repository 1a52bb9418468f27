// "AEGP Utility Suite" 7: registration with the AEGP layer (a plug-in id per registration) and the few
// reporting functions a host answers without a user interface.
#pragma once

#include "AE_GeneralPlug.h"

namespace vorlane::host {

// AEGP error codes (A_Err) as the host returns them.
constexpr A_Err kAegpErrGeneric = 1;
constexpr A_Err kAegpErrParameter = 3;
constexpr A_Err kAegpErrAlloc = 4;

const AEGP_UtilitySuite7& utility_suite();

}  // namespace vorlane::host
