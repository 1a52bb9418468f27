// The host's transform kernel on the sprite scene: a thousand sprites per iteration, on one thread, at high
// quality on both depths and at low quality on 8 bits. The frame starts transparent in every iteration, as an
// output does.
#include <benchmark/benchmark.h>

#include "SpriteScene.h"
#include "pixels/Sprites.h"
#include "pixels/TransformWorld.h"

namespace vorlane::host::bench {
namespace {

void draw_scene(benchmark::State& state, PF_PixelFormat format, PF_Quality quality) {
    const SpriteScene& scene = sprite_scene();
    const WorldStorage sprite = make_sprite(SpriteKind::Blob, 7, kSpriteSize, kSpriteSize, format);
    WorldStorage frame(kFrameWidth, kFrameHeight, format);
    const PF_CompositeMode mode{PF_Xfer_IN_FRONT, 0, 255, false, 32768};
    for (auto _ : state) {
        state.PauseTiming();
        fill_world(&frame.world(), nullptr, nullptr);
        state.ResumeTiming();
        for (const Placement& p : scene.placements) {
            const PF_Err err = transform_world(quality, PF_MF_Alpha_STRAIGHT, PF_Field_FRAME, &sprite.world(), &mode,
                                               nullptr, &p.to_frame, 1, true, nullptr, &frame.world());
            benchmark::DoNotOptimize(err);
        }
        benchmark::ClobberMemory();
    }
    state.counters["box_px_per_s"] =
        benchmark::Counter(scene.box_pixels, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["box_Mpx"] = scene.box_pixels / 1e6;
}

void Sprites_Ours_HI_8bit(benchmark::State& state) {
    draw_scene(state, PF_PixelFormat_ARGB32, PF_Quality_HI);
}
void Sprites_Ours_HI_16bit(benchmark::State& state) {
    draw_scene(state, PF_PixelFormat_ARGB64, PF_Quality_HI);
}
void Sprites_Ours_LO_8bit(benchmark::State& state) {
    draw_scene(state, PF_PixelFormat_ARGB32, PF_Quality_LO);
}

BENCHMARK(Sprites_Ours_HI_8bit)->Unit(benchmark::kMillisecond);
BENCHMARK(Sprites_Ours_HI_16bit)->Unit(benchmark::kMillisecond);
BENCHMARK(Sprites_Ours_LO_8bit)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorlane::host::bench
