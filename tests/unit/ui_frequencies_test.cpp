// The frequency sliders kept as shares of 100 while the user edits, through the real host session.
#include "ui_fixture.h"

namespace vorlane::host::test {
namespace {

using UiFrequencies = UiSession;

TEST_F(UiFrequencies, LayersGivesEqualSharesAndHidesTheSlotsBeyond) {
    edit("Layers=3");
    EXPECT_EQ(frequency(1), 100.0 / 3.0);
    EXPECT_EQ(frequency(2), 100.0 / 3.0);
    EXPECT_EQ(frequency(3), 100.0 / 3.0);
    EXPECT_EQ(frequency(4), 100.0);  // beyond N: keeps what it held
    EXPECT_EQ(frequency(5), 100.0);
    EXPECT_NE(session.param(frequency_param(1)).flags & PF_ParamFlag_COLLAPSE_TWIRLY, 0);
    EXPECT_EQ(session.param(frequency_param(4)).flags & PF_ParamFlag_COLLAPSE_TWIRLY, 0);
    for (int slot = 1; slot <= kMaxLayers; ++slot) {
        EXPECT_EQ(hidden(layer_param(slot)), slot > 3) << slot;
        EXPECT_EQ(hidden(frequency_param(slot)), slot > 3) << slot;
    }

    edit("Layers=1");
    EXPECT_EQ(frequency(1), 100.0);
    EXPECT_EQ(frequency(2), 100.0 / 3.0);
    for (int slot = 2; slot <= kMaxLayers; ++slot) {
        EXPECT_TRUE(hidden(layer_param(slot)) && hidden(frequency_param(slot))) << slot;
    }
    edit("Layers=5");
    for (int slot = 1; slot <= kMaxLayers; ++slot) {
        EXPECT_EQ(frequency(slot), 20.0);
        EXPECT_FALSE(hidden(layer_param(slot)) || hidden(frequency_param(slot))) << slot;
    }
}

TEST_F(UiFrequencies, ResetRestoresEqualSharesOfTheLayersInUse) {
    edit("Layers=3");
    set_frequencies({10, 20, 70, 55, 66});
    edit("Reset Frequencies");
    EXPECT_EQ(frequency(1), 100.0 / 3.0);
    EXPECT_EQ(frequency(3), 100.0 / 3.0);
    EXPECT_EQ(frequency(4), 55.0);
    EXPECT_EQ(frequency(5), 66.0);
}

TEST_F(UiFrequencies, AnEditRescalesTheSharesToAddUpToHundred) {
    edit("Layers=2");
    edit("Frequency 2=100");  // 50 and 100: sum 150
    EXPECT_NEAR(frequency(1), 100.0 / 3.0, 1e-9);
    EXPECT_NEAR(frequency(2), 200.0 / 3.0, 1e-9);

    edit("Layers=3");
    set_frequencies({33.3, 33.3, 33.3});
    edit("Frequency 1=66.6");
    EXPECT_NEAR(frequency(1), 50.0, 1e-4);
    EXPECT_NEAR(frequency(2), 25.0, 1e-4);
    EXPECT_NEAR(frequency(3), 25.0, 1e-4);
    // Divided by the single-precision sum, not by the exact one: each share is added in double and rounded to float.
    float sum = static_cast<float>(66.6);
    sum = static_cast<float>(static_cast<double>(sum) + 33.3);
    sum = static_cast<float>(static_cast<double>(sum) + 33.3);
    EXPECT_EQ(frequency(2), 33.3 / static_cast<double>(sum) * 100.0);
}

TEST_F(UiFrequencies, AnEditBeyondTheLayersInUseChangesNothingElse) {
    edit("Layers=2");
    const auto before = session.gate().calls_of("PF_UpdateParamUI");
    edit("Frequency 4=30");
    EXPECT_EQ(frequency(1), 50.0);
    EXPECT_EQ(frequency(2), 50.0);
    EXPECT_EQ(frequency(4), 30.0);                                        // what the user typed into the hidden slider
    EXPECT_EQ(session.gate().calls_of("PF_UpdateParamUI") - before, 2u);  // the UI update's two enablings only
}

TEST_F(UiFrequencies, ALoneLayerComesBackToAboutHundred) {
    edit("Layers=1");
    for (double typed : {42.7, 0.1, 99.99, 100.0}) {
        edit("Frequency 1=" + std::to_string(typed));
        EXPECT_NEAR(frequency(1), 100.0, 1e-4) << typed;
    }
}

TEST_F(UiFrequencies, SlidersAllAtZeroStayAtZero) {
    edit("Layers=2");
    edit("Frequency 2=0");  // 50 and 0
    EXPECT_EQ(frequency(1), 100.0);
    const auto before = session.gate().calls_of("PF_UpdateParamUI");
    edit("Frequency 1=0");  // nothing left to share: no division by zero reaches the sliders
    EXPECT_EQ(frequency(1), 0.0);
    EXPECT_EQ(frequency(2), 0.0);
    EXPECT_EQ(session.gate().calls_of("PF_UpdateParamUI") - before, 2u);
    edit("Frequency 2=40");  // raising one from all-zero gives it the whole share
    EXPECT_EQ(frequency(1), 0.0);
    EXPECT_NEAR(frequency(2), 100.0, 1e-4);
}

TEST_F(UiFrequencies, LayersOutsideOneToFiveIsClamped) {
    for (PF_ParamValue stored : {0, -3, 6, 1000}) {
        PF_ParamDef layers = session.param(kLayers);
        layers.u.sd.value = stored;
        session.set_param(kLayers, layers);
        set_frequencies({7, 7, 7, 7, 7});
        EXPECT_EQ(run(PF_Cmd_USER_CHANGED_PARAM, kLayers).err, PF_Err_NONE);
        const int n = stored < 1 ? 1 : 5;
        EXPECT_EQ(frequency(1), 100.0 / n) << stored;
        EXPECT_EQ(frequency(5), n == 5 ? 20.0 : 7.0) << stored;
        EXPECT_EQ(run(PF_Cmd_UPDATE_PARAMS_UI).err, PF_Err_NONE);
        EXPECT_EQ(hidden(frequency_param(2)), n == 1) << stored;
    }
}

TEST_F(UiFrequencies, AfterAHostErrorTheRecordsAreStillChangedButNoMoreCallsMade) {
    edit("Layers=3");
    set_frequencies({10, 10, 20});
    const auto before = session.gate().calls_of("PF_UpdateParamUI");
    session.gate().fail_function("PF_UpdateParamUI", PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(run(PF_Cmd_USER_CHANGED_PARAM, frequency_param(3)).err, PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(session.gate().calls_of("PF_UpdateParamUI") - before, 1u);
    // The values still carry their change flag, so the host takes all three.
    EXPECT_EQ(frequency(1), 25.0);
    EXPECT_EQ(frequency(2), 25.0);
    EXPECT_EQ(frequency(3), 50.0);
}

TEST_F(UiFrequencies, WithoutTheParamUtilsSuiteNothingChanges) {
    edit("Layers=2");
    session.suites().withhold(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3);
    set_frequencies({20, 60});
    EXPECT_EQ(run(PF_Cmd_USER_CHANGED_PARAM, frequency_param(1)).err, PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(frequency(1), 20.0);
    EXPECT_EQ(frequency(2), 60.0);
    EXPECT_EQ(session.suites().outstanding(), 0);
}

}  // namespace
}  // namespace vorlane::host::test
