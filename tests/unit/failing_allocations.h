// Memory running out, in process: every allocation this test binary makes goes through the operator new in
// failing_allocations.cpp, which can be told to fail the n-th allocation of one kind made on the calling thread,
// either the effect's own or the host's made while it serves a host call.
#pragma once

#include <cstdint>

#include "AE_Effect.h"
#include "session/CallGate.h"

namespace vorlane::host::test {

enum class Allocations { effect, host };

// Arms the calling thread: its allocation `n` of that kind (counted from 0) throws std::bad_alloc. One failure per
// arming: the unwinding that follows may allocate.
void fail_allocation(Allocations whose, long n);
void stop_failing_allocations();
bool allocation_failed();  // since the last arming

// For the host's: the host call the failed allocation was made in, by name and by its number at `gate` (set with
// number_calls_at before arming).
const char* failed_host_call();
std::uint64_t failed_host_call_number();
void number_calls_at(const CallGate* gate);

// The effect linked into this binary, each call of its entry point armed with fail_allocation(whose, n) as last
// set by fail_in_each_command (n < 0: none), and disarmed after it.
PF_Err entry_failing_allocations(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                                 PF_LayerDef* output, void* extra);
void fail_in_each_command(Allocations whose, long n);

// The test's own allocations in its scope are neither counted nor failed, armed or not.
class UncountedAllocations {
  public:
    UncountedAllocations();
    ~UncountedAllocations();
    UncountedAllocations(const UncountedAllocations&) = delete;
    UncountedAllocations& operator=(const UncountedAllocations&) = delete;

  private:
    bool outer_;
};

}  // namespace vorlane::host::test
