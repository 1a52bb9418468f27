#include "pixels/MaskShape.h"

#include <algorithm>
#include <string>

namespace vorlane::host {

namespace {

CubicSegment segment_between(const MaskVertex& a, const MaskVertex& b) {
    return {{a.x, a.y}, {a.x + a.out_x, a.y + a.out_y}, {b.x + b.in_x, b.y + b.in_y}, {b.x, b.y}};
}

double lerp(double a, double b, double f) {
    return a + (b - a) * f;
}

MaskVertex lerp_vertex(const MaskVertex& a, const MaskVertex& b, double f) {
    return {lerp(a.x, b.x, f),       lerp(a.y, b.y, f),         lerp(a.in_x, b.in_x, f),
            lerp(a.in_y, b.in_y, f), lerp(a.out_x, b.out_x, f), lerp(a.out_y, b.out_y, f)};
}

}  // namespace

std::vector<CubicSegment> outline_segments(const MaskShape& shape) {
    std::vector<CubicSegment> segments;
    const std::size_t n = shape.vertices.size();
    if (n == 0) {
        return segments;
    }
    for (std::size_t i = 0; i + 1 < n; ++i) {
        segments.push_back(segment_between(shape.vertices[i], shape.vertices[i + 1]));
    }
    if (shape.closed) {
        segments.push_back(segment_between(shape.vertices[n - 1], shape.vertices[0]));
    }
    return segments;
}

MaskShape ellipse_shape(double cx, double cy, double rx, double ry) {
    // Handle length of a cubic quarter circle whose midpoint lies on the circle.
    constexpr double kappa = 0.55228474983079339840;
    const double hx = kappa * rx, hy = kappa * ry;
    MaskShape shape;
    shape.closed = true;
    shape.vertices = {{cx, cy - ry, -hx, 0.0, hx, 0.0},
                      {cx + rx, cy, 0.0, -hy, 0.0, hy},
                      {cx, cy + ry, hx, 0.0, -hx, 0.0},
                      {cx - rx, cy, 0.0, hy, 0.0, -hy}};
    return shape;
}

MaskShape rect_shape(double x, double y, double width, double height) {
    MaskShape shape;
    shape.closed = true;
    shape.vertices = {{x, y}, {x + width, y}, {x + width, y + height}, {x, y + height}};
    return shape;
}

MaskShape scale_shape(const MaskShape& shape, PF_RationalScale downsample_x, PF_RationalScale downsample_y) {
    if (downsample_x.den == 0 || downsample_y.den == 0) {
        throw MaskError("downsample factor with a zero denominator");
    }
    const double fx = double(downsample_x.num) / double(downsample_x.den);
    const double fy = double(downsample_y.num) / double(downsample_y.den);
    MaskShape scaled = shape;
    for (MaskVertex& v : scaled.vertices) {
        v = {v.x * fx, v.y * fy, v.in_x * fx, v.in_y * fy, v.out_x * fx, v.out_y * fy};
    }
    return scaled;
}

void check_keyframes(const std::vector<MaskKeyframe>& keys) {
    if (keys.empty()) {
        throw MaskError("an animated mask needs at least one keyframe");
    }
    for (std::size_t i = 1; i < keys.size(); ++i) {
        const std::string which = "keyframe " + std::to_string(i);
        if (!(keys[i].time > keys[i - 1].time)) {
            throw MaskError(which + ": keyframe times must increase strictly");
        }
        if (keys[i].shape.vertices.size() != keys[0].shape.vertices.size()) {
            throw MaskError(which + " has " + std::to_string(keys[i].shape.vertices.size()) +
                            " vertices, keyframe 0 has " + std::to_string(keys[0].shape.vertices.size()));
        }
        if (keys[i].shape.closed != keys[0].shape.closed) {
            throw MaskError(which + ": all keyframes of a mask must be open, or all closed");
        }
    }
}

MaskShape shape_at_time(const std::vector<MaskKeyframe>& keys, double time) {
    check_keyframes(keys);
    if (!(time > keys.front().time)) {
        return keys.front().shape;
    }
    if (time >= keys.back().time) {
        return keys.back().shape;
    }
    const auto after = std::upper_bound(keys.begin(), keys.end(), time,
                                        [](double t, const MaskKeyframe& key) { return t < key.time; });
    const MaskKeyframe& b = *after;
    const MaskKeyframe& a = *(after - 1);
    const double f = (time - a.time) / (b.time - a.time);
    MaskShape shape;
    shape.closed = a.shape.closed;
    for (std::size_t i = 0; i < a.shape.vertices.size(); ++i) {
        shape.vertices.push_back(lerp_vertex(a.shape.vertices[i], b.shape.vertices[i], f));
    }
    return shape;
}

}  // namespace vorlane::host
