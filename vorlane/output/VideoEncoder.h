// A video made by ffmpeg from frames given in order. The video is written under a temporary name beside its final
// one and renamed over it only when ffmpeg has made it without error; an encoder destroyed before finish() kills
// ffmpeg and removes what it wrote.
#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

#include "AE_Effect.h"
#include "output/ChildProcess.h"
#include "output/FfmpegCommand.h"
#include "pixels/TemporaryFile.h"

namespace vorlane::host {

class VideoError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class VideoEncoder {
  public:
    // Starts ffmpeg. Throws VideoError.
    VideoEncoder(const std::filesystem::path& video, const VideoSettings& settings);
    ~VideoEncoder();
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // The next frame, of the settings' size. Throws VideoError when ffmpeg took no more (its last words named).
    void add(const PF_EffectWorld& world);
    // Ends the video and puts it under its final name. Throws VideoError.
    void finish();
    // Ends ffmpeg at once; the unfinished video is removed (also what destruction does).
    void abandon();

    const std::filesystem::path& temporary() const { return video_.path(); }

  private:
    std::string ffmpeg_said() const;

    VideoSettings settings_;
    TemporaryFile video_;
    TemporaryFile log_;
    std::unique_ptr<ChildProcess> ffmpeg_;
    std::vector<std::uint8_t> frame_;
    int added_ = 0;
};

// One frame as the settings pipe it (piped_pixel_format), into `out` of piped_frame_bytes.
void pipe_frame(const PF_EffectWorld& world, const VideoSettings& settings, std::uint8_t* out);

}  // namespace vorlane::host
