#include "preview/BodyLimit.h"

namespace vorlane::host {

GuardVerdict check_body(const BodyFraming& framing, std::size_t max_body) {
    if (framing.transfer_encoding) {
        return {411, "refused: send the body whole, with a Content-Length (no Transfer-Encoding)", false};
    }
    if (!framing.content_encoding.empty() && framing.content_encoding != "identity") {
        return {415, "refused: bodies are taken as they are, not compressed (no Content-Encoding)", false};
    }
    if (framing.content_lengths.size() > 1) {
        return {400, "refused: more than one Content-Length", false};
    }
    if (framing.content_lengths.empty()) {
        return {0, "", false};
    }
    const std::string& length = framing.content_lengths.front();
    if (length.empty() || length.size() > 12 || length.find_first_not_of("0123456789") != std::string::npos) {
        return {400, "refused: the Content-Length is not a number", false};
    }
    if (std::stoull(length) > max_body) {
        return {413, "refused: a body takes at most " + std::to_string(max_body) + " bytes", false};
    }
    return {0, "", false};
}

}  // namespace vorlane::host
