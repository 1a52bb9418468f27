// "PF World Suite" 1 and 2 and "PF World Transform Suite" 1. Worlds the effect makes are the frame's until it
// disposes of them; the pixel work is the host's world services.
#include <string>

#include "frames/FrameState.h"
#include "frames/RenderSuites.h"
#include "pixels/TransformWorld.h"
#include "pixels/Worlds.h"
#include "session/Serve.h"

namespace vorlane::host {

namespace {

PF_Err new_world_in(FrameState* frame, A_long width, A_long height, PF_PixelFormat format, PF_EffectWorld* world) {
    if (frame == nullptr || world == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    // Worlds always start cleared: a host that hands out old pixels makes faults that depend on history.
    WorldStorage made;
    if (const PF_Err err = allocate_world(width, height, format, 0, &made.world()); err != PF_Err_NONE) {
        return err;
    }
    // The frame keeps the storage until disposal or the end of the command; should keeping it fail, the storage
    // still frees the world.
    const PF_EffectWorld lent = made.world();
    frame->worlds.try_emplace(lent.data, std::move(made));
    *world = lent;
    return PF_Err_NONE;
}

PF_Err dispose_in(FrameState* frame, PF_EffectWorld* world) {
    if (frame == nullptr || world == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    const auto it = frame->worlds.find(world->data);
    if (world->data == nullptr || it == frame->worlds.end()) {
        return PF_Err_BAD_CALLBACK_PARAM;  // not a world of ours, or disposed of already
    }
    frame->worlds.erase(it);
    *world = PF_EffectWorld{};
    return PF_Err_NONE;
}

PF_Err pixel_format_in(const PF_EffectWorld* world, PF_PixelFormat* format) {
    if (world == nullptr || format == nullptr || !is_valid_world(*world)) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    *format = pixel_format_of(*world);
    return PF_Err_NONE;
}

// Version 1 names the depth by a flag; the pixels are cleared whether or not PF_NewWorldFlag_CLEAR_PIXELS asks.
PF_Err new_world(PF_ProgPtr effect_ref, A_long width, A_long height, PF_NewWorldFlags flags, PF_EffectWorld* world) {
    const PF_PixelFormat format =
        (flags & PF_NewWorldFlag_DEEP_PIXELS) != 0 ? PF_PixelFormat_ARGB64 : PF_PixelFormat_ARGB32;
    return serve(
        context_of(effect_ref), "new_world",
        [&](HostCall& call) { call.arg("width", width).arg("height", height).arg("flags", flags); },
        [&](HostCall&) { return new_world_in(frame_for(effect_ref), width, height, format, world); });
}

PF_Err dispose_world(PF_ProgPtr effect_ref, PF_EffectWorld* world) {
    return serve(context_of(effect_ref), "dispose_world", no_args,
                 [&](HostCall&) { return dispose_in(frame_for(effect_ref), world); });
}

PF_Err PF_NewWorld(PF_ProgPtr effect_ref, A_long widthL, A_long heightL, PF_Boolean clear_pixB,
                   PF_PixelFormat pixel_format, PF_EffectWorld* worldP) {
    return serve(
        context_of(effect_ref), "PF_NewWorld",
        [&](HostCall& call) {
            call.arg("width", widthL).arg("height", heightL).arg("clear", clear_pixB).arg("pixel_format", pixel_format);
        },
        [&](HostCall&) { return new_world_in(frame_for(effect_ref), widthL, heightL, pixel_format, worldP); });
}

PF_Err PF_DisposeWorld(PF_ProgPtr effect_ref, PF_EffectWorld* worldP) {
    return serve(context_of(effect_ref), "PF_DisposeWorld", no_args,
                 [&](HostCall&) { return dispose_in(frame_for(effect_ref), worldP); });
}

PF_Err PF_GetPixelFormat(const PF_EffectWorld* worldP, PF_PixelFormat* pixel_formatP) {
    return serve(current_context(), "PF_GetPixelFormat", no_args,
                 [&](HostCall&) { return pixel_format_in(worldP, pixel_formatP); });
}

PF_Err copy_with(const char* name, CopyFilter filter, PF_ProgPtr effect_ref, PF_EffectWorld* src, PF_EffectWorld* dst,
                 PF_Rect* src_r, PF_Rect* dst_r) {
    return serve(
        context_of(effect_ref), name, [&](HostCall& call) { call.arg("src_r", src_r).arg("dst_r", dst_r); },
        [&](HostCall&) -> PF_Err {
            if (src == nullptr || dst == nullptr || !is_valid_world(*src) || !is_valid_world(*dst)) {
                return PF_Err_BAD_CALLBACK_PARAM;
            }
            return copy_world(*src, dst, src_r, dst_r, filter);
        });
}

PF_Err copy(PF_ProgPtr effect_ref, PF_EffectWorld* src, PF_EffectWorld* dst, PF_Rect* src_r, PF_Rect* dst_r) {
    return copy_with("copy", CopyFilter::Nearest, effect_ref, src, dst, src_r, dst_r);
}

PF_Err copy_hq(PF_ProgPtr effect_ref, PF_EffectWorld* src, PF_EffectWorld* dst, PF_Rect* src_r, PF_Rect* dst_r) {
    return copy_with("copy_hq", CopyFilter::HighQuality, effect_ref, src, dst, src_r, dst_r);
}

std::string matrix_text(const PF_FloatMatrix* matrices, A_long count) {
    if (matrices == nullptr || count < 1) {
        return "null";
    }
    std::string text = "[";
    for (int row = 0; row < 3; ++row) {
        text += row > 0 ? ",[" : "[";
        for (int col = 0; col < 3; ++col) {
            text += (col > 0 ? "," : "") + format_call_arg(matrices[0].mat[row][col]);
        }
        text += "]";
    }
    return text + "]";
}

// The effect calls it without an effect_ref; the command is the one running on the calling thread.
PF_Err serve_transform_world(PF_ProgPtr, PF_Quality quality, PF_ModeFlags m_flags, PF_Field field,
                             const PF_EffectWorld* src_world, const PF_CompositeMode* comp_mode,
                             const PF_MaskWorld* mask_world0, const PF_FloatMatrix* matrices, A_long num_matrices,
                             PF_Boolean src2dst_matrix, const PF_Rect* dest_rect, PF_EffectWorld* dst_world) {
    const auto record = [&](HostCall& call) {
        call.arg("matrix", matrix_text(matrices, num_matrices)).arg("num_matrices", num_matrices);
        if (comp_mode != nullptr) {
            call.arg("opacity", comp_mode->opacity).arg("opacitySu", comp_mode->opacitySu).arg("xfer", comp_mode->xfer);
        }
        call.arg("quality", quality).arg("m_flags", m_flags).arg("field", field).arg("src2dst", src2dst_matrix);
        if (src_world != nullptr) {
            call.arg("src_width", src_world->width).arg("src_height", src_world->height);
        }
    };
    return serve(current_context(), "transform_world", record, [&](HostCall&) -> PF_Err {
        if (bound_frame() == nullptr) {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        return transform_world(quality, m_flags, field, src_world, comp_mode, mask_world0, matrices, num_matrices,
                               src2dst_matrix, dest_rect, dst_world);
    });
}

PF_WorldSuite1 make_world_suite1() {
    return PF_WorldSuite1{new_world, dispose_world};
}

PF_WorldSuite2 make_world_suite2() {
    return PF_WorldSuite2{PF_NewWorld, PF_DisposeWorld, PF_GetPixelFormat};
}

PF_WorldTransformSuite1 make_transform_suite() {
    PF_WorldTransformSuite1 suite{};
    suite.copy = copy;
    suite.copy_hq = copy_hq;
    suite.transform_world = serve_transform_world;
    return suite;
}

const PF_WorldSuite1 kWorldSuite1 = make_world_suite1();
const PF_WorldSuite2 kWorldSuite2 = make_world_suite2();
const PF_WorldTransformSuite1 kTransformSuite = make_transform_suite();

}  // namespace

const PF_WorldSuite1& world_suite1() {
    return kWorldSuite1;
}
const PF_WorldSuite2& world_suite2() {
    return kWorldSuite2;
}
const PF_WorldTransformSuite1& world_transform_suite() {
    return kTransformSuite;
}

}  // namespace vorlane::host
