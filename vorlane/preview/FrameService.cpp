#include "preview/FrameService.h"

#include <algorithm>
#include <shared_mutex>
#include <sstream>

#include "frames/RenderJob.h"
#include "pixels/Png.h"
#include "session/Session.h"

namespace vorlane::host {

// One RenderJob per state and view; the scene it renders is its own copy, with the chosen layers in their slots.
struct FrameService::Job {
    Job(PreviewState& state, ViewSettings view)
        : scene(with_view(scene_for_render(state), view)), job(state.session, scene, state.tracks) {}

    static Scene with_view(Scene scene, ViewSettings view) {
        scene.render.downsample = {1, static_cast<A_u_long>(view.downsample)};
        scene.render.quality = view.high_quality ? PF_Quality_HI : PF_Quality_LO;
        return scene;
    }

    Scene scene;
    RenderJob job;
};

FrameService::FrameService(PreviewState& state, int threads) : state_(state), ahead_(std::max(2, 2 * threads)) {
    for (int t = 0; t < std::max(1, threads); ++t) {
        workers_.emplace_back([this] { work(); });
    }
}

FrameService::~FrameService() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        for (auto& entry : entries_) {
            entry.second->dropped = true;
        }
    }
    work_ready_.notify_all();
    frame_done_.notify_all();
    for (std::thread& worker : workers_) {
        worker.join();
    }
}

void FrameService::drop_unwanted(const Key& wanted, A_long ahead_frames) {
    const auto keep = [&](const Key& key) {
        const A_long after = key.frame - wanted.frame;
        return key.generation == wanted.generation && key.view == wanted.view && after >= 0 && after <= ahead_frames;
    };
    std::deque<Key> kept;
    for (const Key& key : queue_) {
        if (keep(key)) {
            kept.push_back(key);
        } else if (const auto entry = entries_.find(key); entry != entries_.end()) {
            entry->second->dropped = true;
            entries_.erase(entry);
        }
    }
    queue_.swap(kept);
    // Finished frames of other states are of no use any more; frames of this state stay for scrubbing back.
    std::erase_if(entries_,
                  [&](const auto& entry) { return entry.first.generation != wanted.generation && entry.second->done; });
}

void FrameService::queue_ahead(const Key& from, A_long count, A_long duration) {
    for (A_long k = 1; k <= std::min(count, duration - 1); ++k) {
        Key next = from;
        next.frame = (from.frame + k) % duration;
        if (entries_.emplace(next, std::make_shared<Entry>()).second) {
            queue_.push_back(next);
        }
    }
}

FrameReply FrameService::frame(A_long frame, ViewSettings view, bool ahead) {
    Key key;
    A_long duration = 1;
    {
        // A reload may change the composition's length with the generation.
        const auto held = state_.lock.shared();
        key = {state_.generation, view, frame};
        duration = state_.scene.comp.duration_frames;
    }
    std::unique_lock lock(mutex_);
    drop_unwanted(key, ahead ? ahead_ : 0);
    auto [place, added] = entries_.emplace(key, std::make_shared<Entry>());
    const std::shared_ptr<Entry> entry = place->second;
    if (added) {
        queue_.push_front(key);
    } else if (entry->queued) {
        // Wanted now: it goes before the frames queued ahead of it.
        std::erase(queue_, key);
        queue_.push_front(key);
    }
    if (ahead) {
        queue_ahead(key, ahead_, duration);
    }
    work_ready_.notify_all();
    frame_done_.wait(lock, [&] { return entry->done || entry->dropped; });
    if (entry->dropped && !entry->done) {
        return {FrameStatus::Dropped, "frame " + std::to_string(frame) + " was passed by a later request"};
    }
    return entry->reply;
}

void FrameService::work() {
    std::unique_lock lock(mutex_);
    while (true) {
        work_ready_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
        if (stopping_) {
            return;
        }
        const Key key = queue_.front();
        queue_.pop_front();
        const auto found = entries_.find(key);
        if (found == entries_.end()) {
            continue;
        }
        const std::shared_ptr<Entry> entry = found->second;
        entry->queued = false;
        lock.unlock();
        FrameReply reply = render(key);
        lock.lock();
        entry->reply = std::move(reply);
        entry->done = entry->reply.status != FrameStatus::Dropped;
        entry->dropped = !entry->done;
        if (entry->dropped) {
            entries_.erase(key);
        }
        frame_done_.notify_all();
    }
}

std::shared_ptr<FrameService::Job> FrameService::job_for(const Key& key) {
    std::lock_guard lock(job_mutex_);
    std::erase_if(jobs_, [&](const auto& job) { return job.first.first != key.generation; });
    auto& job = jobs_[{key.generation, key.view}];
    if (!job) {
        job = std::make_shared<Job>(state_, key.view);
    }
    return job;
}

FrameReply FrameService::render(const Key& key) {
    // Shared with other renders, never with an edit: the values a render reads are those of one whole state.
    const auto held = state_.lock.shared();
    if (state_.generation != key.generation) {
        return {FrameStatus::Dropped, "the values changed"};
    }
    try {
        const std::shared_ptr<Job> job = job_for(key);
        FrameResult result = render_frame(job->job, key.frame);
        if (result.err != PF_Err_NONE) {
            return {FrameStatus::Failed,
                    "frame " + std::to_string(key.frame) + ": " + describe_failure(result, state_.session)};
        }
        if (!result.leaks.empty()) {
            return {FrameStatus::Failed, "frame " + std::to_string(key.frame) + ": the effect left " +
                                             result.leaks.front() + " with the host"};
        }
        std::ostringstream png;
        encode_png(png, result.output.world(), job->scene.render.depth);
        return {FrameStatus::Ready, png.str(), key.generation};
    } catch (const std::exception& e) {
        return {FrameStatus::Failed, "frame " + std::to_string(key.frame) + ": " + e.what()};
    }
}

}  // namespace vorlane::host
