#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "pixels/Png.h"
#include "services_test_support.h"

// The tests make files of every colour type with stb's writer and look at written samples with its reader.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

namespace vorlane::host {
namespace {

using test::at;
using test::same;

namespace fs = std::filesystem;

class ServicesPng : public ::testing::Test {
  protected:
    ServicesPng() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() / (std::string("vorlane_png_") + info->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    ~ServicesPng() override { fs::remove_all(folder); }

    std::size_t files_in_folder() const {
        return std::size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }

    fs::path folder;
};

TEST_F(ServicesPng, EightBitWorldsRoundTripExactly) {
    WorldStorage world = test::padded_world(37, 21, PF_PixelFormat_ARGB32);
    test::fill_pattern<PF_Pixel>(world.world());
    const fs::path file = folder / "eight.png";
    write_png(file, world.world(), 8);
    EXPECT_EQ(native_png_format(file), PF_PixelFormat_ARGB32);
    const WorldStorage back = read_png(file, PF_PixelFormat_ARGB32);
    ASSERT_EQ(back.world().width, 37);
    ASSERT_EQ(back.world().height, 21);
    for (A_long y = 0; y < 21; ++y) {
        for (A_long x = 0; x < 37; ++x) {
            ASSERT_TRUE(same(at(back.world(), x, y), at(world.world(), x, y))) << x << ", " << y;
        }
    }
    EXPECT_EQ(files_in_folder(), 1u);  // no temporary left beside it
}

TEST_F(ServicesPng, SixteenBitWorldsRoundTripAndSpanTheFileRange) {
    WorldStorage world = test::padded_world(19, 13, PF_PixelFormat_ARGB64);
    test::fill_pattern<PF_Pixel16>(world.world());
    at<PF_Pixel16>(world.world(), 0, 0) = {32768, 32768, 0, 16384};
    const fs::path file = folder / "sixteen.png";
    write_png(file, world.world(), 16);
    EXPECT_EQ(native_png_format(file), PF_PixelFormat_ARGB64);
    const WorldStorage back = read_png(file, PF_PixelFormat_ARGB64);
    for (A_long y = 0; y < 13; ++y) {
        for (A_long x = 0; x < 19; ++x) {
            ASSERT_TRUE(same(at<PF_Pixel16>(back.world(), x, y), at<PF_Pixel16>(world.world(), x, y)))
                << x << ", " << y;
        }
    }
    // 32768 is written as the file's full 65535.
    int w = 0, h = 0, n = 0;
    stbi_us* raw = stbi_load_16(file.string().c_str(), &w, &h, &n, 4);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw[0], 65535);  // red
    EXPECT_EQ(raw[2], 32768);  // blue: 16384 of 32768 is half of 65535, rounded up
    EXPECT_EQ(raw[3], 65535);  // alpha
    stbi_image_free(raw);
    // Read at the other depth, and written at the other depth, values agree within rounding.
    const WorldStorage eight = read_png(file, PF_PixelFormat_ARGB32);
    EXPECT_TRUE(same(at(eight.world(), 0, 0), PF_Pixel{255, 255, 0, 128}));
}

// Noise compresses to more than one IDAT chunk and gives every row filter its turn.
TEST_F(ServicesPng, LargeNoisyWorldsRoundTripExactlyAtBothDepths) {
    std::uint32_t state = 12345;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    // Wide enough that even a strong compressor needs more than one 1 MiB chunk for the noise.
    WorldStorage eight = test::padded_world(1000, 500, PF_PixelFormat_ARGB32);
    WorldStorage sixteen = test::padded_world(300, 500, PF_PixelFormat_ARGB64);
    for (A_long y = 0; y < 500; ++y) {
        for (A_long x = 0; x < 1000; ++x) {
            // Smooth on the left, noise on the right: rows where different filters win.
            const std::uint32_t r = x < 300 ? std::uint32_t(x + y) : next();
            at(eight.world(), x, y) = {A_u_char(r), A_u_char(r >> 8), A_u_char(r >> 16), A_u_char(x)};
            if (x < 300) {
                at<PF_Pixel16>(sixteen.world(), x, y) = {A_u_short(next() % 32769), A_u_short(y * 60),
                                                         A_u_short(next() % 32769), A_u_short(x * 100)};
            }
        }
    }
    write_png(folder / "eight.png", eight.world(), 8);
    write_png(folder / "sixteen.png", sixteen.world(), 16);
    EXPECT_GT(fs::file_size(folder / "eight.png"), std::uintmax_t(1) << 20);
    const WorldStorage back8 = read_png(folder / "eight.png", PF_PixelFormat_ARGB32);
    const WorldStorage back16 = read_png(folder / "sixteen.png", PF_PixelFormat_ARGB64);
    for (A_long y = 0; y < 500; ++y) {
        for (A_long x = 0; x < 1000; ++x) {
            ASSERT_TRUE(same(at(back8.world(), x, y), at(eight.world(), x, y))) << x << ", " << y;
            if (x < 300) {
                ASSERT_TRUE(same(at<PF_Pixel16>(back16.world(), x, y), at<PF_Pixel16>(sixteen.world(), x, y)))
                    << x << ", " << y;
            }
        }
    }
}

TEST_F(ServicesPng, EveryColourTypeReads) {
    const unsigned char grey[] = {0, 128, 255, 64};
    const unsigned char grey_alpha[] = {10, 0, 20, 128, 30, 255, 40, 64};
    const unsigned char rgb[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9};
    ASSERT_TRUE(stbi_write_png((folder / "g.png").string().c_str(), 2, 2, 1, grey, 2));
    ASSERT_TRUE(stbi_write_png((folder / "ga.png").string().c_str(), 2, 2, 2, grey_alpha, 4));
    ASSERT_TRUE(stbi_write_png((folder / "rgb.png").string().c_str(), 2, 2, 3, rgb, 6));
    const WorldStorage g = read_png(folder / "g.png", PF_PixelFormat_ARGB32);
    EXPECT_TRUE(same(at(g.world(), 1, 0), PF_Pixel{255, 128, 128, 128}));
    const WorldStorage ga = read_png(folder / "ga.png", PF_PixelFormat_ARGB64);
    EXPECT_TRUE(same(at<PF_Pixel16>(ga.world(), 1, 0), PF_Pixel16{16448, 2570, 2570, 2570}));
    const WorldStorage c = read_png(folder / "rgb.png", PF_PixelFormat_ARGB32);
    EXPECT_TRUE(same(at(c.world(), 0, 1), PF_Pixel{255, 0, 0, 255}));
}

TEST_F(ServicesPng, FailuresLeaveNoFileBehind) {
    WorldStorage world(4, 4, PF_PixelFormat_ARGB32);
    const fs::path existing = folder / "frame.png";
    write_png(existing, world.world(), 8);
    const PF_Pixel white{255, 255, 255, 255};
    fill_world(&world.world(), &white, nullptr);
    write_png(existing, world.world(), 16);  // replaces the earlier file
    EXPECT_EQ(read_png(existing, PF_PixelFormat_ARGB32).world().data[5].red, 255);
    EXPECT_THROW(write_png(folder / "missing" / "frame.png", world.world(), 8), PngError);
    EXPECT_THROW(write_png(folder / "bits.png", world.world(), 12), PngError);
    EXPECT_EQ(files_in_folder(), 1u);

    std::ofstream(folder / "broken.png", std::ios::binary) << "\x89PNG\r\n\x1a\nnot really";
    EXPECT_THROW(read_png(folder / "broken.png", PF_PixelFormat_ARGB32), PngError);
    EXPECT_THROW(read_png(folder / "absent.png", PF_PixelFormat_ARGB32), PngError);
}

}  // namespace
}  // namespace vorlane::host
