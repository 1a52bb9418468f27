// The host's SPBasicSuite. AcquireSuite and ReleaseSuite carry no effect reference, so they serve the registry of
// the session whose command runs on the calling thread; outside any command there is nothing to acquire.
#pragma once

#include "SPBasic.h"

namespace vorlane::host {

SPBasicSuite basic_suite();

}  // namespace vorlane::host
