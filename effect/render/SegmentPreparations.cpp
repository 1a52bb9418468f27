#include "render/SegmentPreparations.h"

namespace vorlane::effect {

SegmentPreparations::~SegmentPreparations() {
    // Like every path-data query, a clean-up's answer does not touch the recorded error.
    for (std::size_t seg = 0; seg < kept_.size(); ++seg) {
        if (kept_[seg]) {
            data_->PF_PathCleanupSegLength(ctx_.in_data.effect_ref, path_, static_cast<A_long>(seg), &*kept_[seg]);
        }
    }
}

void SegmentPreparations::reserve(const PF_PathDataSuite1* data, PF_PathOutlinePtr path, std::size_t segments) {
    data_ = data;
    path_ = path;
    kept_.assign(segments, std::nullopt);
}

PF_PathSegPrepPtr* SegmentPreparations::kept(A_long segment) {
    if (segment < 0 || static_cast<std::size_t>(segment) >= kept_.size() || !kept_[static_cast<std::size_t>(segment)]) {
        return nullptr;
    }
    return &*kept_[static_cast<std::size_t>(segment)];
}

PF_PathSegPrepPtr* SegmentPreparations::keep(A_long segment, PF_PathSegPrepPtr prep) {
    if (segment < 0 || static_cast<std::size_t>(segment) >= kept_.size()) {
        return nullptr;
    }
    return &kept_[static_cast<std::size_t>(segment)].emplace(prep);
}

}  // namespace vorlane::effect
