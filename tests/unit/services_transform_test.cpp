#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "pixels/TransformWorld.h"
#include "services_test_support.h"

namespace vorlane::host {
namespace {

using test::at;
using test::padded_world;
using test::padding_intact;
using test::same;

PF_FloatMatrix matrix(double a, double b, double c, double d, double tx, double ty) {
    return {{{a, b, 0.0}, {c, d, 0.0}, {tx, ty, 1.0}}};
}

// The matrix the effect builds: scale about the anchor, turn about it, put it on `at`.
PF_FloatMatrix placed(double ax, double ay, double sx, double sy, double degrees, double at_x, double at_y) {
    const double r = degrees * 0.017453292519943295, s = std::sin(r), c = std::cos(r);
    return matrix(c * sx, s * sx, -s * sy, c * sy, -ax * c * sx + ay * s * sy + at_x,
                  -ax * s * sx - ay * c * sy + at_y);
}

struct Composite {
    PF_Quality quality = PF_Quality_HI;
    A_u_char opacity = 255;
    A_u_short opacity_su = 32768;
    const PF_Rect* rect = nullptr;
    PF_TransferMode xfer = PF_Xfer_IN_FRONT;
};

PF_Err composite(const PF_EffectWorld& src, PF_EffectWorld& dst, const PF_FloatMatrix& m, Composite how = {}) {
    const PF_CompositeMode mode{how.xfer, 0, how.opacity, false, how.opacity_su};
    return transform_world(how.quality, PF_MF_Alpha_STRAIGHT, PF_Field_FRAME, &src, &mode, nullptr, &m, 1, true,
                           how.rect, &dst);
}

template <class Pixel>
void expect_integer_translation_is_exact(PF_Quality quality) {
    const PF_PixelFormat format = PixelTraits<Pixel>::kFormat;
    WorldStorage src = padded_world(13, 9, format);
    test::fill_pattern<Pixel>(src.world());
    WorldStorage dst = padded_world(40, 30, format);
    ASSERT_EQ(composite(src.world(), dst.world(), matrix(1, 0, -0.0, 1, 17, 11), {quality}), PF_Err_NONE);
    for (A_long y = 0; y < 30; ++y) {
        for (A_long x = 0; x < 40; ++x) {
            const bool inside = x >= 17 && x < 30 && y >= 11 && y < 20;
            Pixel expected{};
            if (inside && at<Pixel>(src.world(), x - 17, y - 11).alpha != 0) {
                expected = at<Pixel>(src.world(), x - 17, y - 11);
            }
            ASSERT_TRUE(same(at<Pixel>(dst.world(), x, y), expected)) << x << ", " << y;
        }
    }
    EXPECT_TRUE(padding_intact(dst.world()));
}

TEST(ServicesTransform, IntegerTranslationReproducesPixelsExactly) {
    expect_integer_translation_is_exact<PF_Pixel>(PF_Quality_HI);
    expect_integer_translation_is_exact<PF_Pixel16>(PF_Quality_HI);
    expect_integer_translation_is_exact<PF_Pixel>(PF_Quality_LO);
}

TEST(ServicesTransform, NeutralMatrixCentresTheLayerOnItsPoint) {
    for (const auto& [w, h, px, py] : {std::tuple{11, 7, 40.3, 30.7}, std::tuple{10, 8, 25.0, 20.0}}) {
        WorldStorage src(w, h, PF_PixelFormat_ARGB32);
        const PF_Pixel white{255, 255, 255, 255};
        fill_world(&src.world(), &white, nullptr);
        WorldStorage dst(64, 48, PF_PixelFormat_ARGB32);
        ASSERT_EQ(composite(src.world(), dst.world(), placed(w / 2.0, h / 2.0, 1, 1, 0, px, py)), PF_Err_NONE);
        double sum = 0, sx = 0, sy = 0;
        for (A_long y = 0; y < 48; ++y) {
            for (A_long x = 0; x < 64; ++x) {
                const double a = at(dst.world(), x, y).alpha;
                sum += a;
                sx += a * (x + 0.5);
                sy += a * (y + 0.5);
            }
        }
        EXPECT_NEAR(sum / 255.0, double(w * h), 0.05 * w * h);
        EXPECT_NEAR(sx / sum, px, 0.02);
        EXPECT_NEAR(sy / sum, py, 0.02);
    }
}

TEST(ServicesTransform, OpacityScalesCoverageAtBothDepths) {
    for (PF_PixelFormat format : {PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64}) {
        WorldStorage src(4, 4, format);
        const PF_Pixel red{255, 255, 0, 0}, blue{255, 0, 0, 255};
        fill_world(&src.world(), &red, nullptr);
        WorldStorage clear(8, 8, format), opaque(8, 8, format);
        fill_world(&opaque.world(), &blue, nullptr);
        const Composite half{PF_Quality_HI, 128, 16384};
        composite(src.world(), clear.world(), matrix(1, 0, 0, 1, 2, 2), half);
        composite(src.world(), opaque.world(), matrix(1, 0, 0, 1, 2, 2), half);
        if (format == PF_PixelFormat_ARGB32) {
            EXPECT_EQ(at(clear.world(), 3, 3).alpha, 128);
            EXPECT_EQ(at(clear.world(), 3, 3).red, 255);  // straight colour keeps its value
            EXPECT_EQ(at(opaque.world(), 3, 3).alpha, 255);
            EXPECT_NEAR(at(opaque.world(), 3, 3).red, 128, 1);
            EXPECT_NEAR(at(opaque.world(), 3, 3).blue, 127, 1);
        } else {
            EXPECT_EQ(at<PF_Pixel16>(clear.world(), 3, 3).alpha, 16384);
            EXPECT_EQ(at<PF_Pixel16>(opaque.world(), 3, 3).red, 16384);
            EXPECT_EQ(at<PF_Pixel16>(opaque.world(), 3, 3).alpha, 32768);
        }
        EXPECT_EQ(at(clear.world(), 0, 0).alpha, 0);
    }
}

TEST(ServicesTransform, NegativeXScaleMirrorsAboutTheAnchor) {
    WorldStorage src(9, 5, PF_PixelFormat_ARGB32);
    test::fill_pattern<PF_Pixel>(src.world());
    for (A_long y = 0; y < 5; ++y) {
        for (A_long x = 0; x < 9; ++x) {
            at(src.world(), x, y).alpha = 255;
        }
    }
    WorldStorage dst(30, 20, PF_PixelFormat_ARGB32);
    composite(src.world(), dst.world(), placed(4.5, 2.5, -1, 1, 0, 15.5, 10.5));
    for (A_long y = 0; y < 5; ++y) {
        for (A_long x = 0; x < 9; ++x) {
            EXPECT_TRUE(same(at(dst.world(), 11 + 8 - x, 8 + y), at(src.world(), x, y))) << x << ", " << y;
        }
    }
}

TEST(ServicesTransform, WritesStayInsideTheDestinationRectAndWhereTheSourceReaches) {
    WorldStorage src(10, 10, PF_PixelFormat_ARGB32);
    const PF_Pixel green{255, 0, 255, 0};
    const PF_Rect core{3, 3, 7, 7};
    fill_world(&src.world(), &green, &core);
    WorldStorage dst = padded_world(40, 40, PF_PixelFormat_ARGB32);
    test::fill_pattern<PF_Pixel>(dst.world(), 7);  // alpha-0 pixels among them keep their colour bytes
    WorldStorage before = padded_world(40, 40, PF_PixelFormat_ARGB32);
    test::fill_pattern<PF_Pixel>(before.world(), 7);
    const PF_Rect rect{0, 0, 26, 40};
    ASSERT_EQ(
        composite(src.world(), dst.world(), placed(5, 5, 1.3, 1.3, 33, 25.2, 20.7), {PF_Quality_HI, 255, 32768, &rect}),
        PF_Err_NONE);
    int changed = 0;
    for (A_long y = 0; y < 40; ++y) {
        for (A_long x = 0; x < 40; ++x) {
            const double d = std::hypot(x + 0.5 - 25.2, y + 0.5 - 20.7);
            const bool may_change = x < 26 && d < 2.0 * 1.3 * 1.42 + 1.5;
            if (!same(at(dst.world(), x, y), at(before.world(), x, y))) {
                ++changed;
                EXPECT_TRUE(may_change) << x << ", " << y;
            }
        }
    }
    EXPECT_GT(changed, 10);
    EXPECT_TRUE(padding_intact(dst.world()));
}

TEST(ServicesTransform, EightAndSixteenBitsAgreeWithinRounding) {
    WorldStorage src8(24, 16, PF_PixelFormat_ARGB32), src16(24, 16, PF_PixelFormat_ARGB64);
    test::fill_pattern<PF_Pixel>(src8.world(), 3);
    copy_world(src8.world(), &src16.world(), nullptr, nullptr, CopyFilter::Nearest);
    WorldStorage dst8(60, 60, PF_PixelFormat_ARGB32), dst16(60, 60, PF_PixelFormat_ARGB64);
    const PF_Pixel grey{255, 90, 90, 90};
    fill_world(&dst8.world(), &grey, nullptr);
    fill_world(&dst16.world(), &grey, nullptr);
    std::mt19937 random(5);
    for (int i = 0; i < 6; ++i) {
        std::uniform_real_distribution<double> angle(0, 360), scale(0.3, 1.7), place(10, 50);
        const PF_FloatMatrix m =
            placed(12, 8, scale(random), scale(random), angle(random), place(random), place(random));
        composite(src8.world(), dst8.world(), m, {PF_Quality_HI, 200, 25700});
        composite(src16.world(), dst16.world(), m, {PF_Quality_HI, 200, 25700});
    }
    for (A_long y = 0; y < 60; ++y) {
        for (A_long x = 0; x < 60; ++x) {
            const PF_Pixel a = at(dst8.world(), x, y), b = pixel_16_to_8(at<PF_Pixel16>(dst16.world(), x, y));
            ASSERT_NEAR(a.alpha, b.alpha, 1) << x << ", " << y;
            ASSERT_NEAR(a.red, b.red, 2) << x << ", " << y;
            ASSERT_NEAR(a.green, b.green, 2) << x << ", " << y;
            ASSERT_NEAR(a.blue, b.blue, 2) << x << ", " << y;
        }
    }
}

// Grey levels of the destination after shrinking `src` to a tenth with the given quality and angle.
std::vector<double> shrunk_to_a_tenth(const PF_EffectWorld& src, PF_Quality quality, double degrees) {
    WorldStorage dst(40, 40, PF_PixelFormat_ARGB32);
    composite(src, dst.world(), placed(src.width / 2.0, src.height / 2.0, 0.1, 0.1, degrees, 20, 20), {quality});
    std::vector<double> grey;
    for (A_long y = 0; y < 40; ++y) {
        for (A_long x = 0; x < 40; ++x) {
            grey.push_back(at(dst.world(), x, y).red * at(dst.world(), x, y).alpha / 255.0);
        }
    }
    return grey;
}

TEST(ServicesTransform, ShrinkingToATenthAveragesInsteadOfSparkling) {
    // Noise of single pixels is the worst case for point sampling.
    WorldStorage src(200, 200, PF_PixelFormat_ARGB32);
    std::mt19937 random(11);
    for (A_long y = 0; y < 200; ++y) {
        for (A_long x = 0; x < 200; ++x) {
            const A_u_char v = random() % 2 ? 255 : 0;
            at(src.world(), x, y) = {255, v, v, v};
        }
    }
    // Axis-aligned, each destination pixel covers one 10 x 10 block: compare with the blocks' means. Tolerance:
    // 2 levels per pixel, at most 2 % of the pixels beyond it, none beyond 8.
    const std::vector<double> shrunk = shrunk_to_a_tenth(src.world(), PF_Quality_HI, 0.0);
    int over = 0;
    for (int by = 0; by < 20; ++by) {
        for (int bx = 0; bx < 20; ++bx) {
            double mean = 0;
            for (int y = 0; y < 10; ++y) {
                for (int x = 0; x < 10; ++x) {
                    mean += at(src.world(), bx * 10 + x, by * 10 + y).red / 100.0;
                }
            }
            const double error = std::fabs(shrunk[std::size_t((by + 10) * 40 + bx + 10)] - mean);
            over += error > 2.0;
            EXPECT_LE(error, 8.0) << bx << ", " << by;
        }
    }
    EXPECT_LE(over, 8);
    // Turned, the interior stays near the noise's mean grey, where the nearest pixel would flicker between black
    // and white.
    for (PF_Quality quality : {PF_Quality_HI, PF_Quality_LO}) {
        const std::vector<double> turned = shrunk_to_a_tenth(src.world(), quality, 33.0);
        double worst = 0;
        for (int y = 14; y < 26; ++y) {
            for (int x = 14; x < 26; ++x) {
                worst = std::max(worst, std::fabs(turned[std::size_t(y * 40 + x)] - 127.5));
            }
        }
        if (quality == PF_Quality_HI) {
            EXPECT_LT(worst, 40.0);
        } else {
            EXPECT_GT(worst, 100.0);
        }
    }
}

TEST(ServicesTransform, LowQualityTakesTheNearestPixel) {
    WorldStorage src(5, 5, PF_PixelFormat_ARGB32);
    test::fill_pattern<PF_Pixel>(src.world());
    WorldStorage dst(20, 20, PF_PixelFormat_ARGB32);
    composite(src.world(), dst.world(), matrix(3, 0, 0, 3, 2, 2), {PF_Quality_LO});
    for (A_long y = 2; y < 17; ++y) {
        for (A_long x = 2; x < 17; ++x) {
            const PF_Pixel s = at(src.world(), (x - 2) / 3, (y - 2) / 3);
            if (s.alpha == 255) {
                EXPECT_TRUE(same(at(dst.world(), x, y), s)) << x << ", " << y;
            }
        }
    }
}

TEST(ServicesTransform, UnsupportedRequestsFailAndEmptyOnesDrawNothing) {
    WorldStorage src(4, 4, PF_PixelFormat_ARGB32), dst = padded_world(8, 8, PF_PixelFormat_ARGB32);
    const PF_Pixel white{255, 255, 255, 255};
    fill_world(&src.world(), &white, nullptr);
    EXPECT_EQ(composite(src.world(), dst.world(), matrix(0, 0, 0, 0, 4, 4)), PF_Err_NONE);  // "Scale" 0
    const PF_Rect nowhere{5, 5, 5, 9};
    EXPECT_EQ(composite(src.world(), dst.world(), matrix(1, 0, 0, 1, 4, 4), {PF_Quality_HI, 255, 32768, &nowhere}),
              PF_Err_NONE);
    for (A_long y = 0; y < 8; ++y) {
        for (A_long x = 0; x < 8; ++x) {
            EXPECT_EQ(at(dst.world(), x, y).alpha, 0);
        }
    }
    PF_FloatMatrix projective = matrix(1, 0, 0, 1, 0, 0);
    projective.mat[0][2] = 0.01;
    EXPECT_EQ(composite(src.world(), dst.world(), projective), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(composite(src.world(), dst.world(), matrix(1, 0, 0, 1, 0, 0),
                        {PF_Quality_HI, 255, 32768, nullptr, PF_Xfer_DISSOLVE}),
              PF_Err_BAD_CALLBACK_PARAM);
    const PF_CompositeMode mode{PF_Xfer_IN_FRONT, 0, 255, false, 32768};
    const PF_FloatMatrix m = matrix(1, 0, 0, 1, 0, 0);
    EXPECT_EQ(transform_world(PF_Quality_HI, PF_MF_Alpha_STRAIGHT, PF_Field_UPPER, &src.world(), &mode, nullptr, &m, 1,
                              true, nullptr, &dst.world()),
              PF_Err_BAD_CALLBACK_PARAM);
    // Behind an opaque destination nothing shows.
    fill_world(&dst.world(), &white, nullptr);
    const PF_Pixel red{255, 255, 0, 0};
    fill_world(&src.world(), &red, nullptr);
    composite(src.world(), dst.world(), m, {PF_Quality_HI, 255, 32768, nullptr, PF_Xfer_BEHIND});
    EXPECT_TRUE(same(at(dst.world(), 1, 1), white));
}

TEST(ServicesTransform, AnAbsurdlySmallScaleFinishesAndLeavesAlmostNothing) {
    WorldStorage src(64, 64, PF_PixelFormat_ARGB32), dst(8, 8, PF_PixelFormat_ARGB32);
    const PF_Pixel white{255, 255, 255, 255};
    fill_world(&src.world(), &white, nullptr);
    for (double scale : {1e-6, 1e-12, 1e-100}) {
        ASSERT_EQ(composite(src.world(), dst.world(), placed(32, 32, scale, scale, 10, 4, 4)), PF_Err_NONE);
    }
    for (A_long y = 0; y < 8; ++y) {
        for (A_long x = 0; x < 8; ++x) {
            EXPECT_LE(at(dst.world(), x, y).alpha, 1) << x << ", " << y;
        }
    }
}

TEST(ServicesTransform, OverPlacesAWorldAtAnOffsetAcrossDepths) {
    WorldStorage src(6, 6, PF_PixelFormat_ARGB32), dst(10, 10, PF_PixelFormat_ARGB64);
    const PF_Pixel half_red{128, 255, 0, 0};
    const PF_Pixel16 blue{32768, 0, 0, 32768};
    fill_world(&src.world(), &half_red, nullptr);
    fill_world16(&dst.world(), &blue, nullptr);
    ASSERT_EQ(composite_over(src.world(), &dst.world(), -3, 7), PF_Err_NONE);
    const PF_Pixel16 mixed = at<PF_Pixel16>(dst.world(), 2, 8);
    EXPECT_EQ(mixed.alpha, 32768);
    EXPECT_NEAR(mixed.red, 16448, 2);
    EXPECT_NEAR(mixed.blue, 16320, 2);
    EXPECT_TRUE(same(at<PF_Pixel16>(dst.world(), 3, 8), blue));
    EXPECT_TRUE(same(at<PF_Pixel16>(dst.world(), 2, 6), blue));
}

}  // namespace
}  // namespace vorlane::host
