// The one place where exceptions end. The suite handler throws a bare PF_Err when the host lacks a suite, and that
// code is the command's result; anything else thrown must not cross into a host that is not C++ aware.
#pragma once

#include <new>
#include <utility>

#include "AE_Effect.h"

namespace vorlane::effect {

template <class Command>
PF_Err run_guarded(Command&& command) noexcept {
    try {
        return std::forward<Command>(command)();
    } catch (PF_Err err) {
        return err;
    } catch (const std::bad_alloc&) {
        return PF_Err_OUT_OF_MEMORY;
    } catch (...) {
        return PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
}

}  // namespace vorlane::effect
