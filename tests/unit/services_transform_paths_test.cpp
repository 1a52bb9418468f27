// The fast paths of the transform kernel against the plain reference: spans clipped to the turned source's edges
// and to the clear parts about a sprite's shape, pure translations, opaque samples at full opacity, nearest
// sampling, texels reused from one call to the next, and matrices at the extremes. Every world
// sits on guard pages and has padded rows, so a read or write past a row or the last row shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <random>

#include "pixels/TransformWorld.h"
#include "services_test_support.h"
#include "transform_reference.h"

namespace vorlane::host {
namespace {

using test::at;
using test::padded_world;
using test::padding_intact;

PF_FloatMatrix matrix(double a, double b, double c, double d, double tx, double ty) {
    return {{{a, b, 0.0}, {c, d, 0.0}, {tx, ty, 1.0}}};
}

struct Case {
    A_long src_width, src_height;
    PF_FloatMatrix to_frame;
    PF_Quality quality = PF_Quality_HI;
    A_u_char opacity = 255;
    PF_Rect rect{0, 0, 48, 40};
    bool opaque_source = false;
    bool clear_sides = false;  // clear pixels about an ellipse and on whole rows, as about a sprite's shape
};

constexpr A_long kWidth = 48, kHeight = 40;

// Opaque junk after each row's pixels: a tap that strays past a row's end draws it.
void fill_row_tails(PF_EffectWorld& w, std::size_t pixel_bytes) {
    for (A_long y = 0; y < w.height; ++y) {
        char* row = reinterpret_cast<char*>(w.data) + std::ptrdiff_t(y) * w.rowbytes;
        std::fill(row + std::size_t(w.width) * pixel_bytes, row + w.rowbytes, char(0x7F));
    }
}

// Outside an ellipse off the source's centre, and on every seventh row.
bool cleared(const PF_EffectWorld& w, A_long x, A_long y, unsigned seed) {
    const double cx = 0.45 * w.width + seed % 3, cy = 0.55 * w.height, rx = 0.4 * w.width, ry = 0.45 * w.height;
    const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
    return dx * dx + dy * dy > 1.0 || y % 7 == 3;
}

template <class Pixel>
void fill_source(PF_EffectWorld& w, unsigned seed, bool opaque, bool clear_sides = false) {
    fill_row_tails(w, sizeof(Pixel));
    test::fill_pattern<Pixel>(w, seed);
    for (A_long y = 0; y < w.height; ++y) {
        for (A_long x = 0; x < w.width; ++x) {
            Pixel& p = at<Pixel>(w, x, y);
            // Runs of clear and opaque pixels among partial ones, as sprites have.
            if (clear_sides && cleared(w, x, y, seed)) {
                p.alpha = 0;
            } else if (opaque || (x + y) % 5 == 0) {
                p.alpha = PixelTraits<Pixel>::kMax;
            } else if ((x * 3 + y) % 7 == 0) {
                p.alpha = 0;
            }
        }
    }
}

// Alpha within one level; colours within `tolerance` levels where the destination is not nearly clear (its
// straight colour means little there). Returns the pixels beyond that.
int differing(const PF_EffectWorld& ours, const PF_EffectWorld& theirs, int tolerance) {
    int over = 0;
    for (A_long y = 0; y < ours.height; ++y) {
        for (A_long x = 0; x < ours.width; ++x) {
            PF_Pixel a, b;
            if (ours.world_flags & PF_WorldFlag_DEEP) {
                a = pixel_16_to_8(at<PF_Pixel16>(ours, x, y));
                b = pixel_16_to_8(at<PF_Pixel16>(theirs, x, y));
            } else {
                a = at(ours, x, y);
                b = at(theirs, x, y);
            }
            const bool colour_counts = std::min(a.alpha, b.alpha) >= 16;
            over += std::abs(a.alpha - b.alpha) > 1 ||
                    (colour_counts && (std::abs(a.red - b.red) > tolerance || std::abs(a.green - b.green) > tolerance ||
                                       std::abs(a.blue - b.blue) > tolerance));
        }
    }
    return over;
}

// Composites the case with the kernel and with the reference over the same destination; the share of pixels
// beyond rounding may be at most `share`.
template <class Pixel>
void expect_matches_reference(const Case& c, unsigned seed, double share = 0.0) {
    const PF_PixelFormat format = PixelTraits<Pixel>::kFormat;
    GuardedWorlds guard;
    WorldStorage src = padded_world(c.src_width, c.src_height, format);
    fill_source<Pixel>(src.world(), seed, c.opaque_source, c.clear_sides);
    WorldStorage ours = padded_world(kWidth, kHeight, format), theirs = padded_world(kWidth, kHeight, format);
    test::fill_pattern<Pixel>(ours.world(), seed + 1);
    test::fill_pattern<Pixel>(theirs.world(), seed + 1);
    const A_u_short opacity_su = A_u_short((c.opacity * 32768 + 127) / 255);
    const PF_CompositeMode mode{PF_Xfer_IN_FRONT, 0, c.opacity, false, opacity_su};
    ASSERT_EQ(transform_world(c.quality, PF_MF_Alpha_STRAIGHT, PF_Field_FRAME, &src.world(), &mode, nullptr,
                              &c.to_frame, 1, true, &c.rect, &ours.world()),
              PF_Err_NONE);
    const float opacity = sizeof(Pixel) == 4 ? float(c.opacity) / 255.0f : float(opacity_su) / 32768.0f;
    test::reference_transform<Pixel>(src.world(), c.to_frame, c.quality, opacity, c.rect, theirs.world());
    const int over = differing(ours.world(), theirs.world(), 1);
    EXPECT_LE(over, int(share * kWidth * kHeight)) << "seed " << seed;
    EXPECT_TRUE(padding_intact(ours.world()));
}

Case random_case(std::mt19937& random) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> size(1, 23);
    Case c;
    c.src_width = size(random);
    c.src_height = size(random);
    const double angle = unit(random) * 6.283185307179586, s = std::sin(angle), co = std::cos(angle);
    const double sx = 0.3 + 2.7 * unit(random), sy = (unit(random) < 0.3 ? -1 : 1) * (0.3 + 2.7 * unit(random));
    const double shear = unit(random) < 0.3 ? unit(random) - 0.5 : 0.0;
    c.to_frame = matrix(co * sx, s * sx, (-s + shear * co) * sy, (co + shear * s) * sy, -20 + 90 * unit(random),
                        -20 + 80 * unit(random));
    c.quality = unit(random) < 0.3 ? PF_Quality_LO : PF_Quality_HI;
    c.opacity = unit(random) < 0.5 ? 255 : A_u_char(255 * unit(random));
    if (unit(random) < 0.4) {
        c.rect = {A_long(unit(random) * 20), A_long(unit(random) * 20), 20 + A_long(unit(random) * 40),
                  15 + A_long(unit(random) * 40)};
    }
    return c;
}

TEST(ServicesTransformPaths, TurnedScaledShearedAndFlippedSourcesMatchThePlainKernel) {
    // Sizes down to 1 x 1, footprints from a third of a texel to several, flips, shears, clipped rectangles,
    // sprites partly off the destination. Nearest sampling may pick the other texel where a point lies within
    // rounding of a texel's edge.
    std::mt19937 random(17);
    for (unsigned seed = 0; seed < 120; ++seed) {
        const Case c = random_case(random);
        const double share = c.quality == PF_Quality_LO ? 0.002 : 0.0;
        expect_matches_reference<PF_Pixel>(c, seed, share);
        expect_matches_reference<PF_Pixel16>(c, seed, share);
    }
}

TEST(ServicesTransformPaths, SourcesWithClearSidesMatchThePlainKernel) {
    // Rows are drawn only between the first and last taps that read a drawn texel: a tap dropped wrongly shows
    // as a missing pixel. Shrunk sources sample halved levels, whose clear parts are found from the full one's.
    std::mt19937 random(29);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (unsigned seed = 0; seed < 80; ++seed) {
        Case c = random_case(random);
        c.clear_sides = true;
        c.src_width += 8;
        c.src_height += 8;
        expect_matches_reference<PF_Pixel>(c, seed, c.quality == PF_Quality_LO ? 0.002 : 0.0);
        expect_matches_reference<PF_Pixel16>(c, seed, c.quality == PF_Quality_LO ? 0.002 : 0.0);
        const double angle = 6.283185307179586 * unit(random), k = 0.08 + 0.4 * unit(random);
        const Case shrunk{
            40 + A_long(seed % 9), 36,
            matrix(k * std::cos(angle), k * std::sin(angle), -k * std::sin(angle), k * std::cos(angle), 20, 12)};
        c = shrunk;
        c.clear_sides = true;
        expect_matches_reference<PF_Pixel>(c, seed);
        expect_matches_reference<PF_Pixel16>(c, seed);
    }
}

// The kernel keeps the texels of the source it last loaded; a source changed in place between two calls must be
// sampled anew, at both depths.
template <class Pixel>
void expect_a_changed_source_is_reloaded() {
    const PF_PixelFormat format = PixelTraits<Pixel>::kFormat;
    GuardedWorlds guard;
    WorldStorage src = padded_world(21, 17, format);
    const Case c{21, 17, matrix(1.3, 0.5, -0.5, 1.3, 14, 3)};
    for (unsigned seed = 40; seed < 44; ++seed) {
        fill_source<Pixel>(src.world(), seed, false, seed % 2 == 0);
        WorldStorage ours = padded_world(kWidth, kHeight, format), theirs = padded_world(kWidth, kHeight, format);
        const PF_CompositeMode mode{PF_Xfer_IN_FRONT, 0, 255, false, 32768};
        for (int call = 0; call < 2; ++call) {
            test::fill_pattern<Pixel>(ours.world(), seed);
            ASSERT_EQ(transform_world(PF_Quality_HI, PF_MF_Alpha_STRAIGHT, PF_Field_FRAME, &src.world(), &mode, nullptr,
                                      &c.to_frame, 1, true, nullptr, &ours.world()),
                      PF_Err_NONE);
        }
        test::fill_pattern<Pixel>(theirs.world(), seed);
        test::reference_transform<Pixel>(src.world(), c.to_frame, PF_Quality_HI, 1.0f, c.rect, theirs.world());
        EXPECT_EQ(differing(ours.world(), theirs.world(), 1), 0) << "seed " << seed;
    }
}

TEST(ServicesTransformPaths, ASourceChangedInPlaceIsSampledAnew) {
    expect_a_changed_source_is_reloaded<PF_Pixel>();
    expect_a_changed_source_is_reloaded<PF_Pixel16>();
}

// The texels kept from the last call serve the next only if it asks for what they were made for: the same
// alpha (straight or premultiplied) and at least as many halvings. Each call of a run on one source must draw
// what it draws when it comes right after another source.
template <class Pixel>
void expect_kept_texels_serve_only_their_purpose() {
    const PF_PixelFormat format = PixelTraits<Pixel>::kFormat;
    WorldStorage src = padded_world(40, 36, format), other = padded_world(40, 36, format);
    fill_source<Pixel>(src.world(), 50, false);
    fill_source<Pixel>(other.world(), 51, false);
    const PF_FloatMatrix plain = matrix(1.1, 0.3, -0.3, 1.1, 9, 2), shrunk = matrix(0.03, 0.01, -0.01, 0.03, 20, 15);
    const PF_CompositeMode mode{PF_Xfer_IN_FRONT, 0, 255, false, 32768};
    auto draw = [&](const WorldStorage& from, PF_ModeFlags alpha, const PF_FloatMatrix& m) {
        WorldStorage out = padded_world(kWidth, kHeight, format);
        EXPECT_EQ(transform_world(PF_Quality_HI, alpha, PF_Field_FRAME, &from.world(), &mode, nullptr, &m, 1, true,
                                  nullptr, &out.world()),
                  PF_Err_NONE);
        return out;
    };
    struct Call {
        PF_ModeFlags alpha;
        const PF_FloatMatrix* m;
    };
    const Call run[] = {{PF_MF_Alpha_STRAIGHT, &plain},  {PF_MF_Alpha_PREMUL, &plain},  {PF_MF_Alpha_STRAIGHT, &plain},
                        {PF_MF_Alpha_STRAIGHT, &shrunk}, {PF_MF_Alpha_PREMUL, &shrunk}, {PF_MF_Alpha_STRAIGHT, &shrunk},
                        {PF_MF_Alpha_STRAIGHT, &plain}};
    std::vector<WorldStorage> alone;
    for (const Call& call : run) {
        draw(other, call.alpha, shrunk);  // leaves halvings of another picture behind
        alone.push_back(draw(src, call.alpha, *call.m));
    }
    draw(other, run[0].alpha, shrunk);
    for (std::size_t i = 0; i < std::size(run); ++i) {
        const WorldStorage after = draw(src, run[i].alpha, *run[i].m);
        const std::size_t bytes = std::size_t(kHeight) * std::size_t(after.world().rowbytes);
        EXPECT_EQ(std::memcmp(alone[i].world().data, after.world().data, bytes), 0) << "call " << i;
    }
}

TEST(ServicesTransformPaths, KeptTexelsServeOnlyTheAlphaAndLevelsTheyWereMadeFor) {
    expect_kept_texels_serve_only_their_purpose<PF_Pixel>();
    expect_kept_texels_serve_only_their_purpose<PF_Pixel16>();
}

TEST(ServicesTransformPaths, TranslationsMatchThePlainKernel) {
    for (const auto& [dx, dy] : {std::pair{7.0, 5.0}, {7.25, 5.0}, {-3.5, 11.75}, {40.6, -2.3}, {0.0, 0.0}}) {
        for (PF_Quality quality : {PF_Quality_HI, PF_Quality_LO}) {
            for (A_u_char opacity : {A_u_char(255), A_u_char(140)}) {
                const Case c{17, 9, matrix(1, 0, 0, 1, dx, dy), quality, opacity};
                expect_matches_reference<PF_Pixel>(c, 3);
                expect_matches_reference<PF_Pixel16>(c, 3);
            }
        }
    }
}

TEST(ServicesTransformPaths, OpaqueSourcesAtFullAndPartialOpacityMatchThePlainKernel) {
    for (A_u_char opacity : {A_u_char(255), A_u_char(254), A_u_char(1), A_u_char(0)}) {
        Case c{12, 10, matrix(1.7, 0.4, -0.4, 1.7, 20, 5), PF_Quality_HI, opacity};
        c.opaque_source = true;
        expect_matches_reference<PF_Pixel>(c, 5);
        expect_matches_reference<PF_Pixel16>(c, 5);
        c.to_frame = matrix(1, 0, 0, 1, 9, 9);
        expect_matches_reference<PF_Pixel>(c, 5);
    }
}

TEST(ServicesTransformPaths, ExtremeMatricesStayInsideAndMatchThePlainKernel) {
    const Case cases[] = {
        {3, 2, matrix(40, 0, 0, 40, -30, -20)},                         // each texel across many pixels
        {2, 2, matrix(0, 300, -300, 0, 100, -200)},                     // turned, larger than the destination
        {20, 20, matrix(1, 0.999999, 1, 1, 10, 10)},                    // nearly singular: a thin sliver
        {20, 20, matrix(1e-7, 0, 0, 1, 10, 10)},                        // squeezed to almost nothing
        {9, 9, matrix(-1, 0, 0, -1, 50, 40)},                           // turned half a turn: negative steps
        {9, 9, matrix(1, 0, 0, -1, 5, 45)},                             // mirrored: negative determinant
        {9, 9, matrix(1, 0, 0, 1, -1e9, 5)},                            // far off the destination
        {9, 9, matrix(1, 0, 0, 1, 1e15, -1e15)},                        // beyond the fixed-point range
        {9, 9, matrix(1e-9, 1e-9, -1e-9, 1e-9, 20, 20)},                // a point
        {1, 1, matrix(0.6, 0.2, -0.2, 0.6, 0.3, 0.7)},                  // a single texel, shrunk
        {1, 30, matrix(0.7071, 0.7071, -0.7071, 0.7071, 24.37, 2.11)},  // a one-texel-wide line at 45 degrees
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        for (PF_Quality quality : {PF_Quality_HI, PF_Quality_LO}) {
            Case c = cases[i];
            c.quality = quality;
            expect_matches_reference<PF_Pixel>(c, unsigned(i), quality == PF_Quality_LO ? 0.002 : 0.0);
            expect_matches_reference<PF_Pixel16>(c, unsigned(i), quality == PF_Quality_LO ? 0.002 : 0.0);
        }
    }
}

}  // namespace
}  // namespace vorlane::host
