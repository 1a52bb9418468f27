#include "cli/FrameList.h"

#include <cstdio>

#include "cli/Subcommands.h"

namespace vorlane::host {

std::vector<A_long> frame_list(const std::string& text, A_long duration_frames) {
    A_long first = 0, last = duration_frames - 1;
    if (!text.empty()) {
        long a = 0, b = 0;
        char tail = 0;
        const int n = std::sscanf(text.c_str(), "%ld-%ld%c", &a, &b, &tail);
        if (n == 1 && text.find('-') == std::string::npos) {
            b = a;
        } else if (n != 2) {
            throw CommandFailure("--frames takes A-B or A, not \"" + text + "\"");
        }
        if (b < a) {
            throw CommandFailure("--frames " + text + " is reversed: the first frame must not come after the last (" +
                                 std::to_string(b) + "-" + std::to_string(a) + ")");
        }
        if (a < 0 || b >= duration_frames) {
            throw CommandFailure("--frames " + text + " lies outside the composition's frames 0-" +
                                 std::to_string(duration_frames - 1));
        }
        first = static_cast<A_long>(a);
        last = static_cast<A_long>(b);
    }
    std::vector<A_long> frames;
    for (A_long f = first; f <= last; ++f) {
        frames.push_back(f);
    }
    return frames;
}

}  // namespace vorlane::host
