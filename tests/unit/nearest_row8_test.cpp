// The low-quality 8-bit blend's shortcut over clear pixels gives what the blend itself gives, for every source
// alpha and colour, whatever colour the clear pixels hold.
#include <gtest/gtest.h>

#include <cstring>

#include "pixels/NearestRow8.h"

namespace vorlane::host {
namespace {

std::uint32_t pixel(std::uint32_t alpha, std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return alpha | red << 8 | green << 16 | blue << 24;
}

TEST(NearestRow8, OverClearPixelsAtFullOpacityTheShortcutIsTheBlend) {
    for (std::uint32_t alpha = 0; alpha < 256; ++alpha) {
        for (std::uint32_t c = 0; c < 256; ++c) {
            // Four sources: this alpha with colours around c, and a fully clear one.
            const std::uint32_t source[4] = {pixel(alpha, c, 255 - c, (c * 7) & 255), pixel(alpha, 255, c, 0),
                                             pixel(0, c, c, c), pixel(alpha, 0, 0, c)};
            // Clear destinations, colour bytes and all, and some with stale colours.
            const Pixels4 dest = {pixel(0, 0, 0, 0), pixel(0, c, 3, 250), pixel(0, 255, 255, 255), pixel(0, 9, c, 1)};
            PF_Pixel laid[4];
            std::memcpy(laid, &dest, sizeof laid);
            lay_pixels4(source, laid, 1.0f);
            const Pixels4 blended = in_front4(Pixels4{source[0], source[1], source[2], source[3]}, dest, 1.0f);
            ASSERT_EQ(std::memcmp(laid, &blended, sizeof laid), 0) << "alpha " << alpha << ", colour " << c;
        }
    }
}

}  // namespace
}  // namespace vorlane::host
