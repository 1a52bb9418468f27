#include "scene/SceneLoad.h"

#include <cctype>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string_view>

#include "pixels/Png.h"
#include "pixels/Sprites.h"
#include "pixels/SvgPath.h"
#include "scene/SceneMasks.h"
#include "scene/SceneReader.h"
#include "scene/SourceLimit.h"

namespace vorlane::host {

namespace {

using nlohmann::json;

constexpr int kMaxLayerSlots = 5;
constexpr A_long kMaxPixels = 16384;

}  // namespace

namespace {

Comp read_comp(const SceneReader& r, const json& j) {
    const std::string p = "/comp";
    r.expect_object(j, p, {"width", "height", "frame_rate", "duration_frames"});
    for (const char* key : {"width", "height"}) {
        if (!j.contains(key)) {
            r.fail(SceneReader::at(p, key), "missing");
        }
    }
    Comp comp;
    comp.width = r.integer(j["width"], p + "/width", 1, kMaxPixels);
    comp.height = r.integer(j["height"], p + "/height", 1, kMaxPixels);
    if (j.contains("frame_rate")) {
        comp.frame_rate = r.number(j["frame_rate"], p + "/frame_rate", 0.01, 1000.0);
        // The host counts time in hundredths of a frame per second, so the rate must be a whole number of them.
        const double scale = comp.frame_rate * kTimeStep;
        if (std::fabs(scale - std::round(scale)) > 1e-6) {
            r.fail(p + "/frame_rate", "must be a multiple of 0.01");
        }
    }
    comp.duration_frames =
        j.contains("duration_frames") ? r.integer(j["duration_frames"], p + "/duration_frames", 1, 10000000) : 48;
    return comp;
}

Background read_background(const SceneReader& r, const json& j, const std::string& p) {
    if (j.is_null()) {
        return BackgroundNone{};
    }
    if (j.is_string()) {
        return BackgroundImage{r.readable_png(j, p)};
    }
    r.array(j, p, 4);
    BackgroundColor color;
    color.color.alpha = static_cast<A_u_char>(r.integer(j[0], SceneReader::at(p, 0), 0, 255));
    color.color.red = static_cast<A_u_char>(r.integer(j[1], SceneReader::at(p, 1), 0, 255));
    color.color.green = static_cast<A_u_char>(r.integer(j[2], SceneReader::at(p, 2), 0, 255));
    color.color.blue = static_cast<A_u_char>(r.integer(j[3], SceneReader::at(p, 3), 0, 255));
    return color;
}

// "f_%04d.png": one %d with an optional 0 flag and width; "%%" stands for a percent sign.
SequenceSource read_pattern(const SceneReader& r, const std::string& pattern, const std::string& p) {
    SequenceSource source;
    const std::filesystem::path relative(pattern);
    source.folder = r.folder / relative.parent_path();
    const std::string name = relative.filename().string();
    bool found = false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        std::string& out = found ? source.suffix : source.prefix;
        if (name[i] != '%') {
            out += name[i];
            continue;
        }
        if (i + 1 < name.size() && name[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        if (found) {
            r.fail(p, "the file name may hold only one number (%d)");
        }
        std::size_t k = i + 1;
        source.zero_pad = k < name.size() && name[k] == '0';
        int width = 0;
        while (k < name.size() && std::isdigit(static_cast<unsigned char>(name[k])) && width < 100) {
            width = width * 10 + (name[k++] - '0');
        }
        if (k >= name.size() || name[k] != 'd') {
            r.fail(p, "the file name's number must be written %d, %4d or %04d");
        }
        source.width = width;
        found = true;
        i = k;
    }
    if (!found) {
        r.fail(p, "the file name needs a %d where the frame number goes");
    }
    return source;
}

LayerSource read_sequence(const SceneReader& r, const json& j, const std::string& p) {
    r.expect_object(j, p, {"sequence", "first", "count"});
    if (!j.contains("count")) {
        r.fail(p + "/count", "missing");
    }
    SequenceSource source = read_pattern(r, r.text(j["sequence"], p + "/sequence"), p + "/sequence");
    source.first = j.contains("first") ? r.integer(j["first"], p + "/first", -1000000, 1000000000) : 0;
    source.count = r.integer(j["count"], p + "/count", 1, 1000000);
    for (A_long i = 0; i < source.count; ++i) {
        const std::filesystem::path path = source.frame_path(i);
        try {
            source_png_info(path, r.max_source_pixels);
        } catch (const std::exception& e) {
            r.fail(p + "/sequence", "cannot read frame " + std::to_string(i) + ": " + e.what());
        }
    }
    return source;
}

LayerSource read_source(const SceneReader& r, const json& j, const std::string& p) {
    if (!j.is_object()) {
        r.fail(p, "expected null or an object with \"image\", \"sequence\" or \"builtin\"");
    }
    if (j.contains("image")) {
        r.expect_object(j, p, {"image"});
        return ImageSource{r.readable_png(j["image"], p + "/image")};
    }
    if (j.contains("sequence")) {
        return read_sequence(r, j, p);
    }
    if (j.contains("builtin")) {
        r.expect_object(j, p, {"builtin", "width", "height"});
        BuiltinSource source;
        source.name = r.text(j["builtin"], p + "/builtin");
        if (!sprite_kind_named(source.name)) {
            r.fail(p + "/builtin",
                   "no built-in source is named \"" + source.name + "\" (there are blob, star, arrow and counter)");
        }
        for (const char* key : {"width", "height"}) {
            if (!j.contains(key)) {
                r.fail(SceneReader::at(p, key), "missing");
            }
        }
        source.width = r.integer(j["width"], p + "/width", 1, kMaxPixels);
        source.height = r.integer(j["height"], p + "/height", 1, kMaxPixels);
        return source;
    }
    r.fail(p, "expected \"image\", \"sequence\" or \"builtin\"");
}

std::vector<std::optional<LayerSource>> read_layers(const SceneReader& r, const json& j) {
    r.array(j, "/layers");
    if (j.size() > kMaxLayerSlots) {
        r.fail("/layers", "at most 5 layers");
    }
    std::vector<std::optional<LayerSource>> layers;
    for (std::size_t i = 0; i < j.size(); ++i) {
        const std::string p = SceneReader::at("/layers", i);
        layers.push_back(j[i].is_null() ? std::nullopt : std::optional(read_source(r, j[i], p)));
    }
    return layers;
}

RenderSettings read_render(const SceneReader& r, const json& j) {
    const std::string p = "/render";
    r.expect_object(j, p, {"depth", "quality", "downsample"});
    RenderSettings settings;
    if (j.contains("depth")) {
        settings.depth = r.integer(j["depth"], p + "/depth", 8, 16);
        if (settings.depth != 8 && settings.depth != 16) {
            r.fail(p + "/depth", "must be 8 or 16");
        }
    }
    if (j.contains("quality")) {
        const std::string& quality = r.text(j["quality"], p + "/quality");
        if (quality != "high" && quality != "low") {
            r.fail(p + "/quality", "must be \"high\" or \"low\"");
        }
        settings.quality = quality == "high" ? PF_Quality_HI : PF_Quality_LO;
    }
    if (j.contains("downsample")) {
        // [N, D] renders at N/D of full size: a reduction only, never an enlargement.
        const json& d = r.array(j["downsample"], p + "/downsample", 2);
        const A_long den = r.integer(d[1], p + "/downsample/1", 1, 64);
        const A_long num = r.integer(d[0], p + "/downsample/0", 1, 64);
        if (num > den) {
            r.fail(p + "/downsample/0", "[N, D] renders at N/D of full size, so N must lie between 1 and D (here " +
                                            std::to_string(den) + "); [1, 2] is half size");
        }
        settings.downsample = {num, static_cast<A_u_long>(den)};
    }
    return settings;
}

std::vector<SceneParamValue> read_params(const SceneReader& r, const json& j) {
    // Names are checked against the parameters the module registers, once it has.
    if (!j.is_object()) {
        r.fail("/params", "expected an object");
    }
    std::vector<SceneParamValue> params;
    for (const auto& [name, value] : j.items()) {
        params.push_back({name, SceneReader::at("/params", name), value});
    }
    return params;
}

}  // namespace

namespace {

// The parser's message without its own vocabulary: "[json.exception.parse_error.101] parse error at line 3,
// column 5: ..." says "line 3, column 5: ...".
std::string plain_json_error(const json::exception& e) {
    std::string_view text = e.what();
    if (const std::size_t bracket = text.find("] "); text.rfind("[json.exception.", 0) == 0 && bracket != text.npos) {
        text.remove_prefix(bracket + 2);
    }
    if (constexpr std::string_view kAt = "parse error at "; text.rfind(kAt, 0) == 0) {
        text.remove_prefix(kAt.size());
    }
    return std::string(text);
}

void reject_unknown_top_level(const SceneReader& r, const json& j) {
    r.expect_object(j, "", {"comp", "effect_layer", "layers", "params", "render"});
}

}  // namespace

Scene parse_scene(const std::string& text, const std::filesystem::path& file) {
    SceneReader r{file.string(), file.parent_path(), max_source_pixels()};
    json j;
    try {
        j = json::parse(text);
    } catch (const json::exception& e) {
        // Not only syntax: a number too large for a double ("1e888") is refused by the parser as out of range.
        r.fail("", "not valid JSON: " + plain_json_error(e));
    }
    if (!j.is_object()) {
        r.fail("", "expected an object");
    }
    reject_unknown_top_level(r, j);
    if (!j.contains("comp")) {
        r.fail("/comp", "missing");
    }
    Scene scene;
    scene.file = file;
    scene.max_source_pixels = r.max_source_pixels;
    scene.comp = read_comp(r, j["comp"]);
    if (j.contains("effect_layer")) {
        const json& layer = j["effect_layer"];
        r.expect_object(layer, "/effect_layer", {"background", "masks"});
        if (layer.contains("background")) {
            scene.background = read_background(r, layer["background"], "/effect_layer/background");
        }
        if (layer.contains("masks")) {
            scene.masks = read_masks(r, layer["masks"], "/effect_layer/masks");
        }
    }
    if (j.contains("layers")) {
        scene.layers = read_layers(r, j["layers"]);
    }
    if (j.contains("params")) {
        scene.params = read_params(r, j["params"]);
    }
    if (j.contains("render")) {
        scene.render = read_render(r, j["render"]);
    }
    return scene;
}

Scene load_scene_file(const std::filesystem::path& path) {
    if (std::error_code ec; std::filesystem::is_directory(path, ec)) {
        throw SceneError(path.string(), "", "is a folder, not a scene file");
    }
    // A FIFO would hold the command until some writer came, a device read without end.
    if (std::error_code ec; std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec)) {
        throw SceneError(path.string(), "", "is not a regular file (a device, a FIFO or a socket), not a scene file");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw SceneError(path.string(), "", "cannot open the scene file");
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        throw SceneError(path.string(), "", "cannot read the scene file");
    }
    return parse_scene(text.str(), path);
}

}  // namespace vorlane::host
