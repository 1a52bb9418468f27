#include "suites/FoundationSuites.h"

#include "suites/AnsiSuite.h"
#include "suites/HandleSuite.h"
#include "suites/UtilitySuite.h"

namespace vorlane::host {

void register_foundation_suites(SuiteRegistry& registry) {
    registry.add(kPFANSISuite, kPFANSISuiteVersion1, &ansi_suite());
    registry.add(kPFHandleSuite, kPFHandleSuiteVersion2, &handle_suite());
    registry.add(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion7, &utility_suite());
}

}  // namespace vorlane::host
