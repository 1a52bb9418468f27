#include "pixels/TexelImage.h"

#include <algorithm>
#include <cstring>

#include "pixels/Lanes.h"
#include "pixels/PixelTraits.h"

namespace vorlane::host {

namespace {

// Sizes the image and clears its frame; the caller writes every texel inside it.
void resize(int width, int height, TexelImage& image) {
    image.width = width;
    image.height = height;
    image.stride = 4 * (std::ptrdiff_t(width) + 2);
    image.lanes.resize(std::size_t(image.stride) * std::size_t(height + 2));
    std::fill_n(image.lanes.begin(), image.stride, 0.0f);
    std::fill_n(image.lanes.end() - image.stride, image.stride, 0.0f);
    for (int y = 0; y < height; ++y) {
        std::fill_n(image.at(-1, y), 4, 0.0f);
        std::fill_n(image.at(width, y), 4, 0.0f);
    }
}

template <class Pixel>
void load_rows(const PF_EffectWorld& world, bool straight, TexelImage& image) {
    const float unit = 1.0f / float(PixelTraits<Pixel>::kMax);
    for (int y = 0; y < image.height; ++y) {
        const Pixel* in = pixel_row<Pixel>(world, y);
        float* out = image.at(0, y);
        for (int x = 0; x < image.width; ++x) {
            Lanes t = pixel_lanes(in[x]) * unit;
            if (straight) {
                const float a = t[0];
                t *= a;
                t[0] = a;
            }
            std::memcpy(out + 4 * x, &t, sizeof t);
        }
    }
}

// A straight pixel without alpha is clear once premultiplied; a premultiplied one only when all of it is zero.
template <class Pixel>
bool clear_pixel(const Pixel& p, bool straight) {
    return p.alpha == 0 && (straight || (p.red == 0 && p.green == 0 && p.blue == 0));
}

// Each row's drawn columns, found from both ends: sprites are mostly clear at their sides only.
template <class Pixel>
void find_drawn(const PF_EffectWorld& world, bool straight, TexelImage& image) {
    image.drawn.assign(std::size_t(image.height), ColumnRange{});
    for (int y = 0; y < image.height; ++y) {
        const Pixel* in = pixel_row<Pixel>(world, y);
        int first = 0, last = image.width - 1;
        while (first <= last && clear_pixel(in[first], straight)) {
            ++first;
        }
        while (last > first && clear_pixel(in[last], straight)) {
            --last;
        }
        image.drawn[std::size_t(y)] = {first, last};
    }
}

bool empty(ColumnRange r) {
    return r.first > r.last;
}

ColumnRange joined(ColumnRange a, ColumnRange b) {
    if (empty(a)) {
        return b;
    }
    return empty(b) ? a : ColumnRange{std::min(a.first, b.first), std::max(a.last, b.last)};
}

ColumnRange drawn_row(const TexelImage& image, int y) {
    return y >= 0 && y < image.height ? image.drawn[std::size_t(y)] : ColumnRange{};
}

// A tap whose top-left texel is (x, y) reads columns x and x + 1 of rows y and y + 1; the frame is clear.
void find_tap_reach(TexelImage& image) {
    image.tap_reach.assign(std::size_t(image.height) + 1, ColumnRange{});
    for (int y = -1; y < image.height; ++y) {
        ColumnRange reach = joined(drawn_row(image, y), drawn_row(image, y + 1));
        if (!empty(reach)) {
            --reach.first;
        }
        image.tap_reach[std::size_t(y + 1)] = reach;
    }
}

// A texel of the half is clear when its 2 x 2 block is.
void find_halved_drawn(const TexelImage& image, TexelImage& half) {
    auto halved = [](ColumnRange r) { return empty(r) ? r : ColumnRange{r.first / 2, r.last / 2}; };
    half.drawn.assign(std::size_t(half.height), ColumnRange{});
    for (int y = 0; y < half.height; ++y) {
        half.drawn[std::size_t(y)] = joined(halved(drawn_row(image, 2 * y)), halved(drawn_row(image, 2 * y + 1)));
    }
}

}  // namespace

void load_texels(const PF_EffectWorld& world, bool straight, TexelImage& image) {
    resize(world.width, world.height, image);
    if (world.world_flags & PF_WorldFlag_DEEP) {
        load_rows<PF_Pixel16>(world, straight, image);
        find_drawn<PF_Pixel16>(world, straight, image);
    } else {
        load_rows<PF_Pixel>(world, straight, image);
        find_drawn<PF_Pixel>(world, straight, image);
    }
    find_tap_reach(image);
}

void halve(const TexelImage& image, TexelImage& half) {
    resize((image.width + 1) / 2, (image.height + 1) / 2, half);
    for (int y = 0; y < half.height; ++y) {
        const float* top = image.at(0, 2 * y);
        const float* bottom = image.at(0, 2 * y + 1);
        float* out = half.at(0, y);
        for (int x = 0; x < half.width; ++x) {
            for (int lane = 0; lane < 4; ++lane) {
                const int left = 8 * x + lane, right = left + 4;
                out[4 * x + lane] = 0.25f * (top[left] + top[right] + bottom[left] + bottom[right]);
            }
        }
    }
    find_halved_drawn(image, half);
    find_tap_reach(half);
}

void load_pyramid(const PF_EffectWorld& world, bool straight, int levels, std::vector<TexelImage>& pyramid) {
    if (pyramid.size() < std::size_t(levels) + 1) {
        pyramid.resize(std::size_t(levels) + 1);
    }
    load_texels(world, straight, pyramid[0]);
    for (int i = 1; i <= levels; ++i) {
        halve(pyramid[std::size_t(i) - 1], pyramid[std::size_t(i)]);
    }
}

}  // namespace vorlane::host
