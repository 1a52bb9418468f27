// Resampling a world at arbitrary points: the source in premultiplied float form, a box-filtered pyramid for
// strong minification, and a plan of sample offsets that covers one destination pixel's footprint.
#pragma once

#include <cmath>
#include <vector>

#include "AE_Effect.h"

namespace vorlane::host {

// Premultiplied colour and alpha in 0..1.
struct Premul {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
};

// What lies beyond the image: nothing (a transformed layer ends at its edges) or the edge pixels repeated (a
// scaled copy fills its whole destination).
enum class EdgeMode { Transparent, Clamp };

// Texels in a frame one texel wide around the image, so that bilinear taps never need bounds checks.
struct PremultipliedImage {
    int width = 0, height = 0;
    EdgeMode edge = EdgeMode::Transparent;
    std::vector<Premul> texels;

    // x in -1..width, y in -1..height
    const Premul& at(int x, int y) const { return texels[std::size_t(y + 1) * std::size_t(width + 2) + (x + 1)]; }
    Premul& at(int x, int y) { return texels[std::size_t(y + 1) * std::size_t(width + 2) + (x + 1)]; }
};

// `straight` tells whether the world's colours are straight (then they are multiplied by alpha here) or already
// premultiplied.
PremultipliedImage premultiplied_image(const PF_EffectWorld& world, bool straight, EdgeMode edge);

// Each texel the mean of a 2 x 2 block; odd sizes round up, the missing texels taken from the frame.
PremultipliedImage half_size(const PremultipliedImage& image);

// Coordinates are continuous: texel (x, y) covers [x, x+1) x [y, y+1), its centre at (x+0.5, y+0.5).
inline Premul sample_bilinear(const PremultipliedImage& image, double u, double v) {
    double fx = u - 0.5, fy = v - 0.5;
    if (image.edge == EdgeMode::Clamp) {
        fx = std::fmin(std::fmax(fx, 0.0), double(image.width - 1));
        fy = std::fmin(std::fmax(fy, 0.0), double(image.height - 1));
    }
    const double x0f = std::floor(fx), y0f = std::floor(fy);
    if (!(x0f >= -1.0 && x0f <= double(image.width - 1) && y0f >= -1.0 && y0f <= double(image.height - 1))) {
        return {};
    }
    const int x0 = int(x0f), y0 = int(y0f);
    const float wx = float(fx - x0f), wy = float(fy - y0f);
    const Premul& p00 = image.at(x0, y0);
    const Premul& p10 = image.at(x0 + 1, y0);
    const Premul& p01 = image.at(x0, y0 + 1);
    const Premul& p11 = image.at(x0 + 1, y0 + 1);
    const float w00 = (1.0f - wx) * (1.0f - wy), w10 = wx * (1.0f - wy), w01 = (1.0f - wx) * wy, w11 = wx * wy;
    return {
        w00 * p00.r + w10 * p10.r + w01 * p01.r + w11 * p11.r, w00 * p00.g + w10 * p10.g + w01 * p01.g + w11 * p11.g,
        w00 * p00.b + w10 * p10.b + w01 * p01.b + w11 * p11.b, w00 * p00.a + w10 * p10.a + w01 * p01.a + w11 * p11.a};
}

inline Premul sample_nearest(const PremultipliedImage& image, double u, double v) {
    if (image.edge == EdgeMode::Clamp) {
        u = std::fmin(std::fmax(u, 0.0), double(image.width) - 0.5);
        v = std::fmin(std::fmax(v, 0.0), double(image.height) - 0.5);
    }
    const double xf = std::floor(u), yf = std::floor(v);
    if (!(xf >= 0.0 && xf < double(image.width) && yf >= 0.0 && yf < double(image.height))) {
        return {};
    }
    return image.at(int(xf), int(yf));
}

struct SampleOffset {
    double du = 0.0, dv = 0.0;
};

// How one destination pixel is sampled, given how far a step of one destination pixel in x (a) and in y (b)
// moves in the source. A footprint up to one texel wide is sampled bilinearly once; a wider one by a grid of
// bilinear samples about one texel apart, which averages every texel it covers instead of skipping some (the
// sparkle of a strongly shrunk sprite). Beyond 16 texels the grid is laid on a halved level of the pyramid.
struct SamplingPlan {
    bool nearest = false;
    int level = 0;
    double level_scale = 1.0;           // 1 / 2^level
    std::vector<SampleOffset> offsets;  // in level-0 coordinates, about the pixel centre's source point
};

SamplingPlan plan_sampling(double a_u, double a_v, double b_u, double b_v, bool high_quality);

// The levels of the pyramid a plan needs: levels[0] is the image itself.
std::vector<PremultipliedImage> build_levels(PremultipliedImage base, int level);

inline Premul sample_footprint(const std::vector<PremultipliedImage>& levels, const SamplingPlan& plan, double u,
                               double v) {
    if (plan.nearest) {
        return sample_nearest(levels[0], u, v);
    }
    const PremultipliedImage& image = levels[std::size_t(plan.level)];
    if (plan.offsets.size() == 1) {
        return sample_bilinear(image, u * plan.level_scale, v * plan.level_scale);
    }
    Premul sum;
    for (const SampleOffset& o : plan.offsets) {
        const Premul p = sample_bilinear(image, (u + o.du) * plan.level_scale, (v + o.dv) * plan.level_scale);
        sum.r += p.r;
        sum.g += p.g;
        sum.b += p.b;
        sum.a += p.a;
    }
    const float weight = 1.0f / float(plan.offsets.size());
    return {sum.r * weight, sum.g * weight, sum.b * weight, sum.a * weight};
}

}  // namespace vorlane::host
