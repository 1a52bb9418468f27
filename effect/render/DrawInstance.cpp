#include "render/DrawInstance.h"

#include "params/ParamIndex.h"
#include "render/HostGuards.h"
#include "render/InstanceTransform.h"

namespace vorlane::effect {

namespace {

bool drawable_format(PF_PixelFormat format) {
    return format == PF_PixelFormat_ARGB32 || format == PF_PixelFormat_ARGB64;
}

TransformInputs transform_inputs(const RenderContext& ctx, const InstancePlacement& p, const PF_LayerDef& layer) {
    const RenderValues& v = ctx.values;
    TransformInputs in;
    in.position_x = p.position_x;
    in.position_y = p.position_y;
    in.path_angle = p.path_angle;
    in.scale_factor = p.scale_factor;
    in.rotation_jitter = p.rotation_jitter;
    in.opacity_factor = p.opacity_factor;
    in.anchor_x = v.anchor_x;
    in.anchor_y = v.anchor_y;
    in.downsample_x = v.downsample_x;
    in.downsample_y = v.downsample_y;
    in.scale_percent = v.scale_percent;
    in.rotation_degrees = v.rotation_degrees;
    in.opacity_fraction = v.opacity_fraction;
    in.flip_mode = v.flip_mode;
    in.flip_random_mode = v.flip_random_mode;
    in.layer_width = layer.width;
    in.layer_height = layer.height;
    return in;
}

PF_CompositeMode composite_mode(const InstanceTransform& transform) {
    PF_CompositeMode mode{};
    mode.xfer = PF_Xfer_IN_FRONT;
    mode.opacity = transform.opacity_8;
    mode.rgb_only = false;
    mode.opacitySu = transform.opacity_16;
    return mode;
}

void copy_layer(RenderContext& ctx, PF_LayerDef& layer) {
    const PF_WorldTransformSuite1* transform_suite = ctx.suites.worldTransformSuite();
    auto copy = ctx.in_data.quality == PF_Quality_HI ? transform_suite->copy_hq : transform_suite->copy;
    ctx.error.keep_first(copy(ctx.in_data.effect_ref, &layer, &ctx.instance_world, nullptr, nullptr));
}

void composite(RenderContext& ctx, const InstanceTransform& transform) {
    const PF_CompositeMode mode = composite_mode(transform);
    // The transform is always made at high quality, whatever the render's quality.
    ctx.error.keep_first(ctx.suites.worldTransformSuite()->transform_world(
        nullptr, PF_Quality_HI, PF_MF_Alpha_STRAIGHT, PF_Field_FRAME, &ctx.instance_world, &mode, nullptr,
        &transform.matrix, 1, true, &ctx.output.extent_hint, &ctx.output));
}

}  // namespace

void draw_instance(RenderContext& ctx, const InstancePlacement& placement) {
    // The slot after the fifth names no layer parameter: there is nothing to check out and nothing to draw.
    if (placement.layer_slot < 1 || placement.layer_slot > kMaxLayers) {
        return;
    }
    // The layer is sampled at the instance's own time, not at the render's.
    ParamCheckout layer(ctx.in_data, ctx.error, layer_param(placement.layer_slot), placement.source_time);
    PF_LayerDef& layer_world = layer.def().u.ld;
    // A slot without pixels is left out without an error and without the flip draw.
    if (!layer.checked_out() || layer_world.data == nullptr || !drawable_format(ctx.pixel_format)) {
        return;
    }

    InstanceWorld world(ctx, layer_world.width, layer_world.height);
    if (world.created() && ctx.error.none()) {
        copy_layer(ctx, layer_world);
    }
    const PF_ANSICallbacksSuite1* ansi = ctx.suites.ansiSuite();
    const InstanceTransform transform =
        build_instance_transform(transform_inputs(ctx, placement, layer_world), ctx.stream, {ansi->sin, ansi->cos});
    if (ctx.error.none()) {
        composite(ctx, transform);
    }
    world.dispose();
}

}  // namespace vorlane::effect
