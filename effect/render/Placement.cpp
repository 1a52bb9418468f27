#include "render/Placement.h"

#include <optional>

#include "params/ParamIndex.h"
#include "render/DrawInstance.h"
#include "render/InstanceDraws.h"
#include "render/InstancePlacement.h"
#include "render/MaskOutline.h"
#include "render/SlotChoice.h"
#include "render/SourceTime.h"

namespace vorlane::effect {

namespace {

struct Pass {
    int32_t pass_index = 0;
    int32_t instance_number = 0;
    // The outline the walk is on; checked in when the walk moves to another mask or the pass ends.
    std::optional<MaskOutline> outline;
    int32_t outline_index = -1;
};

MaskOutline& outline_for(RenderContext& ctx, Pass& pass, int32_t path_index) {
    if (pass.outline && pass.outline_index == path_index) {
        return *pass.outline;
    }
    pass.outline.reset();
    const PF_PathID id = ctx.values.use_all_paths ? mask_id(ctx, path_index) : ctx.selected_path_id;
    pass.outline.emplace(ctx, id);
    pass.outline_index = path_index;
    measure_outline(ctx, *pass.outline);
    return *pass.outline;
}

std::optional<int32_t> frequency_weighted_slot(RenderContext& ctx, float layer_pick) {
    return choose_slot(layer_pick, ctx.values.layers, [&ctx](int32_t slot) { return remembered_frequency(ctx, slot); });
}

int32_t instance_source_time(const RenderContext& ctx, const InstanceDraws& draws, float walk_t) {
    SourceTimeInputs in;
    in.incremental = ctx.values.incremental;
    in.evolution_fraction = ctx.values.evolution_fraction;
    in.walk_t = walk_t;
    in.time_factor = ctx.values.time_factor;
    in.time_factor_mul = draws.time_factor_mul;
    in.time_offset_frames = draws.time_offset_frames;
    in.total_frames = ctx.values.total_frames;
    in.time_step = ctx.in_data.time_step;
    return source_time(in);
}

void place_instance(RenderContext& ctx, Pass& pass, float walk_t) {
    const RenderValues& v = ctx.values;
    const InstanceDraws draws = draw_instance_variations(ctx.stream, v, ctx.walk.walk_step);

    float jitter = draws.position_jitter;
    ++pass.instance_number;
    const bool mirrored = v.bidirectional && pass.instance_number % 2 == 0;
    if (mirrored && v.alignment == kAlignmentEven) {
        // Onto the spot of the instance before it, facing the other way.
        jitter -= ctx.walk.walk_step;
    }

    int32_t path_index = 0;
    if (v.use_all_paths) {
        path_index = v.sequentially ? sequential_path_index(ctx.mask_count, walk_t) : pass.pass_index;
    }
    MaskOutline& outline = outline_for(ctx, pass, path_index);
    std::optional<PathPoint> point;
    if (has_usable_segment(outline)) {
        const double fraction = jittered_fraction(walk_t, jitter);
        const double distance = outline_distance(outline.outline_length, fraction, v.sequentially, ctx.mask_count);
        point = evaluate_point(ctx, outline, locate_segment(outline.segment_lengths, distance), mirrored);
    }

    // The pick draw is made for every instance, so that one without a point leaves the stream where it would be.
    const float layer_pick =
        v.distribution == kDistributionPath ? path_layer_pick(path_index, v.seed) : segment_layer_pick(ctx.stream);
    if (!point) {
        return;
    }
    const std::optional<int32_t> slot = frequency_weighted_slot(ctx, layer_pick);
    if (!slot) {
        return;
    }

    InstancePlacement placement;
    placement.layer_slot = *slot;
    placement.source_time = instance_source_time(ctx, draws, walk_t);
    placement.position_x = point->x;
    placement.position_y = point->y;
    placement.path_angle = point->angle;
    placement.scale_factor = draws.scale_factor;
    placement.rotation_jitter = draws.rotation_jitter;
    placement.opacity_factor = draws.opacity_factor;
    draw_instance(ctx, placement);
}

void walk_pass(RenderContext& ctx, int32_t pass_index, int64_t& spots) {
    if (ctx.values.incremental) {
        seed_stream(ctx.stream, incremental_pass_seed(pass_index, ctx.values.seed));
    }
    Pass pass;
    pass.pass_index = pass_index;
    float walk_t = 0.0f;
    while (ctx.walk.walk_limit >= walk_t && spots < kMaxSpotsPerRender && ctx.error.none()) {
        place_instance(ctx, pass, walk_t);
        ++spots;
        if (!advance_walk(walk_t, ctx.walk.walk_step)) {
            break;
        }
    }
}

}  // namespace

void run_placement(RenderContext& ctx) {
    int64_t spots = 0;
    if (!ctx.values.use_all_paths) {
        walk_pass(ctx, 0, spots);
        return;
    }
    if (ctx.values.sequentially) {
        // Only the last pass of a sequential walk draws, and it reseeds the stream at its start, so the passes
        // before it cannot change the picture.
        if (ctx.mask_count > 0) {
            walk_pass(ctx, ctx.mask_count - 1, spots);
        }
        return;
    }
    for (int32_t pass_index = 0; pass_index < ctx.mask_count && ctx.error.none(); ++pass_index) {
        walk_pass(ctx, pass_index, spots);
    }
}

}  // namespace vorlane::effect
