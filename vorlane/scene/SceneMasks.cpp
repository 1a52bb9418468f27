#include "scene/SceneMasks.h"

#include "pixels/SvgPath.h"

namespace vorlane::host {

namespace {

using nlohmann::json;

constexpr double kMaxCoordinate = 1e7;

MaskVertex read_vertex(const SceneReader& r, const json& j, const std::string& p) {
    r.array(j, p, 6);
    double v[6];
    for (std::size_t i = 0; i < 6; ++i) {
        v[i] = r.number(j[i], SceneReader::at(p, i), -kMaxCoordinate, kMaxCoordinate);
    }
    return {v[0], v[1], v[2], v[3], v[4], v[5]};
}

MaskShape read_vertices(const SceneReader& r, const json& j, const std::string& p, bool closed) {
    r.array(j, p);
    if (j.size() < 2) {
        r.fail(p, "a mask needs at least two vertices");
    }
    MaskShape shape;
    shape.closed = closed;
    for (std::size_t i = 0; i < j.size(); ++i) {
        shape.vertices.push_back(read_vertex(r, j[i], SceneReader::at(p, i)));
    }
    return shape;
}

std::vector<MaskKeyframe> read_keyframes(const SceneReader& r, const json& j, const std::string& p, bool closed) {
    r.array(j, p);
    if (j.empty()) {
        r.fail(p, "expected at least one keyframe");
    }
    std::vector<MaskKeyframe> keys;
    for (std::size_t i = 0; i < j.size(); ++i) {
        const std::string kp = SceneReader::at(p, i);
        r.array(j[i], kp, 2);
        const double frame = r.number(j[i][0], kp + "/0", -1e9, 1e9);
        if (!keys.empty() && frame <= keys.back().time) {
            r.fail(kp + "/0", "keyframes must come in increasing frame order");
        }
        keys.push_back({frame, read_vertices(r, j[i][1], kp + "/1", closed)});
        if (keys.back().shape.vertices.size() != keys.front().shape.vertices.size()) {
            r.fail(kp + "/1", "every keyframe needs as many vertices as the first");
        }
    }
    return keys;
}

SceneMask single(MaskShape shape) {
    return SceneMask{{MaskKeyframe{0.0, std::move(shape)}}};
}

std::vector<double> four_numbers(const SceneReader& r, const json& j, const std::string& p) {
    r.array(j, p, 4);
    std::vector<double> v;
    for (std::size_t i = 0; i < 4; ++i) {
        v.push_back(r.number(j[i], SceneReader::at(p, i), -kMaxCoordinate, kMaxCoordinate));
    }
    return v;
}

void read_mask(const SceneReader& r, const json& j, const std::string& p, std::vector<SceneMask>& masks) {
    if (!j.is_object()) {
        r.fail(p, "expected a mask object");
    }
    if (j.contains("ellipse")) {
        r.expect_object(j, p, {"ellipse"});
        const std::vector<double> v = four_numbers(r, j["ellipse"], p + "/ellipse");
        if (v[2] <= 0.0 || v[3] <= 0.0) {
            r.fail(p + "/ellipse", "the radii must be above 0");
        }
        masks.push_back(single(ellipse_shape(v[0], v[1], v[2], v[3])));
    } else if (j.contains("rect")) {
        r.expect_object(j, p, {"rect"});
        const std::vector<double> v = four_numbers(r, j["rect"], p + "/rect");
        if (v[2] <= 0.0 || v[3] <= 0.0) {
            r.fail(p + "/rect", "width and height must be above 0");
        }
        masks.push_back(single(rect_shape(v[0], v[1], v[2], v[3])));
    } else if (j.contains("svg")) {
        r.expect_object(j, p, {"svg"});
        std::vector<MaskShape> shapes;
        try {
            shapes = parse_svg_path(r.text(j["svg"], p + "/svg"));
        } catch (const PathDataError& e) {
            r.fail(p + "/svg", e.what());
        }
        if (shapes.empty()) {
            r.fail(p + "/svg", "the path data draws nothing");
        }
        for (MaskShape& shape : shapes) {
            masks.push_back(single(std::move(shape)));
        }
    } else {
        r.expect_object(j, p, {"closed", "vertices", "keyframes"});
        bool closed = true;
        if (j.contains("closed")) {
            if (!j["closed"].is_boolean()) {
                r.fail(p + "/closed", "expected true or false");
            }
            closed = j["closed"].get<bool>();
        }
        if (j.contains("vertices") == j.contains("keyframes")) {
            r.fail(p, "give either \"vertices\" or \"keyframes\"");
        }
        masks.push_back(j.contains("vertices")
                            ? single(read_vertices(r, j["vertices"], p + "/vertices", closed))
                            : SceneMask{read_keyframes(r, j["keyframes"], p + "/keyframes", closed)});
    }
}

}  // namespace

std::vector<SceneMask> read_masks(const SceneReader& r, const json& j, const std::string& pointer) {
    r.array(j, pointer);
    std::vector<SceneMask> masks;
    for (std::size_t i = 0; i < j.size(); ++i) {
        read_mask(r, j[i], SceneReader::at(pointer, i), masks);
    }
    return masks;
}

MaskShape mask_shape_at(const SceneMask& mask, double frame) {
    return shape_at_time(mask.keys, frame);
}

}  // namespace vorlane::host
