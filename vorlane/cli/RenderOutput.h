// Where `vorlane render` puts the frames it makes: the --out target checked before the first frame, then each
// frame handed to writers that run beside the render (PNG, OpenEXR, or ffmpeg making a video in frame order).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/RenderProgress.h"
#include "output/FrameWriter.h"
#include "output/OutputTarget.h"
#include "output/TargetLock.h"
#include "output/VideoEncoder.h"
#include "pixels/Png.h"
#include "scene/Scene.h"

namespace vorlane::host {

struct OutputOptions {
    std::string out = "frames";
    bool force = false;
    PngCompression png = PngCompression::Fast;
};

class RenderOutput {
  public:
    // Checks the target (format, ffmpeg, names that exist), makes its folder and takes its lock for these frames;
    // starts ffmpeg for a video. Throws CommandFailure.
    RenderOutput(const OutputOptions& options, const Scene& scene, A_long width, A_long height,
                 const std::vector<A_long>& frames, int threads, RenderProgress& progress);

    // A rendered frame, to be written. False once writing has failed.
    bool take(A_long frame, WorldStorage world);
    // No more frames come: the render stopped or failed.
    void stop();
    // Writes what is left and completes the target. Throws CommandFailure when a write failed.
    void finish();
    // After a render that did not complete: for a video, ends ffmpeg and removes the unfinished file, and returns
    // the line that says so (empty otherwise).
    std::string abandon();
    // The files an unfinished video leaves while it is made, its lock file last (none for images).
    std::vector<std::string> temporary_files() const;

  private:
    void write(A_long frame, const PF_EffectWorld& world);

    OutputTarget target_;
    OutputOptions options_;
    Existing existing_ = Existing::Replace;
    int depth_;
    A_long first_;
    RenderProgress& progress_;
    std::optional<TargetLock> lock_;  // held until the last frame is written
    std::optional<VideoEncoder> video_;
    std::unique_ptr<FrameWriter> writer_;
};

}  // namespace vorlane::host
