// The ffmpeg command that turns raw frames on its standard input into a video file, and where ffmpeg is.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "AE_Effect.h"
#include "output/OutputTarget.h"
#include "pixels/TemporaryFile.h"

namespace vorlane::host {

// What the frames piped to ffmpeg are and what is made of them.
struct VideoSettings {
    VideoFormat format = VideoFormat::ProRes4444;
    A_long width = 0, height = 0;
    double frame_rate = 24.0;
    int bits = 8;      // of the render; ProRes 4444 gets 16-bit frames when the render has them
    PF_Pixel matte{};  // H.264 has no alpha: frames are composited over this colour (its alpha is ignored)
    Existing existing = Existing::Replace;  // what the finished video does to a file already under its name
};

// The layout of each frame on the pipe, as ffmpeg names it: "rgba", "rgba64le" or "rgb24".
std::string piped_pixel_format(const VideoSettings& settings);
std::size_t piped_frame_bytes(const VideoSettings& settings);

// ffmpeg's arguments (without the program) for frames on standard input written to `file`, which may be any name:
// the container is given, not guessed from the extension.
std::vector<std::string> ffmpeg_arguments(const VideoSettings& settings, const std::filesystem::path& file);

// The executable `name` in a folder of PATH; empty when there is none.
std::filesystem::path find_program(const std::string& name);

// Empty when this target's video can be made here; otherwise why not, in one line (no ffmpeg, which package).
std::string video_unavailable(const OutputTarget& target);

}  // namespace vorlane::host
