// The frames a render leaves in its output folder, and which of them are there and whole. A frame file is whole
// when it decodes: the render writes each under a temporary name and renames it into place, so a file under its
// final name is whole unless something else broke it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "A.h"

namespace vorlane::host {

// "frame_0007.png".
std::string frame_file_name(A_long frame);

// Whether `file` exists and decodes as a PNG.
bool frame_file_whole(const std::filesystem::path& file);

// The frames of `frames` whose file in `folder` is missing or does not decode, in the order given.
std::vector<A_long> missing_frames(const std::filesystem::path& folder, const std::vector<A_long>& frames);

}  // namespace vorlane::host
