// Rendering a list of frames on one or more threads through one session. Each thread runs its own render
// commands; frames are handed out in order and the first failure stops the hand-out.
#pragma once

#include <functional>
#include <vector>

#include "vorlane/render/RenderJob.h"

namespace vorlane {

struct FrameHooks {
    std::function<void(A_long frame)> before;  // on the rendering thread, before the command
    // On the rendering thread, after it; returns false to stop the render (the frame failed).
    std::function<bool(A_long frame, FrameResult& result)> after;
};

// Returns true when every frame was rendered and accepted by `after`.
bool render_frames(RenderJob& job, const std::vector<A_long>& frames, int threads, const FrameHooks& hooks);

}  // namespace vorlane
