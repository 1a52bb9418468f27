// The host's 16.16 conversions as both programs read them: whole parts round toward minus infinity, the way to
// fixed point rounds halves away from zero, and the way back is exact.
#include <gtest/gtest.h>

#include <cstdint>

#include "AE_Macros.h"

namespace {

TEST(FixedPoint, ConversionsRoundAsTheHostDoes) {
    EXPECT_EQ(INT2FIX(90), 90 * 65536);
    EXPECT_EQ(INT2FIX(-90), -90 * 65536);
    EXPECT_EQ(FIX2INT(INT2FIX(-3) + 1), -3);
    EXPECT_EQ(FIX2INT(-1), -1);
    EXPECT_EQ(FIX2INT(0xFFFF), 0);

    EXPECT_EQ(FLOAT2FIX(-45.5), -45 * 65536 - 32768);
    EXPECT_EQ(FLOAT2FIX(0.5 / 65536.0), 1);
    EXPECT_EQ(FLOAT2FIX(-0.5 / 65536.0), -1);
    EXPECT_EQ(FLOAT2FIX(0.49 / 65536.0), 0);

    EXPECT_EQ(FIX_2_FLOAT(-32768), -0.5);
    EXPECT_EQ(FIX_2_FLOAT(INT32_MIN), -32768.0);
    EXPECT_EQ(FIX_2_FLOAT(INT32_MAX), 32767.0 + 65535.0 / 65536.0);
    EXPECT_EQ(FLOAT2FIX(FIX_2_FLOAT(-2981889)), -2981889);
}

}  // namespace
