#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <stdexcept>

#include "AE_Effect.h"
#include "entry/Firewall.h"
#include "session/Session.h"
#include "suites/StandardSuites.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*);

namespace vorlane::host {

using namespace vorlane::effect;
namespace {

// Filled with a byte pattern; any write by the effect shows as a difference from the copy.
struct Records {
    PF_InData in_data;
    PF_OutData out_data;
    PF_ParamDef param;
    PF_ParamDef* params[1];
    PF_LayerDef output;
    unsigned char extra[64];
};

TEST(EntryPoint, UnhandledSelectorsSucceedWithoutTouchingTheRecords) {
    for (PF_Cmd cmd : {2, 3, 5, 6, 7, 8, 9, 10, 12, 15, 16, 23, 24, 33, 34, 1000, -1}) {
        Records records;
        std::memset(&records, 0xA5, sizeof records);
        records.params[0] = &records.param;
        const Records before = records;
        EXPECT_EQ(
            EntryPointFunc(cmd, &records.in_data, &records.out_data, records.params, &records.output, records.extra),
            PF_Err_NONE);
        EXPECT_EQ(std::memcmp(&records, &before, sizeof records), 0) << cmd;
    }
    EXPECT_EQ(EntryPointFunc(PF_Cmd_GLOBAL_SETDOWN, nullptr, nullptr, nullptr, nullptr, nullptr), PF_Err_NONE);
}

TEST(EntryPoint, CommandsThatUseSuitesReturn516BeforeAnyHostCallWhenTheBasicSuiteIsNull) {
    Session session(EntryPointFunc, standard_services());
    session.in_data_template().pica_basicP = nullptr;
    const CommandResult about = session.run(PF_Cmd_ABOUT);
    EXPECT_EQ(about.err, 516);
    EXPECT_EQ(about.out_data.return_msg[0], '\0');
    EXPECT_EQ(session.global_setup(), 516);
    EXPECT_EQ(session.gate().calls(), 0u);
    // Parameter set-up acquires no suite and goes ahead.
    EXPECT_EQ(session.params_setup(), PF_Err_NONE);
    EXPECT_EQ(session.num_params(), 41);
}

TEST(EntryPoint, HandledCommandsWithoutRecordsFailInsteadOfCrashing) {
    for (PF_Cmd cmd : {PF_Cmd_ABOUT, PF_Cmd_GLOBAL_SETUP, PF_Cmd_PARAMS_SETUP, PF_Cmd_RENDER}) {
        EXPECT_EQ(EntryPointFunc(cmd, nullptr, nullptr, nullptr, nullptr, nullptr), PF_Err_INTERNAL_STRUCT_DAMAGED);
    }
}

TEST(Firewall, ThrownCodesBecomeTheResultAndNothingElseEscapes) {
    EXPECT_EQ(run_guarded([]() -> PF_Err { return 7; }), 7);
    EXPECT_EQ(run_guarded([]() -> PF_Err { throw PF_Err(516); }), 516);
    EXPECT_EQ(run_guarded([]() -> PF_Err { throw std::bad_alloc(); }), PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(run_guarded([]() -> PF_Err { throw std::bad_array_new_length(); }), PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(run_guarded([]() -> PF_Err { throw std::runtime_error("x"); }), PF_Err_INTERNAL_STRUCT_DAMAGED);
    // Only a PF_Err is an error code; an integer of another width is as foreign as any other exception.
    EXPECT_EQ(run_guarded([]() -> PF_Err { throw 516LL; }), PF_Err_INTERNAL_STRUCT_DAMAGED);
}

// A host callback that throws is the realistic way a foreign exception reaches the effect: the add_param of a C++
// host that runs out of memory copying the record.
PF_Err add_param_out_of_memory(PF_ProgPtr, PF_ParamIndex, PF_ParamDefPtr) {
    throw std::bad_alloc();
}
A_char* strcpy_throwing(A_char*, const A_char*) {
    throw std::logic_error("host fault");
}

TEST(EntryPoint, ExceptionsFromTheHostAreMappedAtTheEntryPoint) {
    Session session(EntryPointFunc, standard_services());
    PF_UtilCallbacks utils = *session.in_data_template().utils;
    const CommandResult out_of_memory = session.run(PF_Cmd_PARAMS_SETUP, nullptr, nullptr, [](CommandContext& context) {
        context.in_data.inter.add_param = add_param_out_of_memory;
    });
    EXPECT_EQ(out_of_memory.err, PF_Err_OUT_OF_MEMORY);
    utils.ansi.strcpy = strcpy_throwing;
    const CommandResult foreign = session.run(PF_Cmd_PARAMS_SETUP, nullptr, nullptr,
                                              [&](CommandContext& context) { context.in_data.utils = &utils; });
    EXPECT_EQ(foreign.err, PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_TRUE(session.host_message().empty()) << session.host_message();
}

}  // namespace
}  // namespace vorlane::host
