// The transform kernel as a render uses it: a 128 x 128 sprite, turned and scaled at random, laid over a
// 1920 x 1080 frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "vorlane/render_services/Sprites.h"
#include "vorlane/render_services/TransformWorld.h"

namespace {

using namespace vorlane;

PF_FloatMatrix random_placement(std::mt19937& random) {
    std::uniform_real_distribution<double> angle(0.0, 6.283185307179586), scale(0.5, 1.5), x(0.0, 1920.0),
        y(0.0, 1080.0);
    const double r = angle(random), s = std::sin(r), c = std::cos(r), k = scale(random);
    const double px = x(random), py = y(random);
    return {{{c * k, s * k, 0.0},
             {-s * k, c * k, 0.0},
             {-64.0 * c * k + 64.0 * s * k + px, -64.0 * s * k - 64.0 * c * k + py, 1.0}}};
}

void transform_sprite(benchmark::State& state, PF_PixelFormat format) {
    const WorldStorage sprite = make_sprite(SpriteKind::Star, 7, 128, 128, format);
    WorldStorage frame(1920, 1080, format);
    const PF_CompositeMode mode{PF_Xfer_IN_FRONT, 0, 230, false, 29000};
    std::mt19937 random(1);
    for (auto _ : state) {
        const PF_FloatMatrix m = random_placement(random);
        const PF_Err err = transform_world(PF_Quality_HI, PF_MF_Alpha_STRAIGHT, PF_Field_FRAME, &sprite.world(), &mode,
                                           nullptr, &m, 1, true, nullptr, &frame.world());
        benchmark::DoNotOptimize(err);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_TransformWorld8(benchmark::State& state) {
    transform_sprite(state, PF_PixelFormat_ARGB32);
}
void BM_TransformWorld16(benchmark::State& state) {
    transform_sprite(state, PF_PixelFormat_ARGB64);
}

BENCHMARK(BM_TransformWorld8);
BENCHMARK(BM_TransformWorld16);

}  // namespace
