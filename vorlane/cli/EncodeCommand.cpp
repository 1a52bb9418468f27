// `vorlane encode FRAMES --frames A-B --out VIDEO [--fps R] [--matte RRGGBB] [--force]`: a video from PNG frames
// already rendered (a folder of frame_NNNN.png or a NAME_####.png pattern), as `render --out VIDEO` makes it.
#include <cstdio>

#include "cli/Interrupt.h"
#include "cli/Subcommands.h"
#include "output/EncodeSequence.h"
#include "output/VideoEncoder.h"

namespace vorlane::host {
namespace {

struct EncodeArgs {
    std::string images;
    std::string frames;
    std::string out;
    double fps = 24.0;
    std::string matte = "000000";
    bool force = false;
};

std::vector<A_long> frame_range(const std::string& text) {
    long a = 0, b = 0;
    char tail = 0;
    const int n = std::sscanf(text.c_str(), "%ld-%ld%c", &a, &b, &tail);
    if (n == 1 && text.find('-') == std::string::npos) {
        b = a;
    } else if (n != 2 || a < 0 || b < a) {
        throw CommandFailure("--frames takes A-B or A, not \"" + text + "\"");
    }
    std::vector<A_long> frames;
    for (long f = a; f <= b; ++f) {
        frames.push_back(static_cast<A_long>(f));
    }
    return frames;
}

PF_Pixel matte_colour(const std::string& text) {
    unsigned r = 0, g = 0, b = 0;
    char tail = 0;
    const std::string hex = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    if (hex.size() != 6 || std::sscanf(hex.c_str(), "%2x%2x%2x%c", &r, &g, &b, &tail) != 3) {
        throw CommandFailure("--matte takes a colour as RRGGBB, not \"" + text + "\"");
    }
    return PF_Pixel{255, static_cast<A_u_char>(r), static_cast<A_u_char>(g), static_cast<A_u_char>(b)};
}

int run_encode(const CliState& state, const EncodeArgs& args) {
    SequenceEncoding job;
    try {
        job.images = parse_output_target(args.images);
    } catch (const TargetError& e) {
        throw CommandFailure(e.what());
    }
    if (is_video(job.images) || job.images.kind == TargetKind::Single || job.images.image != ImageFormat::Png) {
        throw CommandFailure(args.images + " is not PNG frames: give a folder of frame_NNNN.png or NAME_####.png");
    }
    if (!(args.fps > 0.0)) {
        throw CommandFailure("--fps takes a frame rate above 0");
    }
    job.frames = frame_range(args.frames);
    job.video = args.out;
    job.frame_rate = args.fps;
    job.matte = matte_colour(args.matte);
    job.force = args.force;
    const InterruptWatch interrupt;
    try {
        if (!encode_sequence(job, [&](A_long) { return !interrupt.requested(); })) {
            state.err << "vorlane: interrupted; removed the unfinished video " << args.out << "\n";
            return kInterruptedStatus;
        }
    } catch (const TargetError& e) {
        throw CommandFailure(e.what());
    } catch (const VideoError& e) {
        throw CommandFailure(e.what());
    }
    state.err << "wrote " << args.out << " (" << job.frames.size() << " frames)\n";
    return 0;
}

}  // namespace

void add_encode_command(CLI::App& app, CliState& state) {
    auto args = std::make_shared<EncodeArgs>();
    CLI::App* encode = app.add_subcommand("encode", "make a video (.mov, .mp4, .gif) from rendered PNG frames");
    encode->add_option("frames", args->images, "a folder of frame_NNNN.png, or NAME_####.png")->required();
    encode->add_option("--frames", args->frames, "the frames, A-B or A, in the video's order")->required();
    encode->add_option("--out", args->out, "the video: .mov (ProRes 4444 with alpha), .mp4 (H.264), .gif")->required();
    encode->add_option("--fps", args->fps, "frames per second (default: 24)");
    encode->add_option("--matte", args->matte, "RRGGBB: what transparent pixels show in .mp4 (default: 000000)");
    encode->add_flag("--force", args->force, "replace a video that exists");
    encode->callback([&state, args] { state.action = [&state, args] { return run_encode(state, *args); }; });
}

}  // namespace vorlane::host
