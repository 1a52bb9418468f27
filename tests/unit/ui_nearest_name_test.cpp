// The "did you mean" of a misspelt control name.
#include <gtest/gtest.h>

#include "ui/NearestName.h"

namespace vorlane::host {
namespace {

const std::vector<std::string> kNames = {"Layers", "Layer 1", "Seed", "Scale", "Scale Randomness", "Mode", ""};

TEST(NearestName, ATypoOrAWrongCaseFindsTheNameAndNoiseFindsNothing) {
    EXPECT_EQ(nearest_name("seed", kNames), "Seed");
    EXPECT_EQ(nearest_name("SCALE", kNames), "Scale");
    EXPECT_EQ(nearest_name("Layrs", kNames), "Layers");
    EXPECT_EQ(nearest_name("Scale Randomnes", kNames), "Scale Randomness");
    EXPECT_EQ(nearest_name("Layer 2", kNames), "Layer 1") << "the nearest, not the first within reach";
    EXPECT_EQ(nearest_name("Opacity", kNames), "");
    EXPECT_EQ(nearest_name("", kNames), "") << "an empty name is not a typo of a four-letter one";
    EXPECT_EQ(nearest_name("Seed", {}), "");
}

}  // namespace
}  // namespace vorlane::host
