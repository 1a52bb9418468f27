#include <gtest/gtest.h>

#include "entry/GlobalRecord.h"
#include "support/MiniHost.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*);

namespace vorlane {
namespace {

using test::MiniHost;
using test::SuiteId;
using Ids = std::vector<SuiteId>;

const SuiteId kHandles{"PF Handle Suite", 2};
const SuiteId kUtility{"AEGP Utility Suite", 7};

GlobalRecord record_in(MiniHost& host) {
    return *static_cast<const GlobalRecord*>(host.handles.at(0)->master);
}

TEST(GlobalSetup, DeclaresVersionAndFlagsAndRegistersTheRecordWithTheHost) {
    MiniHost host;
    ASSERT_EQ(host.run(EntryPointFunc, PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
    EXPECT_EQ(host.out_data.my_version, 0x80001u);
    EXPECT_EQ(host.out_data.out_flags, 0x06000002);
    EXPECT_EQ(host.out_data.out_flags2, 0x08020008);

    ASSERT_EQ(host.handles.size(), 1u);
    EXPECT_EQ(host.handles[0]->bytes.size(), 8u);
    EXPECT_EQ(host.out_data.global_data, &host.handles[0]->master);
    EXPECT_EQ(host.handles[0]->locks, 0);
    EXPECT_EQ(record_in(host).initialized, 1);
    EXPECT_EQ(record_in(host).plugin_id, 77);
    EXPECT_EQ(host.register_calls, 1);
    EXPECT_EQ(host.registered_name, "ADBE Vorlane");
    EXPECT_EQ(host.registered_refcon, nullptr);
    EXPECT_EQ(host.acquired, (Ids{kHandles, kUtility}));
    EXPECT_EQ(host.released, (Ids{kUtility, kHandles}));
}

TEST(GlobalSetup, UnderPremiereTheRecordIsKeptWithoutRegistering) {
    MiniHost host;
    host.in_data.appl_id = 0x50724D72;  // 'PrMr'
    ASSERT_EQ(host.run(EntryPointFunc, PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
    EXPECT_EQ(host.register_calls, 0);
    EXPECT_EQ(host.out_data.global_data, &host.handles.at(0)->master);
    EXPECT_EQ(record_in(host).initialized, 1);
    EXPECT_EQ(record_in(host).plugin_id, 0);  // not the fresh handle's leftover bytes
    EXPECT_EQ(host.acquired, (Ids{kHandles}));
    EXPECT_EQ(host.released, (Ids{kHandles}));
}

TEST(GlobalSetup, EveryFailureLeavesGlobalDataUnsetAndTheHandleUnlocked) {
    {
        MiniHost host;
        host.refuse_new_handle = true;
        EXPECT_EQ(host.run(EntryPointFunc, PF_Cmd_GLOBAL_SETUP), PF_Err_INTERNAL_STRUCT_DAMAGED);
        EXPECT_EQ(host.out_data.global_data, nullptr);
        EXPECT_EQ(host.released, (Ids{kHandles}));
    }
    {
        MiniHost host;
        host.refuse_lock = true;
        EXPECT_EQ(host.run(EntryPointFunc, PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
        EXPECT_EQ(host.out_data.global_data, nullptr);
        EXPECT_EQ(host.register_calls, 0);
        EXPECT_EQ(host.handles.at(0)->locks, -1);  // the unlock still came
    }
    {
        MiniHost host;
        host.register_error = 12;
        EXPECT_EQ(host.run(EntryPointFunc, PF_Cmd_GLOBAL_SETUP), 12);
        EXPECT_EQ(host.out_data.global_data, nullptr);
        EXPECT_EQ(host.handles.at(0)->locks, 0);
    }
    {
        MiniHost host;
        host.withheld.insert(kUtility);
        EXPECT_EQ(host.run(EntryPointFunc, PF_Cmd_GLOBAL_SETUP), 516);
        EXPECT_EQ(host.out_data.global_data, nullptr);
        EXPECT_EQ(host.handles.at(0)->locks, 0);
        EXPECT_EQ(host.released, (Ids{kHandles}));
    }
}

}  // namespace
}  // namespace vorlane
