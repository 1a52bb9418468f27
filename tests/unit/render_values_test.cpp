#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "params/ParamIndex.h"
#include "render/RenderValues.h"

namespace vorlane::effect {
namespace {

struct ParamArray {
    std::array<PF_ParamDef, kParamCount> defs{};
    std::array<PF_ParamDef*, kParamCount> pointers{};
    ParamArray() {
        for (int i = 0; i < kParamCount; ++i) {
            pointers[i] = &defs[i];
        }
    }
};

TEST(RenderValues, RotationLowHalfAddsAPositiveFraction) {
    EXPECT_EQ(fixed_degrees(-32768), -0.5f);
    EXPECT_EQ(fixed_degrees(90 << 16), 90.0f);
    EXPECT_EQ(fixed_degrees(-(90 << 16)), -90.0f);
    EXPECT_EQ(fixed_degrees(0x8000), 0.5f);
}

// The whole part from the arithmetic shift plus the low half over 65536, rounded once to single precision: a
// stride through the whole 32-bit range, both ends and both sides of zero.
TEST(RenderValues, RotationIsTheShiftedWholePartPlusTheLowHalf) {
    const auto two_halves = [](PF_Fixed v) {
        return static_cast<float>(static_cast<double>(v >> 16) + static_cast<double>(v & 0xFFFF) / 65536.0);
    };
    for (int64_t v = INT32_MIN; v <= INT32_MAX; v += 65521) {
        ASSERT_EQ(fixed_degrees(static_cast<PF_Fixed>(v)), two_halves(static_cast<PF_Fixed>(v))) << v;
    }
    for (const PF_Fixed v : {INT32_MIN, INT32_MAX, -1, 1, -65537, 65535}) {
        EXPECT_EQ(fixed_degrees(v), two_halves(v)) << v;
    }
}

TEST(RenderValues, TotalFramesRoundHalfUp) {
    EXPECT_EQ(total_frames(30000, 100), 300);
    EXPECT_EQ(total_frames(30049, 100), 300);
    EXPECT_EQ(total_frames(30050, 100), 301);
    EXPECT_EQ(total_frames(1001, 0), 1001);
    EXPECT_EQ(total_frames(INT32_MAX, 1), INT32_MAX);
}

TEST(RenderValues, GatheredConversions) {
    ParamArray p;
    p.defs[kMode].u.pd.value = 0;
    p.defs[kSequentially].u.bd.value = 1;
    p.defs[kEvolution].u.fs_d.value = 100.0;
    p.defs[kScale].u.fs_d.value = 12.3456789;
    p.defs[kOpacity].u.fs_d.value = 50.0;
    p.defs[kTimeOffsetRandomness].u.fs_d.value = 7.25;
    p.defs[kRotation].u.ad.value = -32768;
    PF_InData in{};
    in.downsample_x = {1, 2};
    in.downsample_y = {1, 0};
    in.total_time = 30000;
    in.time_step = 100;
    const RenderValues v = gather_render_values(in, p.pointers.data());
    // An old project's "Mode" 0 renders as Constant, where "Sequentially" has no meaning.
    EXPECT_FALSE(v.incremental);
    EXPECT_FALSE(v.sequentially);
    EXPECT_EQ(v.evolution_fraction, static_cast<float>(100.0 * 0.01 * 0.9999));
    EXPECT_EQ(v.scale_percent, 12.3456789f);
    EXPECT_EQ(v.opacity_fraction, 0.5f);
    EXPECT_EQ(v.time_offset_randomness, 7.25f);
    EXPECT_EQ(v.rotation_degrees, -0.5f);
    EXPECT_EQ(v.downsample_x, 0.5);
    EXPECT_EQ(v.downsample_y, 1.0);
    EXPECT_EQ(v.total_frames, 300);

    p.defs[kMode].u.pd.value = 1;
    EXPECT_TRUE(gather_render_values(in, p.pointers.data()).sequentially);
}

}  // namespace
}  // namespace vorlane::effect
