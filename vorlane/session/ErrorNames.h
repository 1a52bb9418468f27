// Names of the host's error codes, for messages and the trace.
#pragma once

#include <string>

#include "AE_Effect.h"

namespace vorlane::host {

// "PF_Err_BAD_CALLBACK_PARAM", or "" for a code the host interface does not name.
const char* pf_err_name(PF_Err err);
// "516 (PF_Err_BAD_CALLBACK_PARAM)", or just the number.
std::string describe_err(PF_Err err);

}  // namespace vorlane::host
