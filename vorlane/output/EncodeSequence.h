// A video made from an image sequence already on disk: PNG frames, read in frame order and piped to ffmpeg, as a
// render piping its frames would. What a render split into parts (each writing PNG frames) ends with.
#pragma once

#include <filesystem>
#include <functional>
#include <vector>

#include "output/FfmpegCommand.h"
#include "output/OutputTarget.h"

namespace vorlane::host {

struct SequenceEncoding {
    OutputTarget images;          // a folder of frame_NNNN.png or a NAME_####.png pattern
    std::vector<A_long> frames;   // in the video's order
    std::filesystem::path video;  // .mov, .mp4 or .gif
    double frame_rate = 24.0;
    PF_Pixel matte{255, 0, 0, 0};  // for .mp4: what transparent pixels show
    bool force = false;            // replace a video that exists
};

// Checks everything (ffmpeg, the video's name, every frame's file) before ffmpeg starts; the frames' size and depth
// are the first one's. The video appears under its name only when complete. Throws TargetError or VideoError with
// one line. `go_on` is asked after each frame piped; when it says no, the unfinished video is removed and false
// returned.
bool encode_sequence(const SequenceEncoding& job, const std::function<bool(A_long frame)>& go_on = {});

}  // namespace vorlane::host
