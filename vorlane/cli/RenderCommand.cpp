#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>

#include "cli/Interrupt.h"
#include "cli/RenderCommand.h"
#include "cli/RenderOptions.h"
#include "cli/RenderProfile.h"
#include "cli/RenderProgress.h"
#include "cli/RenderTrace.h"
#include "cli/Subcommands.h"
#include "frames/FrameLoop.h"
#include "frames/SceneSession.h"
#include "pixels/Png.h"
#include "scene/DemoScene.h"
#include "scene/SceneLoad.h"
#include "scene/SceneWarnings.h"
#include "session/ErrorNames.h"

namespace vorlane::host {

namespace {

struct RenderArgs {
    std::string scene;
    std::string frames;
    std::string out = "frames";
    std::string trace;
    int threads = 1;
    bool profile = false;
    ParamChanges changes;
    RenderOptions options;
};

std::string frame_file_name(A_long frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%04ld.png", static_cast<long>(frame));
    return name;
}

// "A-B" or "A", within the composition's frames 0 .. duration - 1.
std::vector<A_long> frame_list(const std::string& text, const Comp& comp) {
    A_long first = 0, last = comp.duration_frames - 1;
    if (!text.empty()) {
        long a = 0, b = 0;
        char tail = 0;
        const int n = std::sscanf(text.c_str(), "%ld-%ld%c", &a, &b, &tail);
        if (n == 1 && text.find('-') == std::string::npos) {
            b = a;
        } else if (n != 2) {
            throw CommandFailure("--frames takes A-B or A, not \"" + text + "\"");
        }
        if (b < a) {
            throw CommandFailure("--frames " + text + " is reversed: the first frame must not come after the last (" +
                                 std::to_string(b) + "-" + std::to_string(a) + ")");
        }
        if (a < 0 || b >= comp.duration_frames) {
            throw CommandFailure("--frames " + text + " lies outside the composition's frames 0-" +
                                 std::to_string(comp.duration_frames - 1));
        }
        first = static_cast<A_long>(a);
        last = static_cast<A_long>(b);
    }
    std::vector<A_long> frames;
    for (A_long f = first; f <= last; ++f) {
        frames.push_back(f);
    }
    return frames;
}

std::string failure_text(A_long frame, const FrameResult& result, const Session& session) {
    std::string text = "frame " + std::to_string(frame) + ": ";
    if (result.err != PF_Err_NONE) {
        text += "the render failed with error " + describe_err(result.err);
        if (const std::string why = session.host_message(); !why.empty()) {
            text += ": " + why;
        }
        return text;
    }
    text += "the effect left with the host:";
    for (std::size_t i = 0; i < result.leaks.size(); ++i) {
        text += (i > 0 ? "," : "") + std::string(" ") + result.leaks[i];
    }
    return text;
}

int run_render(const CliState& state, const RenderArgs& args) {
    // Everything the user gave is checked before the first frame is made.
    Scene scene = args.scene.empty() ? demo_scene() : load_scene_file(args.scene);
    apply_render_options(scene, args.options);
    const std::vector<A_long> frames = frame_list(args.frames, scene.comp);
    if (args.threads < 1) {
        throw CommandFailure("-j takes a number of threads of 1 or more");
    }
    HostedEffect effect = open_effect(state);
    Session& session = *effect.session;
    RenderJob job(session, scene, prepare_scene_session(session, scene, args.changes));
    if (!args.options.quiet) {
        print_warnings(state.err, scene_warnings(session, scene, job.tracks));
    }
    job.profile = args.profile;

    const std::filesystem::path out_dir(args.out);
    std::error_code ec;
    std::filesystem::create_directories(out_dir, ec);
    if (ec) {
        throw CommandFailure("cannot make the output folder " + out_dir.string() + ": " + ec.message());
    }
    std::optional<RenderTrace> trace;
    if (!args.trace.empty()) {
        trace.emplace(args.trace, session.gate(), frames);
    }
    std::ostream silent(nullptr);  // a stream without a buffer drops what it is given
    RenderProgress progress(args.options.quiet ? silent : state.err, static_cast<int>(frames.size()),
                            &state.err == &std::cerr && stderr_is_terminal());
    std::mutex failure_mutex;
    std::string failure;
    std::vector<FrameProfile> profiles;
    const InterruptWatch interrupt;
    FrameHooks hooks;
    hooks.stop = [&] { return interrupt.requested(); };
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
            return false;
        }
        const std::filesystem::path file = out_dir / frame_file_name(frame);
        try {
            write_png(file, result.output.world(), scene.render.depth);
        } catch (const std::exception& e) {
            std::lock_guard lock(failure_mutex);
            failure = failure.empty() ? std::string(e.what()) : failure;
            return false;
        }
        progress.frame_done(frame, file.string());
        return true;
    };
    bool ok = false;
    try {
        ok = render_frames(job, frames, args.threads, hooks);
    } catch (const FrameLoopError&) {
        progress.finish();  // the bar's line ends before the error's
        throw;
    }
    progress.finish();
    if (args.profile) {
        std::sort(profiles.begin(), profiles.end(), [](const auto& a, const auto& b) { return a.frame < b.frame; });
        write_profile(state.out, profiles);
    }
    if (interrupt.requested()) {
        state.err << "vorlane: interrupted; wrote " << progress.written() << "\n";
        return kInterruptedStatus;
    }
    if (!ok) {
        throw CommandFailure(failure);
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
    CLI::App* render = app.add_subcommand("render", "render frames of a scene (the built-in demo without one) to PNG");
    render->add_option("scene", args->scene, "the scene file (JSON)");
    render->add_option("--frames", args->frames, "the frames to render, A-B or A (default: all)");
    render->add_option("--out", args->out, "the folder for frame_NNNN.png (default: frames)");
    render->add_option("--trace", args->trace, "write every host call to this file as JSON Lines");
    render->add_option("-j", args->threads, "frames rendered at once (default: 1)");
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
