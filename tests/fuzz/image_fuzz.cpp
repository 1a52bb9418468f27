// An image file as the host meets it: a layer's picture read as the scene and the render read it (its header
// checked against the pixel limit, then its pixels decoded by stb into a world of either depth), and a frame in an
// output folder checked as `render --skip-existing` and `farm status` check it (a PNG that decodes; an OpenEXR file
// whose every line decodes). Any bytes are either a picture of the size the header gave, or refused with a
// PngError; a frame check answers, and says "whole" of a PNG exactly when the layer's path reads it.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "farm/FrameFiles.h"
#include "frames/LayerSources.h"
#include "fuzz_support.h"
#include "scene/SourceLimit.h"

namespace vorlane::host::fuzz {
namespace {

// 256 x 256: a picture at the limit decodes three times (two depths, the frame check) in a few milliseconds under
// the sanitizers, so the run spends its time on the many ways a file can be wrong rather than on large pictures.
constexpr std::uint64_t kFuzzPixelLimit = 1u << 16;

bool starts_like_exr(const std::uint8_t* data, std::size_t size) {
    return size >= 4 && data[0] == 0x76 && data[1] == 0x2f && data[2] == 0x31 && data[3] == 0x01;
}

// One file per process, rewritten for each input: the readers take paths, as they do in the host.
std::filesystem::path input_file(const char* extension) {
    static const std::filesystem::path folder = [] {
        std::filesystem::path made =
            std::filesystem::temp_directory_path() / ("vorlane-image-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(made);
        return made;
    }();
    return folder / (std::string("input") + extension);
}

void write_input(const std::filesystem::path& file, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    require(static_cast<bool>(out), "cannot write the input file");
}

enum class LayerRead { TooLarge, Refused, Read };

// Whether the layer's path reads the picture, at both depths alike.
LayerRead layer_read(const std::filesystem::path& file) {
    PngInfo info;
    try {
        info = source_png_info(file, kFuzzPixelLimit);
    } catch (const PngTooLarge&) {
        return LayerRead::TooLarge;
    } catch (const PngError&) {
        return LayerRead::Refused;
    }
    require(info.width > 0 && info.height > 0, "a header of no pixels was taken");
    require(std::uint64_t(info.width) * std::uint64_t(info.height) <= kFuzzPixelLimit, "a picture past the limit");
    bool read[2] = {false, false};
    const PF_PixelFormat formats[2] = {PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64};
    for (int i = 0; i < 2; ++i) {
        try {
            const WorldStorage world = source_world(ImageSource{file}, 0, formats[i], kFuzzPixelLimit);
            require(world.world().width == info.width && world.world().height == info.height,
                    "the decoded picture is not the size its header gave");
            read[i] = true;
        } catch (const PngError&) {
        }
    }
    require(read[0] == read[1], "a picture reads at one depth and not the other");
    return read[0] ? LayerRead::Read : LayerRead::Refused;
}

}  // namespace
}  // namespace vorlane::host::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorlane::host;
    using namespace vorlane::host::fuzz;
    if (starts_like_exr(data, size)) {
        const std::filesystem::path file = input_file(".exr");
        write_input(file, data, size);
        frame_file_whole(file);  // whichever the answer, it must come without a crash or a leak
        return 0;
    }
    const std::filesystem::path file = input_file(".png");
    write_input(file, data, size);
    const LayerRead read = layer_read(file);
    // A frame check allows a composition's pixels, more than this run's memory holds; within the layer's limit it
    // must agree with the layer's path.
    if (read != LayerRead::TooLarge) {
        require(frame_file_whole(file) == (read == LayerRead::Read), "a frame check and a layer read disagree");
    }
    return 0;
}
