#include "output/EncodeSequence.h"

#include "output/TargetLock.h"
#include "output/VideoEncoder.h"
#include "pixels/Png.h"

namespace vorlane::host {

namespace {

VideoSettings settings_for(const SequenceEncoding& job, const OutputTarget& video) {
    const std::filesystem::path first = frame_file(job.images, job.frames.front());
    const PF_PixelFormat format = native_png_format(first);
    const WorldStorage picture = read_png(first, format);
    VideoSettings settings;
    settings.format = video.video;
    settings.width = picture.world().width;
    settings.height = picture.world().height;
    settings.frame_rate = job.frame_rate;
    settings.bits = format == PF_PixelFormat_ARGB64 ? 16 : 8;
    settings.matte = job.matte;
    settings.existing = job.force ? Existing::Replace : Existing::Keep;
    return settings;
}

}  // namespace

bool encode_sequence(const SequenceEncoding& job, const std::function<bool(A_long frame)>& go_on) {
    const OutputTarget video = parse_output_target(job.video.string());
    if (!is_video(video)) {
        throw TargetError(job.video.string() + " is not a video: give a .mov, .mp4 or .gif");
    }
    if (job.frames.empty()) {
        throw TargetError("no frames to encode");
    }
    check_target(video, job.frames, job.force);
    for (A_long frame : job.frames) {
        std::error_code ec;
        if (const std::filesystem::path file = frame_file(job.images, frame); !std::filesystem::exists(file, ec)) {
            throw TargetError("frame " + std::to_string(frame) + " is missing: " + file.string());
        }
    }
    prepare_target_folder(video);
    const TargetLock lock(video, job.frames.front(), job.frames.back());
    try {
        const VideoSettings settings = settings_for(job, video);
        const PF_PixelFormat format = settings.bits == 16 ? PF_PixelFormat_ARGB64 : PF_PixelFormat_ARGB32;
        VideoEncoder encoder(video.path, settings);
        for (A_long frame : job.frames) {
            const WorldStorage picture = read_png(frame_file(job.images, frame), format);
            encoder.add(picture.world());
            if (go_on && !go_on(frame)) {
                return false;  // the encoder removes what it wrote
            }
        }
        encoder.finish();
        return true;
    } catch (const PngError& e) {
        throw VideoError(std::string("cannot make ") + job.video.string() + ": " + e.what());
    }
}

}  // namespace vorlane::host
