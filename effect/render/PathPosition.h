// Where on an outline an instance sits: its share of the walk, its distance along the outline and the segment that
// distance falls in. Plain arithmetic over the segment lengths the host measured.
#pragma once

#include <cstdint>
#include <vector>

namespace vorlane::effect {

// The instance's fraction of the outline, capped just short of the end. A jitter of +/-infinity (a walk of a single
// instance with "Evolution Randomness" on) gives the same 0.99999 as the not-a-number of one without it, rather
// than a distance of minus infinity.
double jittered_fraction(float walk_t, float position_jitter);

// Each mask of a sequential walk takes an equal share of it; the fraction wraps round within the mask.
double outline_distance(double outline_length, double fraction, bool sequentially, int32_t mask_count);

// The mask of a sequential walk, from the unjittered walk position: 0 to mask_count - 1.
int32_t sequential_path_index(int32_t mask_count, float walk_t);

struct SegmentSpot {
    int32_t segment = 0;
    double distance = 0.0;  // into that segment; negative at the very start of the walk
};

// A distance exactly on a boundary goes to the start of the later segment, so zero-length segments are passed
// over; the search never passes the last segment. lengths must not be empty.
SegmentSpot locate_segment(const std::vector<double>& lengths, double distance);

}  // namespace vorlane::effect
