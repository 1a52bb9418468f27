// How large a layer's or the background's picture may be. A PNG of a few hundred kilobytes can claim 16000 x 16000
// pixels, and decoding it takes gigabytes; a source past the limit is refused from its header, before decoding.
// The limit is the machine's, not the scene's (a scene travels with its pictures and must not raise its own), so
// it is set in the environment, where every command that reads sources (render, check, preview, params, the farm's
// tasks) finds it: VORLANE_MAX_SOURCE_PIXELS.
#pragma once

#include <cstdint>
#include <filesystem>

#include "pixels/Png.h"
#include "scene/Scene.h"

namespace vorlane::host {

// VORLANE_MAX_SOURCE_PIXELS when set (a whole number of pixels), else the default. Throws std::runtime_error for a
// value that is not a number.
std::uint64_t max_source_pixels();

// A source's header, its pixels, its decoding: as png_info, read_png and check_png_decodes, a picture beyond the limit
// refused with a message that says how to raise it.
PngInfo source_png_info(const std::filesystem::path& path, std::uint64_t max_pixels);
WorldStorage read_source_png(const std::filesystem::path& path, PF_PixelFormat format, std::uint64_t max_pixels);
void check_source_png_decodes(const std::filesystem::path& path, std::uint64_t max_pixels);

}  // namespace vorlane::host
