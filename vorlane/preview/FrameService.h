// The preview's pictures: frames of the current values rendered on a few threads, kept until the next edit. A
// request waits for its frame; a frame the user has moved past while it waited is dropped from the queue and its
// request answered at once. While the page plays, each request also queues the frames that follow it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "preview/PreviewState.h"

namespace vorlane::host {

// How the viewer shows frames: the render's downsampling (1 full, 2 half, 4 quarter) and quality.
struct ViewSettings {
    int downsample = 1;
    bool high_quality = true;
    auto operator<=>(const ViewSettings&) const = default;
};

enum class FrameStatus { Ready, Failed, Dropped };

struct FrameReply {
    FrameStatus status = FrameStatus::Ready;
    std::string body;              // the PNG, or the one-line reason
    std::uint64_t generation = 0;  // of the values it shows
};

class FrameService {
  public:
    FrameService(PreviewState& state, int threads);
    ~FrameService();
    FrameService(const FrameService&) = delete;
    FrameService& operator=(const FrameService&) = delete;

    FrameReply frame(A_long frame, ViewSettings view, bool ahead);

  private:
    struct Key {
        std::uint64_t generation = 0;
        ViewSettings view;
        A_long frame = 0;
        auto operator<=>(const Key&) const = default;
    };
    struct Entry {
        bool queued = true;
        bool done = false;
        bool dropped = false;
        FrameReply reply;
    };
    struct Job;

    void work();
    FrameReply render(const Key& key);
    std::shared_ptr<Job> job_for(const Key& key);
    void drop_unwanted(const Key& wanted, A_long ahead_frames);
    void queue_ahead(const Key& from, A_long count, A_long duration);

    PreviewState& state_;
    A_long ahead_ = 1;
    std::mutex mutex_;
    std::condition_variable work_ready_, frame_done_;
    std::map<Key, std::shared_ptr<Entry>> entries_;
    std::deque<Key> queue_;
    bool stopping_ = false;
    std::mutex job_mutex_;
    std::map<std::pair<std::uint64_t, ViewSettings>, std::shared_ptr<Job>> jobs_;
    std::vector<std::thread> workers_;
};

}  // namespace vorlane::host
