// What a session serves the effect beyond its own records: the basic suite through which the effect acquires every
// other suite, the utility callbacks of PF_InData, and the suite tables to register. They are made above the
// session (suites/StandardSuites.h), which only hands them out.
#pragma once

#include "AE_EffectCB.h"
#include "SPBasic.h"

namespace vorlane::host {

class SuiteRegistry;

struct SessionServices {
    SPBasicSuite basic_suite{};
    PF_UtilCallbacks util_callbacks{};
    void (*register_suites)(SuiteRegistry& registry) = nullptr;
};

}  // namespace vorlane::host
