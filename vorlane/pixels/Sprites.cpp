#include "pixels/Sprites.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>

#include "pixels/BitmapFont.h"
#include "pixels/Blend.h"

namespace vorlane::host {

namespace {

constexpr double kPi = 3.14159265358979323846;

// A sprite as a function of a point in pixel coordinates: straight colour and coverage there.
using Shader = std::function<UnitPixel(double x, double y)>;

UnitPixel hsv(double hue_degrees, double saturation, double value, float alpha) {
    const double h = std::fmod(std::fmod(hue_degrees, 360.0) + 360.0, 360.0) / 60.0;
    const double c = value * saturation;
    const double x = c * (1.0 - std::fabs(std::fmod(h, 2.0) - 1.0));
    const double m = value - c;
    const std::array<std::array<double, 3>, 6> sectors = {
        {{c, x, 0}, {x, c, 0}, {0, c, x}, {0, x, c}, {x, 0, c}, {c, 0, x}}};
    const auto& s = sectors[std::size_t(std::min(int(h), 5))];
    return {float(s[0] + m), float(s[1] + m), float(s[2] + m), alpha};
}

// Even-odd rule over a closed polygon.
bool inside_polygon(const std::vector<std::array<double, 2>>& polygon, double x, double y) {
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const auto& a = polygon[i];
        const auto& b = polygon[j];
        if ((a[1] > y) != (b[1] > y) && x < (b[0] - a[0]) * (y - a[1]) / (b[1] - a[1]) + a[0]) {
            inside = !inside;
        }
    }
    return inside;
}

Shader blob(A_long frame, double w, double h) {
    const double radius = 0.48 * std::min(w, h) * (0.8 + 0.2 * std::sin(double(frame) * 2.0 * kPi / 30.0));
    const double hue = double(frame) * 12.0;
    return [=](double x, double y) {
        const double d = std::hypot(x - 0.5 * w, y - 0.5 * h) / radius;
        if (d >= 1.0) {
            return UnitPixel{};
        }
        const double edge = std::clamp((1.0 - d) / 0.6, 0.0, 1.0);
        const double alpha = edge * edge * (3.0 - 2.0 * edge);
        return hsv(hue, 0.75 - 0.4 * (1.0 - d), 1.0, float(alpha));
    };
}

Shader star(A_long frame, double w, double h) {
    const double outer = 0.48 * std::min(w, h), inner = 0.2 * std::min(w, h);
    const double turn = double(frame) * 6.0 * kPi / 180.0;
    std::vector<std::array<double, 2>> polygon;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 == 0 ? outer : inner;
        const double angle = turn - 0.5 * kPi + double(i) * kPi / 5.0;
        polygon.push_back({0.5 * w + r * std::cos(angle), 0.5 * h + r * std::sin(angle)});
    }
    const UnitPixel colour = hsv(45.0 + double(frame) * 3.0, 0.85, 1.0, 1.0f);
    return [=](double x, double y) { return inside_polygon(polygon, x, y) ? colour : UnitPixel{}; };
}

Shader arrow(A_long frame, double w, double h) {
    const std::vector<std::array<double, 2>> head = {{0.55 * w, 0.15 * h}, {0.97 * w, 0.5 * h}, {0.55 * w, 0.85 * h}};
    const UnitPixel colour = hsv(200.0 + double(frame) * 12.0, 0.8, 0.95, 1.0f);
    const UnitPixel flag = hsv(20.0 + double(frame) * 12.0, 0.9, 1.0, 1.0f);
    return [=](double x, double y) {
        const bool shaft = x >= 0.05 * w && x < 0.6 * w && y >= 0.4 * h && y < 0.6 * h;
        // The flag on the tail's upper side makes a vertical flip visible.
        const bool tail_flag = x >= 0.05 * w && x < 0.25 * w && y >= 0.15 * h && y < 0.4 * h;
        if (tail_flag) {
            return flag;
        }
        return shaft || inside_polygon(head, x, y) ? colour : UnitPixel{};
    };
}

Shader counter(A_long frame, double w, double h) {
    const std::string text = std::to_string(frame);
    const double cells_wide = double(text.size()) * (kGlyphWidth + 1) - 1;
    const double cell = std::min(0.84 * w / cells_wide, 0.7 * h / kGlyphHeight);
    const double left = 0.5 * (w - cells_wide * cell), top = 0.5 * (h - kGlyphHeight * cell);
    const double corner = 0.15 * std::min(w, h);
    return [=](double x, double y) {
        const double cx = std::clamp(x, corner, w - corner), cy = std::clamp(y, corner, h - corner);
        if (std::hypot(x - cx, y - cy) > corner) {
            return UnitPixel{};
        }
        const double gx = std::floor((x - left) / cell), gy = std::floor((y - top) / cell);
        if (gx >= 0 && gy >= 0 && gx < cells_wide && gy < kGlyphHeight) {
            const int glyph = int(gx) / (kGlyphWidth + 1), column = int(gx) % (kGlyphWidth + 1);
            if (glyph_cell(text[std::size_t(glyph)], column, int(gy))) {
                return UnitPixel{1.0f, 1.0f, 1.0f, 1.0f};
            }
        }
        return UnitPixel{0.1f, 0.1f, 0.13f, 1.0f};
    };
}

Shader shader_for(SpriteKind kind, A_long frame, double w, double h) {
    switch (kind) {
        case SpriteKind::Blob:
            return blob(frame, w, h);
        case SpriteKind::Star:
            return star(frame, w, h);
        case SpriteKind::Arrow:
            return arrow(frame, w, h);
        case SpriteKind::Counter:
            break;
    }
    return counter(frame, w, h);
}

// Four by four samples per pixel, averaged premultiplied, smooth the shapes' hard edges.
template <class Pixel>
void paint(const Shader& shade, PF_EffectWorld& world) {
    constexpr int kGrid = 4;
    for (A_long y = 0; y < world.height; ++y) {
        Pixel* row = pixel_row<Pixel>(world, y);
        for (A_long x = 0; x < world.width; ++x) {
            UnitPixel sum;
            for (int j = 0; j < kGrid; ++j) {
                for (int i = 0; i < kGrid; ++i) {
                    const UnitPixel p = shade(x + (i + 0.5) / kGrid, y + (j + 0.5) / kGrid);
                    sum = {sum.r + p.r * p.a, sum.g + p.g * p.a, sum.b + p.b * p.a, sum.a + p.a};
                }
            }
            const float k = sum.a > 0.0f ? 1.0f / sum.a : 0.0f;
            row[x] = from_unit<Pixel>({sum.r * k, sum.g * k, sum.b * k, sum.a / (kGrid * kGrid)});
        }
    }
}

}  // namespace

std::optional<SpriteKind> sprite_kind_named(std::string_view name) {
    if (name == "blob") {
        return SpriteKind::Blob;
    }
    if (name == "star") {
        return SpriteKind::Star;
    }
    if (name == "arrow") {
        return SpriteKind::Arrow;
    }
    if (name == "counter") {
        return SpriteKind::Counter;
    }
    return std::nullopt;
}

void draw_sprite(SpriteKind kind, A_long frame, PF_EffectWorld* world) {
    if (!world || !is_valid_world(*world)) {
        return;
    }
    const Shader shade = shader_for(kind, frame, double(world->width), double(world->height));
    if (world->world_flags & PF_WorldFlag_DEEP) {
        paint<PF_Pixel16>(shade, *world);
    } else {
        paint<PF_Pixel>(shade, *world);
    }
}

WorldStorage make_sprite(SpriteKind kind, A_long frame, A_long width, A_long height, PF_PixelFormat format) {
    WorldStorage storage(width, height, format);
    draw_sprite(kind, frame, &storage.world());
    return storage;
}

}  // namespace vorlane::host
