#include "suites/UtilCallbacks.h"

#include "session/Serve.h"
#include "session/WorldPixels.h"
#include "suites/AnsiSuite.h"
#include "suites/HandleSuite.h"

namespace vorlane::host {
namespace {

PF_Err fill(PF_ProgPtr effect_ref, const PF_Pixel* color, const PF_Rect* dst_rect, PF_EffectWorld* world) {
    return serve(
        context_of(effect_ref), "fill",
        [&](HostCall& call) { call.arg("color", color).arg("dst_rect", dst_rect).arg("world", world); },
        [&](HostCall&) { return fill_world(color, dst_rect, world); });
}

PF_Err copy(PF_ProgPtr effect_ref, PF_EffectWorld* src, PF_EffectWorld* dst, PF_Rect* src_r, PF_Rect* dst_r) {
    return serve(
        context_of(effect_ref), "copy",
        [&](HostCall& call) { call.arg("src", src).arg("dst", dst).arg("src_r", src_r).arg("dst_r", dst_r); },
        [&](HostCall&) { return copy_world(src, dst, src_r, dst_r); });
}

}  // namespace

PF_UtilCallbacks util_callbacks() {
    PF_UtilCallbacks utils{};
    utils.fill = fill;
    utils.copy = copy;
    const PF_HandleSuite2& handles = handle_suite();
    utils.host_new_handle = handles.host_new_handle;
    utils.host_lock_handle = handles.host_lock_handle;
    utils.host_unlock_handle = handles.host_unlock_handle;
    utils.host_dispose_handle = handles.host_dispose_handle;
    utils.host_get_handle_size = handles.host_get_handle_size;
    utils.ansi = ansi_callbacks();
    return utils;
}

}  // namespace vorlane::host
