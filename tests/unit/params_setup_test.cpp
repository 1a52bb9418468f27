#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/MiniHost.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*);

namespace vorlane {
namespace {

using test::MiniHost;

struct Expected {
    const char* name;
    PF_ParamType type;
    PF_ParamFlags flags;
};

constexpr PF_ParamFlags S = PF_ParamFlag_SUPERVISE, C = PF_ParamFlag_CANNOT_TIME_VARY, T = PF_ParamFlag_COLLAPSE_TWIRLY;
constexpr PF_ParamType L = PF_Param_LAYER, I = PF_Param_SLIDER, F = PF_Param_FLOAT_SLIDER, P = PF_Param_POPUP,
                       B = PF_Param_CHECKBOX;

// Index i + 1 of the effect's parameters; the disk ids projects rely on.
// clang-format off
const Expected kExpected[40] = {
    {"Layers", I, S | C}, {"Layer 1", L, S}, {"Layer 2", L, S}, {"Layer 3", L, S}, {"Layer 4", L, S},
    {"Layer 5", L, S}, {"Frequency 1", F, S | C}, {"Frequency 2", F, S | C}, {"Frequency 3", F, S | C},
    {"Frequency 4", F, S | C}, {"Frequency 5", F, S | C}, {"Reset Frequencies", PF_Param_BUTTON, S},
    {"Path Selection", PF_Param_PATH, C}, {"Use All Paths", B, S | C}, {"Sequentially", B, C}, {"Mode", P, 0},
    {"Distribution", P, 0}, {"Instances", I, 0}, {"Time Options", PF_Param_GROUP_START, T}, {"Time Factor", F, 0},
    {"Time Factor Randomness", F, 0}, {"Time Offset Randomness (frames)", F, 0}, {"", PF_Param_GROUP_END, 0},
    {"Auto Orient", B, C}, {"Bidirectional", B, S | C}, {"Bidirectional Alignment", P, 0}, {"Anchor X", F, S},
    {"Anchor Y", F, S}, {"Flip", P, 0}, {"Flip Randomness", P, 0}, {"Evolution", F, 0},
    {"Evolution Randomness", F, T}, {"Scale", F, 0}, {"Scale Randomness", F, T}, {"Rotation", PF_Param_ANGLE, T},
    {"Rotation Randomness", F, T}, {"Opacity", F, 0}, {"Opacity Randomness", F, T}, {"Seed", I, 0},
    {"Composite", P, 0},
};
// clang-format on

const PF_ParamDef& param(const MiniHost& host, int index) {
    return host.added.at(index - 1);
}

TEST(ParamsSetup, AddsTheFortyParametersInIndexOrderWithTheirDiskIds) {
    MiniHost host;
    ASSERT_EQ(host.run(EntryPointFunc, PF_Cmd_PARAMS_SETUP), PF_Err_NONE);
    EXPECT_EQ(host.out_data.num_params, 41);
    ASSERT_EQ(host.added.size(), 40u);
    for (int index = 1; index <= 40; ++index) {
        const PF_ParamDef& def = param(host, index);
        const Expected& expected = kExpected[index - 1];
        EXPECT_EQ(def.uu.id, index);
        EXPECT_STREQ(def.name, expected.name) << index;
        EXPECT_EQ(def.param_type, expected.type) << index;
        EXPECT_EQ(def.flags, expected.flags) << index;
        EXPECT_EQ(def.ui_flags, 0) << index;
        EXPECT_EQ(host.add_indices[index - 1], index == 13 ? 13 : -1) << index;
    }
    // The longest name fills the field exactly, terminator included.
    EXPECT_EQ(std::strlen(param(host, 22).name), sizeof(PF_ParamDef::name) - 1);
}

TEST(ParamsSetup, DefaultsAndRangesAreTheOnesUsersSee) {
    MiniHost host;
    ASSERT_EQ(host.run(EntryPointFunc, PF_Cmd_PARAMS_SETUP), PF_Err_NONE);
    const PF_SliderDef& seed = param(host, 39).u.sd;
    EXPECT_EQ(seed.valid_max, 32768);
    EXPECT_EQ(seed.slider_max, 32768);
    EXPECT_EQ(seed.value, 12345);
    EXPECT_EQ(seed.dephault, 12345);
    const PF_SliderDef& instances = param(host, 18).u.sd;
    EXPECT_EQ(instances.valid_max, 1000000);
    EXPECT_EQ(instances.slider_max, 100);
    EXPECT_EQ(instances.value, 25);

    for (int index = 7; index <= 11; ++index) {
        EXPECT_EQ(param(host, index).u.fs_d.value, 100.0);
    }
    const PF_FloatSliderDef& scale = param(host, 33).u.fs_d;
    EXPECT_EQ(scale.dephault, 100.0f);
    EXPECT_EQ(scale.slider_max, 200.0f);
    EXPECT_EQ(scale.display_flags, PF_ValueDisplayFlag_PERCENT);
    EXPECT_EQ(scale.precision, 1);
    EXPECT_EQ(scale.curve_tolerance, 0.05f);
    EXPECT_EQ(scale.fs_flags, 0u);

    EXPECT_EQ(param(host, 16).u.pd.value, 2);  // "Mode" starts on Constant, one of its choices
    EXPECT_EQ(param(host, 16).u.pd.dephault, 2);
    EXPECT_STREQ(param(host, 16).u.pd.u.namesptr, "Incremental|Constant");
    EXPECT_STREQ(param(host, 29).u.pd.u.namesptr, "None|X|Y|XY");
    EXPECT_EQ(param(host, 30).u.pd.u.namesptr, param(host, 29).u.pd.u.namesptr);
    EXPECT_EQ(param(host, 30).u.pd.num_choices, 4);
    EXPECT_EQ(param(host, 30).u.pd.value, 1);

    for (int index : {14, 15, 24, 25}) {
        EXPECT_EQ(param(host, index).u.bd.value, index == 24 ? 1 : 0) << index;
        EXPECT_STREQ(param(host, index).u.bd.u.nameptr, "") << index;
    }
    EXPECT_STREQ(param(host, 12).u.button_d.u.namesptr, "Reset");
}

TEST(ParamsSetup, AFailedAddStopsSetUpWithTheHostsErrorExceptForPathSelection) {
    for (int failing : {1, 4, 9, 20, 40}) {
        MiniHost host;
        host.fail_add_call = failing - 1;
        host.out_data.num_params = -5;
        EXPECT_EQ(host.run(EntryPointFunc, PF_Cmd_PARAMS_SETUP), PF_Err_INVALID_INDEX) << failing;
        EXPECT_EQ(host.added.size(), std::size_t(failing - 1));
        EXPECT_EQ(host.add_indices.size(), std::size_t(failing));
        EXPECT_EQ(host.out_data.num_params, -5);
    }
    MiniHost host;
    host.fail_add_call = 12;  // "Path Selection"
    EXPECT_EQ(host.run(EntryPointFunc, PF_Cmd_PARAMS_SETUP), PF_Err_NONE);
    EXPECT_EQ(host.added.size(), 39u);
    EXPECT_EQ(host.out_data.num_params, 41);
}

}  // namespace
}  // namespace vorlane
