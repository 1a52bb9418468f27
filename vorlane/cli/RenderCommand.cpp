#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>

#include "cli/FrameList.h"
#include "cli/Interrupt.h"
#include "cli/RenderCommand.h"
#include "cli/RenderOptions.h"
#include "cli/RenderOutput.h"
#include "cli/RenderProfile.h"
#include "cli/RenderProgress.h"
#include "cli/RenderTrace.h"
#include "cli/Subcommands.h"
#include "farm/FrameFiles.h"
#include "frames/FrameLoop.h"
#include "frames/SceneSession.h"
#include "pixels/Png.h"
#include "scene/DemoScene.h"
#include "scene/SceneLoad.h"
#include "scene/SceneWarnings.h"

namespace vorlane::host {

namespace {

struct RenderArgs {
    std::string scene;
    std::string frames;
    OutputOptions output;
    std::string png_compression = "fast";
    std::string trace;
    int threads = 1;
    bool profile = false;
    bool skip_existing = false;
    ParamChanges changes;
    RenderOptions options;
};

std::string failure_text(A_long frame, const FrameResult& result, const Session& session) {
    std::string text = "frame " + std::to_string(frame) + ": ";
    if (result.err != PF_Err_NONE) {
        return text + describe_failure(result, session);
    }
    text += "the effect left with the host:";
    for (std::size_t i = 0; i < result.leaks.size(); ++i) {
        text += (i > 0 ? "," : "") + std::string(" ") + result.leaks[i];
    }
    return text;
}

// The frames whose file is not yet there and whole; the others are named on the error stream.
std::vector<A_long> skip_written_frames(const CliState& state, const std::string& out, std::vector<A_long> frames) {
    OutputTarget target;
    try {
        target = parse_output_target(out);
    } catch (const TargetError& e) {
        throw CommandFailure(e.what());
    }
    if (is_video(target)) {
        throw CommandFailure(
            "--skip-existing keeps frames already written, which a video does not have; render to "
            "a folder or NAME_####.png and encode it");
    }
    const std::vector<A_long> missing = missing_frames(target, frames);
    if (missing.size() < frames.size()) {
        std::vector<A_long> kept;
        std::set_difference(frames.begin(), frames.end(), missing.begin(), missing.end(), std::back_inserter(kept));
        state.err << "skipped " << kept.size() << " frame(s) already written (" << frame_runs(kept) << ")"
                  << (missing.empty() ? "; nothing left to render" : "") << "\n";
    }
    return missing;
}

int run_render(const CliState& state, const RenderArgs& args) {
    // Everything the user gave is checked before the first frame is made.
    Scene scene = args.scene.empty() ? demo_scene() : load_scene_file(args.scene);
    apply_render_options(scene, args.options);
    std::vector<A_long> frames = frame_list(args.frames, scene.comp.duration_frames);
    if (args.threads < 1) {
        throw CommandFailure("-j takes a number of threads of 1 or more");
    }
    if (!args.trace.empty()) {
        try {
            check_new_file(args.trace, args.output.force, "--trace");
        } catch (const TargetError& e) {
            throw CommandFailure(e.what());
        }
    }
    if (args.skip_existing) {
        frames = skip_written_frames(state, args.output.out, frames);
        if (frames.empty()) {
            return 0;
        }
    }
    HostedEffect effect = open_effect(state);
    Session& session = *effect.session;
    RenderJob job(session, scene, prepare_scene_session(session, scene, args.changes));
    if (!args.options.quiet) {
        print_warnings(state.err, scene_warnings(session, scene, job.tracks));
    }
    job.profile = args.profile;

    std::optional<RenderTrace> trace;
    if (!args.trace.empty()) {
        trace.emplace(args.trace, session.gate(), frames, args.output.force ? Existing::Replace : Existing::Keep);
    }
    std::ostream silent(nullptr);  // a stream without a buffer drops what it is given
    RenderProgress progress(args.options.quiet ? silent : state.err, static_cast<int>(frames.size()),
                            &state.err == &std::cerr && stderr_is_terminal());
    OutputOptions output_options = args.output;
    // What is left of the frames is missing or broken, and a broken file is replaced.
    output_options.force = output_options.force || args.skip_existing;
    output_options.png = args.png_compression == "small" ? PngCompression::Small : PngCompression::Fast;
    RenderOutput output(output_options, scene, job.width, job.height, frames, args.threads, progress);
    std::mutex failure_mutex;
    std::string failure;
    std::vector<FrameProfile> profiles;
    const InterruptWatch interrupt;
    if (const std::vector<std::string> temporaries = output.temporary_files(); temporaries.size() == 3) {
        interrupt.remove_at_hard_exit(temporaries[0], temporaries[1], temporaries[2]);
    }
    FrameHooks hooks;
    hooks.stop = [&] {
        if (interrupt.requested()) {
            output.stop();  // frames after a stopped one will not be waited for
            return true;
        }
        return false;
    };
    hooks.failed = [&] { output.stop(); };
    hooks.before = [&](A_long frame) {
        if (trace) {
            trace->begin_frame(frame);
        }
    };
    hooks.after = [&](A_long frame, FrameResult& result) {
        if (trace) {
            trace->end_frame(frame);
        }
        if (result.profile) {
            std::lock_guard lock(failure_mutex);
            profiles.push_back({frame, result.command_time, std::move(*result.profile)});
        }
        if (result.err != PF_Err_NONE || !result.leaks.empty()) {
            std::lock_guard lock(failure_mutex);
            failure = failure.empty() ? failure_text(frame, result, session) : failure;
            output.stop();
            return false;
        }
        return output.take(frame, std::move(result.output));
    };
    bool ok = false;
    try {
        ok = render_frames(job, frames, args.threads, hooks);
    } catch (const FrameLoopError& e) {
        const std::string removed = output.abandon();
        progress.finish();  // the bar's line ends before the error's
        throw CommandFailure(e.what() + (removed.empty() ? "" : "; " + removed));
    }
    std::string removed;
    try {
        // A render stopped by a failed write has no failure of its own: finishing the output reports the write's.
        if (!interrupt.requested() && (ok || failure.empty())) {
            output.finish();
        }
        removed = output.abandon();
    } catch (const CommandFailure&) {
        progress.finish();
        throw;
    }
    progress.finish();
    if (trace) {
        trace->finish();
    }
    if (args.profile) {
        std::sort(profiles.begin(), profiles.end(), [](const auto& a, const auto& b) { return a.frame < b.frame; });
        write_profile(state.out, profiles);
    }
    if (interrupt.requested()) {
        state.err << "vorlane: interrupted; " << (removed.empty() ? "wrote " + progress.written() : removed) << "\n";
        return kInterruptedStatus;
    }
    if (!ok) {
        throw CommandFailure(failure + (removed.empty() ? "" : "; " + removed));
    }
    // Counted over all frames together: with several threads one frame's count says nothing on its own.
    if (const int held = session.suites().outstanding(); held != 0) {
        throw CommandFailure("the effect left " + std::to_string(held) + " suite(s) acquired after the render");
    }
    return 0;
}

}  // namespace

void add_render_command(CLI::App& app, CliState& state) {
    auto args = std::make_shared<RenderArgs>();
    CLI::App* render = app.add_subcommand(
        "render", "render frames of a scene (the built-in demo without one) to PNG, OpenEXR or video");
    render->add_option("scene", args->scene, "the scene file (JSON)");
    render->add_option("--frames", args->frames, "the frames to render, A-B or A (default: all)");
    render->add_option("--out", args->output.out,
                       "a folder for frame_NNNN.png (default: frames), NAME_####.png, NAME_####.exr, or a video: "
                       ".mov (ProRes 4444 with alpha), .mp4 (H.264), .gif");
    render->add_flag("--force", args->output.force, "replace files of --out (and --trace) that already exist");
    render->add_option("--png-compression", args->png_compression, "fast (default) or small: smaller, slower files")
        ->check(CLI::IsMember({"fast", "small"}));
    render->add_option("--trace", args->trace, "write every host call to this file as JSON Lines");
    render->add_option("-j", args->threads, "frames rendered at once (default: 1)");
    render->add_flag("--skip-existing", args->skip_existing,
                     "keep frames whose file is already there and whole, render the rest");
    render->add_flag("--profile", args->profile,
                     "print per frame the time in the effect and in host calls, by group and by call");
    // One value per occurrence, so that a scene named after --set is not taken for a second value.
    render->add_option("--set", args->changes.sets, "NAME=VALUE: override a parameter of the scene")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    render
        ->add_option("--edit", args->changes.edits,
                     "NAME=VALUE: change a parameter as a user does, the effect reacting to it")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    add_render_options(*render, args->options);
    render->callback([&state, args] { state.action = [&state, args] { return run_render(state, *args); }; });
}

}  // namespace vorlane::host
