#include "render/Walk.h"

#include <algorithm>
#include <cmath>

namespace vorlane::effect {

namespace {

// Taken off every step, so that single-precision sums of the step cannot carry the last requested spot past the
// walk's limit and lose it. A long walk then fits one spot more than requested, or more.
constexpr double kStepShortfall = 0.00001;

}  // namespace

WalkSize size_walk(const RenderValues& values, int32_t mask_count) {
    WalkSize size;
    // 32-bit products as the totals always were; in 64 bits first so that a huge mask count cannot overflow.
    int64_t total = values.instances;
    if (values.sequentially) {
        total *= mask_count;
    }
    if (values.bidirectional) {
        total *= 2;
    }
    size.instance_total = static_cast<int32_t>(std::clamp<int64_t>(total, INT32_MIN, INT32_MAX));
    size.walk_step =
        static_cast<float>(1.0 / static_cast<double>(static_cast<float>(size.instance_total) - 1.0f) - kStepShortfall);
    size.walk_limit =
        values.incremental ? static_cast<float>(std::fmin(static_cast<double>(values.evolution_fraction), 1.0)) : 1.0f;
    return size;
}

bool advance_walk(float& walk_t, float walk_step) {
    const float next = walk_t + walk_step;
    // An infinite step (a total of one) moves walk_t past every limit, which ends the pass the ordinary way.
    if (!(next > walk_t)) {
        return false;
    }
    walk_t = next;
    return true;
}

int64_t count_walk_spots(float walk_step, float walk_limit, int64_t max_spots) {
    int64_t spots = 0;
    float walk_t = 0.0f;
    while (walk_limit >= walk_t && spots < max_spots) {
        ++spots;
        if (!advance_walk(walk_t, walk_step)) {
            break;
        }
    }
    return spots;
}

}  // namespace vorlane::effect
