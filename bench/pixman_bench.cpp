// pixman as the yardstick: the sprite scene composited OVER with pixman's bilinear and nearest filters, from the
// same sprite pixels (premultiplied into a8r8g8b8) through the same placements. Before timing, one sprite is put
// down by both compositors and their coverage must have the same centre, so that both map alike.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "SpriteScene.h"
#include "pixels/PixelTraits.h"
#include "pixels/Sprites.h"
#include "pixels/TransformWorld.h"

namespace vorlane::host::bench {
namespace {

// An a8r8g8b8 image over pixels it owns.
class PixmanImage {
  public:
    PixmanImage(int width, int height) : pixels_(std::size_t(width) * std::size_t(height)) {
        image_ = pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height, pixels_.data(), width * 4);
    }
    ~PixmanImage() { pixman_image_unref(image_); }
    PixmanImage(const PixmanImage&) = delete;
    PixmanImage& operator=(const PixmanImage&) = delete;

    pixman_image_t* get() const { return image_; }
    std::vector<std::uint32_t>& pixels() { return pixels_; }

  private:
    std::vector<std::uint32_t> pixels_;
    pixman_image_t* image_;
};

void load_sprite(const PF_EffectWorld& sprite, PixmanImage& image) {
    for (A_long y = 0; y < sprite.height; ++y) {
        const PF_Pixel* row = pixel_row<PF_Pixel>(sprite, y);
        for (A_long x = 0; x < sprite.width; ++x) {
            const unsigned a = row[x].alpha;
            auto premultiplied = [a](unsigned c) { return (c * a + 127) / 255; };
            image.pixels()[std::size_t(y * sprite.width + x)] = a << 24 | premultiplied(row[x].red) << 16 |
                                                                premultiplied(row[x].green) << 8 |
                                                                premultiplied(row[x].blue);
        }
    }
}

// pixman maps destination pixel centres to source points with column vectors in 16.16 fixed point.
void place(pixman_image_t* source, const Placement& p) {
    const double* m = p.to_sprite;
    pixman_transform_t t;
    pixman_transform_init_identity(&t);
    t.matrix[0][0] = pixman_double_to_fixed(m[0]);
    t.matrix[0][1] = pixman_double_to_fixed(m[2]);
    t.matrix[0][2] = pixman_double_to_fixed(m[4]);
    t.matrix[1][0] = pixman_double_to_fixed(m[1]);
    t.matrix[1][1] = pixman_double_to_fixed(m[3]);
    t.matrix[1][2] = pixman_double_to_fixed(m[5]);
    pixman_image_set_transform(source, &t);
}

void composite(pixman_image_t* source, pixman_image_t* frame, const Placement& p) {
    place(source, p);
    const PF_Rect& b = p.box;
    if (b.right > b.left && b.bottom > b.top) {
        pixman_image_composite32(PIXMAN_OP_OVER, source, nullptr, frame, b.left, b.top, 0, 0, b.left, b.top,
                                 b.right - b.left, b.bottom - b.top);
    }
}

struct Centre {
    double x = 0, y = 0;
};

Centre centre_of_coverage(int width, int height, auto alpha_at) {
    double sum = 0, sx = 0, sy = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double a = alpha_at(x, y);
            sum += a;
            sx += a * (x + 0.5);
            sy += a * (y + 0.5);
        }
    }
    return {sx / sum, sy / sum};
}

// Both compositors put one turned, scaled sprite down; the centres of their coverage must agree.
bool both_map_alike(const PF_EffectWorld& sprite, PixmanImage& source) {
    const Placement p = placement(37.0, 1.3, 400.3, 300.7);
    PixmanImage theirs(kFrameWidth, kFrameHeight);
    composite(source.get(), theirs.get(), p);
    WorldStorage ours(kFrameWidth, kFrameHeight, PF_PixelFormat_ARGB32);
    const PF_CompositeMode mode{PF_Xfer_IN_FRONT, 0, 255, false, 32768};
    transform_world(PF_Quality_HI, PF_MF_Alpha_STRAIGHT, PF_Field_FRAME, &sprite, &mode, nullptr, &p.to_frame, 1, true,
                    nullptr, &ours.world());
    const Centre a = centre_of_coverage(kFrameWidth, kFrameHeight, [&](int x, int y) {
        return double(theirs.pixels()[std::size_t(y * kFrameWidth + x)] >> 24);
    });
    const Centre b = centre_of_coverage(
        kFrameWidth, kFrameHeight, [&](int x, int y) { return double(pixel_row<PF_Pixel>(ours.world(), y)[x].alpha); });
    return std::fabs(a.x - b.x) < 0.02 && std::fabs(a.y - b.y) < 0.02 && std::fabs(a.x - 400.3) < 0.02 &&
           std::fabs(a.y - 300.7) < 0.02;
}

void draw_scene(benchmark::State& state, pixman_filter_t filter) {
    const SpriteScene& scene = sprite_scene();
    const WorldStorage sprite = make_sprite(SpriteKind::Blob, 7, kSpriteSize, kSpriteSize, PF_PixelFormat_ARGB32);
    PixmanImage source(kSpriteSize, kSpriteSize), frame(kFrameWidth, kFrameHeight);
    load_sprite(sprite.world(), source);
    pixman_image_set_filter(source.get(), PIXMAN_FILTER_BILINEAR, nullptr, 0);
    if (!both_map_alike(sprite.world(), source)) {
        state.SkipWithError("pixman and transform_world place the sprite differently");
        return;
    }
    pixman_image_set_filter(source.get(), filter, nullptr, 0);
    for (auto _ : state) {
        state.PauseTiming();
        std::fill(frame.pixels().begin(), frame.pixels().end(), 0u);
        state.ResumeTiming();
        for (const Placement& p : scene.placements) {
            composite(source.get(), frame.get(), p);
        }
        benchmark::ClobberMemory();
    }
    state.counters["box_px_per_s"] =
        benchmark::Counter(scene.box_pixels, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["box_Mpx"] = scene.box_pixels / 1e6;
}

void Sprites_Pixman_Bilinear_OVER(benchmark::State& state) {
    draw_scene(state, PIXMAN_FILTER_BILINEAR);
}
void Sprites_Pixman_Nearest_OVER(benchmark::State& state) {
    draw_scene(state, PIXMAN_FILTER_NEAREST);
}

BENCHMARK(Sprites_Pixman_Bilinear_OVER)->Unit(benchmark::kMillisecond);
BENCHMARK(Sprites_Pixman_Nearest_OVER)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorlane::host::bench
