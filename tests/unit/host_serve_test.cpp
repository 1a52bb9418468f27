// The boundary every host function serves the effect through: what the effect gets back when the gate refuses a
// call or the host's own work throws, and what the trace shows of it.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

#include "session/CallGate.h"
#include "session/Serve.h"

namespace vorlane::host::test {
namespace {

struct Served : ::testing::Test {
    Served() {
        context.gate = &gate;
        gate.set_observer([this](const HostCallRecord& record) { records.push_back(record); });
    }
    ~Served() override { gate.set_observer({}); }

    CallGate gate;
    CommandContext context;
    std::vector<HostCallRecord> records;
};

TEST_F(Served, AnExceptionFromTheHostsWorkReachesTheEffectAsAnErrorCodeAndTheTraceShowsIt) {
    const auto record = [](HostCall& call) { call.arg("size", 12); };
    EXPECT_EQ(serve(&context, "out_of_memory", record, [](HostCall&) -> PF_Err { throw std::bad_alloc(); }),
              PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(serve(&context, "broken", record, [](HostCall&) -> PF_Err { throw std::logic_error("broken"); }),
              PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_EQ(serve(&context, "odd", record, [](HostCall&) -> PF_Err { throw 7; }), PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_EQ(serve_value(&context, "null", record, [](HostCall&) -> void* { throw std::bad_alloc(); }), nullptr);

    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].err, PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(records[0].args.at(0).second, "12");
    EXPECT_EQ(records[1].err, PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_EQ(records[2].err, PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_EQ(records[3].err, PF_Err_OUT_OF_MEMORY);
    EXPECT_FALSE(records[3].injected);
    EXPECT_EQ(host_calls_in_progress(), 0);
    EXPECT_EQ(innermost_host_call(), nullptr);
}

TEST_F(Served, ArgumentsThatCannotBeRecordedEndTheCallBeforeItsWork) {
    bool worked = false;
    const PF_Err err = serve(
        &context, "unrecorded", [](HostCall&) { throw std::bad_alloc(); },
        [&](HostCall&) {
            worked = true;
            return PF_Err_NONE;
        });
    EXPECT_EQ(err, PF_Err_OUT_OF_MEMORY);
    EXPECT_FALSE(worked);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].err, PF_Err_OUT_OF_MEMORY);
}

TEST_F(Served, ARefusedCallDoesNoWorkUnlessItCannotFail) {
    gate.fail_function("refused", 0x7E57);
    int work = 0;
    const auto count = [&work](HostCall&) {
        ++work;
        return PF_Err_NONE;
    };
    EXPECT_EQ(serve(&context, "refused", no_args, count), 0x7E57);
    EXPECT_EQ(serve_value(&context, "refused", no_args, [&](HostCall& call) { return count(call) + 1; }), 0);
    EXPECT_EQ(serve_unfailing(&context, "refused", no_args, [&] { return ++work; }), 1);
    EXPECT_EQ(work, 1);
    EXPECT_EQ(gate.calls_of("refused"), 3u);
    EXPECT_EQ(gate.injected_faults(), 2u);

    // A stale effect_ref names no command: nothing to count the call against, and nothing done.
    EXPECT_EQ(serve(nullptr, "stale", no_args, count), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(work, 1);
}

TEST_F(Served, AFunctionThatCannotFailStillAnswersWhenItsWorkThrows) {
    EXPECT_EQ(serve_unfailing(&context, "sqrt", no_args, []() -> double { throw std::bad_alloc(); }), 0.0);
    EXPECT_EQ(serve_unfailing(&context, "strcpy", no_args, []() -> char* { throw std::runtime_error("?"); }), nullptr);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].err, PF_Err_NONE);
}

}  // namespace
}  // namespace vorlane::host::test
