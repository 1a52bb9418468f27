// What every session of this host serves: the basic suite, the utility callbacks, the foundation suites
// (FoundationSuites.h) and the suites of the controls' UI (ui/UiSuites.h). A render adds its own suites on top
// (frames/RenderSuites.h).
//
//     Session session(module.entry(), standard_services());
#pragma once

#include "session/SessionServices.h"

namespace vorlane::host {

SessionServices standard_services();

}  // namespace vorlane::host
