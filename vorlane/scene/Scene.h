// A scene as the host renders it: the composition, the effect's layer with its masks, the sources of the five
// layer slots, the parameter values the user set, and how to render. Plain records; SceneLoad.h reads them from
// JSON, SceneParams.h checks the values against what the module registered.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "AE_Effect.h"
#include "pixels/MaskShape.h"

namespace vorlane::host {

struct Comp {
    A_long width = 0;
    A_long height = 0;
    double frame_rate = 24.0;
    A_long duration_frames = 1;
};

// Host time: frame F starts at F x kTimeStep in units of frame_rate x kTimeStep per second.
constexpr A_long kTimeStep = 100;

// Keys in frames; a mask without keyframes has one key at frame 0.
struct SceneMask {
    std::vector<MaskKeyframe> keys;
};

struct BackgroundNone {};
struct BackgroundColor {
    PF_Pixel color{};  // a, r, g, b in 0..255
};
struct BackgroundImage {
    std::filesystem::path path;
};
using Background = std::variant<BackgroundNone, BackgroundColor, BackgroundImage>;

struct ImageSource {
    std::filesystem::path path;
};
struct SequenceSource {
    std::filesystem::path folder;  // resolved against the scene's folder
    // The file name "f_%04d.png" split at its one number: prefix "f_", width 4, zero padded, suffix ".png".
    std::string prefix, suffix;
    int width = 0;
    bool zero_pad = false;
    A_long first = 0;
    A_long count = 0;
    std::filesystem::path frame_path(A_long frame_index) const;  // frame_index 0 .. count - 1
};
struct BuiltinSource {
    std::string name;
    A_long width = 0;
    A_long height = 0;
};
using LayerSource = std::variant<ImageSource, SequenceSource, BuiltinSource>;

// A parameter value as written in the scene, checked later against the registered parameters.
struct SceneParamValue {
    std::string name;
    std::string pointer;   // where it stands, "/params/Scale"
    nlohmann::json value;  // a plain value or [[frame, value], ...]
};

struct RenderSettings {
    int depth = 8;  // bits per channel: 8 or 16
    PF_Quality quality = PF_Quality_HI;
    PF_RationalScale downsample{1, 1};
};

// The most pixels a source picture may have unless VORLANE_MAX_SOURCE_PIXELS says otherwise (see SourceLimit.h):
// 8192 x 8192, twice the pixels of an 8K UHD frame, 512 MiB as a 16-bit world.
constexpr std::uint64_t kDefaultMaxSourcePixels = 8192ull * 8192ull;

struct Scene {
    std::filesystem::path file;  // empty for the built-in demo
    Comp comp;
    Background background;
    std::vector<SceneMask> masks;
    std::vector<std::optional<LayerSource>> layers;  // slot n at index n - 1; up to five
    std::vector<SceneParamValue> params;
    RenderSettings render;
    // The most pixels a source picture may have (see SourceLimit.h): what the scene's pictures were checked against
    // when it was read, and what they are held to when a render reads them again.
    std::uint64_t max_source_pixels = kDefaultMaxSourcePixels;
};

// Bad input, with the file and the place in it (a JSON pointer) named in what().
class SceneError : public std::runtime_error {
  public:
    SceneError(const std::string& file, const std::string& pointer, const std::string& message);
    std::string file;
    std::string pointer;
};

PF_PixelFormat scene_pixel_format(const Scene& scene);

// ceil(size x num / den), at least 1.
A_long downsampled_size(A_long size, PF_RationalScale scale);

}  // namespace vorlane::host
