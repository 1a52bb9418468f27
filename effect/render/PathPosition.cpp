#include "render/PathPosition.h"

#include <algorithm>
#include <cmath>

namespace vorlane::effect {

namespace {

// The largest fraction of the walk an instance may take. At the end itself a sequential walk's instance would wrap
// round to the start of its mask, and on a closed outline the end is the start, where the first instance sits.
constexpr double kFractionShortOfEnd = 0.99999;

}  // namespace

double jittered_fraction(float walk_t, float position_jitter) {
    const float position = walk_t + position_jitter;
    if (std::isinf(position)) {
        return kFractionShortOfEnd;
    }
    return std::fmin(kFractionShortOfEnd, static_cast<double>(position));
}

double outline_distance(double outline_length, double fraction, bool sequentially, int32_t mask_count) {
    if (!sequentially) {
        return outline_length * fraction;
    }
    return outline_length * std::fmod(fraction * mask_count, 1.0);
}

int32_t sequential_path_index(int32_t mask_count, float walk_t) {
    const auto index = static_cast<int32_t>(mask_count * std::fmin(kFractionShortOfEnd, static_cast<double>(walk_t)));
    // Only a layer of a hundred thousand masks could round up to mask_count itself.
    return std::min(index, mask_count - 1);
}

SegmentSpot locate_segment(const std::vector<double>& lengths, double distance) {
    SegmentSpot spot{0, distance};
    const auto last = static_cast<int32_t>(lengths.size()) - 1;
    while (spot.segment < last && spot.distance >= lengths[spot.segment]) {
        spot.distance -= lengths[spot.segment];
        ++spot.segment;
    }
    return spot;
}

}  // namespace vorlane::effect
