#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "render/InstanceDraws.h"
#include "render/PathPosition.h"
#include "render/SlotChoice.h"
#include "render/SourceTime.h"

namespace vorlane::effect {
namespace {

SourceTimeInputs default_time(bool incremental, float walk_t) {
    SourceTimeInputs in;
    in.incremental = incremental;
    in.evolution_fraction = static_cast<float>(100.0 * 0.01 * 0.9999);
    in.walk_t = walk_t;
    in.total_frames = 300;
    in.time_step = 100;
    return in;
}

TEST(SourceTime, DefaultsShowTheFrameJustBeforeTheHundredth) {
    EXPECT_DOUBLE_EQ(source_frames(default_time(false, 0.7f)), 99.98999834060669);
    EXPECT_EQ(source_time(default_time(false, 0.7f)), 9998);
    // Incremental: an instance halfway along the walk is younger by half.
    EXPECT_DOUBLE_EQ(source_frames(default_time(true, 0.5f)), 49.98999834060669);
    EXPECT_EQ(source_time(default_time(true, 0.5f)), 4998);
}

TEST(SourceTime, HeldWithinTheLayersFrames) {
    SourceTimeInputs early = default_time(false, 0.0f);
    early.time_offset_frames = -500.0f;
    EXPECT_EQ(source_time(early), 0);

    SourceTimeInputs stopped = default_time(false, 0.0f);
    stopped.time_factor = 0.0f;
    EXPECT_EQ(source_time(stopped), 299 * 100);

    SourceTimeInputs no_step = default_time(false, 0.0f);
    no_step.time_step = 0;
    no_step.total_frames = 3000;
    EXPECT_EQ(source_time(no_step), 0);

    // Past the end of an Incremental walk the age turns negative: the first frame.
    EXPECT_EQ(source_time(default_time(true, 1.0f)), 0);
}

TEST(SlotChoice, PickFallsIntoConsecutiveIntervals) {
    const std::array<float, 5> shares{50.0f, 25.0f, 25.0f, 0.0f, 0.0f};
    auto of = [&shares](int32_t slot) -> std::optional<float> { return shares[slot - 1]; };
    EXPECT_EQ(choose_slot(60.0f, 3, of), 2);
    EXPECT_EQ(choose_slot(80.0f, 3, of), 3);
    EXPECT_EQ(choose_slot(10.0f, 3, of), 1);
    // Both bounds are exclusive: 0, a boundary and the very top fall into no interval.
    EXPECT_EQ(choose_slot(0.0f, 3, of), 4);
    EXPECT_EQ(choose_slot(50.0f, 3, of), 4);
    EXPECT_EQ(choose_slot(100.0f, 3, of), 4);
    EXPECT_EQ(choose_slot(0.0f, 5, of), 6);
}

TEST(SlotChoice, AllZeroFrequenciesSelectTheSlotAfterTheLast) {
    auto zero = [](int32_t) -> std::optional<float> { return 0.0f; };
    EXPECT_EQ(choose_slot(42.0f, 2, zero), 3);
    EXPECT_EQ(choose_slot(42.0f, 5, zero), 6);
}

TEST(SlotChoice, ReadsOnlyUpToTheChosenSlotAndStopsOnFailure) {
    int reads = 0;
    auto counted = [&reads](int32_t) -> std::optional<float> {
        ++reads;
        return 20.0f;
    };
    EXPECT_EQ(choose_slot(30.0f, 5, counted), 2);
    EXPECT_EQ(reads, 2);

    auto failing = [](int32_t slot) -> std::optional<float> {
        if (slot == 2) {
            return std::nullopt;
        }
        return 10.0f;
    };
    EXPECT_EQ(choose_slot(50.0f, 3, failing), std::nullopt);

    // A slot count beyond the five layers never reads past the fifth frequency.
    int highest = 0;
    auto track = [&highest](int32_t slot) -> std::optional<float> {
        highest = std::max(highest, slot);
        return 0.0f;
    };
    EXPECT_EQ(choose_slot(50.0f, 9, track), 6);
    EXPECT_EQ(highest, 5);
}

TEST(SlotChoice, PathDistributionGivesEachMaskOnePick) {
    EXPECT_EQ(path_pick_value(0, 12345), 4318);
    EXPECT_EQ(path_pick_value(1, 12345), 11939);
    EXPECT_EQ(path_pick_value(2, 12345), 19560);
    EXPECT_NEAR(path_layer_pick(0, 12345), 13.177893f, 1e-5f);
    EXPECT_NEAR(path_layer_pick(1, 12345), 36.436047f, 1e-5f);
    EXPECT_NEAR(path_layer_pick(2, 12345), 59.694206f, 1e-5f);
    const float third = 100.0f / 3.0f;
    auto thirds = [third](int32_t) -> std::optional<float> { return third; };
    EXPECT_EQ(choose_slot(path_layer_pick(0, 12345), 3, thirds), 1);
    EXPECT_EQ(choose_slot(path_layer_pick(1, 12345), 3, thirds), 2);
    EXPECT_EQ(choose_slot(path_layer_pick(2, 12345), 3, thirds), 2);
}

TEST(PathPosition, FractionIsCappedShortOfTheEnd) {
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(jittered_fraction(0.25f, 0.5f), 0.75);
    EXPECT_EQ(jittered_fraction(0.9f, 0.5f), 0.99999);
    EXPECT_EQ(jittered_fraction(0.0f, -0.1f), static_cast<double>(-0.1f));
    // A lone instance: not-a-number without randomness, +/-infinity with it; both sit at 0.99999.
    EXPECT_EQ(jittered_fraction(0.0f, std::nanf("")), 0.99999);
    EXPECT_EQ(jittered_fraction(0.0f, inf), 0.99999);
    EXPECT_EQ(jittered_fraction(0.0f, -inf), 0.99999);
}

TEST(PathPosition, SequentialWalksShareTheMasks) {
    EXPECT_EQ(sequential_path_index(2, 0.3f), 0);
    EXPECT_EQ(sequential_path_index(2, 0.5f), 1);
    EXPECT_EQ(sequential_path_index(2, 1.0f), 1);
    EXPECT_EQ(sequential_path_index(3, 0.0f), 0);
    EXPECT_EQ(outline_distance(10.0, 0.75, true, 2), 10.0 * std::fmod(1.5, 1.0));
    EXPECT_EQ(outline_distance(10.0, 0.75, false, 2), 7.5);
    EXPECT_EQ(outline_distance(10.0, -0.25, true, 2), -5.0);
}

TEST(PathPosition, SegmentSearch) {
    const std::vector<double> lengths{10.0, 0.0, 5.0, 20.0};
    EXPECT_EQ(locate_segment(lengths, 3.0).segment, 0);
    // A boundary goes to the later segment, passing over the empty one.
    const SegmentSpot boundary = locate_segment(lengths, 10.0);
    EXPECT_EQ(boundary.segment, 2);
    EXPECT_EQ(boundary.distance, 0.0);
    const SegmentSpot later = locate_segment(lengths, 17.0);
    EXPECT_EQ(later.segment, 3);
    EXPECT_EQ(later.distance, 2.0);
    // Never past the last segment, and a negative distance stays on the first.
    EXPECT_EQ(locate_segment(lengths, 100.0).segment, 3);
    const SegmentSpot before = locate_segment(lengths, -2.0);
    EXPECT_EQ(before.segment, 0);
    EXPECT_EQ(before.distance, -2.0);
    EXPECT_EQ(locate_segment({0.0, 0.0}, 0.0).segment, 1);
}

TEST(InstanceDraws, SixValuesTakenWithinTheirRanges) {
    RenderValues v;
    v.evolution_randomness = 1.0f;
    v.scale_randomness = 0.5f;
    v.rotation_randomness = 1.0f;
    v.opacity_randomness = 1.0f;
    v.time_factor_randomness = 2.0f;
    v.time_offset_randomness = 10.0f;
    RandomStream stream;
    seed_stream(stream, 12345);
    const InstanceDraws d = draw_instance_variations(stream, v, 0.25f);
    // 7584 / 32767 is the first value's draw: a shift of (0.231 - 0.5) x 0.25 x 2 along the walk.
    EXPECT_FLOAT_EQ(d.position_jitter, (7584.0f / 32767.0f - 0.5f) * 0.5f);
    EXPECT_TRUE(d.scale_factor >= 0.5f && d.scale_factor <= 1.0f);
    EXPECT_TRUE(d.rotation_jitter >= -180.0f && d.rotation_jitter < 180.0f);
    EXPECT_TRUE(d.time_factor_mul >= 1.0f && d.time_factor_mul <= 3.0f);
    // The offset is the only draw divided in double: 23405 / 32767 exactly, then rounded.
    EXPECT_EQ(d.time_offset_frames, static_cast<float>(-10.0 * (23405 / 32767.0)));
    RandomStream after;
    seed_stream(after, 12345);
    for (int i = 0; i < 6; ++i) {
        next_value(after);
    }
    EXPECT_EQ(stream.state, after.state);
}

TEST(InstanceDraws, LoneInstanceJitterIsNotANumberWithoutRandomness) {
    RenderValues v;
    RandomStream stream;
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_TRUE(std::isnan(draw_instance_variations(stream, v, inf).position_jitter));
    v.evolution_randomness = 0.5f;
    EXPECT_TRUE(std::isinf(draw_instance_variations(stream, v, inf).position_jitter));
}

}  // namespace
}  // namespace vorlane::effect
