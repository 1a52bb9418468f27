#include "preview/MaskOutlines.h"

#include <cstdio>

#include "pixels/MaskShape.h"

namespace vorlane::host {
namespace {

std::string point(double x, double y) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f %.2f", x, y);
    return text;
}

std::string path_data(const MaskShape& shape) {
    const std::vector<MaskVertex>& v = shape.vertices;
    if (v.empty()) {
        return "";
    }
    std::string data = "M " + point(v[0].x, v[0].y);
    const std::size_t segments = shape.closed ? v.size() : v.size() - 1;
    for (std::size_t i = 0; i < segments; ++i) {
        const MaskVertex& a = v[i];
        const MaskVertex& b = v[(i + 1) % v.size()];
        data += " C " + point(a.x + a.out_x, a.y + a.out_y) + " " + point(b.x + b.in_x, b.y + b.in_y) + " " +
                point(b.x, b.y);
    }
    return data + (shape.closed ? " Z" : "");
}

}  // namespace

std::vector<std::string> mask_outlines(const Scene& scene, A_long frame) {
    std::vector<std::string> outlines;
    for (const SceneMask& mask : scene.masks) {
        outlines.push_back(path_data(shape_at_time(mask.keys, static_cast<double>(frame))));
    }
    return outlines;
}

}  // namespace vorlane::host
