// Where a source's texels are clear: the kernel leaves out the taps it finds reading only clear texels, so a tap
// it calls clear that reads a drawn texel would lose a pixel of the picture.
#include <gtest/gtest.h>

#include <random>

#include "pixels/TexelImage.h"
#include "services_test_support.h"

namespace vorlane::host {
namespace {

bool texel_clear(const TexelImage& image, int x, int y) {
    const float* t = image.at(x, y);
    return t[0] == 0.0f && t[1] == 0.0f && t[2] == 0.0f && t[3] == 0.0f;
}

// Rows drawn over a random part, with holes, some rows wholly clear; pixels without alpha keep their colours, which
// a premultiplied source draws.
template <class Pixel>
void fill_shape(PF_EffectWorld& w, std::mt19937& random) {
    test::fill_pattern<Pixel>(w, unsigned(random()));
    std::uniform_int_distribution<A_long> column(0, w.width - 1);
    for (A_long y = 0; y < w.height; ++y) {
        A_long first = column(random), last = column(random);
        if (random() % 4 == 0) {
            first = w.width;
        }
        for (A_long x = 0; x < w.width; ++x) {
            Pixel& p = test::at<Pixel>(w, x, y);
            if (x < first || x > last || random() % 5 == 0) {
                p.alpha = 0;
                if (random() % 2 == 0) {
                    p = {};
                }
            }
        }
    }
}

template <class Pixel>
void expect_no_drawn_texel_is_called_clear() {
    std::mt19937 random(7);
    int clear_taps = 0;
    for (int round = 0; round < 60; ++round) {
        const A_long width = 1 + A_long(random() % 37), height = 1 + A_long(random() % 29);
        WorldStorage src(width, height, PixelTraits<Pixel>::kFormat);
        fill_shape<Pixel>(src.world(), random);
        for (const bool straight : {true, false}) {
            std::vector<TexelImage> pyramid;
            load_pyramid(src.world(), straight, 3, pyramid);
            for (std::size_t level = 0; level < pyramid.size(); ++level) {
                const TexelImage& image = pyramid[level];
                for (int y = -1; y < image.height; ++y) {
                    for (int x = -1; x < image.width; ++x) {
                        if (!clear_tap(image, x, y)) {
                            continue;
                        }
                        ++clear_taps;
                        for (const auto& [dx, dy] : {std::pair{0, 0}, {1, 0}, {0, 1}, {1, 1}}) {
                            ASSERT_TRUE(texel_clear(image, x + dx, y + dy))
                                << "round " << round << " level " << level << " tap " << x << "," << y;
                        }
                    }
                }
            }
        }
    }
    // Not a vacuous pass: the shapes leave most taps clear.
    EXPECT_GT(clear_taps, 10000);
}

TEST(TexelReach, NoTapReadingADrawnTexelIsCalledClear) {
    expect_no_drawn_texel_is_called_clear<PF_Pixel>();
    expect_no_drawn_texel_is_called_clear<PF_Pixel16>();
}

TEST(TexelReach, ClearRowsAndSidesAreFound) {
    // A 6 x 4 source drawn only at (2, 1) and (3, 1): taps with top-left texels in columns 1..3 of rows 0 and 1.
    WorldStorage src(6, 4, PF_PixelFormat_ARGB32);
    test::at(src.world(), 2, 1) = {255, 10, 20, 30};
    test::at(src.world(), 3, 1) = {9, 10, 20, 30};
    std::vector<TexelImage> pyramid;
    load_pyramid(src.world(), true, 0, pyramid);
    const TexelImage& image = pyramid[0];
    for (int y = -1; y < 4; ++y) {
        for (int x = -1; x < 6; ++x) {
            const bool drawn = (y == 0 || y == 1) && x >= 1 && x <= 3;
            EXPECT_EQ(clear_tap(image, x, y), !drawn) << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace vorlane::host
