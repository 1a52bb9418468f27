#include "cli/RenderOutput.h"

#include <algorithm>

#include "cli/Subcommands.h"
#include "output/ExrWrite.h"

namespace vorlane::host {

namespace {

// The colour a video without alpha shows where the frames are transparent: the scene's background colour, or black.
PF_Pixel matte_of(const Scene& scene) {
    if (const auto* colour = std::get_if<BackgroundColor>(&scene.background)) {
        return colour->color;
    }
    return PF_Pixel{255, 0, 0, 0};
}

}  // namespace

RenderOutput::RenderOutput(const OutputOptions& options, const Scene& scene, A_long width, A_long height,
                           const std::vector<A_long>& frames, int threads, RenderProgress& progress)
    : options_(options), depth_(scene.render.depth), first_(frames.empty() ? 0 : frames.front()), progress_(progress) {
    try {
        target_ = parse_output_target(options.out);
        check_target(target_, frames, options.force);
        // Names checked free stay so: a file another program puts there meanwhile is not replaced. A folder of
        // frames is always written into.
        existing_ = options.force || target_.kind == TargetKind::Folder ? Existing::Replace : Existing::Keep;
        prepare_target_folder(target_);
        if (!frames.empty()) {
            const auto [low, high] = std::minmax_element(frames.begin(), frames.end());
            lock_.emplace(target_, *low, *high);
        }
        if (is_video(target_)) {
            VideoSettings settings;
            settings.format = target_.video;
            settings.width = width;
            settings.height = height;
            settings.frame_rate = scene.comp.frame_rate;
            settings.bits = depth_;
            settings.matte = matte_of(scene);
            settings.existing = existing_;
            video_.emplace(target_.path, settings);
        }
    } catch (const TargetError& e) {
        throw CommandFailure(e.what());
    } catch (const VideoError& e) {
        throw CommandFailure(e.what());
    }
    // One writer per render thread keeps up with them; a video takes its frames one by one, in order.
    const int writers = is_video(target_) ? 1 : threads;
    writer_ = std::make_unique<FrameWriter>([this](A_long frame, const PF_EffectWorld& world) { write(frame, world); },
                                            writers, static_cast<std::size_t>(threads), is_video(target_));
}

void RenderOutput::write(A_long frame, const PF_EffectWorld& world) {
    const std::filesystem::path file = frame_file(target_, frame);
    if (video_) {
        video_->add(world);
    } else if (target_.image == ImageFormat::Exr && target_.kind != TargetKind::Folder) {
        write_exr(file, world, existing_);
    } else {
        write_png(file, world, depth_, options_.png, existing_);
    }
    progress_.frame_done(frame, file.string());
}

bool RenderOutput::take(A_long frame, WorldStorage world) {
    return writer_->push(static_cast<std::size_t>(frame - first_), frame, std::move(world));
}

void RenderOutput::stop() {
    writer_->release();
}

void RenderOutput::finish() {
    try {
        writer_->finish();
        if (video_) {
            video_->finish();
            video_.reset();
        }
    } catch (const std::exception& e) {
        const std::string removed = abandon();
        throw CommandFailure(e.what() + (removed.empty() ? "" : "; " + removed));
    }
}

std::vector<std::string> RenderOutput::temporary_files() const {
    if (!video_) {
        return {};
    }
    // The lock on a video is held whole, by this render alone: removed with the video, it frees nothing another holds.
    return {video_->temporary().string(), video_->log().string(), target_lock_file(target_).string()};
}

std::string RenderOutput::abandon() {
    writer_->release();
    try {
        writer_->finish();
    } catch (const std::exception&) {
        // The render's own failure is what is reported.
    }
    if (!video_) {
        return {};
    }
    video_->abandon();
    video_.reset();
    return "removed the unfinished video " + target_.path.string();
}

}  // namespace vorlane::host
