// The share arithmetic of the frequency sliders, without a host.
#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "params/FrequencyShares.h"

namespace vorlane::effect {
namespace {

TEST(UiShares, LayersFromOldOrEditedProjectsStayWithinTheFiveSlots) {
    EXPECT_EQ(layers_in_use(0), 1);
    EXPECT_EQ(layers_in_use(-7), 1);
    EXPECT_EQ(layers_in_use(3), 3);
    EXPECT_EQ(layers_in_use(6), 5);
    EXPECT_EQ(layers_in_use(std::numeric_limits<PF_ParamValue>::max()), 5);
}

TEST(UiShares, SumIsRoundedToSinglePrecisionAtEveryStep) {
    // 0.1 as a double added three times in double gives 0.30000000000000004; rounded to float at each step it
    // gives the float nearest to 0.3 built from float steps.
    const std::array<double, 3> tenths = {0.1, 0.1, 0.1};
    float expected = 0.0f;
    for (double t : tenths) {
        expected = static_cast<float>(static_cast<double>(expected) + t);
    }
    EXPECT_EQ(share_sum(tenths), expected);
    EXPECT_NE(static_cast<double>(share_sum(tenths)), 0.1 + 0.1 + 0.1);

    const std::array<double, 3> thirds = {33.3, 33.3, 33.3};
    EXPECT_EQ(share_sum(thirds), 99.9f);
    EXPECT_EQ(share_sum(std::span<const double>()), 0.0f);
}

TEST(UiShares, NothingToRescaleWhenTheSlidersAddUpToNothing) {
    EXPECT_FALSE(can_rescale(0.0f));
    EXPECT_FALSE(can_rescale(-0.0f));
    EXPECT_FALSE(can_rescale(-5.0f));  // hand-edited negative values: dividing would flip every share
    EXPECT_FALSE(can_rescale(std::numeric_limits<float>::infinity()));
    EXPECT_FALSE(can_rescale(std::numeric_limits<float>::quiet_NaN()));
    // A value too small for a float vanishes from the sum: no division by that zero either.
    const std::array<double, 2> vanishing = {1e-50, 0.0};
    EXPECT_FALSE(can_rescale(share_sum(vanishing)));
    EXPECT_TRUE(can_rescale(std::numeric_limits<float>::denorm_min()));
}

}  // namespace
}  // namespace vorlane::effect
