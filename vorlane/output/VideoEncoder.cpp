#include "output/VideoEncoder.h"

#include <fstream>
#include <string>
#include <type_traits>

#include "pixels/PixelTraits.h"

namespace vorlane::host {

namespace {

std::uint8_t to_8(A_u_char v) {
    return v;
}
std::uint8_t to_8(A_u_short v) {
    return channel_16_to_8(v);
}

std::uint16_t to_16(A_u_char v) {
    return static_cast<std::uint16_t>(v * 257u);
}
std::uint16_t to_16(A_u_short v) {
    return static_cast<std::uint16_t>((std::min<std::uint32_t>(v, 32768u) * 65535u + 16384u) / 32768u);
}

// Straight colour over an opaque matte.
std::uint8_t over(std::uint8_t c, std::uint8_t alpha, std::uint8_t matte) {
    return static_cast<std::uint8_t>((c * alpha + matte * (255 - alpha) + 127) / 255);
}

template <class Pixel>
void pipe_rows(const PF_EffectWorld& world, const VideoSettings& settings, std::uint8_t* out) {
    const std::string format = piped_pixel_format(settings);
    for (A_long y = 0; y < world.height; ++y) {
        const Pixel* row = pixel_row<Pixel>(world, y);
        for (A_long x = 0; x < world.width; ++x) {
            const Pixel& p = row[x];
            if (format == "rgb24") {
                const std::uint8_t a = to_8(p.alpha);
                *out++ = over(to_8(p.red), a, settings.matte.red);
                *out++ = over(to_8(p.green), a, settings.matte.green);
                *out++ = over(to_8(p.blue), a, settings.matte.blue);
            } else if (format == "rgba64le") {
                for (const auto c : {p.red, p.green, p.blue, p.alpha}) {
                    const std::uint16_t v = to_16(c);
                    *out++ = static_cast<std::uint8_t>(v);
                    *out++ = static_cast<std::uint8_t>(v >> 8);
                }
            } else {
                for (const auto c : {p.red, p.green, p.blue, p.alpha}) {
                    *out++ = to_8(c);
                }
            }
        }
    }
}

}  // namespace

void pipe_frame(const PF_EffectWorld& world, const VideoSettings& settings, std::uint8_t* out) {
    if ((world.world_flags & PF_WorldFlag_DEEP) != 0) {
        pipe_rows<PF_Pixel16>(world, settings, out);
    } else {
        pipe_rows<PF_Pixel>(world, settings, out);
    }
}

VideoEncoder::VideoEncoder(const std::filesystem::path& video, const VideoSettings& settings)
    : settings_(settings), video_(video, settings.existing), log_(video.string() + ".ffmpeg-log") {
    const std::filesystem::path program = find_program("ffmpeg");
    if (program.empty()) {
        throw VideoError("cannot make " + video.string() + ": ffmpeg is not on PATH");
    }
    try {
        ffmpeg_ = std::make_unique<ChildProcess>(program, ffmpeg_arguments(settings, video_.path()), log_.path());
    } catch (const ChildError& e) {
        throw VideoError(std::string("cannot make ") + video.string() + ": " + e.what());
    }
    frame_.resize(piped_frame_bytes(settings));
}

VideoEncoder::~VideoEncoder() {
    abandon();
}

std::string VideoEncoder::ffmpeg_said() const {
    std::ifstream in(log_.path());
    std::string line, last;
    while (std::getline(in, line)) {
        if (!line.empty()) {
            last = line;
        }
    }
    return last.empty() ? std::string() : ": " + last;
}

void VideoEncoder::add(const PF_EffectWorld& world) {
    if (world.width != settings_.width || world.height != settings_.height) {
        throw VideoError("frame " + std::to_string(added_) + " of " + video_.final_path().string() +
                         " is not the video's size");
    }
    pipe_frame(world, settings_, frame_.data());
    if (!ffmpeg_ || !ffmpeg_->write(frame_.data(), frame_.size())) {
        const int status = ffmpeg_ ? ffmpeg_->finish() : -1;
        throw VideoError("ffmpeg stopped making " + video_.final_path().string() + " (exit status " +
                         std::to_string(status) + ")" + ffmpeg_said());
    }
    ++added_;
}

void VideoEncoder::finish() {
    const int status = ffmpeg_ ? ffmpeg_->finish() : -1;
    ffmpeg_.reset();
    if (status != 0) {
        throw VideoError("ffmpeg failed to make " + video_.final_path().string() + " (exit status " +
                         std::to_string(status) + ")" + ffmpeg_said());
    }
    if (const std::error_code error = video_.keep()) {
        throw VideoError(video_.keep_failure(error));
    }
}

void VideoEncoder::abandon() {
    if (ffmpeg_) {
        ffmpeg_->kill();
        ffmpeg_.reset();
    }
    // The temporary video goes with video_ unless finish() kept it.
}

}  // namespace vorlane::host
