// The one error code a render keeps. The first error wins: a host call that does work is made only while none is
// recorded, and a clean-up call (check-in, dispose) always runs but keeps its own error only when none was before.
#pragma once

#include "AE_Effect.h"

namespace vorlane::effect {

struct RecordedError {
    PF_Err value = PF_Err_NONE;

    bool none() const { return value == PF_Err_NONE; }
    void keep_first(PF_Err err) {
        if (none()) {
            value = err;
        }
    }
};

}  // namespace vorlane::effect
