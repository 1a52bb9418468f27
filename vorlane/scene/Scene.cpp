#include "scene/Scene.h"

namespace vorlane::host {

namespace {

std::string describe(const std::string& file, const std::string& pointer, const std::string& message) {
    std::string where = file.empty() ? std::string("scene") : file;
    if (!pointer.empty()) {
        where += " at " + pointer;
    }
    return where + ": " + message;
}

}  // namespace

SceneError::SceneError(const std::string& file_name, const std::string& place, const std::string& message)
    : std::runtime_error(describe(file_name, place, message)), file(file_name), pointer(place) {}

std::filesystem::path SequenceSource::frame_path(A_long frame_index) const {
    const long long number = static_cast<long long>(first) + frame_index;
    std::string digits = std::to_string(number < 0 ? -number : number);
    const std::size_t sign = number < 0 ? 1 : 0;
    if (digits.size() + sign < static_cast<std::size_t>(width)) {
        const std::size_t pad = static_cast<std::size_t>(width) - digits.size() - sign;
        digits = zero_pad ? std::string(pad, '0') + digits : digits;
        if (!zero_pad) {
            return folder / (prefix + std::string(pad, ' ') + (sign ? "-" : "") + digits + suffix);
        }
    }
    return folder / (prefix + (sign ? "-" : "") + digits + suffix);
}

PF_PixelFormat scene_pixel_format(const Scene& scene) {
    return scene.render.depth == 16 ? PF_PixelFormat_ARGB64 : PF_PixelFormat_ARGB32;
}

A_long downsampled_size(A_long size, PF_RationalScale scale) {
    if (scale.den == 0) {
        return size;
    }
    const long long scaled = (static_cast<long long>(size) * scale.num + scale.den - 1) / scale.den;
    return static_cast<A_long>(scaled < 1 ? 1 : scaled);
}

}  // namespace vorlane::host
