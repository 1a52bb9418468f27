#include "render/Render.h"

#include <optional>

#include "params/ParamIndex.h"
#include "render/HostGuards.h"
#include "render/Placement.h"
#include "render/RenderContext.h"

namespace vorlane::effect {

namespace {

void read_pixel_format(RenderContext& ctx) {
    if (ctx.error.none()) {
        ctx.error.keep_first(ctx.world_suite2->PF_GetPixelFormat(&ctx.output, &ctx.pixel_format));
    }
}

// Cleared first, also after an error, so that even a failed render leaves none of the host's old pixels behind;
// the clearing's own answer is not the render's. "On Original Image" then lays a copy of the input over the whole
// output.
void prepare_output(RenderContext& ctx, PF_ParamDef* const params[]) {
    static_cast<void>(ctx.in_data.utils->fill(ctx.in_data.effect_ref, nullptr, nullptr, &ctx.output));
    if (ctx.values.composite == kCompositeOnOriginal && ctx.error.none()) {
        ctx.error.keep_first(
            ctx.in_data.utils->copy(ctx.in_data.effect_ref, &params[kInputLayer]->u.ld, &ctx.output, nullptr, nullptr));
    }
}

// A host that cannot count the masks has, as far as the render is concerned, none.
int32_t count_masks(RenderContext& ctx) {
    A_long count = 0;
    const PF_Err err = ctx.suites.pathQuerySuite()->PF_NumPaths(ctx.in_data.effect_ref, &count);
    if (err != PF_Err_NONE || count < 0) {
        count = 0;
    }
    return ctx.values.use_all_paths ? count : 1;
}

void place_instances(RenderContext& ctx) {
    if (ctx.walk.instance_total <= 0 || ctx.values.path_selection == 0) {
        return;
    }
    ParamCheckout path_selection(ctx.in_data, ctx.error, kPathSelection, ctx.in_data.current_time);
    if (!path_selection.checked_out()) {
        return;
    }
    ctx.selected_path_id = path_selection.def().u.path_d.path_id;
    run_placement(ctx);
}

}  // namespace

PF_Err render(PF_InData* in_data, PF_OutData*, PF_ParamDef* params[], PF_LayerDef* output) {
    HostSuiteHandler suites(in_data->pica_basicP);
    RenderContext ctx{*in_data, *output, suites, thread_random_stream()};
    AcquiredSuite world_suite2(suites.basicSuite(), kPFWorldSuite, kPFWorldSuiteVersion2, ctx.error);
    ctx.world_suite2 = static_cast<const PF_WorldSuite2*>(world_suite2.get());
    read_pixel_format(ctx);

    ctx.values = gather_render_values(*in_data, params);
    prepare_output(ctx, params);
    ctx.mask_count = count_masks(ctx);
    ctx.walk = size_walk(ctx.values, ctx.mask_count);
    // Every mode seeds before any value of the stream can reach the picture; Incremental reseeds per pass.
    if (!ctx.values.incremental) {
        seed_stream(ctx.stream, ctx.values.seed);
    }
    place_instances(ctx);

    // The closing report comes after every instance is drawn: a cancel answered here would only throw away a
    // finished frame, so its answer is not the render's.
    in_data->inter.progress(in_data->effect_ref, 100, 100);
    return ctx.error.value;
}

}  // namespace vorlane::effect
