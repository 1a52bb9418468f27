// "PF Path Query Suite" 1 and "PF Path Data Suite" 1 over the scene's masks. Outlines and segment preparations
// are lent to the effect as handles the host keeps in the frame; a handle the frame does not hold is refused
// without being followed.
#include <algorithm>
#include <cstring>
#include <string>

#include "frames/FrameState.h"
#include "frames/RenderJob.h"
#include "frames/RenderSuites.h"
#include "scene/MaskIds.h"
#include "scene/SceneMasks.h"
#include "session/HostCall.h"

namespace vorlane::host {

namespace {

constexpr A_long kMaskModeAdd = 1;
constexpr std::size_t kPathNameBytes = 32;

int mask_count(const FrameState& frame) {
    return static_cast<int>(frame.job->scene.masks.size());
}

LentOutline* outline_of(FrameState& frame, PF_PathOutlinePtr path) {
    const auto it = frame.outlines.find(path);
    return it == frame.outlines.end() ? nullptr : it->second.get();
}

const CubicSegment* segment_of(FrameState& frame, PF_PathOutlinePtr path, A_long which) {
    const LentOutline* outline = outline_of(frame, path);
    if (outline == nullptr || which < 0 || static_cast<std::size_t>(which) >= outline->segments.size()) {
        return nullptr;
    }
    return &outline->segments[static_cast<std::size_t>(which)];
}

// The preparation the effect hands back, or, when it hands none, one made for this call alone.
bool prepared_for(FrameState& frame, PF_PathOutlinePtr path, A_long which, PF_PathSegPrepPtr* prep,
                  PreparedSegment* out) {
    const CubicSegment* segment = segment_of(frame, path, which);
    if (segment == nullptr) {
        return false;
    }
    if (prep == nullptr || *prep == nullptr) {
        *out = prepare_segment(*segment);
        return true;
    }
    const auto it = frame.preparations.find(*prep);
    if (it == frame.preparations.end() || it->second->segment != which) {
        return false;
    }
    *out = it->second->prepared;
    return true;
}

// Every function begins the same way: the call through the gate, then the frame behind effect_ref.
struct PathCall {
    HostCall call;
    FrameState* frame;
    PathCall(PF_ProgPtr effect_ref, const char* name)
        : call(context_of(effect_ref), name), frame(frame_for(effect_ref)) {}
    bool refused(PF_Err* err) {
        if (call.failed()) {
            *err = call.error();
            return true;
        }
        if (frame == nullptr) {
            *err = call.result(PF_Err_BAD_CALLBACK_PARAM);
            return true;
        }
        return false;
    }
};

PF_Err PF_NumPaths(PF_ProgPtr effect_ref, A_long* num_pathsPL) {
    PathCall c(effect_ref, "PF_NumPaths");
    PF_Err err = PF_Err_NONE;
    if (c.refused(&err)) {
        return err;
    }
    if (num_pathsPL == nullptr) {
        return c.call.result(PF_Err_BAD_CALLBACK_PARAM);
    }
    *num_pathsPL = mask_count(*c.frame);
    return c.call.result(PF_Err_NONE);
}

PF_Err PF_PathInfo(PF_ProgPtr effect_ref, A_long indexL, PF_PathID* unique_idP) {
    PathCall c(effect_ref, "PF_PathInfo");
    c.call.arg("index", indexL);
    PF_Err err = PF_Err_NONE;
    if (c.refused(&err)) {
        return err;
    }
    if (unique_idP == nullptr) {
        return c.call.result(PF_Err_BAD_CALLBACK_PARAM);
    }
    if (indexL < 0 || indexL >= mask_count(*c.frame)) {
        return c.call.result(PF_Err_INVALID_INDEX);
    }
    *unique_idP = mask_path_id(indexL);
    return c.call.result(PF_Err_NONE);
}

void lend_outline(FrameState& frame, int index, PF_PathID unique_id, A_long what_time, A_long time_step,
                  PF_PathOutlinePtr* pathPP) {
    const RenderJob& job = *frame.job;
    const double frames = static_cast<double>(what_time) / static_cast<double>(time_step > 0 ? time_step : kTimeStep);
    auto outline = std::make_unique<LentOutline>();
    outline->id = unique_id;
    outline->shape = scale_shape(mask_shape_at(job.scene.masks[static_cast<std::size_t>(index)], frames),
                                 job.scene.render.downsample, job.scene.render.downsample);
    outline->segments = outline_segments(outline->shape);
    const auto handle = reinterpret_cast<PF_PathOutlinePtr>(outline.get());
    frame.outlines.emplace(handle, std::move(outline));
    *pathPP = handle;
}

PF_Err PF_CheckoutPath(PF_ProgPtr effect_ref, PF_PathID unique_id, A_long what_time, A_long time_step,
                       A_u_long time_scale, PF_PathOutlinePtr* pathPP) {
    PathCall c(effect_ref, "PF_CheckoutPath");
    c.call.arg("id", unique_id).arg("time", what_time).arg("time_step", time_step).arg("time_scale", time_scale);
    PF_Err err = PF_Err_NONE;
    if (c.refused(&err)) {
        return err;
    }
    if (pathPP == nullptr) {
        return c.call.result(PF_Err_BAD_CALLBACK_PARAM);
    }
    *pathPP = nullptr;
    if (unique_id == 0) {
        return c.call.result(PF_Err_NONE);  // no mask chosen: no outline, and no fault
    }
    const int index = mask_index_of(unique_id, mask_count(*c.frame));
    if (index < 0) {
        return c.call.result(PF_Err_BAD_CALLBACK_PARAM);
    }
    try {
        lend_outline(*c.frame, index, unique_id, what_time, time_step, pathPP);
    } catch (const std::exception&) {
        // Nothing may be thrown back into the effect.
        return c.call.result(PF_Err_OUT_OF_MEMORY);
    }
    return c.call.result(PF_Err_NONE);
}

PF_Err PF_CheckinPath(PF_ProgPtr effect_ref, PF_PathID unique_id, PF_Boolean changedB, PF_PathOutlinePtr pathP) {
    PathCall c(effect_ref, "PF_CheckinPath");
    c.call.arg("id", unique_id).arg("changed", changedB);
    PF_Err err = PF_Err_NONE;
    if (c.refused(&err)) {
        return err;
    }
    const auto it = c.frame->outlines.find(pathP);
    if (it == c.frame->outlines.end() || it->second->id != unique_id) {
        return c.call.result(PF_Err_BAD_CALLBACK_PARAM);
    }
    c.frame->outlines.erase(it);
    return c.call.result(PF_Err_NONE);
}

PF_Err PF_PathIsOpen(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, PF_Boolean* openPB) {
    PathCall c(effect_ref, "PF_PathIsOpen");
    PF_Err err = PF_Err_NONE;
    if (c.refused(&err)) {
        return err;
    }
    const LentOutline* outline = outline_of(*c.frame, pathP);
    if (outline == nullptr || openPB == nullptr) {
        return c.call.result(PF_Err_BAD_CALLBACK_PARAM);
    }
    *openPB = outline->shape.closed ? 0 : 1;
    return c.call.result(PF_Err_NONE);
}

PF_Err PF_PathNumSegments(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, A_long* num_segmentsPL) {
    PathCall c(effect_ref, "PF_PathNumSegments");
    PF_Err err = PF_Err_NONE;
    if (c.refused(&err)) {
        return err;
    }
    const LentOutline* outline = outline_of(*c.frame, pathP);
    if (outline == nullptr || num_segmentsPL == nullptr) {
        return c.call.result(PF_Err_BAD_CALLBACK_PARAM);
    }
    *num_segmentsPL = static_cast<A_long>(outline->segments.size());
    return c.call.result(PF_Err_NONE);
}

PF_Err PF_PathVertexInfo(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, A_long which_pointL, PF_PathVertex* vertexP) {
    PathCall c(effect_ref, "PF_PathVertexInfo");
    c.call.arg("which", which_pointL);
    PF_Err err = PF_Err_NONE;
    if (c.refused(&err)) {
        return err;
    }
    const LentOutline* outline = outline_of(*c.frame, pathP);
    if (outline == nullptr || vertexP == nullptr) {
        return c.call.result(PF_Err_BAD_CALLBACK_PARAM);
    }
    if (which_pointL < 0 || static_cast<std::size_t>(which_pointL) >= outline->shape.vertices.size()) {
        return c.call.result(PF_Err_INVALID_INDEX);
    }
    const MaskVertex& v = outline->shape.vertices[static_cast<std::size_t>(which_pointL)];
    *vertexP = PF_PathVertex{v.x, v.y, v.in_x, v.in_y, v.out_x, v.out_y};
    return c.call.result(PF_Err_NONE);
}

PF_Err PF_PathPrepareSegLength(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, A_long which_segL, A_long frequencyL,
                               PF_PathSegPrepPtr* lengthPrepPP) {
    PathCall c(effect_ref, "PF_PathPrepareSegLength");
    c.call.arg("segment", which_segL).arg("frequency", frequencyL);
    PF_Err err = PF_Err_NONE;
    if (c.refused(&err)) {
        return err;
    }
    const CubicSegment* segment = segment_of(*c.frame, pathP, which_segL);
    if (segment == nullptr || lengthPrepPP == nullptr) {
        return c.call.result(PF_Err_BAD_CALLBACK_PARAM);
    }
    // Lengths are integrated adaptively, so the sampling frequency asked for does not change them.
    try {
        auto prep = std::make_unique<LentPreparation>(LentPreparation{which_segL, prepare_segment(*segment)});
        *lengthPrepPP = reinterpret_cast<PF_PathSegPrepPtr>(prep.get());
        c.frame->preparations.emplace(*lengthPrepPP, std::move(prep));
    } catch (const std::bad_alloc&) {
        return c.call.result(PF_Err_OUT_OF_MEMORY);
    }
    return c.call.result(PF_Err_NONE);
}

PF_Err PF_PathGetSegLength(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, A_long which_segL,
                           PF_PathSegPrepPtr* lengthPrepP0, PF_FpLong* lengthPF) {
    PathCall c(effect_ref, "PF_PathGetSegLength");
    c.call.arg("segment", which_segL);
    PF_Err err = PF_Err_NONE;
    if (c.refused(&err)) {
        return err;
    }
    PreparedSegment prepared;
    if (lengthPF == nullptr || !prepared_for(*c.frame, pathP, which_segL, lengthPrepP0, &prepared)) {
        return c.call.result(PF_Err_BAD_CALLBACK_PARAM);
    }
    *lengthPF = prepared.length;
    return c.call.result(PF_Err_NONE);
}

PF_Err PF_PathEvalSegLength(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, PF_PathSegPrepPtr* lengthPrepPP0,
                            A_long which_segL, PF_FpLong lengthF, PF_FpLong* x, PF_FpLong* y) {
    PathCall c(effect_ref, "PF_PathEvalSegLength");
    c.call.arg("segment", which_segL).arg("length", lengthF);
    PF_Err err = PF_Err_NONE;
    if (c.refused(&err)) {
        return err;
    }
    PreparedSegment prepared;
    if (x == nullptr || y == nullptr || !prepared_for(*c.frame, pathP, which_segL, lengthPrepPP0, &prepared)) {
        return c.call.result(PF_Err_BAD_CALLBACK_PARAM);
    }
    const PathPoint point = point_at_length(prepared, lengthF);
    *x = point.x;
    *y = point.y;
    return c.call.result(PF_Err_NONE);
}

PF_Err PF_PathEvalSegLengthDeriv1(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, PF_PathSegPrepPtr* lengthPrepPP0,
                                  A_long which_segL, PF_FpLong lengthF, PF_FpLong* x, PF_FpLong* y, PF_FpLong* deriv1x,
                                  PF_FpLong* deriv1y) {
    PathCall c(effect_ref, "PF_PathEvalSegLengthDeriv1");
    c.call.arg("segment", which_segL).arg("length", lengthF);
    PF_Err err = PF_Err_NONE;
    if (c.refused(&err)) {
        return err;
    }
    PreparedSegment prepared;
    if (x == nullptr || y == nullptr || deriv1x == nullptr || deriv1y == nullptr ||
        !prepared_for(*c.frame, pathP, which_segL, lengthPrepPP0, &prepared)) {
        return c.call.result(PF_Err_BAD_CALLBACK_PARAM);
    }
    const PointAndDerivative at = point_and_derivative_at_length(prepared, lengthF);
    *x = at.point.x;
    *y = at.point.y;
    *deriv1x = at.derivative.x;
    *deriv1y = at.derivative.y;
    return c.call.result(PF_Err_NONE);
}

PF_Err PF_PathCleanupSegLength(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, A_long which_segL,
                               PF_PathSegPrepPtr* lengthPrepPP) {
    PathCall c(effect_ref, "PF_PathCleanupSegLength");
    c.call.arg("segment", which_segL);
    PF_Err err = PF_Err_NONE;
    if (c.refused(&err)) {
        return err;
    }
    if (lengthPrepPP == nullptr || outline_of(*c.frame, pathP) == nullptr) {
        return c.call.result(PF_Err_BAD_CALLBACK_PARAM);
    }
    const auto it = c.frame->preparations.find(*lengthPrepPP);
    if (it == c.frame->preparations.end() || it->second->segment != which_segL) {
        return c.call.result(PF_Err_BAD_CALLBACK_PARAM);
    }
    c.frame->preparations.erase(it);
    *lengthPrepPP = nullptr;
    return c.call.result(PF_Err_NONE);
}

PF_Err mask_query(PF_ProgPtr effect_ref, const char* name, PF_PathID unique_id, int* index) {
    PathCall c(effect_ref, name);
    c.call.arg("id", unique_id);
    PF_Err err = PF_Err_NONE;
    if (c.refused(&err)) {
        return err;
    }
    *index = mask_index_of(unique_id, mask_count(*c.frame));
    return c.call.result(*index < 0 ? PF_Err_BAD_CALLBACK_PARAM : PF_Err_NONE);
}

PF_Err PF_PathIsInverted(PF_ProgPtr effect_ref, PF_PathID unique_id, PF_Boolean* invertedB) {
    int index = -1;
    const PF_Err err = mask_query(effect_ref, "PF_PathIsInverted", unique_id, &index);
    if (err == PF_Err_NONE && invertedB != nullptr) {
        *invertedB = 0;
    }
    return err;
}

PF_Err PF_PathGetMaskMode(PF_ProgPtr effect_ref, PF_PathID unique_id, A_long* modeP) {
    int index = -1;
    const PF_Err err = mask_query(effect_ref, "PF_PathGetMaskMode", unique_id, &index);
    if (err == PF_Err_NONE && modeP != nullptr) {
        *modeP = kMaskModeAdd;
    }
    return err;
}

PF_Err PF_PathGetName(PF_ProgPtr effect_ref, PF_PathID unique_id, A_char* nameZ) {
    int index = -1;
    const PF_Err err = mask_query(effect_ref, "PF_PathGetName", unique_id, &index);
    if (err == PF_Err_NONE && nameZ != nullptr) {
        const std::string name = "Mask " + std::to_string(index + 1);
        const std::size_t n = std::min(name.size(), kPathNameBytes - 1);
        std::memcpy(nameZ, name.data(), n);
        nameZ[n] = '\0';
    }
    return err;
}

PF_PathQuerySuite1 make_query_suite() {
    return PF_PathQuerySuite1{PF_NumPaths, PF_PathInfo, PF_CheckoutPath, PF_CheckinPath};
}

PF_PathDataSuite1 make_data_suite() {
    PF_PathDataSuite1 suite{};
    suite.PF_PathIsOpen = PF_PathIsOpen;
    suite.PF_PathNumSegments = PF_PathNumSegments;
    suite.PF_PathVertexInfo = PF_PathVertexInfo;
    suite.PF_PathPrepareSegLength = PF_PathPrepareSegLength;
    suite.PF_PathGetSegLength = PF_PathGetSegLength;
    suite.PF_PathEvalSegLength = PF_PathEvalSegLength;
    suite.PF_PathEvalSegLengthDeriv1 = PF_PathEvalSegLengthDeriv1;
    suite.PF_PathCleanupSegLength = PF_PathCleanupSegLength;
    suite.PF_PathIsInverted = PF_PathIsInverted;
    suite.PF_PathGetMaskMode = PF_PathGetMaskMode;
    suite.PF_PathGetName = PF_PathGetName;
    return suite;
}

const PF_PathQuerySuite1 kQuerySuite = make_query_suite();
const PF_PathDataSuite1 kDataSuite = make_data_suite();

}  // namespace

const PF_PathQuerySuite1& path_query_suite() {
    return kQuerySuite;
}

const PF_PathDataSuite1& path_data_suite() {
    return kDataSuite;
}

}  // namespace vorlane::host
