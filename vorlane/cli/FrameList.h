// The frames a command works on, from `--frames A-B` or `--frames A`.
#pragma once

#include <string>
#include <vector>

#include "A.h"

namespace vorlane::host {

// "A-B" or "A" within frames 0 .. duration_frames - 1; empty text is all of them. Throws CommandFailure.
std::vector<A_long> frame_list(const std::string& text, A_long duration_frames);

}  // namespace vorlane::host
