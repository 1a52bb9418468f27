#include "frames/FrameLoop.h"

#include <atomic>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

namespace vorlane::host {

namespace {

// What the threads of one render share: the next frame to hand out, whether to hand out more, and the first
// exception a thread met. Recording it allocates nothing, so a thread out of memory can still report.
struct Handout {
    explicit Handout(const std::vector<A_long>& all) : frames(all) {}

    const std::vector<A_long>& frames;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::mutex mutex;
    std::exception_ptr error;
    A_long error_frame = 0;

    void fail(std::exception_ptr thrown, A_long frame) noexcept {
        failed = true;
        std::lock_guard lock(mutex);
        if (!error) {
            error = std::move(thrown);
            error_frame = frame;
        }
    }
};

void work(RenderJob& job, const FrameHooks& hooks, Handout& handout) noexcept {
    A_long frame = 0;
    try {
        for (std::size_t i = handout.next++; i < handout.frames.size() && !handout.failed; i = handout.next++) {
            frame = handout.frames[i];
            if (hooks.stop && hooks.stop()) {
                return;
            }
            if (hooks.before) {
                hooks.before(frame);
            }
            FrameResult result = render_frame(job, frame);
            const bool ok = hooks.after ? hooks.after(frame, result) : result.err == PF_Err_NONE;
            if (!ok) {
                handout.failed = true;
            }
        }
    } catch (...) {
        handout.fail(std::current_exception(), frame);
        if (hooks.failed) {
            hooks.failed();
        }
    }
}

std::string text_of(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return "out of memory";
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an exception of unknown type";
    }
}

}  // namespace

bool render_frames(RenderJob& job, const std::vector<A_long>& frames, int threads, const FrameHooks& hooks) {
    Handout handout{frames};
    const int count = threads < 1 ? 1 : threads;
    std::vector<std::thread> workers;
    try {
        workers.reserve(static_cast<std::size_t>(count - 1));
        for (int t = 1; t < count; ++t) {
            workers.emplace_back([&] { work(job, hooks, handout); });
        }
    } catch (const std::exception&) {
        // A thread that cannot be started leaves its frames to the threads that were: the render is slower, not
        // wrong.
    }
    work(job, hooks, handout);
    for (std::thread& worker : workers) {
        worker.join();
    }
    if (handout.error) {
        throw FrameLoopError("frame " + std::to_string(handout.error_frame) + ": " + text_of(handout.error));
    }
    return !handout.failed;
}

}  // namespace vorlane::host
