// One mask's outline as the walk uses it: checked out and measured once for as long as the walk stays on that
// mask (the outline cannot change within a render), and asked for the point at a distance per instance.
#pragma once

#include <optional>
#include <vector>

#include "render/HostGuards.h"
#include "render/PathPosition.h"
#include "render/RenderContext.h"
#include "render/SegmentPreparations.h"

namespace vorlane::effect {

struct MaskOutline {
    MaskOutline(RenderContext& ctx, PF_PathID path_id) : checkout(ctx, path_id), preparations(ctx) {}

    PathCheckout checkout;
    SegmentPreparations preparations;  // declared after the check-out, so cleaned up before the check-in
    std::vector<double> segment_lengths;
    double outline_length = 0.0;
};

// The mask identifier of a mask index, asked of the host while no error is recorded; 0 otherwise.
PF_PathID mask_id(RenderContext& ctx, int32_t path_index);

void measure_outline(RenderContext& ctx, MaskOutline& outline);

// An outline without segments, or whose segments all have no length, has no spot an instance could sit on.
bool has_usable_segment(const MaskOutline& outline);

struct PathPoint {
    float x = 0.0f;
    float y = 0.0f;
    float angle = 0.0f;  // degrees: the tangent's with "Auto Orient" on, else 0; 180 more when mirrored
};

// Evaluates against the segment's kept preparation, prepared and kept on the segment's first evaluation.
PathPoint evaluate_point(RenderContext& ctx, MaskOutline& outline, SegmentSpot spot, bool mirrored);

}  // namespace vorlane::effect
