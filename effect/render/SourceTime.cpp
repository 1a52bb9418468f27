#include "render/SourceTime.h"

#include <cmath>

namespace vorlane::effect {

namespace {

// The time factors divide the age held at least this large: a "Time Factor" of 0 would otherwise divide by zero,
// making an instance of age 0 not-a-number.
constexpr double kSmallestTimeFactor = 0.000001;

}  // namespace

double source_frames(const SourceTimeInputs& in) {
    // In Incremental mode an instance placed earlier on the walk is older.
    const double age = in.incremental ? static_cast<double>(in.evolution_fraction - in.walk_t)
                                      : static_cast<double>(in.evolution_fraction);
    const double frames = age / std::fmax(static_cast<double>(in.time_factor), kSmallestTimeFactor) * 100.0 /
                              std::fmax(static_cast<double>(in.time_factor_mul), kSmallestTimeFactor) +
                          static_cast<double>(in.time_offset_frames);
    return std::fmin(frames, static_cast<double>(in.total_frames) - 1.0);
}

int32_t source_time(const SourceTimeInputs& in) {
    const double time = std::fmax(source_frames(in) * static_cast<double>(in.time_step), 0.0);
    // A negative time step could push the product past the 32-bit range; hold it at the last representable time.
    if (!(time < 2147483647.0)) {
        return INT32_MAX;
    }
    return static_cast<int32_t>(time);
}

}  // namespace vorlane::effect
