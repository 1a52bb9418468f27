#include "farm/FrameChunks.h"

#include <algorithm>

namespace vorlane::host {

std::vector<FrameChunk> chunk_frames(A_long first, A_long last, A_long size) {
    std::vector<FrameChunk> chunks;
    // In long long, so that a chunk ending at the largest frame number does not wrap.
    for (long long start = first; start <= last; start += size) {
        const long long end = std::min<long long>(start + size - 1, last);
        chunks.push_back({static_cast<A_long>(start), static_cast<A_long>(end)});
    }
    return chunks;
}

std::string chunk_text(const FrameChunk& chunk) {
    return chunk.first == chunk.last ? std::to_string(chunk.first)
                                     : std::to_string(chunk.first) + "-" + std::to_string(chunk.last);
}

}  // namespace vorlane::host
