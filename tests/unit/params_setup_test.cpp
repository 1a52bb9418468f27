#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "session/Session.h"
#include "suites/StandardSuites.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*);

namespace vorlane::host {
namespace {

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

// Sits between the effect and the host's add_param: keeps the index the effect asked for and fails one call.
struct AddParamTap {
    static inline decltype(PF_InteractCallbacks::add_param) host_add_param = nullptr;
    static inline std::vector<PF_ParamIndex> indices;
    static inline int failing_call = -1;  // 0-based

    static PF_Err add_param(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def) {
        indices.push_back(index);
        if (static_cast<int>(indices.size()) == failing_call + 1) {
            return PF_Err_INVALID_INDEX;
        }
        return host_add_param(effect_ref, index, def);
    }
    static void install(Session& session, int failing) {
        host_add_param = session.in_data_template().inter.add_param;
        session.in_data_template().inter.add_param = add_param;
        indices.clear();
        failing_call = failing;
    }
};

struct ParamsSetup : ::testing::Test {
    ParamsSetup() : session(EntryPointFunc, standard_services()) {}
    const PF_ParamDef param(int index) const { return session.param(index); }
    Session session;
};

TEST_F(ParamsSetup, AddsTheFortyParametersInIndexOrderWithTheirDiskIds) {
    AddParamTap::install(session, -1);
    ASSERT_EQ(session.params_setup(), PF_Err_NONE) << session.host_message();
    ASSERT_EQ(session.num_params(), 41);
    for (int index = 1; index <= 40; ++index) {
        const PF_ParamDef def = param(index);
        const Expected& expected = kExpected[index - 1];
        EXPECT_EQ(def.uu.id, index);
        EXPECT_STREQ(def.name, expected.name) << index;
        EXPECT_EQ(def.param_type, expected.type) << index;
        EXPECT_EQ(def.flags, expected.flags) << index;
        EXPECT_EQ(def.ui_flags, 0) << index;
        EXPECT_EQ(AddParamTap::indices.at(index - 1), index == 13 ? 13 : -1) << index;
    }
    // The longest name fills the field exactly, terminator included.
    EXPECT_EQ(std::strlen(param(22).name), sizeof(PF_ParamDef::name) - 1);
}

TEST_F(ParamsSetup, DefaultsAndRangesAreTheOnesUsersSee) {
    ASSERT_EQ(session.params_setup(), PF_Err_NONE);
    const PF_SliderDef seed = param(39).u.sd;
    EXPECT_EQ(seed.valid_max, 32768);
    EXPECT_EQ(seed.slider_max, 32768);
    EXPECT_EQ(seed.value, 12345);
    EXPECT_EQ(seed.dephault, 12345);
    const PF_SliderDef instances = param(18).u.sd;
    EXPECT_EQ(instances.valid_max, 1000000);
    EXPECT_EQ(instances.slider_max, 100);
    EXPECT_EQ(instances.value, 25);

    for (int index = 7; index <= 11; ++index) {
        EXPECT_EQ(param(index).u.fs_d.value, 100.0);
    }
    const PF_FloatSliderDef scale = param(33).u.fs_d;
    EXPECT_EQ(scale.dephault, 100.0f);
    EXPECT_EQ(scale.slider_max, 200.0f);
    EXPECT_EQ(scale.display_flags, PF_ValueDisplayFlag_PERCENT);
    EXPECT_EQ(scale.precision, 1);
    EXPECT_EQ(scale.curve_tolerance, 0.05f);
    EXPECT_EQ(scale.fs_flags, 0u);

    EXPECT_EQ(param(16).u.pd.value, 2);  // "Mode" starts on Constant, one of its choices
    EXPECT_EQ(param(16).u.pd.dephault, 2);
    EXPECT_STREQ(param(16).u.pd.u.namesptr, "Incremental|Constant");
    EXPECT_STREQ(param(29).u.pd.u.namesptr, "None|X|Y|XY");
    EXPECT_EQ(param(30).u.pd.u.namesptr, param(29).u.pd.u.namesptr);
    EXPECT_EQ(param(30).u.pd.num_choices, 4);
    EXPECT_EQ(param(30).u.pd.value, 1);
    // Every popup offers as many choices as its string names.
    for (int index : {16, 17, 26, 29, 30, 40}) {
        const std::string names = param(index).u.pd.u.namesptr;
        EXPECT_EQ(param(index).u.pd.num_choices, 1 + std::count(names.begin(), names.end(), '|')) << index;
    }
    const PF_SliderDef layers = param(1).u.sd;
    EXPECT_EQ(layers.valid_min, 1);
    EXPECT_EQ(layers.valid_max, 5);
    EXPECT_EQ(layers.slider_max, 5);

    for (int index : {14, 15, 24, 25}) {
        EXPECT_EQ(param(index).u.bd.value, index == 24 ? 1 : 0) << index;
        EXPECT_STREQ(param(index).u.bd.u.nameptr, "") << index;
    }
    EXPECT_STREQ(param(12).u.button_d.u.namesptr, "Reset");
}

TEST(ParamsSetupFailure, AFailedAddStopsSetUpWithTheHostsErrorExceptForPathSelection) {
    for (int failing : {1, 4, 9, 20, 40}) {
        Session session(EntryPointFunc, standard_services());
        AddParamTap::install(session, failing - 1);
        const CommandResult result = session.run(PF_Cmd_PARAMS_SETUP);
        EXPECT_EQ(result.err, PF_Err_INVALID_INDEX) << failing;
        EXPECT_EQ(session.num_params(), failing);  // the input layer and those before the failure
        EXPECT_EQ(AddParamTap::indices.size(), std::size_t(failing));
        EXPECT_EQ(result.out_data.num_params, 1);  // as the host set it: not written
    }
    Session session(EntryPointFunc, standard_services());
    AddParamTap::install(session, 12);  // "Path Selection"
    EXPECT_EQ(session.run(PF_Cmd_PARAMS_SETUP).err, PF_Err_NONE);
    EXPECT_EQ(session.num_params(), 40);
    EXPECT_EQ(AddParamTap::indices.size(), 40u);
}

}  // namespace
}  // namespace vorlane::host
