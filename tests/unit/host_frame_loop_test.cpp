// The frame loop behind `vorlane render -j N`: an exception on any of its threads ends the render with that error,
// once the other threads have finished the frame they are on and started no more.
#include <atomic>
#include <chrono>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "frames/FrameLoop.h"
#include "support/scene_render.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*);

namespace vorlane::host::test {
namespace {

class FrameLoop : public SceneRender {
  protected:
    FrameLoop() : SceneRender(EntryPointFunc) {
        load(R"({"comp": {"width": 32, "height": 24, "frame_rate": 24, "duration_frames": 48},
            "effect_layer": {"background": [255, 20, 20, 20], "masks": [{"ellipse": [16, 12, 10, 7]}]},
            "layers": [{"builtin": "star", "width": 7, "height": 7}],
            "params": {"Path Selection": 1, "Instances": 3}})");
        for (A_long f = 0; f < 48; ++f) {
            frames.push_back(f);
        }
    }

    // Renders on `threads` threads; the first frame begun on the main thread, or on a worker, throws `thrown`.
    // Returns the render's error.
    template <class Exception>
    std::string render_throwing(int threads, bool on_main_thread, const Exception& thrown) {
        const std::thread::id main_thread = std::this_thread::get_id();
        FrameHooks hooks;
        hooks.before = [&](A_long frame) {
            const bool on_main = std::this_thread::get_id() == main_thread;
            if (on_main == on_main_thread && !threw.exchange(true)) {
                thrown_frame = frame;
                throw thrown;
            }
            // The other side waits for the throw, so that both sides surely render, and the throw meets frames in
            // flight.
            const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!threw && std::chrono::steady_clock::now() < give_up) {
                std::this_thread::yield();
            }
            ++started;
            ++in_flight;
        };
        hooks.after = [&](A_long, FrameResult& result) {
            --in_flight;
            return result.err == PF_Err_NONE && result.leaks.empty();
        };
        try {
            render_frames(*job, frames, threads, hooks);
        } catch (const FrameLoopError& e) {
            return e.what();
        }
        return "no error";
    }

    std::vector<A_long> frames;
    std::atomic<bool> threw{false};
    std::atomic<int> started{0}, in_flight{0};
    A_long thrown_frame = -1;
};

TEST_F(FrameLoop, AWorkerThreadsExceptionEndsTheRenderWithItOnceTheOtherThreadsStop) {
    for (const int threads : {2, 4}) {
        threw = false;
        started = 0;
        const std::string error = render_throwing(threads, false, std::runtime_error("the layer source is gone"));
        EXPECT_EQ(error, "frame " + std::to_string(thrown_frame) + ": the layer source is gone") << threads;
        EXPECT_EQ(in_flight, 0) << "every frame started was finished before the error came back";
        EXPECT_LT(started, 47) << "no frames are handed out after the error";
        EXPECT_EQ(session.suites().outstanding(), 0);
        EXPECT_EQ(session.checkouts_outstanding(), 0);
    }
}

TEST_F(FrameLoop, TheMainThreadsExceptionEndsTheRenderOnceTheWorkersStop) {
    const std::string error = render_throwing(4, true, std::bad_alloc());
    EXPECT_EQ(error, "frame " + std::to_string(thrown_frame) + ": out of memory");
    EXPECT_EQ(in_flight, 0);
    EXPECT_LT(started, 47);
    EXPECT_EQ(session.suites().outstanding(), 0);
}

TEST_F(FrameLoop, AFrameThatThrowsIsToldSoThatFramesWaitingForItOnOtherThreadsGoOn) {
    // The frame after the one that throws waits in `after` for it, as frames of a video wait for their turn.
    std::atomic<bool> told{false};
    FrameHooks hooks;
    hooks.before = [&](A_long frame) {
        if (frame == 0) {
            throw std::runtime_error("the layer source is gone");
        }
    };
    hooks.after = [&](A_long, FrameResult&) {
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!told && std::chrono::steady_clock::now() < give_up) {
            std::this_thread::yield();
        }
        return true;
    };
    hooks.failed = [&] { told = true; };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(render_frames(*job, frames, 2, hooks), FrameLoopError);
    EXPECT_TRUE(told);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace
}  // namespace vorlane::host::test
