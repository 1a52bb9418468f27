// The eight-lane rows give the four-lane rows' bytes exactly: the samples and sums of bilinear spans at any
// position, step and length (odd ones leave a last tap to the narrow code), the blend of any samples over any
// pixels at any opacity on either depth, and nearest spans of any source over any destination. Skipped on processors
// without the wider registers, where only the narrow code runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "pixels/NearestRow8.h"
#include "pixels/PremulRow8.h"
#include "pixels/TexelImage.h"
#include "pixels/TransformRows.h"
#include "pixels/WideRows.h"
#include "services_test_support.h"

namespace vorlane::host {
namespace {

constexpr int kSize = 23;

// A span of `count` taps that stays on the image and its frame: it starts anywhere there and heads for a point
// that is also there.
PassRow random_span(std::mt19937& random, A_long count) {
    std::uniform_int_distribution<std::int64_t> coordinate(-kSpanFixedOne, (kSize - 1) * kSpanFixedOne);
    const std::int64_t u0 = coordinate(random), v0 = coordinate(random);
    const std::int64_t u1 = coordinate(random), v1 = coordinate(random);
    const std::int64_t steps = std::max<A_long>(count - 1, 1);
    return PassRow{3, 3 + count, {u0, (u1 - u0) / steps}, {v0, (v1 - v0) / steps}};
}

bool same_lanes(const std::vector<Lanes>& a, const std::vector<Lanes>& b) {
    return std::memcmp(a.data(), b.data(), a.size() * sizeof(Lanes)) == 0;
}

class WideRows : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!wide_rows_available()) {
            GTEST_SKIP() << "no eight-lane registers here";
        }
        WorldStorage src(kSize, kSize, PF_PixelFormat_ARGB32);
        test::fill_pattern<PF_Pixel>(src.world(), 11);
        load_texels(src.world(), true, image_);
    }

    TexelImage image_;
};

std::vector<PF_Pixel> random_pixels(std::mt19937& random, std::size_t count) {
    std::vector<PF_Pixel> pixels(count);
    for (PF_Pixel& p : pixels) {
        p = {A_u_char(random() % 3 == 0 ? 0 : random()), A_u_char(random()), A_u_char(random()), A_u_char(random())};
    }
    return pixels;
}

// Premultiplied samples of every kind the blend treats apart: clear, faint, opaque and between.
Lanes random_sample(std::mt19937& random) {
    const float kinds[] = {0.0f, 0.5f / 255.0f, 1.0f, float(random() % 4097) / 4096.0f};
    const float alpha = kinds[random() % 4];
    Lanes s{alpha, 0, 0, 0};
    for (int lane = 1; lane < 4; ++lane) {
        s[lane] = alpha * float(random() % 256) / 255.0f;
    }
    return s;
}

// `count` samples of every kind, or, when `opaque`, of opaque ones only, which hide the pixels below them.
std::vector<Lanes> random_samples(std::mt19937& random, A_long count, bool opaque) {
    std::vector<Lanes> samples(static_cast<std::size_t>(count));
    for (Lanes& s : samples) {
        s = opaque ? Lanes{1.0f, float(random() % 256) / 255.0f, 0.5f, float(random() % 256) / 255.0f}
                   : random_sample(random);
    }
    return samples;
}

TEST_F(WideRows, SamplesAreLaidAsTheNarrowCodeLaysThem) {
    std::mt19937 random(5);
    for (int round = 0; round < 2000; ++round) {
        const A_long count = A_long(random() % 30);
        const std::vector<Lanes> samples = random_samples(random, count, round % 4 == 0);
        std::vector<PF_Pixel> narrow = random_pixels(random, std::size_t(count) + 1), wide = narrow;
        const float opacity = random() % 2 ? 1.0f : float(random() % 256) / 255.0f;
        lay_premultiplied_row8(samples.data(), narrow.data(), count, opacity);
        lay_premultiplied_row8_wide(samples.data(), wide.data(), count, opacity);
        ASSERT_EQ(std::memcmp(narrow.data(), wide.data(), narrow.size() * sizeof(PF_Pixel)), 0) << "round " << round;
    }
}

TEST_F(WideRows, SamplesAreLaidOn16BitPixelsAsOnePixelIsLaid) {
    std::mt19937 random(8);
    for (int round = 0; round < 2000; ++round) {
        const A_long count = A_long(random() % 30);
        std::vector<Lanes> samples = random_samples(random, count, round % 4 == 0);
        for (Lanes& s : samples) {
            // Sums of several taps may come out a rounding over 1.
            if (random() % 8 == 0) {
                s *= 1.0000001f;
            }
        }
        std::vector<PF_Pixel16> narrow(std::size_t(count) + 1), wide;
        for (PF_Pixel16& p : narrow) {
            auto channel = [&] { return A_u_short(random() % 32769); };
            p = {A_u_short(random() % 3 == 0 ? 0 : channel()), channel(), channel(), channel()};
        }
        wide = narrow;
        const float opacity = random() % 2 ? 1.0f : float(random() % 32769) / 32768.0f;
        const InFrontOfStraight layer{opacity};
        for (A_long n = 0; n < count; ++n) {
            layer(samples[std::size_t(n)], narrow[std::size_t(n)]);
        }
        lay_premultiplied_row16_wide(samples.data(), wide.data(), count, opacity);
        ASSERT_EQ(std::memcmp(narrow.data(), wide.data(), narrow.size() * sizeof(PF_Pixel16)), 0) << "round " << round;
    }
}

TEST_F(WideRows, SpansSampleAndAddUpAsTheNarrowCodeDoes) {
    std::mt19937 random(3);
    const BilinearTap tap(image_);
    for (int round = 0; round < 400; ++round) {
        const A_long count = A_long(random() % 40);
        const PassRow span = random_span(random, count);
        std::vector<Lanes> samples(std::size_t(count) + 1), wide(samples.size(), Lanes{} + 9.0f);
        samples.back() = wide.back();  // one past the span, which neither may touch
        rows::sample_span(samples.data(), span, tap);
        sample_span_wide(wide.data(), span, tap);
        ASSERT_TRUE(same_lanes(samples, wide)) << "sampling, round " << round;

        const float weight = float(random() % 1000) / 997.0f;
        std::vector<Lanes> sums(samples.size());
        for (Lanes& s : sums) {
            s = Lanes{float(random() % 100), 0.5f, float(random() % 7), 0.25f} / 100.0f;
        }
        std::vector<Lanes> narrow_sums = sums, wide_sums = sums;
        rows::accumulate(narrow_sums.data(), span, tap, weight);
        accumulate_wide(wide_sums.data(), span, tap, weight);
        ASSERT_TRUE(same_lanes(narrow_sums, wide_sums)) << "adding up, round " << round;
    }
}

// A source whose rows are, by turns, clear, opaque and mixed, so that whole groups of eight take each shortcut.
WorldStorage banded_source(std::mt19937& random) {
    WorldStorage src(kSize, kSize, PF_PixelFormat_ARGB32);
    for (A_long y = 0; y < kSize; ++y) {
        PF_Pixel* row = pixel_row<PF_Pixel>(src.world(), y);
        for (A_long x = 0; x < kSize; ++x) {
            const unsigned kinds[] = {0u, 255u, unsigned(random() % 256)};
            const A_u_char alpha = A_u_char(kinds[y % 3 == 2 ? random() % 3 : unsigned(y % 3)]);
            row[x] = {alpha, A_u_char(random()), A_u_char(random()), A_u_char(random())};
        }
    }
    return src;
}

// A span of `count` pixels whose nearest texels all lie on the source, starting at destination column 2; every
// other one stays on its row of the source.
PassRow random_nearest_span(std::mt19937& random, A_long count) {
    std::uniform_int_distribution<std::int64_t> coordinate(0, kSize * kSpanFixedOne - 1);
    const std::int64_t u0 = coordinate(random), v0 = coordinate(random);
    const std::int64_t u1 = coordinate(random), v1 = random() % 2 ? v0 : coordinate(random);
    const std::int64_t steps = std::max<A_long>(count - 1, 1);
    return PassRow{2, 2 + count, {u0, (u1 - u0) / steps}, {v0, (v1 - v0) / steps}};
}

TEST_F(WideRows, NearestSpansAreLaidAsTheNarrowCodeLaysThem) {
    std::mt19937 random(9);
    const WorldStorage src = banded_source(random);
    for (int round = 0; round < 3000; ++round) {
        const A_long count = A_long(random() % 45);
        const PassRow span = random_nearest_span(random, count);
        // Clear destinations take the copy over clear pixels; the row reaches past the span on both sides.
        std::vector<PF_Pixel> narrow = random_pixels(random, std::size_t(count) + 4), wide;
        if (random() % 3 == 0) {
            std::fill(narrow.begin(), narrow.end(), PF_Pixel{});
        }
        wide = narrow;
        const float opacity = random() % 2 ? 1.0f : float(random() % 256) / 255.0f;
        draw_nearest_span8(narrow.data(), span, src.world(), opacity);
        draw_nearest_span8_wide(wide.data(), span, src.world(), opacity);
        ASSERT_EQ(std::memcmp(narrow.data(), wide.data(), narrow.size() * sizeof(PF_Pixel)), 0) << "round " << round;
    }
}

}  // namespace
}  // namespace vorlane::host
