#include "output/FrameWriter.h"

#include <utility>

namespace vorlane::host {

FrameWriter::FrameWriter(Write write, int writers, std::size_t capacity, bool in_order)
    : write_(std::move(write)), capacity_(capacity < 1 ? 1 : capacity), in_order_(in_order) {
    const int count = in_order || writers < 1 ? 1 : writers;
    try {
        for (int i = 0; i < count; ++i) {
            writers_.emplace_back([this] { run(); });
        }
    } catch (...) {
        finish();
        throw;
    }
}

FrameWriter::~FrameWriter() {
    release();
    try {
        finish();
    } catch (...) {
        // The caller that wanted to know asked finish() itself.
    }
}

bool FrameWriter::ready() const {
    if (waiting_.empty()) {
        return false;
    }
    return !in_order_ || waiting_.begin()->first == next_;
}

bool FrameWriter::push(std::size_t index, A_long frame, WorldStorage world) {
    std::unique_lock lock(mutex_);
    // A frame that is due is always taken, so that the frames waiting for it can go on.
    changed_.wait(
        lock, [&] { return failed_ || waiting_.size() < capacity_ || (in_order_ && (index == next_ || released_)); });
    if (failed_) {
        return false;
    }
    waiting_.emplace(index, Item{frame, std::move(world)});
    changed_.notify_all();
    return true;
}

void FrameWriter::release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
}

void FrameWriter::finish() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        changed_.notify_all();
    }
    for (std::thread& writer : writers_) {
        if (writer.joinable()) {
            writer.join();
        }
    }
    writers_.clear();
    std::lock_guard lock(mutex_);
    waiting_.clear();
    if (error_) {
        std::rethrow_exception(std::exchange(error_, nullptr));
    }
}

void FrameWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return failed_ || ready() || closing_; });
        if (failed_ || !ready()) {
            return;  // a failure, or closing with nothing (more) that can be written
        }
        auto node = waiting_.extract(waiting_.begin());
        ++next_;
        lock.unlock();
        std::exception_ptr error;
        try {
            write_(node.mapped().frame, node.mapped().world.world());
        } catch (...) {
            error = std::current_exception();
        }
        node = decltype(node){};  // the frame's memory goes before the next is taken
        lock.lock();
        if (error) {
            failed_ = true;
            error_ = error_ ? error_ : error;
        }
        changed_.notify_all();
    }
}

}  // namespace vorlane::host
