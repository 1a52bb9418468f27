// The UI update: which controls are enabled, and how the handles the host lends come back on every path.
#include "ui_fixture.h"

#include "ui/AegpHandles.h"

namespace vorlane::host::test {
namespace {

using UiUpdate = UiSession;

TEST_F(UiUpdate, SequentiallyCountsOnlyWithAllPathsInIncrementalMode) {
    EXPECT_EQ(session.param(kMode).u.pd.value, kModeConstant);  // the declared default
    edit("Use All Paths=on");
    EXPECT_TRUE(disabled(kSequentially));
    edit("Mode=Incremental");
    EXPECT_FALSE(disabled(kSequentially));
    edit("Use All Paths=off");  // supervised: the change itself brings the update
    EXPECT_TRUE(disabled(kSequentially));

    // A "Mode" outside its two choices, as an old project may carry, is not Incremental.
    edit("Use All Paths=on");
    PF_ParamDef mode = session.param(kMode);
    mode.u.pd.value = 0;
    session.set_param(kMode, mode);
    EXPECT_EQ(run(PF_Cmd_UPDATE_PARAMS_UI).err, PF_Err_NONE);
    EXPECT_TRUE(disabled(kSequentially));
}

TEST_F(UiUpdate, AlignmentCountsOnlyWhenBidirectional) {
    const UiCommandResult first = run(PF_Cmd_UPDATE_PARAMS_UI);
    EXPECT_TRUE(disabled(kBidirectionalAlignment));
    EXPECT_NE(first.out_flags & PF_OutFlag_FORCE_RERENDER, 0);
    edit("Bidirectional=true");
    EXPECT_FALSE(disabled(kBidirectionalAlignment));
    edit("Bidirectional=false");
    EXPECT_TRUE(disabled(kBidirectionalAlignment));
}

TEST_F(UiUpdate, AHostErrorStopsTheCallsButEveryHandleComesBack) {
    session.gate().fail_function("AEGP_SetDynamicStreamFlag", PF_Err_OUT_OF_MEMORY);
    const auto disposals = session.gate().calls_of("AEGP_DisposeEffect");
    const auto updates = session.gate().calls_of("PF_UpdateParamUI");
    const UiCommandResult result = run(PF_Cmd_UPDATE_PARAMS_UI);  // run() fails the test on a leak
    EXPECT_EQ(result.err, PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(result.out_flags & PF_OutFlag_FORCE_RERENDER, 0);
    EXPECT_EQ(session.gate().calls_of("AEGP_SetDynamicStreamFlag"), 1u);
    EXPECT_EQ(session.gate().calls_of("AEGP_DisposeEffect") - disposals, 1u);
    EXPECT_EQ(session.gate().calls_of("AEGP_DisposeStream"), 40u);
    EXPECT_EQ(session.gate().calls_of("PF_UpdateParamUI") - updates, 0u);
}

// Every host call of the update failed in turn: nothing is left lent, and the picture is forced to rerender only
// when the update succeeded (a failed ReleaseSuite is no error of the effect's; a failed AcquireSuite is 516).
TEST_F(UiUpdate, NoHandleLeaksWhicheverCallFails) {
    const auto first = session.gate().calls() + 1;
    run(PF_Cmd_UPDATE_PARAMS_UI);
    const auto calls = session.gate().calls() + 1 - first;
    ASSERT_GT(calls, 80u);  // the effect handle, 40 streams, 10 flags, the disposals, 2 enablings
    for (std::uint64_t k = 0; k < calls; ++k) {
        session.gate().clear_faults();
        session.gate().fail_call_number(session.gate().calls() + 1 + k, PF_Err_INTERNAL_STRUCT_DAMAGED);
        const UiCommandResult result = run(PF_Cmd_UPDATE_PARAMS_UI);
        EXPECT_TRUE(result.err == PF_Err_NONE || result.err == PF_Err_INTERNAL_STRUCT_DAMAGED ||
                    result.err == PF_Err_BAD_CALLBACK_PARAM)
            << "call " << k << ": " << result.err;
        EXPECT_EQ(result.err == PF_Err_NONE, (result.out_flags & PF_OutFlag_FORCE_RERENDER) != 0) << "call " << k;
    }
    session.gate().clear_faults();
    EXPECT_EQ(lent_handle_count(&session), 0);
}

TEST_F(UiUpdate, WithoutTheAegpSuitesTheUpdateEndsWith516AndLendsNothing) {
    for (const auto& [name, version] : {std::pair{kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1},
                                        {kAEGPStreamSuite, kAEGPStreamSuiteVersion7},
                                        {kAEGPDynamicStreamSuite, kAEGPDynamicStreamSuiteVersion2},
                                        {kAEGPEffectSuite, kAEGPEffectSuiteVersion2}}) {
        session.suites().withhold(name, version);
        const auto lent = session.gate().calls_of("AEGP_GetNewEffectForEffect");
        EXPECT_EQ(run(PF_Cmd_UPDATE_PARAMS_UI).err, PF_Err_BAD_CALLBACK_PARAM) << name;
        EXPECT_EQ(session.gate().calls_of("AEGP_GetNewEffectForEffect"), lent) << name;
        EXPECT_EQ(session.suites().outstanding(), 0) << name;
        session.suites().restore(name, version);
    }
}

TEST_F(UiUpdate, WithoutAGlobalRecordTheControlsAreStillEnabled) {
    edit("Layers=2");
    edit("Bidirectional=on");
    const CommandResult result = session.run(PF_Cmd_UPDATE_PARAMS_UI, nullptr, nullptr,
                                             [](CommandContext& context) { context.in_data.global_data = nullptr; });
    EXPECT_EQ(result.err, PF_Err_NONE);
    EXPECT_NE(result.out_data.out_flags & PF_OutFlag_FORCE_RERENDER, 0);
    EXPECT_FALSE(disabled(kBidirectionalAlignment));
    EXPECT_TRUE(hidden(layer_param(3)));  // left as the last update made it
    EXPECT_EQ(lent_handle_count(&session), 0);
}

TEST_F(UiUpdate, AShortParameterArrayIsRefusedNotWalkedPast) {
    for (PF_Cmd cmd : {PF_Cmd_UPDATE_PARAMS_UI, PF_Cmd_USER_CHANGED_PARAM}) {
        PF_UserChangedParamExtra extra{kLayers};
        const CommandResult result = session.run(
            cmd, &extra, nullptr, [](CommandContext& context) { context.in_data.num_params = kFrequency1; });
        EXPECT_EQ(result.err, PF_Err_BAD_CALLBACK_PARAM) << cmd;
    }
}

}  // namespace
}  // namespace vorlane::host::test
