// The host side of the suites through which the effect shapes its controls: "PF Param Utils Suite" 3, "AEGP PF
// Interface Suite" 1, "AEGP Stream Suite" 7, "AEGP Dynamic Stream Suite" 2 and "AEGP Effect Suite" 2. They act on
// the session's parameter records and control flags, lend tracked handles (AegpHandles.h), and pass every call
// through the session's call gate, so faults can be injected and calls traced like any other host call.
#pragma once

#include "AE_Effect.h"
#include "session/SuiteRegistry.h"

namespace vorlane::host {

class Session;

void register_ui_suites(SuiteRegistry& registry);

// Makes the session's current record of one control take the record's value, flags and ui_flags.
PF_Err store_param_ui(Session& session, PF_ParamIndex index, const PF_ParamDef& def);

}  // namespace vorlane::host
