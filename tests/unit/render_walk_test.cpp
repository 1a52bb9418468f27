#include <gtest/gtest.h>

#include "render/Walk.h"

namespace vorlane::effect {
namespace {

RenderValues constant_values(int32_t instances) {
    RenderValues v;
    v.instances = instances;
    return v;
}

RenderValues incremental_values(int32_t instances, double evolution) {
    RenderValues v;
    v.instances = instances;
    v.incremental = true;
    v.evolution_fraction = static_cast<float>(evolution * 0.01 * 0.9999);
    return v;
}

int64_t spots_of(const RenderValues& values, int32_t mask_count = 1) {
    const WalkSize size = size_walk(values, mask_count);
    return count_walk_spots(size.walk_step, size.walk_limit, kMaxSpotsPerRender);
}

TEST(Walk, ConstantCountsIncludeTheExtraSpotsOfAShortStep) {
    EXPECT_EQ(spots_of(constant_values(2)), 2);
    EXPECT_EQ(spots_of(constant_values(25)), 25);
    EXPECT_EQ(spots_of(constant_values(316)), 316);
    EXPECT_EQ(spots_of(constant_values(317)), 318);
    EXPECT_EQ(spots_of(constant_values(1000)), 1010);
    EXPECT_EQ(spots_of(constant_values(10000)), 11111);
    EXPECT_EQ(spots_of(constant_values(50000)), 99902);
    EXPECT_EQ(spots_of(constant_values(90000)), 892636);
}

TEST(Walk, IncrementalCountsFollowTheEvolutionLimit) {
    EXPECT_EQ(size_walk(incremental_values(2, 100), 1).walk_limit, 0.9999f);
    EXPECT_EQ(spots_of(incremental_values(2, 100)), 1);
    EXPECT_EQ(spots_of(incremental_values(11, 100)), 10);
    EXPECT_EQ(spots_of(incremental_values(12, 100)), 12);
    EXPECT_EQ(spots_of(incremental_values(25, 50)), 13);
    EXPECT_EQ(spots_of(incremental_values(25, 0)), 1);
    // Evolution above 100 still ends the walk at the outline's end.
    EXPECT_EQ(size_walk(incremental_values(25, 1000), 1).walk_limit, 1.0f);
}

TEST(Walk, TotalsAndSteps) {
    RenderValues v = incremental_values(10, 100);
    v.use_all_paths = true;
    v.sequentially = true;
    v.bidirectional = true;
    const WalkSize size = size_walk(v, 3);
    EXPECT_EQ(size.instance_total, 60);
    EXPECT_EQ(size.walk_step, static_cast<float>(1.0 / static_cast<double>(59.0f) - 0.00001));

    EXPECT_EQ(size_walk(constant_values(25), 1).walk_step, static_cast<float>(1.0 / 24.0 - 0.00001));
    EXPECT_EQ(size_walk(constant_values(1), 1).walk_step, std::numeric_limits<float>::infinity());
    EXPECT_EQ(size_walk(constant_values(100001), 1).walk_step, 0.0f);
    EXPECT_LT(size_walk(constant_values(100002), 1).walk_step, 0.0f);
}

TEST(Walk, SingleInstanceWalksOneSpot) {
    EXPECT_EQ(spots_of(constant_values(1)), 1);
    EXPECT_EQ(spots_of(incremental_values(1, 100)), 1);
}

// Totals the sliders accept but at which the step cannot carry walk_t to the limit: each walk ends, and none places
// more than the render's bound.
TEST(Walk, WalksThatWouldNeverEndAreBounded) {
    // From 99704 the step is too small to move walk_t past 0.5.
    const int64_t stalled = spots_of(constant_values(99704));
    EXPECT_GT(stalled, 0);
    EXPECT_LE(stalled, kMaxSpotsPerRender);
    // A zero step and negative ones end after the first spot.
    EXPECT_EQ(spots_of(constant_values(100001)), 1);
    EXPECT_EQ(spots_of(constant_values(200000)), 1);
    RenderValues doubled = constant_values(1000000);
    doubled.bidirectional = true;
    EXPECT_EQ(size_walk(doubled, 1).instance_total, 2000000);
    EXPECT_EQ(spots_of(doubled), 1);
    // 99409 stalls at exactly 1.0 in Constant mode, after more spots than the bound allows.
    EXPECT_EQ(spots_of(constant_values(99409)), kMaxSpotsPerRender);
    float at_end = 1.0f;
    EXPECT_FALSE(advance_walk(at_end, size_walk(constant_values(99409), 1).walk_step));
    EXPECT_EQ(at_end, 1.0f);
}

TEST(Walk, SequentialTotalsGrowWithTheMasksAndSaturate) {
    RenderValues v = incremental_values(1000000, 100);
    v.use_all_paths = true;
    v.sequentially = true;
    v.bidirectional = true;
    EXPECT_EQ(size_walk(v, 5000).instance_total, INT32_MAX);
    EXPECT_EQ(spots_of(v, 5000), 1);
}

}  // namespace
}  // namespace vorlane::effect
