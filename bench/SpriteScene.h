// The scene every compositing benchmark draws: a thousand copies of one 128 x 128 soft disc, each turned by
// 0..360 degrees and scaled by 0.5..1.5 about its centre, laid over a 1920 x 1080 frame. Every compositor gets
// the same placements in the same order.
#pragma once

#include <vector>

#include "AE_Effect.h"

namespace vorlane::host::bench {

constexpr A_long kSpriteSize = 128;
constexpr A_long kFrameWidth = 1920, kFrameHeight = 1080;

struct Placement {
    PF_FloatMatrix to_frame;  // row vectors: (x, y, 1) of the sprite times it gives the frame point
    double to_sprite[6];      // the inverse, frame to sprite: u = x * [0] + y * [2] + [4], v = x * [1] + y * [3] + [5]
    PF_Rect box;              // the pixels the turned sprite can touch, clipped to the frame
};

struct SpriteScene {
    std::vector<Placement> placements;
    double box_pixels = 0;  // the sum of the boxes' areas: what "pixels per second" counts
};

const SpriteScene& sprite_scene();

// One placement of the sprite's centre on (x, y), for checks.
Placement placement(double degrees, double scale, double x, double y);

}  // namespace vorlane::host::bench
