// Registers the suites every effect meets first: "PF ANSI Suite" 1, "PF Handle Suite" 2, "AEGP Utility Suite" 7.
// Later groups of suites follow the same pattern: a register_..._suites(SuiteRegistry&) beside their tables.
#pragma once

#include "session/SuiteRegistry.h"

namespace vorlane::host {

void register_foundation_suites(SuiteRegistry& registry);

}  // namespace vorlane::host
