// One render of a scene through a session: what all its frames share, read-only while they run (the layer cache
// guards itself), and the rendering of one frame as a PF_Cmd_RENDER command.
//
//     RenderJob job(session, scene, tracks);
//     FrameResult result = render_frame(job, 12);
//     if (result.err == PF_Err_NONE && result.leaks.empty()) write_png(..., result.output.world(), 8);
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "AE_Effect.h"
#include "frames/LayerSources.h"
#include "scene/Scene.h"
#include "scene/SceneParams.h"
#include "session/CallProfile.h"

namespace vorlane::host {

class Session;

struct RenderJob {
    RenderJob(Session& session, const Scene& scene, ParamTracks tracks);

    Session& session;
    const Scene& scene;
    ParamTracks tracks;
    PF_PixelFormat format;
    A_long width, height;  // of the output and the effect's layer, at the render's downsampling
    A_u_long time_scale;
    LayerCache layers;
    WorldStorage background;       // the effect's input layer
    std::vector<int> layer_slots;  // per parameter index: the slot of a layer parameter (1..), 0 for the rest
    bool profile = false;          // whether frames time their host calls (FrameResult::profile)
};

struct FrameResult {
    PF_Err err = PF_Err_NONE;
    std::vector<std::string> leaks;  // what the effect still held when the command ended
    WorldStorage output;
    std::chrono::nanoseconds command_time{0};  // the render command, from the entry point's call to its return
    std::optional<CallProfile> profile;        // the command's host calls, when the job asks for them
    std::string refusal;                       // why the host refused the effect a call, when it did
};

FrameResult render_frame(RenderJob& job, A_long frame);

// "the render failed with error N (NAME)", and why when the host knows: a failed frame's line.
std::string describe_failure(const FrameResult& result, const Session& session);

}  // namespace vorlane::host
