#include "pixels/TemporaryFile.h"

#include <atomic>
#include <chrono>
#include <string>

namespace vorlane::host {

std::filesystem::path temporary_beside(const std::filesystem::path& path) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path temp = path;
    temp.replace_filename("." + path.filename().string() + "." + std::to_string(stamp) + "." +
                          std::to_string(counter++) + ".tmp");
    return temp;
}

TemporaryFile::TemporaryFile(const std::filesystem::path& final_path)
    : final_(final_path), path_(temporary_beside(final_path)) {}

TemporaryFile::~TemporaryFile() {
    if (!kept_) {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
}

std::error_code TemporaryFile::keep() {
    std::error_code error;
    std::filesystem::rename(path_, final_, error);
    kept_ = !error;
    return error;
}

}  // namespace vorlane::host
