#include "session/InteractCallbacks.h"

#include <cstring>
#include <string_view>

#include "session/Serve.h"
#include "session/Session.h"

namespace vorlane::host {
namespace {

PF_Err checkout_param(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time, A_long time_step,
                      A_u_long time_scale, PF_ParamDef* param) {
    return serve(
        context_of(effect_ref), "checkout_param",
        [&](HostCall& call) {
            call.arg("index", index)
                .arg("what_time", what_time)
                .arg("time_step", time_step)
                .arg("time_scale", time_scale);
        },
        [&](HostCall& call) { return call.context()->session->checkout_param(*call.context(), index, param); });
}

PF_Err checkin_param(PF_ProgPtr effect_ref, PF_ParamDef* param) {
    return serve(
        context_of(effect_ref), "checkin_param", [&](HostCall& call) { call.arg("param", param); },
        [&](HostCall& call) { return call.context()->session->checkin_param(*call.context(), param); });
}

PF_Err add_param(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def) {
    return serve(
        context_of(effect_ref), "add_param",
        [&](HostCall& call) {
            call.arg("index", index);
            if (def != nullptr) {
                // The name is read no further than its field: the effect need not have terminated it.
                const std::string_view name(def->name, strnlen(def->name, sizeof def->name));
                call.arg("type", def->param_type).arg("name", name).arg("id", def->uu.id);
            }
        },
        [&](HostCall& call) { return call.context()->session->add_param(*call.context(), index, def); });
}

PF_Err abort(PF_ProgPtr effect_ref) {
    return serve(context_of(effect_ref), "abort", no_args, [](HostCall& call) {
        return call.context()->session->abort_requested() ? PF_Interrupt_CANCEL : PF_Err_NONE;
    });
}

PF_Err progress(PF_ProgPtr effect_ref, A_long current, A_long total) {
    return serve(
        context_of(effect_ref), "progress", [&](HostCall& call) { call.arg("current", current).arg("total", total); },
        [&](HostCall& call) {
            Session& session = *call.context()->session;
            session.note_progress(current, total);
            return session.abort_requested() ? PF_Interrupt_CANCEL : PF_Err_NONE;
        });
}

}  // namespace

PF_InteractCallbacks interact_callbacks() {
    PF_InteractCallbacks callbacks{};
    callbacks.checkout_param = checkout_param;
    callbacks.checkin_param = checkin_param;
    callbacks.add_param = add_param;
    callbacks.abort = abort;
    callbacks.progress = progress;
    return callbacks;
}

}  // namespace vorlane::host
