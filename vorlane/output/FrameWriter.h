// Frames written while the next ones render: the render threads hand finished frames over and go on, and writer
// threads of its own encode them (PNG, OpenEXR) or pipe them to a video. At most `capacity` frames wait, so
// memory does not grow with the number of frames.
//
// In order (a video): frames are written by one writer strictly in the order of their index, the 0-based place in
// the list of frames rendered. A frame handed over out of turn waits; while `capacity` wait, render threads with
// later frames are held until the frame due arrives, or release() says it will not.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "AE_Effect.h"
#include "pixels/Worlds.h"

namespace vorlane::host {

class FrameWriter {
  public:
    using Write = std::function<void(A_long frame, const PF_EffectWorld& world)>;

    FrameWriter(Write write, int writers, std::size_t capacity, bool in_order);
    ~FrameWriter();  // release() and finish(), swallowing a write's failure
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // Hands frame `frame`, at `index` in the list, over. Blocks while the writers are behind. False once a write
    // has failed: the frame is not written and no later one will be.
    bool push(std::size_t index, A_long frame, WorldStorage world);
    // No frame before those handed over will come (the render stopped or a frame failed): nothing waits for one.
    void release();
    // Writes what can be written (in order: up to the first gap) and ends the writers. Rethrows the first failed
    // write's exception.
    void finish();

  private:
    struct Item {
        A_long frame;
        WorldStorage world;
    };

    void run();
    bool ready() const;  // with mutex_ held: whether a writer can take a frame

    Write write_;
    std::size_t capacity_;
    bool in_order_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::size_t, Item> waiting_;  // by index
    std::size_t next_ = 0;                 // in order: the index due
    bool released_ = false;
    bool closing_ = false;
    bool failed_ = false;
    std::exception_ptr error_;
    std::vector<std::thread> writers_;
};

}  // namespace vorlane::host
