#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "render/RandomStream.h"

namespace vorlane::effect {
namespace {

std::vector<int32_t> first_values(int32_t seed, int count) {
    RandomStream stream;
    seed_stream(stream, seed);
    std::vector<int32_t> values;
    for (int i = 0; i < count; ++i) {
        values.push_back(next_value(stream));
    }
    return values;
}

TEST(RandomStream, SeededSequencesAreFixed) {
    EXPECT_EQ(first_values(1, 6), (std::vector<int32_t>{41, 18467, 6334, 26500, 19169, 15724}));
    EXPECT_EQ(first_values(12345, 6), (std::vector<int32_t>{7584, 19164, 25795, 22125, 5828, 23405}));
    EXPECT_EQ(first_values(0, 3), (std::vector<int32_t>{38, 7719, 21238}));
    // Seeds are reinterpreted as unsigned, and Constant mode keeps 32767 and 0 apart.
    EXPECT_NE(first_values(32767, 3), first_values(0, 3));
    EXPECT_EQ(first_values(-1, 3), first_values(static_cast<int32_t>(0xFFFFFFFFu), 3));
}

TEST(RandomStream, FreshStreamStartsAtStateOne) {
    RandomStream stream;
    EXPECT_EQ(next_value(stream), 41);
}

TEST(RandomStream, UnitDrawNeverReachesOne) {
    EXPECT_EQ(unit_draw(32767), 0.0f);
    EXPECT_EQ(unit_draw(0), 0.0f);
    EXPECT_EQ(unit_draw(32766), 32766.0f / 32767.0f);
    EXPECT_LT(unit_draw(32766), 1.0f);
    EXPECT_NEAR(unit_draw(7584), 0.231452, 1e-6);
    EXPECT_EQ(unit_draw_double(32767), 0.0);
    EXPECT_EQ(unit_draw_double(16383), 16383.0 / 32767.0);
}

TEST(RandomStream, IncrementalPassesRepeatOneSeed) {
    for (int32_t pass = 0; pass < 5; ++pass) {
        EXPECT_EQ(incremental_pass_seed(pass, 12345), 12345);
        EXPECT_EQ(incremental_pass_seed(pass, 32767), 0);
        EXPECT_EQ(incremental_pass_seed(pass, 32768), 1);
    }
}

TEST(RandomStream, EveryThreadHasItsOwnStream) {
    RandomStream& mine = thread_random_stream();
    seed_stream(mine, 1);
    uint32_t other_state = 0;
    std::thread([&other_state] { other_state = thread_random_stream().state; }).join();
    EXPECT_EQ(other_state, 1u);
    EXPECT_EQ(next_value(mine), 41);
}

}  // namespace
}  // namespace vorlane::effect
