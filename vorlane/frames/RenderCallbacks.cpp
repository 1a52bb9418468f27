#include "frames/RenderCallbacks.h"

#include "frames/FrameState.h"
#include "frames/LayerSources.h"
#include "frames/RenderJob.h"
#include "pixels/Png.h"
#include "session/Serve.h"
#include "session/Session.h"

namespace vorlane::host {

namespace {

// The effect gets a world of its own, so nothing it does to it can reach the shared picture.
void lend_layer(FrameState& frame, int slot, A_long what_time, A_long time_step, PF_LayerDef* ld) {
    RenderJob& job = *frame.job;
    std::shared_ptr<const WorldStorage> picture = job.layers.layer(slot, what_time, time_step);
    *ld = PF_LayerDef{};
    if (!picture) {
        return;  // an empty slot: no pixels
    }
    const PF_EffectWorld& source = picture->world();
    WorldStorage lent(source.width, source.height, pixel_format_of(source));
    copy_world(source, &lent.world(), nullptr, nullptr, CopyFilter::Nearest);
    *ld = lent.world();
    frame.layer_worlds.emplace(ld->data, std::move(lent));
}

void lend_input(FrameState& frame, PF_LayerDef* ld) {
    const PF_EffectWorld& source = frame.job->background.world();
    WorldStorage lent(source.width, source.height, pixel_format_of(source));
    copy_world(source, &lent.world(), nullptr, nullptr, CopyFilter::Nearest);
    *ld = lent.world();
    frame.layer_worlds.emplace(ld->data, std::move(lent));
}

double frames_of(A_long what_time, A_long time_step) {
    return static_cast<double>(what_time) / static_cast<double>(time_step > 0 ? time_step : kTimeStep);
}

PF_Err checkout_param(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time, A_long time_step,
                      A_u_long time_scale, PF_ParamDef* param) {
    return serve(
        context_of(effect_ref), "checkout_param",
        [&](HostCall& call) {
            call.arg("index", index).arg("time", what_time).arg("time_step", time_step).arg("time_scale", time_scale);
        },
        [&](HostCall&) {
            FrameState* frame = frame_for(effect_ref);
            return frame ? checkout_for_frame(*frame, index, what_time, time_step, param) : PF_Err_BAD_CALLBACK_PARAM;
        });
}

PF_Err checkin_param(PF_ProgPtr effect_ref, PF_ParamDef* param) {
    return serve(
        context_of(effect_ref), "checkin_param",
        [&](HostCall& call) {
            if (param != nullptr) {
                call.arg("id", param->uu.id);
            }
        },
        [&](HostCall&) {
            FrameState* frame = frame_for(effect_ref);
            return frame ? checkin_for_frame(*frame, param) : PF_Err_BAD_CALLBACK_PARAM;
        });
}

}  // namespace

PF_Err checkout_for_frame(FrameState& frame, PF_ParamIndex index, A_long what_time, A_long time_step,
                          PF_ParamDef* param) {
    RenderJob& job = *frame.job;
    if (param == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (index < 0 || index >= job.session.num_params()) {
        return PF_Err_INVALID_INDEX;
    }
    PF_ParamDef def = param_at(job.session, job.tracks, index, frames_of(what_time, time_step));
    // Counted before anything is lent, so that a count the host cannot make leaves nothing lent behind it.
    int& checkouts = frame.param_checkouts[def.uu.id];
    try {
        if (index == 0) {
            lend_input(frame, &def.u.ld);
        } else if (def.param_type == PF_Param_LAYER) {
            lend_layer(frame, job.layer_slots[static_cast<std::size_t>(index)], what_time, time_step, &def.u.ld);
        }
    } catch (const PngError& e) {
        // A source that could be read when the scene was loaded and no longer can.
        frame.refusal = std::string("a layer's source can no longer be read: ") + e.what();
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    *param = def;
    ++checkouts;
    return PF_Err_NONE;
}

PF_Err checkin_for_frame(FrameState& frame, const PF_ParamDef* param) {
    if (param == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    const auto count = frame.param_checkouts.find(param->uu.id);
    if (count == frame.param_checkouts.end() || count->second <= 0) {
        return PF_Err_BAD_CALLBACK_PARAM;  // never checked out, or checked in twice
    }
    if (param->param_type == PF_Param_LAYER && param->u.ld.data != nullptr) {
        const auto world = frame.layer_worlds.find(param->u.ld.data);
        if (world == frame.layer_worlds.end()) {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        frame.layer_worlds.erase(world);
    }
    --count->second;
    return PF_Err_NONE;
}

// Only the parameter callbacks differ in a render; progress and abort stay the session's, which every command's
// records start from.
void install_render_callbacks(PF_InData& in_data) {
    in_data.inter.checkout_param = checkout_param;
    in_data.inter.checkin_param = checkin_param;
}

}  // namespace vorlane::host
