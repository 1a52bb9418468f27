// The preparations for evaluating one outline's segments, each made when the first instance falls on its segment
// and kept for the instances after it. A preparation depends only on the outline, the segment and the sampling
// frequency, none of which change while the outline stays checked out, so a later instance evaluates against the
// same preparation it would have made itself. All are cleaned up before the outline is checked in.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "AE_EffectSuites.h"
#include "render/RenderContext.h"

namespace vorlane::effect {

class SegmentPreparations {
  public:
    explicit SegmentPreparations(RenderContext& ctx) : ctx_(ctx) {}
    ~SegmentPreparations();
    SegmentPreparations(const SegmentPreparations&) = delete;
    SegmentPreparations& operator=(const SegmentPreparations&) = delete;

    // Room for one preparation per segment of `path`, made before any is kept, so that keeping one never allocates.
    void reserve(const PF_PathDataSuite1* data, PF_PathOutlinePtr path, std::size_t segments);
    // The kept preparation of a segment, or null when none is kept.
    PF_PathSegPrepPtr* kept(A_long segment);
    // Keeps a preparation the host made without error; null when the segment has no room.
    PF_PathSegPrepPtr* keep(A_long segment, PF_PathSegPrepPtr prep);

  private:
    RenderContext& ctx_;
    const PF_PathDataSuite1* data_ = nullptr;
    PF_PathOutlinePtr path_ = nullptr;
    std::vector<std::optional<PF_PathSegPrepPtr>> kept_;
};

}  // namespace vorlane::effect
