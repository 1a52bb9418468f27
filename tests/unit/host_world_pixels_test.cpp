// The pixel work behind fill and copy: both depths, clipping to the world, and resampling between sizes.
#include <gtest/gtest.h>

#include <vector>

#include "session/WorldPixels.h"

namespace vorlane::host::test {
namespace {

struct World {
    World(A_long width, A_long height, bool deep_pixels, A_long padding = 3) : deep(deep_pixels) {
        const A_long pixel = deep ? 8 : 4;
        world.width = width;
        world.height = height;
        world.rowbytes = width * pixel + padding * pixel;  // rows longer than the image, as hosts make them
        world.world_flags = deep ? PF_WorldFlag_DEEP : 0;
        bytes.assign(static_cast<std::size_t>(world.rowbytes * height), 0xEE);
        world.data = reinterpret_cast<PF_PixelPtr>(bytes.data());
    }
    PF_Pixel at8(A_long x, A_long y) const {
        return reinterpret_cast<const PF_Pixel*>(bytes.data() + y * world.rowbytes)[x];
    }
    PF_Pixel16 at16(A_long x, A_long y) const {
        return reinterpret_cast<const PF_Pixel16*>(bytes.data() + y * world.rowbytes)[x];
    }
    bool deep;
    std::vector<unsigned char> bytes;
    PF_EffectWorld world{};
};

TEST(HostWorldPixels, FillClipsToTheWorldAndLeavesRowPaddingAlone) {
    World w(4, 3, false);
    const PF_Pixel red{255, 255, 0, 0};
    const PF_Rect rect{2, -5, 10, 2};
    ASSERT_EQ(fill_world(&red, &rect, &w.world), PF_Err_NONE);
    EXPECT_EQ(w.at8(3, 1).red, 255);
    EXPECT_EQ(w.at8(2, 0).alpha, 255);
    EXPECT_EQ(w.at8(1, 0).red, 0xEE);
    EXPECT_EQ(w.at8(3, 2).red, 0xEE);
    EXPECT_EQ(w.at8(4, 0).red, 0xEE);  // first padding pixel

    ASSERT_EQ(fill_world(nullptr, nullptr, &w.world), PF_Err_NONE);
    EXPECT_EQ(w.at8(0, 0).alpha, 0);
    EXPECT_EQ(w.at8(3, 2).blue, 0);
}

TEST(HostWorldPixels, DeepWorldsRunFromZeroTo32768) {
    World w(2, 2, true);
    const PF_Pixel color{255, 128, 0, 1};
    ASSERT_EQ(fill_world(&color, nullptr, &w.world), PF_Err_NONE);
    EXPECT_EQ(w.at16(1, 1).alpha, 32768);
    EXPECT_EQ(w.at16(1, 1).red, 16448);
    EXPECT_EQ(w.at16(1, 1).green, 0);
    EXPECT_EQ(w.at16(1, 1).blue, 129);

    World narrow(2, 2, false);
    ASSERT_EQ(copy_world(&w.world, &narrow.world, nullptr, nullptr), PF_Err_NONE);
    EXPECT_EQ(narrow.at8(0, 1).alpha, 255);
    EXPECT_EQ(narrow.at8(0, 1).red, 128);
    EXPECT_EQ(narrow.at8(0, 1).blue, 1);
}

TEST(HostWorldPixels, CopyPlacesAndResamplesTheSourceRectangle) {
    World src(2, 1, false), dst(4, 2, false);
    const PF_Pixel a{255, 10, 0, 0}, b{255, 20, 0, 0};
    const PF_Rect left{0, 0, 1, 1}, right{1, 0, 2, 1};
    fill_world(&a, &left, &src.world);
    fill_world(&b, &right, &src.world);
    ASSERT_EQ(copy_world(&src.world, &dst.world, nullptr, nullptr), PF_Err_NONE);
    EXPECT_EQ(dst.at8(0, 0).red, 10);
    EXPECT_EQ(dst.at8(1, 1).red, 10);
    EXPECT_EQ(dst.at8(2, 0).red, 20);
    EXPECT_EQ(dst.at8(3, 1).red, 20);

    // Same size, partly outside the destination: only what lands inside is written.
    World small(4, 2, false);
    const PF_Rect off{3, 1, 5, 2};
    ASSERT_EQ(copy_world(&src.world, &small.world, nullptr, &off), PF_Err_NONE);
    EXPECT_EQ(small.at8(3, 1).red, 10);
    EXPECT_EQ(small.at8(2, 1).red, 0xEE);
    EXPECT_EQ(small.at8(4, 1).red, 0xEE);  // padding untouched
}

TEST(HostWorldPixels, WorldsWithoutPixelsOrWithShortRowsAreRefused) {
    World w(4, 1, false);
    PF_EffectWorld empty{};
    EXPECT_EQ(fill_world(nullptr, nullptr, &empty), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(fill_world(nullptr, nullptr, nullptr), PF_Err_BAD_CALLBACK_PARAM);
    PF_EffectWorld short_rows = w.world;
    short_rows.rowbytes = 8;
    EXPECT_EQ(fill_world(nullptr, nullptr, &short_rows), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(copy_world(&empty, &w.world, nullptr, nullptr), PF_Err_BAD_CALLBACK_PARAM);
}

}  // namespace
}  // namespace vorlane::host::test
