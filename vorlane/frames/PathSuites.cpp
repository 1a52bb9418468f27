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
#include "session/Serve.h"

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

// Every function serves the frame behind effect_ref, and refuses a call that names none.
template <class Record, class Work>
PF_Err serve_path(PF_ProgPtr effect_ref, const char* name, Record&& record, Work&& work) {
    return serve(context_of(effect_ref), name, record, [&](HostCall&) -> PF_Err {
        FrameState* frame = frame_for(effect_ref);
        return frame == nullptr ? PF_Err_BAD_CALLBACK_PARAM : work(*frame);
    });
}

PF_Err PF_NumPaths(PF_ProgPtr effect_ref, A_long* num_pathsPL) {
    return serve_path(effect_ref, "PF_NumPaths", no_args, [&](FrameState& frame) {
        if (num_pathsPL == nullptr) {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        *num_pathsPL = mask_count(frame);
        return PF_Err_NONE;
    });
}

PF_Err PF_PathInfo(PF_ProgPtr effect_ref, A_long indexL, PF_PathID* unique_idP) {
    return serve_path(
        effect_ref, "PF_PathInfo", [&](HostCall& call) { call.arg("index", indexL); },
        [&](FrameState& frame) {
            if (unique_idP == nullptr) {
                return PF_Err_BAD_CALLBACK_PARAM;
            }
            if (indexL < 0 || indexL >= mask_count(frame)) {
                return PF_Err_INVALID_INDEX;
            }
            *unique_idP = mask_path_id(indexL);
            return PF_Err_NONE;
        });
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
    return serve_path(
        effect_ref, "PF_CheckoutPath",
        [&](HostCall& call) {
            call.arg("id", unique_id).arg("time", what_time).arg("time_step", time_step).arg("time_scale", time_scale);
        },
        [&](FrameState& frame) {
            if (pathPP == nullptr) {
                return PF_Err_BAD_CALLBACK_PARAM;
            }
            *pathPP = nullptr;
            if (unique_id == 0) {
                return PF_Err_NONE;  // no mask chosen: no outline, and no fault
            }
            const int index = mask_index_of(unique_id, mask_count(frame));
            if (index < 0) {
                return PF_Err_BAD_CALLBACK_PARAM;
            }
            lend_outline(frame, index, unique_id, what_time, time_step, pathPP);
            return PF_Err_NONE;
        });
}

PF_Err PF_CheckinPath(PF_ProgPtr effect_ref, PF_PathID unique_id, PF_Boolean changedB, PF_PathOutlinePtr pathP) {
    return serve_path(
        effect_ref, "PF_CheckinPath", [&](HostCall& call) { call.arg("id", unique_id).arg("changed", changedB); },
        [&](FrameState& frame) {
            const auto it = frame.outlines.find(pathP);
            if (it == frame.outlines.end() || it->second->id != unique_id) {
                return PF_Err_BAD_CALLBACK_PARAM;
            }
            frame.outlines.erase(it);
            return PF_Err_NONE;
        });
}

PF_Err PF_PathIsOpen(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, PF_Boolean* openPB) {
    return serve_path(effect_ref, "PF_PathIsOpen", no_args, [&](FrameState& frame) {
        const LentOutline* outline = outline_of(frame, pathP);
        if (outline == nullptr || openPB == nullptr) {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        *openPB = outline->shape.closed ? 0 : 1;
        return PF_Err_NONE;
    });
}

PF_Err PF_PathNumSegments(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, A_long* num_segmentsPL) {
    return serve_path(effect_ref, "PF_PathNumSegments", no_args, [&](FrameState& frame) {
        const LentOutline* outline = outline_of(frame, pathP);
        if (outline == nullptr || num_segmentsPL == nullptr) {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        *num_segmentsPL = static_cast<A_long>(outline->segments.size());
        return PF_Err_NONE;
    });
}

PF_Err PF_PathVertexInfo(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, A_long which_pointL, PF_PathVertex* vertexP) {
    return serve_path(
        effect_ref, "PF_PathVertexInfo", [&](HostCall& call) { call.arg("which", which_pointL); },
        [&](FrameState& frame) {
            const LentOutline* outline = outline_of(frame, pathP);
            if (outline == nullptr || vertexP == nullptr) {
                return PF_Err_BAD_CALLBACK_PARAM;
            }
            if (which_pointL < 0 || static_cast<std::size_t>(which_pointL) >= outline->shape.vertices.size()) {
                return PF_Err_INVALID_INDEX;
            }
            const MaskVertex& v = outline->shape.vertices[static_cast<std::size_t>(which_pointL)];
            *vertexP = PF_PathVertex{v.x, v.y, v.in_x, v.in_y, v.out_x, v.out_y};
            return PF_Err_NONE;
        });
}

PF_Err PF_PathPrepareSegLength(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, A_long which_segL, A_long frequencyL,
                               PF_PathSegPrepPtr* lengthPrepPP) {
    return serve_path(
        effect_ref, "PF_PathPrepareSegLength",
        [&](HostCall& call) { call.arg("segment", which_segL).arg("frequency", frequencyL); },
        [&](FrameState& frame) {
            const CubicSegment* segment = segment_of(frame, pathP, which_segL);
            if (segment == nullptr || lengthPrepPP == nullptr) {
                return PF_Err_BAD_CALLBACK_PARAM;
            }
            // Lengths are integrated adaptively, so the sampling frequency asked for does not change them.
            auto prep = std::make_unique<LentPreparation>(LentPreparation{which_segL, prepare_segment(*segment)});
            const auto handle = reinterpret_cast<PF_PathSegPrepPtr>(prep.get());
            frame.preparations.emplace(handle, std::move(prep));
            *lengthPrepPP = handle;
            return PF_Err_NONE;
        });
}

PF_Err PF_PathGetSegLength(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, A_long which_segL,
                           PF_PathSegPrepPtr* lengthPrepP0, PF_FpLong* lengthPF) {
    return serve_path(
        effect_ref, "PF_PathGetSegLength", [&](HostCall& call) { call.arg("segment", which_segL); },
        [&](FrameState& frame) {
            PreparedSegment prepared;
            if (lengthPF == nullptr || !prepared_for(frame, pathP, which_segL, lengthPrepP0, &prepared)) {
                return PF_Err_BAD_CALLBACK_PARAM;
            }
            *lengthPF = prepared.length;
            return PF_Err_NONE;
        });
}

PF_Err PF_PathEvalSegLength(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, PF_PathSegPrepPtr* lengthPrepPP0,
                            A_long which_segL, PF_FpLong lengthF, PF_FpLong* x, PF_FpLong* y) {
    return serve_path(
        effect_ref, "PF_PathEvalSegLength",
        [&](HostCall& call) { call.arg("segment", which_segL).arg("length", lengthF); },
        [&](FrameState& frame) {
            PreparedSegment prepared;
            if (x == nullptr || y == nullptr || !prepared_for(frame, pathP, which_segL, lengthPrepPP0, &prepared)) {
                return PF_Err_BAD_CALLBACK_PARAM;
            }
            const PathPoint point = point_at_length(prepared, lengthF);
            *x = point.x;
            *y = point.y;
            return PF_Err_NONE;
        });
}

PF_Err PF_PathEvalSegLengthDeriv1(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, PF_PathSegPrepPtr* lengthPrepPP0,
                                  A_long which_segL, PF_FpLong lengthF, PF_FpLong* x, PF_FpLong* y, PF_FpLong* deriv1x,
                                  PF_FpLong* deriv1y) {
    return serve_path(
        effect_ref, "PF_PathEvalSegLengthDeriv1",
        [&](HostCall& call) { call.arg("segment", which_segL).arg("length", lengthF); },
        [&](FrameState& frame) {
            PreparedSegment prepared;
            if (x == nullptr || y == nullptr || deriv1x == nullptr || deriv1y == nullptr ||
                !prepared_for(frame, pathP, which_segL, lengthPrepPP0, &prepared)) {
                return PF_Err_BAD_CALLBACK_PARAM;
            }
            const PointAndDerivative at = point_and_derivative_at_length(prepared, lengthF);
            *x = at.point.x;
            *y = at.point.y;
            *deriv1x = at.derivative.x;
            *deriv1y = at.derivative.y;
            return PF_Err_NONE;
        });
}

PF_Err PF_PathCleanupSegLength(PF_ProgPtr effect_ref, PF_PathOutlinePtr pathP, A_long which_segL,
                               PF_PathSegPrepPtr* lengthPrepPP) {
    return serve_path(
        effect_ref, "PF_PathCleanupSegLength", [&](HostCall& call) { call.arg("segment", which_segL); },
        [&](FrameState& frame) {
            if (lengthPrepPP == nullptr || outline_of(frame, pathP) == nullptr) {
                return PF_Err_BAD_CALLBACK_PARAM;
            }
            const auto it = frame.preparations.find(*lengthPrepPP);
            if (it == frame.preparations.end() || it->second->segment != which_segL) {
                return PF_Err_BAD_CALLBACK_PARAM;
            }
            frame.preparations.erase(it);
            *lengthPrepPP = nullptr;
            return PF_Err_NONE;
        });
}

// The mask queries: `answer` writes what is asked of the mask at `index` once it is known to be one.
template <class Answer>
PF_Err mask_query(PF_ProgPtr effect_ref, const char* name, PF_PathID unique_id, Answer&& answer) {
    return serve_path(
        effect_ref, name, [&](HostCall& call) { call.arg("id", unique_id); },
        [&](FrameState& frame) {
            const int index = mask_index_of(unique_id, mask_count(frame));
            if (index < 0) {
                return PF_Err_BAD_CALLBACK_PARAM;
            }
            answer(index);
            return PF_Err_NONE;
        });
}

PF_Err PF_PathIsInverted(PF_ProgPtr effect_ref, PF_PathID unique_id, PF_Boolean* invertedB) {
    return mask_query(effect_ref, "PF_PathIsInverted", unique_id, [&](int) {
        if (invertedB != nullptr) {
            *invertedB = 0;
        }
    });
}

PF_Err PF_PathGetMaskMode(PF_ProgPtr effect_ref, PF_PathID unique_id, A_long* modeP) {
    return mask_query(effect_ref, "PF_PathGetMaskMode", unique_id, [&](int) {
        if (modeP != nullptr) {
            *modeP = kMaskModeAdd;
        }
    });
}

PF_Err PF_PathGetName(PF_ProgPtr effect_ref, PF_PathID unique_id, A_char* nameZ) {
    return mask_query(effect_ref, "PF_PathGetName", unique_id, [&](int index) {
        if (nameZ != nullptr) {
            const std::string name = "Mask " + std::to_string(index + 1);
            const std::size_t n = std::min(name.size(), kPathNameBytes - 1);
            std::memcpy(nameZ, name.data(), n);
            nameZ[n] = '\0';
        }
    });
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
