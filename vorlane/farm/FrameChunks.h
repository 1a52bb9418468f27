// A run of frames split into the chunks a farm renders as separate tasks.
#pragma once

#include <string>
#include <vector>

#include "A.h"

namespace vorlane::host {

struct FrameChunk {
    A_long first = 0;
    A_long last = 0;  // inclusive
};

// first .. last in chunks of `size` frames, the last chunk holding what is left. Needs first <= last, size >= 1.
std::vector<FrameChunk> chunk_frames(A_long first, A_long last, A_long size);

// "12-23", or "12" for a chunk of one frame: the form `render --frames` takes.
std::string chunk_text(const FrameChunk& chunk);

}  // namespace vorlane::host
