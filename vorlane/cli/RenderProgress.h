// Progress of a render on the error stream: a bar redrawn in place on a terminal (frames done of all, time
// elapsed, time left), one plain line per frame otherwise. Thread-safe.
#pragma once

#include <chrono>
#include <mutex>
#include <ostream>
#include <string>

namespace vorlane {

// "0:07", "1:02:03".
std::string clock_text(double seconds);

class RenderProgress {
  public:
    RenderProgress(std::ostream& out, int total, bool terminal);
    void frame_done(const std::string& file);
    void finish();  // ends the bar's line

  private:
    std::ostream& out_;
    int total_;
    bool terminal_;
    int done_ = 0;
    std::chrono::steady_clock::time_point start_;
    std::mutex mutex_;
};

// Whether standard error is a terminal.
bool stderr_is_terminal();

}  // namespace vorlane
