// Progress of a render on the error stream: a bar redrawn in place on a terminal (frames done of all, time
// elapsed, time left), one plain line per frame otherwise. It keeps which frames were written, for the last word of
// a render that stopped early. Thread-safe.
#pragma once

#include <chrono>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "A.h"

namespace vorlane::host {

// "0:07", "1:02:03".
std::string clock_text(double seconds);

// Frame numbers as runs: {0, 1, 2, 5, 7, 8} is "0-2, 5, 7-8"; empty for none.
std::string frame_runs(std::vector<A_long> frames);

class RenderProgress {
  public:
    RenderProgress(std::ostream& out, int total, bool terminal);
    void frame_done(A_long frame, const std::string& file);
    void finish();  // ends the bar's line
    // "3 of 24 frames (0-2)", or "none of 24 frames".
    std::string written() const;

  private:
    std::ostream& out_;
    int total_;
    bool terminal_;
    int done_ = 0;
    std::chrono::steady_clock::time_point start_;
    std::vector<A_long> frames_;
    mutable std::mutex mutex_;
};

// Whether standard error is a terminal.
bool stderr_is_terminal();

}  // namespace vorlane::host
