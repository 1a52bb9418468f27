// The --profile report of a render: per frame, the render command's time split into the effect's own work and
// the host calls it made, the host's share by group of services and by call.
//
//     frame 3: command 812.402 ms = effect 120.310 ms + host 692.092 ms in 15427 calls
//       group            calls          ms
//       paths             3024      12.300
//       ...
//       call             calls          ms
//       transform_world   1000     600.200
//
// Groups come in a fixed order, calls by time spent (most first). A last block, "all N frames: ...", sums them.
#pragma once

#include <chrono>
#include <ostream>
#include <string_view>
#include <vector>

#include "A.h"
#include "session/CallProfile.h"

namespace vorlane::host {

enum class CallGroup { Paths, Worlds, Copy, Transform, Parameters, Other };

const char* group_name(CallGroup group);
CallGroup group_of(std::string_view function);

struct FrameProfile {
    A_long frame = 0;
    std::chrono::nanoseconds command{0};
    CallProfile calls;
};

// Writes the frames in the order given, then the sum of them all.
void write_profile(std::ostream& out, const std::vector<FrameProfile>& frames);

}  // namespace vorlane::host
