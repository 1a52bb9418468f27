// Which frames of a render's target are already there and whole. A frame file is whole when it decodes (a PNG that
// reads, an OpenEXR file with every line present): the render writes each under a temporary name and renames it
// into place, so a file under its final name is whole unless something else broke it.
#pragma once

#include <filesystem>
#include <vector>

#include "A.h"
#include "output/OutputTarget.h"

namespace vorlane::host {

bool frame_file_whole(const std::filesystem::path& file);

// The frames of `frames` whose file is missing or not whole, in the order given. For a folder, a NAME_####
// sequence or one image; a video has no frames of its own to look for.
std::vector<A_long> missing_frames(const OutputTarget& target, const std::vector<A_long>& frames);

}  // namespace vorlane::host
