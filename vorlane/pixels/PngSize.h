// A PNG's width and height from its header alone, for questions about a picture that do not need its pixels.
#pragma once

#include <filesystem>
#include <optional>

namespace vorlane::host {

struct PictureSize {
    long width = 0;
    long height = 0;
};

// Nothing when the file cannot be read or does not start like a PNG.
std::optional<PictureSize> png_size(const std::filesystem::path& path);

}  // namespace vorlane::host
