// Rendering a list of frames on one or more threads through one session. Each thread runs its own render
// commands; frames are handed out in order and the first failure, or a stop asked for, ends the hand-out (frames
// already started are finished).
#pragma once

#include <functional>
#include <stdexcept>
#include <vector>

#include "frames/RenderJob.h"

namespace vorlane::host {

struct FrameHooks {
    std::function<void(A_long frame)> before;  // on the rendering thread, before the command
    // On the rendering thread, after it; returns false to stop the render (the frame failed).
    std::function<bool(A_long frame, FrameResult& result)> after;
    std::function<bool()> stop;  // asked before each frame is started; true hands out no more frames
    // Called on a thread whose frame, or hook, threw, before it ends: whatever waits for that frame in `after`
    // on another thread must stop waiting. Must not throw.
    std::function<void()> failed;
};

// What a render ends with when a frame, or a hook around it, threw: "frame 12: out of memory".
class FrameLoopError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Returns true when no frame failed (frames not started because of `stop` are not failures). An exception on any
// thread ends the hand-out as a failure does; once every thread has finished its frame, the first one is thrown
// as a FrameLoopError naming its frame.
bool render_frames(RenderJob& job, const std::vector<A_long>& frames, int threads, const FrameHooks& hooks);

}  // namespace vorlane::host
