#include "frames/FrameLoop.h"

#include <atomic>
#include <thread>

namespace vorlane::host {

namespace {

void work(RenderJob& job, const std::vector<A_long>& frames, const FrameHooks& hooks, std::atomic<std::size_t>& next,
          std::atomic<bool>& failed) {
    for (std::size_t i = next++; i < frames.size() && !failed; i = next++) {
        if (hooks.stop && hooks.stop()) {
            return;
        }
        if (hooks.before) {
            hooks.before(frames[i]);
        }
        FrameResult result = render_frame(job, frames[i]);
        const bool ok = hooks.after ? hooks.after(frames[i], result) : result.err == PF_Err_NONE;
        if (!ok) {
            failed = true;
        }
    }
}

}  // namespace

bool render_frames(RenderJob& job, const std::vector<A_long>& frames, int threads, const FrameHooks& hooks) {
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    const int count = threads < 1 ? 1 : threads;
    std::vector<std::thread> workers;
    for (int t = 1; t < count; ++t) {
        workers.emplace_back([&] { work(job, frames, hooks, next, failed); });
    }
    work(job, frames, hooks, next, failed);
    for (std::thread& worker : workers) {
        worker.join();
    }
    return !failed;
}

}  // namespace vorlane::host
