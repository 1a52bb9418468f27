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

#if defined(VORLANE_FARM_READS_EXR)
// A frame is at most the largest composition; a header claiming more is not one of ours.
constexpr long kLargestSide = 16384;
// Lines decoded at a time: the frame is checked, not kept, so a band of lines at a time is enough memory.
constexpr int kBandLines = 32;
#endif

bool exr_whole(const std::filesystem::path& file) {
#if defined(VORLANE_FARM_READS_EXR)
    // Every pixel decoded: a file cut short can still list all its lines.
    try {
        Imf::RgbaInputFile input(file.string().c_str());
        const Imath::Box2i window = input.dataWindow();
        const long width = long(window.max.x) - long(window.min.x) + 1;
        const long height = long(window.max.y) - long(window.min.y) + 1;
        if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide) {
            return false;
        }
        std::vector<Imf::Rgba> band(static_cast<std::size_t>(width) * kBandLines);
        for (long y = window.min.y; y <= window.max.y; y += kBandLines) {
            const long last = std::min<long>(y + kBandLines - 1, window.max.y);
            // The frame buffer is addressed by the file's coordinates: these lines land in the band.
            const std::ptrdiff_t origin = -std::ptrdiff_t(window.min.x) - std::ptrdiff_t(y) * width;
            input.setFrameBuffer(band.data() + origin, 1, static_cast<std::size_t>(width));
            input.readPixels(static_cast<int>(y), static_cast<int>(last));
        }
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
        check_png_decodes(file);
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
