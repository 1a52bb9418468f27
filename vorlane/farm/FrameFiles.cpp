#include "farm/FrameFiles.h"

#include <cstdio>

#include "pixels/Png.h"

namespace vorlane::host {

std::string frame_file_name(A_long frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%04ld.png", static_cast<long>(frame));
    return name;
}

bool frame_file_whole(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        return false;
    }
    try {
        read_png(file, native_png_format(file));
        return true;
    } catch (const PngError&) {
        return false;
    }
}

std::vector<A_long> missing_frames(const std::filesystem::path& folder, const std::vector<A_long>& frames) {
    std::vector<A_long> missing;
    for (const A_long frame : frames) {
        if (!frame_file_whole(folder / frame_file_name(frame))) {
            missing.push_back(frame);
        }
    }
    return missing;
}

}  // namespace vorlane::host
