// The host's SPBasicSuite. AcquireSuite and ReleaseSuite carry no effect reference, so they serve the registry of
// the session whose command runs on the calling thread; outside any command there is nothing to acquire.
#pragma once

#include "host/SPBasic.h"

namespace vorlane {

SPBasicSuite basic_suite();

}  // namespace vorlane
