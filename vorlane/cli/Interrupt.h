// Ctrl+C (SIGINT) during a render. While an InterruptWatch lives, the first interrupt only asks the render to stop:
// no frame is started after it, the frames in flight are finished and written, and the command reports what was
// written. A second interrupt ends the process at once with status 130; a frame being written then is left under
// its temporary name (".frame_NNNN.png.*.tmp"), never as a frame; an unfinished video is removed.
#pragma once

#include <string>

namespace vorlane::host {

// The exit status of a render stopped by an interrupt, as shells report a process ended by SIGINT.
constexpr int kInterruptedStatus = 130;

class InterruptWatch {
  public:
    InterruptWatch();   // installs the handler
    ~InterruptWatch();  // puts the previous one back
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    bool requested() const;

    // Files the second interrupt removes before it ends the process (a video being made, ffmpeg's log, the lock
    // the render holds on the video); at most three, replacing those given before. Empty: none.
    void remove_at_hard_exit(const std::string& first, const std::string& second = {},
                             const std::string& third = {}) const;
};

}  // namespace vorlane::host
