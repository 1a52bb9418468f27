// The host's side of the UI suites, driven by a stand-in effect that misuses the handles it is lent.
#include <gtest/gtest.h>

#include <functional>

#include "AE_EffectSuites.h"
#include "AE_GeneralPlug.h"
#include "suites/StandardSuites.h"
#include "ui/AegpHandles.h"
#include "ui/UiSuites.h"
#include "ui_fixture.h"

namespace vorlane::host::test {
namespace {

// What the stand-in effect does on PF_Cmd_UPDATE_PARAMS_UI.
std::function<void(PF_InData*)> g_update_script;

extern "C" PF_Err StandInEntryPoint(PF_Cmd cmd, PF_InData* in_data, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*) {
    if (cmd == PF_Cmd_UPDATE_PARAMS_UI && g_update_script) {
        g_update_script(in_data);
    }
    return PF_Err_NONE;
}

template <class Suite>
const Suite* acquire(PF_InData* in_data, const char* name, A_long version) {
    const void* suite = nullptr;
    in_data->pica_basicP->AcquireSuite(name, version, &suite);
    return static_cast<const Suite*>(suite);
}

struct Lent {
    const AEGP_PFInterfaceSuite1* pf_interface;
    const AEGP_StreamSuite7* streams;
    const AEGP_DynamicStreamSuite2* dynamic;
    const AEGP_EffectSuite2* effects;
    AEGP_EffectRefH effect = nullptr;
    AEGP_StreamRefH stream = nullptr;
};

// Borrows the effect and the stream of parameter 0. The suites stay acquired: the stand-in is not under test.
Lent borrow(PF_InData* in_data) {
    Lent lent{acquire<AEGP_PFInterfaceSuite1>(in_data, kAEGPPFInterfaceSuite, 1),
              acquire<AEGP_StreamSuite7>(in_data, kAEGPStreamSuite, 7),
              acquire<AEGP_DynamicStreamSuite2>(in_data, kAEGPDynamicStreamSuite, 2),
              acquire<AEGP_EffectSuite2>(in_data, kAEGPEffectSuite, 2)};
    EXPECT_EQ(lent.pf_interface->AEGP_GetNewEffectForEffect(1, in_data->effect_ref, &lent.effect), 0);
    EXPECT_EQ(lent.streams->AEGP_GetNewEffectStreamByIndex(1, lent.effect, 0, &lent.stream), 0);
    return lent;
}

class UiHostSuites : public ::testing::Test {
  protected:
    UiHostSuites() : session(StandInEntryPoint, standard_services()) {}
    ~UiHostSuites() override { g_update_script = nullptr; }
    Session session;
};

TEST_F(UiHostSuites, HandlesStillLentWhenTheCommandEndsAreReportedAsLeaks) {
    g_update_script = [](PF_InData* in_data) {
        Lent lent = borrow(in_data);
        lent.effects->AEGP_DisposeEffect(lent.effect);
    };
    const UiCommandResult result = run_ui_command(session, PF_Cmd_UPDATE_PARAMS_UI);
    ASSERT_EQ(result.leaks.size(), 1u);
    EXPECT_EQ(result.leaks[0], "stream of parameter 0");
    EXPECT_EQ(lent_handle_count(&session), 0);  // taken back once reported

    g_update_script = [](PF_InData* in_data) { borrow(in_data); };
    EXPECT_EQ(run_ui_command(session, PF_Cmd_UPDATE_PARAMS_UI).leaks.size(), 2u);
}

TEST_F(UiHostSuites, AHandleGivenBackOrNeverLentIsAnErrorNotACrash) {
    g_update_script = [](PF_InData* in_data) {
        Lent lent = borrow(in_data);
        EXPECT_EQ(lent.dynamic->AEGP_SetDynamicStreamFlag(lent.stream, AEGP_DynStreamFlag_HIDDEN, false, true), 0);
        EXPECT_EQ(lent.streams->AEGP_DisposeStream(lent.stream), 0);
        EXPECT_EQ(lent.streams->AEGP_DisposeStream(lent.stream), kStaleHandleError);
        EXPECT_EQ(lent.dynamic->AEGP_SetDynamicStreamFlag(lent.stream, AEGP_DynStreamFlag_HIDDEN, false, false),
                  kStaleHandleError);
        // A stream is not an effect, and a made-up number is neither.
        EXPECT_EQ(lent.effects->AEGP_DisposeEffect(reinterpret_cast<AEGP_EffectRefH>(lent.stream)), kStaleHandleError);
        EXPECT_EQ(lent.effects->AEGP_DisposeEffect(reinterpret_cast<AEGP_EffectRefH>(0x1234)), kStaleHandleError);
        AEGP_StreamRefH beyond = nullptr;
        EXPECT_EQ(lent.streams->AEGP_GetNewEffectStreamByIndex(1, lent.effect, 1, &beyond), kStaleHandleError);
        EXPECT_EQ(lent.effects->AEGP_DisposeEffect(lent.effect), 0);
        AEGP_StreamRefH after = nullptr;
        EXPECT_EQ(lent.streams->AEGP_GetNewEffectStreamByIndex(1, lent.effect, 0, &after), kStaleHandleError);
    };
    const UiCommandResult result = run_ui_command(session, PF_Cmd_UPDATE_PARAMS_UI);
    EXPECT_TRUE(result.leaks.empty());
    EXPECT_TRUE(session.control_flags().hidden(0));  // set before the stream was given back
}

using UiParamState = UiSession;

TEST_F(UiParamState, UpdateParamUiKeepsValueFlagsAndUiFlagsButNotTheDeclaration) {
    PF_ParamDef def = session.param(kFrequency1);
    def.u.fs_d.value = 12.5;
    def.u.fs_d.valid_max = 5.0f;  // not the effect's to change after set-up
    def.flags |= PF_ParamFlag_COLLAPSE_TWIRLY;
    def.ui_flags = PF_PUI_DISABLED;
    EXPECT_EQ(store_param_ui(session, kFrequency1, def), PF_Err_NONE);
    const PF_ParamDef stored = session.param(kFrequency1);
    EXPECT_EQ(stored.u.fs_d.value, 12.5);
    EXPECT_EQ(stored.u.fs_d.valid_max, 100.0f);
    EXPECT_EQ(stored.flags, def.flags);
    EXPECT_EQ(stored.ui_flags, PF_PUI_DISABLED);

    EXPECT_EQ(store_param_ui(session, kParamCount, def), PF_Err_INVALID_INDEX);
    EXPECT_EQ(store_param_ui(session, -1, def), PF_Err_INVALID_INDEX);
    EXPECT_EQ(store_param_ui(session, kMode, def), PF_Err_BAD_CALLBACK_PARAM);  // a popup is no float slider
}

}  // namespace
}  // namespace vorlane::host::test
