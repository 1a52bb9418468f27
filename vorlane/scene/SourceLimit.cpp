#include "scene/SourceLimit.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace vorlane::host {

namespace {

constexpr const char* kVariable = "VORLANE_MAX_SOURCE_PIXELS";

[[noreturn]] void rethrow_with_remedy(const PngTooLarge& e) {
    throw PngTooLarge(std::string(e.what()) + "; set " + kVariable + " to allow larger sources");
}

template <class Read>
auto with_remedy(Read read) {
    try {
        return read();
    } catch (const PngTooLarge& e) {
        rethrow_with_remedy(e);
    }
}

}  // namespace

std::uint64_t max_source_pixels() {
    const char* value = std::getenv(kVariable);
    if (value == nullptr || *value == '\0') {
        return kDefaultMaxSourcePixels;
    }
    const std::string text = value;
    const bool digits = text.find_first_not_of("0123456789") == std::string::npos && text.size() <= 19;
    if (!digits || std::stoull(text) == 0) {
        throw std::runtime_error(std::string(kVariable) + "=" + text +
                                 ": expected a whole number of pixels, e.g. 268435456 for 16384 x 16384");
    }
    return std::stoull(text);
}

PngInfo source_png_info(const std::filesystem::path& path, std::uint64_t max_pixels) {
    return with_remedy([&] { return png_info(path, max_pixels); });
}

WorldStorage read_source_png(const std::filesystem::path& path, PF_PixelFormat format, std::uint64_t max_pixels) {
    return with_remedy([&] { return read_png(path, format, max_pixels); });
}

void check_source_png_decodes(const std::filesystem::path& path, std::uint64_t max_pixels) {
    with_remedy([&] { check_png_decodes(path, max_pixels); });
}

}  // namespace vorlane::host
