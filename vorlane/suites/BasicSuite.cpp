#include "suites/BasicSuite.h"

#include <cstdlib>
#include <cstring>

#include "session/HostCall.h"
#include "session/Session.h"

namespace vorlane::host {
namespace {

SPErr AcquireSuite(const char* name, A_long version, const void** suite) {
    HostCall call(current_context(), "AcquireSuite");
    call.arg("name", name).arg("version", version);
    if (call.failed()) {
        if (suite != nullptr) {
            *suite = nullptr;
        }
        // Outside any command there is no registry to look in: nothing is found.
        return call.context() ? call.error() : kSuiteNotFoundError;
    }
    return call.result(call.context()->session->suites().acquire(name, version, suite));
}

SPErr ReleaseSuite(const char* name, A_long version) {
    HostCall call(current_context(), "ReleaseSuite");
    call.arg("name", name).arg("version", version);
    if (call.failed()) {
        return call.error();
    }
    return call.result(call.context()->session->suites().release(name, version));
}

SPBoolean IsEqual(const char* token1, const char* token2) {
    HostCall call(current_context(), "IsEqual", false);
    return token1 != nullptr && token2 != nullptr && std::strcmp(token1, token2) == 0;
}

SPErr AllocateBlock(size_t size, void** block) {
    HostCall call(current_context(), "AllocateBlock");
    call.arg("size", size);
    if (block == nullptr) {
        return call.result(kSuiteBadParameterError);
    }
    *block = nullptr;
    if (call.failed()) {
        return call.error();
    }
    *block = std::malloc(size == 0 ? 1 : size);
    return call.result(*block ? kSPNoError : PF_Err_OUT_OF_MEMORY);
}

SPErr FreeBlock(void* block) {
    HostCall call(current_context(), "FreeBlock", false);
    std::free(block);
    return kSPNoError;
}

SPErr ReallocateBlock(void* block, size_t new_size, void** new_block) {
    HostCall call(current_context(), "ReallocateBlock");
    call.arg("size", new_size);
    if (new_block == nullptr) {
        return call.result(kSuiteBadParameterError);
    }
    *new_block = nullptr;
    if (call.failed()) {
        return call.error();
    }
    // On failure the old block stays the caller's, as with realloc.
    *new_block = std::realloc(block, new_size == 0 ? 1 : new_size);
    return call.result(*new_block ? kSPNoError : PF_Err_OUT_OF_MEMORY);
}

SPErr Undefined() {
    return kSuiteNotFoundError;
}

}  // namespace

SPBasicSuite basic_suite() {
    return SPBasicSuite{AcquireSuite, ReleaseSuite, IsEqual, AllocateBlock, FreeBlock, ReallocateBlock, Undefined};
}

}  // namespace vorlane::host
