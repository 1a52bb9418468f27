#include "SpriteScene.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace vorlane::host::bench {

Placement placement(double degrees, double scale, double x, double y) {
    const double r = degrees * 0.017453292519943295, s = std::sin(r), c = std::cos(r), half = kSpriteSize / 2.0;
    Placement p{};
    p.to_frame = {{{c * scale, s * scale, 0.0},
                   {-s * scale, c * scale, 0.0},
                   {-half * c * scale + half * s * scale + x, -half * s * scale - half * c * scale + y, 1.0}}};
    const double inv = 1.0 / scale;
    p.to_sprite[0] = c * inv;
    p.to_sprite[1] = -s * inv;
    p.to_sprite[2] = s * inv;
    p.to_sprite[3] = c * inv;
    p.to_sprite[4] = -(x * p.to_sprite[0] + y * p.to_sprite[2]) + half;
    p.to_sprite[5] = -(x * p.to_sprite[1] + y * p.to_sprite[3]) + half;
    double left = 1e300, top = 1e300, right = -1e300, bottom = -1e300;
    for (const double cx : {0.0, double(kSpriteSize)}) {
        for (const double cy : {0.0, double(kSpriteSize)}) {
            const double fx = cx * p.to_frame.mat[0][0] + cy * p.to_frame.mat[1][0] + p.to_frame.mat[2][0];
            const double fy = cx * p.to_frame.mat[0][1] + cy * p.to_frame.mat[1][1] + p.to_frame.mat[2][1];
            left = std::min(left, fx);
            right = std::max(right, fx);
            top = std::min(top, fy);
            bottom = std::max(bottom, fy);
        }
    }
    p.box = {A_long(std::clamp(std::floor(left), 0.0, double(kFrameWidth))),
             A_long(std::clamp(std::floor(top), 0.0, double(kFrameHeight))),
             A_long(std::clamp(std::ceil(right), 0.0, double(kFrameWidth))),
             A_long(std::clamp(std::ceil(bottom), 0.0, double(kFrameHeight)))};
    return p;
}

const SpriteScene& sprite_scene() {
    static const SpriteScene scene = [] {
        SpriteScene s;
        std::mt19937 random(1);
        std::uniform_real_distribution<double> angle(0.0, 360.0), scale(0.5, 1.5), x(0.0, kFrameWidth),
            y(0.0, kFrameHeight);
        for (int i = 0; i < 1000; ++i) {
            const double a = angle(random), k = scale(random), px = x(random), py = y(random);
            s.placements.push_back(placement(a, k, px, py));
            const PF_Rect& b = s.placements.back().box;
            s.box_pixels += double(b.right - b.left) * double(b.bottom - b.top);
        }
        return s;
    }();
    return scene;
}

}  // namespace vorlane::host::bench
