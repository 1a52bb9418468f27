#include "cli/FrameList.h"

#include <cctype>
#include <charconv>
#include <string_view>

#include "cli/Subcommands.h"

namespace vorlane::host {

namespace {

// A whole, non-negative frame number and nothing else: "1.5" or "3x" is a typo, not frame 1 or 3.
bool whole_number(std::string_view text, long* number) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, *number);
    return !text.empty() && std::isdigit(static_cast<unsigned char>(text.front())) && error == std::errc{} &&
           stop == end;
}

}  // namespace

std::vector<A_long> frame_list(const std::string& text, A_long duration_frames) {
    A_long first = 0, last = duration_frames - 1;
    if (!text.empty()) {
        long a = 0, b = 0;
        const std::size_t dash = text.find('-');
        const std::string_view view(text);
        bool read = false;
        if (dash == std::string::npos) {
            read = whole_number(view, &a);
            b = a;
        } else {
            read = whole_number(view.substr(0, dash), &a) && whole_number(view.substr(dash + 1), &b);
        }
        if (!read) {
            throw CommandFailure("--frames takes A-B or A, whole frame numbers, not \"" + text + "\"");
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
