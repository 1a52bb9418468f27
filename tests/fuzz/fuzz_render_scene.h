// A small scene drawn from fuzz input: a 64 x 48 composition, up to four masks of any shape near it (ellipses,
// rectangles, open or closed vertex lists, degenerate ones included), built-in sprites of at most 16 x 16 in the
// five slots, either depth, both qualities and downsampling down to 1/4.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include "pixels/Sprites.h"
#include "scene/Scene.h"

namespace vorlane::host::fuzz {

constexpr A_long kCompWidth = 64;
constexpr A_long kCompHeight = 48;
constexpr int kMaxMasks = 4;

inline double coordinate(FuzzedDataProvider& in, double low, double high) {
    return in.ConsumeFloatingPointInRange(low, high);
}

inline MaskShape vertex_shape(FuzzedDataProvider& in) {
    MaskShape shape;
    shape.closed = in.ConsumeBool();
    const int count = in.ConsumeIntegralInRange(1, 5);
    const bool one_point = in.ConsumeBool();  // every vertex on one spot: a mask of length zero
    for (int i = 0; i < count; ++i) {
        MaskVertex v;
        if (one_point && i > 0) {
            v = shape.vertices.front();
        } else {
            v = {coordinate(in, -32, 96), coordinate(in, -32, 80), coordinate(in, -64, 64),
                 coordinate(in, -64, 64), coordinate(in, -64, 64), coordinate(in, -64, 64)};
        }
        shape.vertices.push_back(v);
    }
    return shape;
}

inline MaskShape small_mask(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0:
            return ellipse_shape(coordinate(in, -16, 80), coordinate(in, -16, 64), coordinate(in, 0.001, 60),
                                 coordinate(in, 0.001, 60));
        case 1:
            return rect_shape(coordinate(in, -16, 80), coordinate(in, -16, 64), coordinate(in, 0.001, 80),
                              coordinate(in, 0.001, 80));
        default:
            return vertex_shape(in);
    }
}

inline std::optional<LayerSource> small_sprite(FuzzedDataProvider& in) {
    static const char* const kKinds[] = {"blob", "star", "arrow", "counter"};
    const int kind = in.ConsumeIntegralInRange(-1, 3);
    if (kind < 0) {
        return std::nullopt;
    }
    return BuiltinSource{kKinds[kind], in.ConsumeIntegralInRange<A_long>(1, 16),
                         in.ConsumeIntegralInRange<A_long>(1, 16)};
}

inline Scene small_scene(FuzzedDataProvider& in) {
    Scene scene;
    scene.comp = Comp{kCompWidth, kCompHeight, 24.0, 48};
    if (in.ConsumeBool()) {
        scene.background = BackgroundColor{PF_Pixel{255, 30, 60, 90}};
    }
    const int masks = in.ConsumeIntegralInRange(0, kMaxMasks);
    for (int i = 0; i < masks; ++i) {
        scene.masks.push_back(SceneMask{{MaskKeyframe{0.0, small_mask(in)}}});
    }
    for (int slot = 0; slot < 5; ++slot) {
        scene.layers.push_back(small_sprite(in));
    }
    scene.render.depth = in.ConsumeBool() ? 16 : 8;
    scene.render.quality = in.ConsumeBool() ? PF_Quality_HI : PF_Quality_LO;
    const A_long den = in.ConsumeIntegralInRange<A_long>(1, 4);
    scene.render.downsample = {in.ConsumeIntegralInRange<A_long>(1, den), static_cast<A_u_long>(den)};
    return scene;
}

}  // namespace vorlane::host::fuzz
