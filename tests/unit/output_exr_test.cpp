// OpenEXR files read back with the OpenEXR library: the rendered pixels, premultiplied, within half precision, at
// both depths, with the picture's windows.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <OpenEXR/ImfHeader.h>
#include <OpenEXR/ImfRgbaFile.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "output/ExrWrite.h"
#include "services_test_support.h"

namespace vorlane::host {
namespace {

namespace fs = std::filesystem;
using test::at;

class OutputExr : public ::testing::Test {
  protected:
    OutputExr() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() / (std::string("vorlane_exr_") + info->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~OutputExr() override { fs::remove_all(dir); }

    // Reads the file and compares every pixel with the world's, premultiplied, within half precision.
    template <class Pixel>
    void expect_round_trip(const PF_EffectWorld& world, float full) {
        const fs::path file = dir / "f.exr";
        write_exr(file, world);
        Imf::RgbaInputFile in(file.string().c_str());
        const Imath::Box2i data = in.dataWindow();
        ASSERT_EQ(data.max.x - data.min.x + 1, world.width);
        ASSERT_EQ(data.max.y - data.min.y + 1, world.height);
        EXPECT_EQ(in.displayWindow(), data);
        EXPECT_TRUE(in.header().compression() == Imf::ZIP_COMPRESSION ||
                    in.header().compression() == Imf::PIZ_COMPRESSION);
        std::vector<Imf::Rgba> pixels(static_cast<std::size_t>(world.width * world.height));
        in.setFrameBuffer(pixels.data(), 1, static_cast<std::size_t>(world.width));
        in.readPixels(data.min.y, data.max.y);
        for (A_long y = 0; y < world.height; ++y) {
            for (A_long x = 0; x < world.width; ++x) {
                const Pixel& p = at<Pixel>(world, x, y);
                const Imf::Rgba& q = pixels[static_cast<std::size_t>(y * world.width + x)];
                const float a = static_cast<float>(p.alpha) / full;
                const float want[4] = {static_cast<float>(p.red) / full * a, static_cast<float>(p.green) / full * a,
                                       static_cast<float>(p.blue) / full * a, a};
                const float got[4] = {q.r, q.g, q.b, q.a};
                for (int c = 0; c < 4; ++c) {
                    // A half keeps 11 significant bits.
                    ASSERT_NEAR(got[c], want[c], std::max(want[c] / 1024.0f, 1e-7f)) << x << ", " << y << " c" << c;
                }
            }
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << "a temporary left";
    }

    fs::path dir;
};

TEST_F(OutputExr, EightBitPixelsComeBackPremultiplied) {
    WorldStorage world = test::padded_world(33, 17, PF_PixelFormat_ARGB32);
    test::fill_pattern<PF_Pixel>(world.world());
    at<PF_Pixel>(world.world(), 0, 0) = {128, 255, 255, 255};  // half-covered white: 0.5 in every channel
    expect_round_trip<PF_Pixel>(world.world(), 255.0f);
}

TEST_F(OutputExr, SixteenBitPixelsComeBackPremultipliedWith32768AsOne) {
    WorldStorage world = test::padded_world(21, 9, PF_PixelFormat_ARGB64);
    test::fill_pattern<PF_Pixel16>(world.world());
    at<PF_Pixel16>(world.world(), 1, 0) = {32768, 32768, 0, 16384};
    expect_round_trip<PF_Pixel16>(world.world(), 32768.0f);
}

}  // namespace
}  // namespace vorlane::host

#endif
