#include "suites/BasicSuite.h"

#include <cstdlib>
#include <cstring>

#include "session/Serve.h"
#include "session/Session.h"

namespace vorlane::host {
namespace {

SPErr AcquireSuite(const char* name, A_long version, const void** suite) {
    if (suite != nullptr) {
        *suite = nullptr;
    }
    CommandContext* context = current_context();
    if (context == nullptr) {
        return kSuiteNotFoundError;  // outside any command there is no registry to look in
    }
    return serve(
        context, "AcquireSuite", [&](HostCall& call) { call.arg("name", name).arg("version", version); },
        [&](HostCall& call) { return call.context()->session->suites().acquire(name, version, suite); });
}

SPErr ReleaseSuite(const char* name, A_long version) {
    return serve(
        current_context(), "ReleaseSuite", [&](HostCall& call) { call.arg("name", name).arg("version", version); },
        [&](HostCall& call) { return call.context()->session->suites().release(name, version); });
}

SPBoolean IsEqual(const char* token1, const char* token2) {
    return serve_unfailing(current_context(), "IsEqual", no_args, [&]() -> SPBoolean {
        return token1 != nullptr && token2 != nullptr && std::strcmp(token1, token2) == 0;
    });
}

// AllocateBlock and ReallocateBlock: the block comes back through `out`, which holds null whenever there is none.
template <class Allocate>
SPErr serve_block(const char* function, size_t size, void** out, Allocate allocate) {
    if (out != nullptr) {
        *out = nullptr;
    }
    return serve(
        current_context(), function, [&](HostCall& call) { call.arg("size", size); },
        [&](HostCall&) -> SPErr {
            if (out == nullptr) {
                return kSuiteBadParameterError;
            }
            *out = allocate(size == 0 ? 1 : size);
            return *out ? kSPNoError : PF_Err_OUT_OF_MEMORY;
        });
}

SPErr AllocateBlock(size_t size, void** block) {
    return serve_block("AllocateBlock", size, block, [](size_t bytes) { return std::malloc(bytes); });
}

SPErr FreeBlock(void* block) {
    return serve_unfailing(current_context(), "FreeBlock", no_args, [&] {
        std::free(block);
        return kSPNoError;
    });
}

SPErr ReallocateBlock(void* block, size_t new_size, void** new_block) {
    // On failure the old block stays the caller's, as with realloc.
    return serve_block("ReallocateBlock", new_size, new_block,
                       [block](size_t bytes) { return std::realloc(block, bytes); });
}

SPErr Undefined() {
    return kSuiteNotFoundError;
}

}  // namespace

SPBasicSuite basic_suite() {
    return SPBasicSuite{AcquireSuite, ReleaseSuite, IsEqual, AllocateBlock, FreeBlock, ReallocateBlock, Undefined};
}

}  // namespace vorlane::host
