#include "session/Serve.h"

#include <new>

namespace vorlane::host {

A_long error_of_current_exception() noexcept {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return PF_Err_OUT_OF_MEMORY;
    } catch (...) {
        return PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
}

}  // namespace vorlane::host
