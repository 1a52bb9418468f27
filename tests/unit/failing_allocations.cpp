#include "failing_allocations.h"

#include <cstdlib>
#include <new>

#include "session/HostCall.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*);

namespace vorlane::host::test {
namespace {

// Armed only on the thread that runs the command: gtest and other threads allocate freely.
thread_local Allocations counted = Allocations::effect;
thread_local long allocations_left = -1;  // -1: not armed
thread_local bool failed = false;
thread_local bool uncounted = false;
thread_local const char* failed_call = nullptr;
thread_local std::uint64_t failed_number = 0;
thread_local const CallGate* numbering_gate = nullptr;

Allocations each_command_counts = Allocations::effect;
long each_command_fails = -1;

bool counts(Allocations whose) {
    const bool hosts = host_calls_in_progress() > 0;
    return !uncounted && hosts == (whose == Allocations::host);
}

void* allocate(std::size_t size) {
    if (allocations_left >= 0 && counts(counted)) {
        if (allocations_left == 0) {
            allocations_left = -1;
            failed = true;
            failed_call = innermost_host_call();
            failed_number = numbering_gate != nullptr ? numbering_gate->calls() : 0;
            throw std::bad_alloc();
        }
        --allocations_left;
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

}  // namespace

void fail_allocation(Allocations whose, long n) {
    counted = whose;
    allocations_left = n;
    failed = false;
    failed_call = nullptr;
    failed_number = 0;
}

void stop_failing_allocations() {
    allocations_left = -1;
}

bool allocation_failed() {
    return failed;
}

const char* failed_host_call() {
    return failed_call;
}

std::uint64_t failed_host_call_number() {
    return failed_number;
}

void number_calls_at(const CallGate* gate) {
    numbering_gate = gate;
}

PF_Err entry_failing_allocations(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                                 PF_LayerDef* output, void* extra) {
    fail_allocation(each_command_counts, each_command_fails);
    const PF_Err err = EntryPointFunc(cmd, in_data, out_data, params, output, extra);
    stop_failing_allocations();
    return err;
}

void fail_in_each_command(Allocations whose, long n) {
    each_command_counts = whose;
    each_command_fails = n;
}

UncountedAllocations::UncountedAllocations() : outer_(uncounted) {
    uncounted = true;
}

UncountedAllocations::~UncountedAllocations() {
    uncounted = outer_;
}

}  // namespace vorlane::host::test

void* operator new(std::size_t size) {
    return vorlane::host::test::allocate(size);
}
void* operator new[](std::size_t size) {
    return vorlane::host::test::allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return vorlane::host::test::allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return vorlane::host::test::allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
