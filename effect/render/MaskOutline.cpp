#include "render/MaskOutline.h"

#include "render/InstanceTransform.h"

namespace vorlane::effect {

namespace {

constexpr A_long kSamplingFrequency = 100;

// The segment's kept preparation, made and kept now if there is none. One the host refused is left in `once`: it
// serves this one evaluation and is cleaned up straight after it, as every preparation was before any was kept.
PF_PathSegPrepPtr* preparation_for(const PF_PathDataSuite1* data, PF_ProgPtr ref, MaskOutline& outline, A_long segment,
                                   PF_PathSegPrepPtr* once) {
    if (PF_PathSegPrepPtr* kept = outline.preparations.kept(segment)) {
        return kept;
    }
    PF_PathOutlinePtr path = outline.checkout.outline();
    PF_PathSegPrepPtr* prep = nullptr;
    if (data->PF_PathPrepareSegLength(ref, path, segment, kSamplingFrequency, once) == PF_Err_NONE) {
        prep = outline.preparations.keep(segment, *once);
    }
    return prep != nullptr ? prep : once;
}

}  // namespace

PF_PathID mask_id(RenderContext& ctx, int32_t path_index) {
    PF_PathID id = 0;
    if (ctx.error.none()) {
        ctx.error.keep_first(ctx.suites.pathQuerySuite()->PF_PathInfo(ctx.in_data.effect_ref, path_index, &id));
    }
    return id;
}

// The host's answers to these queries are taken as they come: a failed query leaves a length of 0.
void measure_outline(RenderContext& ctx, MaskOutline& outline) {
    PF_PathOutlinePtr path = outline.checkout.outline();
    if (path == nullptr) {
        return;
    }
    const PF_PathDataSuite1* data = ctx.suites.pathDataSuite();
    PF_ProgPtr ref = ctx.in_data.effect_ref;
    A_long segments = 0;
    data->PF_PathNumSegments(ref, path, &segments);
    for (A_long seg = 0; seg < segments; ++seg) {
        PF_PathSegPrepPtr prep = nullptr;
        PF_FpLong length = 0.0;
        data->PF_PathPrepareSegLength(ref, path, seg, kSamplingFrequency, &prep);
        data->PF_PathGetSegLength(ref, path, seg, &prep, &length);
        data->PF_PathCleanupSegLength(ref, path, seg, &prep);
        outline.segment_lengths.push_back(length);
        outline.outline_length += length;
    }
    outline.preparations.reserve(data, path, outline.segment_lengths.size());
}

bool has_usable_segment(const MaskOutline& outline) {
    return outline.checkout.outline() != nullptr && !outline.segment_lengths.empty() && outline.outline_length > 0.0;
}

PathPoint evaluate_point(RenderContext& ctx, MaskOutline& outline, SegmentSpot spot, bool mirrored) {
    const PF_PathDataSuite1* data = ctx.suites.pathDataSuite();
    PF_ProgPtr ref = ctx.in_data.effect_ref;
    PF_PathOutlinePtr path = outline.checkout.outline();
    // The ANSI suite is fetched before the segment is prepared: a host that refuses it throws, and nothing may be
    // left prepared behind that throw but what the outline keeps and cleans up on its way out.
    const PF_ANSICallbacksSuite1* ansi = ctx.values.auto_orient ? ctx.suites.ansiSuite() : nullptr;
    PF_PathSegPrepPtr once = nullptr;
    PF_PathSegPrepPtr* prep = preparation_for(data, ref, outline, spot.segment, &once);
    PF_FpLong x = 0.0, y = 0.0;
    PathPoint point;
    if (ansi) {
        PF_FpLong dx = 0.0, dy = 0.0;
        data->PF_PathEvalSegLengthDeriv1(ref, path, prep, spot.segment, spot.distance, &x, &y, &dx, &dy);
        point.angle = static_cast<float>(ansi->atan2(dy, dx) / kRadiansPerDegree);
    } else {
        data->PF_PathEvalSegLength(ref, path, prep, spot.segment, spot.distance, &x, &y);
    }
    point.angle += mirrored ? 180.0f : 0.0f;
    if (prep == &once) {
        data->PF_PathCleanupSegLength(ref, path, spot.segment, &once);
    }
    point.x = static_cast<float>(x);
    point.y = static_cast<float>(y);
    return point;
}

}  // namespace vorlane::effect
