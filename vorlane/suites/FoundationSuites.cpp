#include "vorlane/suites/FoundationSuites.h"

#include "vorlane/suites/AnsiSuite.h"
#include "vorlane/suites/HandleSuite.h"
#include "vorlane/suites/UtilitySuite.h"

namespace vorlane {

void register_foundation_suites(SuiteRegistry& registry) {
    registry.add(kPFANSISuite, kPFANSISuiteVersion1, &ansi_suite());
    registry.add(kPFHandleSuite, kPFHandleSuiteVersion2, &handle_suite());
    registry.add(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion7, &utility_suite());
}

}  // namespace vorlane
