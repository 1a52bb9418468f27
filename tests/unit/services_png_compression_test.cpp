// Both PNG compression choices make files that decode, with our reader and with stb's, to the pixels written;
// the small choice is the smaller file.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "pixels/Png.h"
#include "services_test_support.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

namespace vorlane::host {
namespace {

namespace fs = std::filesystem;
using test::at;
using test::same;

class PngCompressionChoice : public ::testing::TestWithParam<PngCompression> {
  protected:
    PngCompressionChoice() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() / (std::string("vorlane_pngz_") + std::to_string(info->line()) +
                                              (GetParam() == PngCompression::Fast ? "fast" : "small"));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    ~PngCompressionChoice() override { fs::remove_all(folder); }
    fs::path folder;
};

// Gradients with a band of noise and transparent edges, as rendered frames have.
template <class Pixel>
WorldStorage picture(PF_PixelFormat format, A_u_short full) {
    WorldStorage world = test::padded_world(211, 97, format);
    std::uint32_t state = 7;
    for (A_long y = 0; y < 97; ++y) {
        for (A_long x = 0; x < 211; ++x) {
            state = state * 1664525u + 1013904223u;
            const auto v = [&](std::uint32_t n) { return static_cast<decltype(Pixel::red)>(n % (full + 1u)); };
            const bool noisy = y > 40 && y < 60;
            at<Pixel>(world.world(), x, y) = {v(x < 10 ? 0u : full), v(noisy ? state >> 8 : x * 300u),
                                              v(noisy ? state >> 16 : y * 500u), v(x * y * 7u)};
        }
    }
    return world;
}

template <class Pixel>
void expect_same_pixels(const WorldStorage& back, const WorldStorage& world) {
    for (A_long y = 0; y < world.world().height; ++y) {
        for (A_long x = 0; x < world.world().width; ++x) {
            ASSERT_TRUE(same(at<Pixel>(back.world(), x, y), at<Pixel>(world.world(), x, y))) << x << ", " << y;
        }
    }
}

TEST_P(PngCompressionChoice, EightBitFramesDecodeToThePixelsWritten) {
    const WorldStorage world = picture<PF_Pixel>(PF_PixelFormat_ARGB32, 255);
    const fs::path file = folder / "f.png";
    write_png(file, world.world(), 8, GetParam());
    expect_same_pixels<PF_Pixel>(read_png(file, PF_PixelFormat_ARGB32), world);
    int w = 0, h = 0, n = 0;
    stbi_uc* raw = stbi_load(file.string().c_str(), &w, &h, &n, 4);
    ASSERT_NE(raw, nullptr) << "another decoder refuses the file";
    const PF_Pixel& p = at<PF_Pixel>(world.world(), 57, 45);
    const stbi_uc* q = raw + (45 * w + 57) * 4;
    EXPECT_EQ((std::array<int, 4>{q[0], q[1], q[2], q[3]}), (std::array<int, 4>{p.red, p.green, p.blue, p.alpha}));
    stbi_image_free(raw);
}

TEST_P(PngCompressionChoice, SixteenBitFramesDecodeToThePixelsWritten) {
    const WorldStorage world = picture<PF_Pixel16>(PF_PixelFormat_ARGB64, 32768);
    const fs::path file = folder / "f.png";
    write_png(file, world.world(), 16, GetParam());
    expect_same_pixels<PF_Pixel16>(read_png(file, PF_PixelFormat_ARGB64), world);
}

INSTANTIATE_TEST_SUITE_P(Both, PngCompressionChoice, ::testing::Values(PngCompression::Fast, PngCompression::Small),
                         [](const auto& choice) { return choice.param == PngCompression::Fast ? "Fast" : "Small"; });

TEST(PngCompression, SmallMakesTheSmallerFile) {
    const WorldStorage world = picture<PF_Pixel>(PF_PixelFormat_ARGB32, 255);
    const fs::path folder = fs::temp_directory_path() / "vorlane_pngz_sizes";
    fs::create_directories(folder);
    write_png(folder / "fast.png", world.world(), 8, PngCompression::Fast);
    write_png(folder / "small.png", world.world(), 8, PngCompression::Small);
    EXPECT_LT(fs::file_size(folder / "small.png"), fs::file_size(folder / "fast.png"));
    fs::remove_all(folder);
}

}  // namespace
}  // namespace vorlane::host
