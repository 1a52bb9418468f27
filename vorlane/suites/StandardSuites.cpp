#include "suites/StandardSuites.h"

#include "suites/BasicSuite.h"
#include "suites/FoundationSuites.h"
#include "suites/UtilCallbacks.h"
#include "ui/UiSuites.h"

namespace vorlane::host {

namespace {

void register_standard_suites(SuiteRegistry& registry) {
    register_foundation_suites(registry);
    register_ui_suites(registry);
}

}  // namespace

SessionServices standard_services() {
    return SessionServices{basic_suite(), util_callbacks(), register_standard_suites};
}

}  // namespace vorlane::host
