// Pictures made by the real module through the host: where instances land, how opaque and which way round they
// are, what the output starts from, and that depth does not change the picture beyond rounding.
#include "render_fixture.h"

#include <cmath>

namespace vorlane::host::test {
namespace {

// A straight open mask from (8, 24) to (56, 24) and a 6 x 4 layer, drawn without any variation.
std::string line_scene(const std::string& extra_params, int depth = 8) {
    return R"({"comp": {"width": 64, "height": 48, "frame_rate": 24, "duration_frames": 4},
        "effect_layer": {"background": [255, 0, 0, 255],
                         "masks": [{"closed": false, "vertices": [[8, 24, 0, 0, 0, 0], [56, 24, 0, 0, 0, 0]]}]},
        "layers": [{"image": "layer.png"}],
        "params": {"Path Selection": 1, "Mode": "Constant", "Auto Orient": false, "Composite": "On Transparent",
                   "Instances": 3)" +
           extra_params + R"(},
        "render": {"depth": )" +
           std::to_string(depth) + "}}";
}

const PF_Pixel kRed{255, 255, 0, 0};
const PF_Pixel kGreen{255, 0, 255, 0};

struct Centroid {
    double x = 0.0, y = 0.0, weight = 0.0;
};

// Alpha-weighted centre of the pixels in columns [x0, x1).
Centroid centroid(const PF_EffectWorld& world, A_long x0, A_long x1) {
    Centroid c;
    for (A_long y = 0; y < world.height; ++y) {
        for (A_long x = x0; x < x1; ++x) {
            const double a = pixel8(world, x, y).alpha;
            c.x += (x + 0.5) * a;
            c.y += (y + 0.5) * a;
            c.weight += a;
        }
    }
    c.x /= c.weight;
    c.y /= c.weight;
    return c;
}

TEST_F(RenderFixture, NeutralInstancesAreCentredOnTheirPathPoints) {
    write_layer(6, 4, kRed, kRed);
    load(line_scene(""));
    const FrameResult result = frame(0);
    ASSERT_EQ(result.err, PF_Err_NONE);
    // Constant mode, 3 instances: the walk stands at 0, 0.49999 and 0.99998 of the 48-pixel line.
    const double expected[] = {8.0, 8.0 + 48.0 * 0.49999, 8.0 + 48.0 * 0.99998};
    const A_long bands[][2] = {{0, 20}, {20, 44}, {44, 64}};
    for (int i = 0; i < 3; ++i) {
        const Centroid c = centroid(result.output.world(), bands[i][0], bands[i][1]);
        EXPECT_NEAR(c.x, expected[i], 0.5) << "instance " << i;
        EXPECT_NEAR(c.y, 24.0, 0.5) << "instance " << i;
        EXPECT_NEAR(c.weight, 255.0 * 24, 255.0) << "an unscaled 6 x 4 layer";
    }
}

TEST_F(RenderFixture, HalfOpacityGivesHalfCoverage) {
    write_layer(6, 4, kRed, kRed);
    load(line_scene(R"(, "Opacity": 50)"));
    const FrameResult result = frame(0);
    ASSERT_EQ(result.err, PF_Err_NONE);
    const PF_Pixel centre = pixel8(result.output.world(), 32, 24);
    EXPECT_NEAR(centre.alpha, 127, 1);
    EXPECT_EQ(centre.red, 255);  // straight alpha: the colour itself is untouched
}

TEST_F(RenderFixture, AFlipMirrorsTheLayerAboutItsPathPoint) {
    write_layer(6, 4, kRed, kGreen);
    load(line_scene(""));
    const FrameResult plain = frame(0);
    load(line_scene(R"(, "Flip": "X")"));
    const FrameResult flipped = frame(0);
    ASSERT_EQ(plain.err, PF_Err_NONE);
    ASSERT_EQ(flipped.err, PF_Err_NONE);
    // The middle instance spans x 29..35 around 31.99952: its left part red unflipped, green flipped.
    EXPECT_EQ(pixel8(plain.output.world(), 30, 24).red, 255);
    EXPECT_EQ(pixel8(plain.output.world(), 34, 24).green, 255);
    EXPECT_EQ(pixel8(flipped.output.world(), 30, 24).green, 255);
    EXPECT_EQ(pixel8(flipped.output.world(), 34, 24).red, 255);
}

TEST_F(RenderFixture, TheOutputStartsTransparentOrAsTheEffectLayer) {
    write_layer(6, 4, kRed, kRed);
    load(line_scene(""));
    const FrameResult transparent = frame(0);
    load(line_scene(R"(, "Composite": "On Original Image")"));
    const FrameResult original = frame(0);
    for (A_long y : {0, 10, 47}) {
        EXPECT_EQ(pixel8(transparent.output.world(), 2, y).alpha, 0);
        const PF_Pixel background = pixel8(original.output.world(), 2, y);
        EXPECT_EQ(background.alpha, 255);
        EXPECT_EQ(background.blue, 255);
    }
}

TEST_F(RenderFixture, EightAndSixteenBitRendersAgreeWithinRounding) {
    write_layer(6, 4, kRed, kGreen);
    const std::string look = R"(, "Instances": 9, "Mode": "Incremental", "Auto Orient": true, "Rotation": 30,
        "Scale": 150, "Opacity": 70, "Composite": "On Original Image")";
    load(line_scene(look, 8));
    const FrameResult eight = frame(2);
    load(line_scene(look, 16));
    const FrameResult sixteen = frame(2);
    ASSERT_EQ(eight.err, PF_Err_NONE);
    ASSERT_EQ(sixteen.err, PF_Err_NONE);
    int worst = 0;
    for (A_long y = 0; y < 48; ++y) {
        for (A_long x = 0; x < 64; ++x) {
            const PF_Pixel a = pixel8(eight.output.world(), x, y);
            const PF_Pixel b = pixel_16_to_8(pixel_row<PF_Pixel16>(sixteen.output.world(), y)[x]);
            for (auto [p, q] : {std::pair{a.alpha, b.alpha}, {a.red, b.red}, {a.green, b.green}, {a.blue, b.blue}}) {
                worst = std::max(worst, std::abs(int(p) - int(q)));
            }
        }
    }
    EXPECT_LE(worst, 2);
}

}  // namespace
}  // namespace vorlane::host::test
