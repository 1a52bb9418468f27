#include "pixels/Resampler.h"

#include <algorithm>

#include "pixels/PixelTraits.h"

namespace vorlane::host {

namespace {

template <class Pixel>
void load_rows(const PF_EffectWorld& world, bool straight, PremultipliedImage& image) {
    for (int y = 0; y < image.height; ++y) {
        const Pixel* row = pixel_row<Pixel>(world, y);
        for (int x = 0; x < image.width; ++x) {
            const float a = channel_to_unit<Pixel>(row[x].alpha);
            const float k = straight ? a : 1.0f;
            image.at(x, y) = {channel_to_unit<Pixel>(row[x].red) * k, channel_to_unit<Pixel>(row[x].green) * k,
                              channel_to_unit<Pixel>(row[x].blue) * k, a};
        }
    }
}

// Transparent images keep a frame of zeros; clamped ones repeat their edge texels into it.
void fill_frame(PremultipliedImage& image) {
    if (image.edge == EdgeMode::Transparent) {
        return;
    }
    for (int y = 0; y < image.height; ++y) {
        image.at(-1, y) = image.at(0, y);
        image.at(image.width, y) = image.at(image.width - 1, y);
    }
    for (int x = -1; x <= image.width; ++x) {
        image.at(x, -1) = image.at(x, 0);
        image.at(x, image.height) = image.at(x, image.height - 1);
    }
}

PremultipliedImage empty_image(int width, int height, EdgeMode edge) {
    PremultipliedImage image;
    image.width = width;
    image.height = height;
    image.edge = edge;
    image.texels.assign(std::size_t(width + 2) * std::size_t(height + 2), Premul{});
    return image;
}

// Past the deepest level the whole source is far smaller than a destination pixel, so a coarser grid loses
// nothing; the cap keeps an absurd scale from asking for billions of samples.
int steps_across(double extent) {
    return std::clamp(int(std::ceil(std::min(extent, 16.0) - 0.01)), 1, 16);
}

}  // namespace

PremultipliedImage premultiplied_image(const PF_EffectWorld& world, bool straight, EdgeMode edge) {
    PremultipliedImage image = empty_image(world.width, world.height, edge);
    if (world.world_flags & PF_WorldFlag_DEEP) {
        load_rows<PF_Pixel16>(world, straight, image);
    } else {
        load_rows<PF_Pixel>(world, straight, image);
    }
    fill_frame(image);
    return image;
}

PremultipliedImage half_size(const PremultipliedImage& image) {
    PremultipliedImage half = empty_image((image.width + 1) / 2, (image.height + 1) / 2, image.edge);
    for (int y = 0; y < half.height; ++y) {
        for (int x = 0; x < half.width; ++x) {
            const Premul& p00 = image.at(2 * x, 2 * y);
            const Premul& p10 = image.at(2 * x + 1, 2 * y);
            const Premul& p01 = image.at(2 * x, 2 * y + 1);
            const Premul& p11 = image.at(2 * x + 1, 2 * y + 1);
            half.at(x, y) = {0.25f * (p00.r + p10.r + p01.r + p11.r), 0.25f * (p00.g + p10.g + p01.g + p11.g),
                             0.25f * (p00.b + p10.b + p01.b + p11.b), 0.25f * (p00.a + p10.a + p01.a + p11.a)};
        }
    }
    fill_frame(half);
    return half;
}

SamplingPlan plan_sampling(double a_u, double a_v, double b_u, double b_v, bool high_quality) {
    SamplingPlan plan;
    if (!high_quality) {
        plan.nearest = true;
        return plan;
    }
    const double extent_a = std::hypot(a_u, a_v), extent_b = std::hypot(b_u, b_v);
    while (std::max(extent_a, extent_b) * plan.level_scale > 16.0 && plan.level < 24) {
        ++plan.level;
        plan.level_scale *= 0.5;
    }
    const int nx = steps_across(extent_a * plan.level_scale);
    const int ny = steps_across(extent_b * plan.level_scale);
    for (int j = 0; j < ny; ++j) {
        const double fb = (j + 0.5) / ny - 0.5;
        for (int i = 0; i < nx; ++i) {
            const double fa = (i + 0.5) / nx - 0.5;
            plan.offsets.push_back({fa * a_u + fb * b_u, fa * a_v + fb * b_v});
        }
    }
    return plan;
}

std::vector<PremultipliedImage> build_levels(PremultipliedImage base, int level) {
    std::vector<PremultipliedImage> levels;
    levels.push_back(std::move(base));
    for (int i = 0; i < level; ++i) {
        levels.push_back(half_size(levels.back()));
    }
    return levels;
}

}  // namespace vorlane::host
