#include <gtest/gtest.h>

#include <string>

#include "host/GlobalRecord.h"
#include "session/Session.h"
#include "suites/StandardSuites.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*);

namespace vorlane::host {

using namespace vorlane::effect;
namespace {

const SuiteKey kHandles{"PF Handle Suite", 2};
const SuiteKey kUtility{"AEGP Utility Suite", 7};

const GlobalRecord& record_of(PF_Handle handle) {
    return *static_cast<const GlobalRecord*>(*handle);
}

TEST(GlobalSetup, DeclaresVersionAndFlagsAndRegistersTheRecordWithTheHost) {
    Session session(EntryPointFunc, standard_services());
    ASSERT_EQ(session.global_setup(), PF_Err_NONE);
    EXPECT_EQ(session.declared().my_version, 0x80001u);
    EXPECT_EQ(session.declared().out_flags, 0x06000002);
    EXPECT_EQ(session.declared().out_flags2, 0x08020008);

    const PF_Handle handle = session.global_data();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(session.handles().size(handle), 8u);
    EXPECT_EQ(session.handles().lock_count(handle), 0);
    EXPECT_EQ(record_of(handle).initialized, 1);
    EXPECT_NE(session.plugin_id(), 0);
    EXPECT_EQ(record_of(handle).plugin_id, session.plugin_id());
    EXPECT_EQ(session.registered_name(), "ADBE Vorlane");
    EXPECT_EQ(session.suites().acquire_order(), (std::vector<SuiteKey>{kHandles, kUtility}));
    EXPECT_EQ(session.suites().release_order(), (std::vector<SuiteKey>{kUtility, kHandles}));
}

TEST(GlobalSetup, UnderPremiereTheRecordIsKeptWithoutRegistering) {
    Session session(EntryPointFunc, standard_services());
    session.set_appl_id(kApplIdPremierePro);
    ASSERT_EQ(session.global_setup(), PF_Err_NONE);
    EXPECT_EQ(session.gate().calls_of("AEGP_RegisterWithAEGP"), 0u);
    ASSERT_NE(session.global_data(), nullptr);
    EXPECT_EQ(record_of(session.global_data()).initialized, 1);
    EXPECT_EQ(record_of(session.global_data()).plugin_id, 0);
    EXPECT_EQ(session.suites().counts(kUtility.name, kUtility.version).acquired, 0);
    EXPECT_EQ(session.suites().outstanding(), 0);
}

TEST(GlobalSetup, EveryFailureLeavesGlobalDataUnsetAndTheHandleUnlocked) {
    struct Case {
        const char* failing;
        PF_Err expected;
    };
    for (const Case& fault :
         {Case{"host_new_handle", PF_Err_INTERNAL_STRUCT_DAMAGED}, Case{"host_lock_handle", PF_Err_NONE},
          Case{"AEGP_RegisterWithAEGP", 12}, Case{"AcquireSuite AEGP Utility Suite", 516}}) {
        Session session(EntryPointFunc, standard_services());
        if (std::string(fault.failing).starts_with("AcquireSuite")) {
            session.suites().withhold(kUtility.name, kUtility.version);
        } else {
            session.gate().fail_function(fault.failing, 12);
        }
        const CommandResult result = session.run(PF_Cmd_GLOBAL_SETUP);
        EXPECT_EQ(result.err, fault.expected) << fault.failing;
        EXPECT_EQ(result.out_data.global_data, nullptr) << fault.failing;
        EXPECT_EQ(session.gate().calls_of("host_unlock_handle"), session.gate().calls_of("host_lock_handle"))
            << fault.failing;
        EXPECT_EQ(session.suites().outstanding(), 0) << fault.failing;
    }
}

}  // namespace
}  // namespace vorlane::host
