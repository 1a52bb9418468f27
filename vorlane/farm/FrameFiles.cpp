#include "farm/FrameFiles.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "pixels/Png.h"

#if __has_include(<OpenEXR/ImfRgbaFile.h>)
#include <OpenEXR/ImfRgbaFile.h>
#define VORLANE_FARM_READS_EXR 1
#endif

namespace vorlane::host {

namespace {

bool is_exr(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".exr";
}

bool exr_whole(const std::filesystem::path& file) {
#if defined(VORLANE_FARM_READS_EXR)
    // Every pixel decoded: a file cut short can still list all its lines.
    try {
        Imf::RgbaInputFile input(file.string().c_str());
        const Imath::Box2i window = input.dataWindow();
        const long width = window.max.x - window.min.x + 1;
        const long height = window.max.y - window.min.y + 1;
        std::vector<Imf::Rgba> pixels(static_cast<std::size_t>(width * height));
        input.setFrameBuffer(pixels.data() - window.min.x - window.min.y * width, 1, static_cast<std::size_t>(width));
        input.readPixels(window.min.y, window.max.y);
        return input.isComplete();
    } catch (const std::exception&) {
        return false;
    }
#else
    (void)file;
    return false;  // this build writes no OpenEXR files, so it renders such a frame again and says why it cannot
#endif
}

bool png_whole(const std::filesystem::path& file) {
    try {
        read_png(file, native_png_format(file));
        return true;
    } catch (const PngError&) {
        return false;
    }
}

}  // namespace

bool frame_file_whole(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        return false;
    }
    return is_exr(file) ? exr_whole(file) : png_whole(file);
}

std::vector<A_long> missing_frames(const OutputTarget& target, const std::vector<A_long>& frames) {
    std::vector<A_long> missing;
    for (const A_long frame : frames) {
        if (is_video(target) || !frame_file_whole(frame_file(target, frame))) {
            missing.push_back(frame);
        }
    }
    return missing;
}

}  // namespace vorlane::host
