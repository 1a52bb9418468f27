#include <gtest/gtest.h>

#include <algorithm>

#include "pixels/Sprites.h"
#include "pixels/Worlds.h"
#include "services_test_support.h"

namespace vorlane::host {
namespace {

using test::at;
using test::padded_world;
using test::padding_intact;
using test::same;

TEST(ServicesWorlds, NewWorldsAreClearedAndKnowTheirFormat) {
    for (PF_PixelFormat format : {PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64}) {
        WorldStorage storage(7, 3, format, 10);
        const PF_EffectWorld& w = storage.world();
        EXPECT_EQ(pixel_format_of(w), format);
        EXPECT_EQ(w.rowbytes, 7 * (format == PF_PixelFormat_ARGB64 ? 8 : 4) + 10);
        EXPECT_EQ(w.extent_hint.right, 7);
        for (A_long i = 0; i < w.rowbytes * 3; ++i) {
            ASSERT_EQ(reinterpret_cast<const char*>(w.data)[i], 0);
        }
    }
    PF_EffectWorld world{};
    EXPECT_EQ(allocate_world(0, 5, PF_PixelFormat_ARGB32, 0, &world), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(allocate_world(5, 5, PF_PixelFormat_ARGB128, 0, &world), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(allocate_world(1 << 30, 1 << 30, PF_PixelFormat_ARGB64, 0, &world), PF_Err_OUT_OF_MEMORY);
    EXPECT_THROW(WorldStorage(-1, 1, PF_PixelFormat_ARGB32), std::invalid_argument);
}

TEST(ServicesWorlds, FrameSizedWorldsAreClearedEvenWhereMemoryIsReused) {
    // Frames take another road to memory than sprites; one freed after being drawn on must not show in the next.
    for (int round = 0; round < 3; ++round) {
        for (PF_PixelFormat format : {PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64}) {
            WorldStorage storage(1920, 1080, format);
            PF_EffectWorld& w = storage.world();
            const auto* bytes = reinterpret_cast<const unsigned char*>(w.data);
            const std::size_t size = std::size_t(w.rowbytes) * std::size_t(w.height);
            ASSERT_EQ(std::count(bytes, bytes + size, 0), std::ptrdiff_t(size)) << "round " << round;
            std::fill_n(reinterpret_cast<unsigned char*>(w.data), size, 0xA5);
        }
    }
}

TEST(ServicesWorlds, FillCoversTheClippedRectOnly) {
    WorldStorage w8 = padded_world(10, 6, PF_PixelFormat_ARGB32), w16 = padded_world(10, 6, PF_PixelFormat_ARGB64);
    const PF_Pixel orange{255, 255, 128, 0};
    const PF_Rect rect{7, -2, 40, 3};
    EXPECT_EQ(fill_world(&w8.world(), &orange, &rect), PF_Err_NONE);
    EXPECT_EQ(fill_world(&w16.world(), &orange, &rect), PF_Err_NONE);
    EXPECT_TRUE(same(at(w8.world(), 9, 2), orange));
    EXPECT_TRUE(same(at<PF_Pixel16>(w16.world(), 7, 0), PF_Pixel16{32768, 32768, 16448, 0}));
    EXPECT_EQ(at(w8.world(), 6, 2).alpha, 0);
    EXPECT_EQ(at(w8.world(), 9, 3).alpha, 0);
    EXPECT_TRUE(padding_intact(w8.world()));
    EXPECT_TRUE(padding_intact(w16.world()));
    fill_world(&w8.world(), nullptr, nullptr);
    EXPECT_EQ(at(w8.world(), 9, 2).red, 0);
}

TEST(ServicesWorlds, EqualSizedCopiesAreExactAndConvertDepth) {
    WorldStorage src = padded_world(9, 7, PF_PixelFormat_ARGB32);
    test::fill_pattern<PF_Pixel>(src.world());
    for (CopyFilter filter : {CopyFilter::Nearest, CopyFilter::HighQuality}) {
        WorldStorage dst = padded_world(12, 12, PF_PixelFormat_ARGB32), deep(9, 7, PF_PixelFormat_ARGB64);
        const PF_Rect from{2, 1, 6, 5}, to{8, 8, 12, 12};
        ASSERT_EQ(copy_world(src.world(), &dst.world(), &from, &to, filter), PF_Err_NONE);
        EXPECT_TRUE(same(at(dst.world(), 8, 8), at(src.world(), 2, 1)));
        EXPECT_TRUE(same(at(dst.world(), 11, 11), at(src.world(), 5, 4)));
        EXPECT_EQ(at(dst.world(), 7, 8).alpha, 0);
        EXPECT_TRUE(padding_intact(dst.world()));
        ASSERT_EQ(copy_world(src.world(), &deep.world(), nullptr, nullptr, filter), PF_Err_NONE);
        EXPECT_TRUE(same(pixel_16_to_8(at<PF_Pixel16>(deep.world(), 4, 3)), at(src.world(), 4, 3)));
    }
}

TEST(ServicesWorlds, ScaledCopiesFillTheWholeDestination) {
    WorldStorage src(4, 2, PF_PixelFormat_ARGB32);
    test::fill_pattern<PF_Pixel>(src.world());
    WorldStorage nearest(8, 6, PF_PixelFormat_ARGB32);
    ASSERT_EQ(copy_world(src.world(), &nearest.world(), nullptr, nullptr, CopyFilter::Nearest), PF_Err_NONE);
    EXPECT_TRUE(same(at(nearest.world(), 7, 5), at(src.world(), 3, 1)));
    EXPECT_TRUE(same(at(nearest.world(), 2, 2), at(src.world(), 1, 0)));

    // A flat picture stays flat to its edges: the high-quality filter does not fade into transparency there.
    const PF_Pixel teal{200, 0, 128, 128};
    fill_world(&src.world(), &teal, nullptr);
    for (A_long size : {3, 11}) {
        WorldStorage scaled(size, size, PF_PixelFormat_ARGB32);
        ASSERT_EQ(copy_world(src.world(), &scaled.world(), nullptr, nullptr, CopyFilter::HighQuality), PF_Err_NONE);
        for (A_long y = 0; y < size; ++y) {
            for (A_long x = 0; x < size; ++x) {
                EXPECT_TRUE(same(at(scaled.world(), x, y), teal)) << size << ": " << x << ", " << y;
            }
        }
    }
    const PF_Rect outside{0, 0, 5, 2};
    EXPECT_EQ(copy_world(src.world(), &nearest.world(), &outside, nullptr, CopyFilter::Nearest),
              PF_Err_BAD_CALLBACK_PARAM);
}

TEST(ServicesSprites, SpritesAreDeterministicAndAnimated) {
    for (SpriteKind kind : {SpriteKind::Blob, SpriteKind::Star, SpriteKind::Arrow, SpriteKind::Counter}) {
        const WorldStorage a = make_sprite(kind, 12, 48, 40, PF_PixelFormat_ARGB32);
        const WorldStorage b = make_sprite(kind, 12, 48, 40, PF_PixelFormat_ARGB32);
        const WorldStorage later = make_sprite(kind, 13, 48, 40, PF_PixelFormat_ARGB32);
        const WorldStorage deep = make_sprite(kind, 12, 48, 40, PF_PixelFormat_ARGB64);
        int differing = 0, covered = 0;
        for (A_long y = 0; y < 40; ++y) {
            for (A_long x = 0; x < 48; ++x) {
                ASSERT_TRUE(same(at(a.world(), x, y), at(b.world(), x, y)));
                const PF_Pixel p8 = at(a.world(), x, y), p16 = pixel_16_to_8(at<PF_Pixel16>(deep.world(), x, y));
                ASSERT_NEAR(p8.alpha, p16.alpha, 1);
                differing += !same(p8, at(later.world(), x, y));
                covered += p8.alpha > 0;
            }
        }
        EXPECT_GT(differing, 0) << int(kind);
        EXPECT_GT(covered, 48 * 40 / 5) << int(kind);
        EXPECT_EQ(at(a.world(), 0, 0).alpha, 0) << int(kind);  // corners stay clear
    }
    EXPECT_EQ(sprite_kind_named("counter"), SpriteKind::Counter);
    EXPECT_FALSE(sprite_kind_named("Counter"));
}

TEST(ServicesSprites, CounterShowsItsFrameNumber) {
    // The lit cells of the digits: 8 lights more than 1, and a two-digit count more than either digit alone.
    auto lit = [](A_long frame) {
        const WorldStorage w = make_sprite(SpriteKind::Counter, frame, 120, 60, PF_PixelFormat_ARGB32);
        int count = 0;
        for (A_long y = 0; y < 60; ++y) {
            for (A_long x = 0; x < 120; ++x) {
                count += at(w.world(), x, y).green > 200;
            }
        }
        return count;
    };
    EXPECT_GT(lit(8), lit(1));
    EXPECT_GT(lit(88), lit(8));
    EXPECT_GT(lit(-7), 0);
}

}  // namespace
}  // namespace vorlane::host
