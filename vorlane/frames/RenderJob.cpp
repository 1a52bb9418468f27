#include "frames/RenderJob.h"

#include <cmath>

#include "frames/FrameState.h"
#include "frames/RenderCallbacks.h"
#include "scene/SourceLimit.h"
#include "session/ErrorNames.h"
#include "session/Session.h"

namespace vorlane::host {

namespace {

WorldStorage make_background(const Scene& scene, PF_PixelFormat format, A_long width, A_long height) {
    WorldStorage world(width, height, format);
    if (const auto* color = std::get_if<BackgroundColor>(&scene.background)) {
        fill_world(&world.world(), &color->color, nullptr);
    } else if (const auto* image = std::get_if<BackgroundImage>(&scene.background)) {
        // The effect's layer is the composition's size; a picture of another size is fitted to it.
        const WorldStorage picture = read_source_png(image->path, format, scene.max_source_pixels);
        copy_world(picture.world(), &world.world(), nullptr, nullptr, CopyFilter::HighQuality);
    }
    return world;
}

std::vector<int> layer_slots_of(const Session& session) {
    std::vector<int> slots;
    int slot = 0;
    for (const PF_ParamDef& def : session.params()) {
        const bool layer = !slots.empty() && def.param_type == PF_Param_LAYER;
        slots.push_back(layer ? ++slot : 0);
    }
    return slots;
}

// Fills the command's records as the host has them at the frame: its time, sizes and downsampling, the parameter
// values at that time, the input layer, and the render callbacks.
void prepare_render(FrameState& frame, CommandContext& context) {
    const RenderJob& job = *frame.job;
    frame.context = &context;
    PF_InData& in = context.in_data;
    in.current_time = frame.frame * kTimeStep;
    in.time_step = kTimeStep;
    in.local_time_step = kTimeStep;
    in.total_time = job.scene.comp.duration_frames * kTimeStep;
    in.time_scale = job.time_scale;
    in.width = job.width;
    in.height = job.height;
    in.extent_hint = PF_Rect{0, 0, job.width, job.height};
    in.downsample_x = job.scene.render.downsample;
    in.downsample_y = job.scene.render.downsample;
    in.quality = job.scene.render.quality;
    install_render_callbacks(in);
    const double at = static_cast<double>(frame.frame);
    for (std::size_t i = 1; i < context.params.size(); ++i) {
        if (context.params[i].param_type != PF_Param_LAYER) {
            context.params[i] = param_at(job.session, job.tracks, static_cast<PF_ParamIndex>(i), at);
        }
    }
    // The effect reads its input from the parameter array; it is the host's, shared by every frame, never written.
    context.params[0].u.ld = job.background.world();
}

}  // namespace

RenderJob::RenderJob(Session& s, const Scene& sc, ParamTracks t)
    : session(s),
      scene(sc),
      tracks(std::move(t)),
      format(scene_pixel_format(sc)),
      width(downsampled_size(sc.comp.width, sc.render.downsample)),
      height(downsampled_size(sc.comp.height, sc.render.downsample)),
      time_scale(static_cast<A_u_long>(std::lround(sc.comp.frame_rate * kTimeStep))),
      layers(sc, format, sc.render.downsample, sc.render.downsample),
      background(make_background(sc, format, width, height)),
      layer_slots(layer_slots_of(s)) {}

FrameResult render_frame(RenderJob& job, A_long frame_number) {
    FrameResult result;
    result.output = WorldStorage(job.width, job.height, job.format);
    FrameState frame;
    frame.job = &job;
    frame.frame = frame_number;
    if (job.profile) {
        result.profile.emplace();
    }
    {
        FrameBinding binding(frame);
        std::optional<ProfileBinding> profiling;
        if (result.profile) {
            profiling.emplace(*result.profile);
        }
        std::chrono::steady_clock::time_point start;
        const CommandResult run =
            job.session.run(PF_Cmd_RENDER, nullptr, &result.output.world(), [&frame, &start](CommandContext& context) {
                prepare_render(frame, context);
                start = std::chrono::steady_clock::now();
            });
        result.command_time = std::chrono::steady_clock::now() - start;
        result.err = run.err;
    }
    result.leaks = frame.finish();
    result.refusal = std::move(frame.refusal);
    return result;
}

std::string describe_failure(const FrameResult& result, const Session& session) {
    std::string line = "the render failed with error " + describe_err(result.err);
    const std::string why = !result.refusal.empty() ? result.refusal : session.host_message();
    return why.empty() ? line : line + ": " + why;
}

}  // namespace vorlane::host
