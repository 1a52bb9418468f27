#include "cli/RenderProgress.h"

#include <algorithm>
#include <cstdio>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vorlane::host {

namespace {

constexpr int kBarWidth = 30;

}  // namespace

std::string clock_text(double seconds) {
    const long total = seconds > 0.0 ? static_cast<long>(seconds + 0.5) : 0;
    char text[32];
    if (total >= 3600) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    } else {
        std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    }
    return text;
}

std::string frame_runs(std::vector<A_long> frames) {
    std::sort(frames.begin(), frames.end());
    std::string text;
    for (std::size_t i = 0; i < frames.size();) {
        std::size_t end = i;
        while (end + 1 < frames.size() && frames[end + 1] == frames[end] + 1) {
            ++end;
        }
        text += (text.empty() ? "" : ", ") + std::to_string(frames[i]);
        if (end > i) {
            text += "-" + std::to_string(frames[end]);
        }
        i = end + 1;
    }
    return text;
}

RenderProgress::RenderProgress(std::ostream& out, int total, bool terminal)
    : out_(out), total_(total), terminal_(terminal), start_(std::chrono::steady_clock::now()) {}

void RenderProgress::frame_done(A_long frame, const std::string& file) {
    std::lock_guard lock(mutex_);
    ++done_;
    frames_.push_back(frame);
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double left = done_ > 0 ? elapsed / done_ * (total_ - done_) : 0.0;
    if (!terminal_) {
        out_ << "wrote " << file << " (" << done_ << "/" << total_ << ", " << clock_text(elapsed) << " elapsed)\n";
        return;
    }
    const int filled = total_ > 0 ? done_ * kBarWidth / total_ : kBarWidth;
    out_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(kBarWidth - filled), '-') << "] " << done_ << "/" << total_
         << " frames, " << clock_text(elapsed) << " elapsed, " << clock_text(left) << " left " << std::flush;
}

void RenderProgress::finish() {
    std::lock_guard lock(mutex_);
    if (terminal_ && done_ > 0) {
        out_ << "\n";
    }
    out_.flush();
}

std::string RenderProgress::written() const {
    std::lock_guard lock(mutex_);
    if (frames_.empty()) {
        return "none of " + std::to_string(total_) + " frames";
    }
    return std::to_string(frames_.size()) + " of " + std::to_string(total_) + " frames (" + frame_runs(frames_) + ")";
}

bool stderr_is_terminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

}  // namespace vorlane::host
