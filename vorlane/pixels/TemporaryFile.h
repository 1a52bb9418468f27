// A file written under a hidden temporary name beside its final one and renamed over it when complete, so that
// the final name only ever holds a whole file.
#pragma once

#include <filesystem>

namespace vorlane::host {

// ".NAME.<stamp>.<n>.tmp" beside `path`: a name no other writer picks, though the same output may be written by
// several threads or processes at once.
std::filesystem::path temporary_beside(const std::filesystem::path& path);

// Owns the temporary name: removes the file it names unless it was renamed into place.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::filesystem::path& final_path);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::filesystem::path& path() const { return path_; }
    const std::filesystem::path& final_path() const { return final_; }
    // Renames the file over the final name; on failure returns the reason and keeps owning the file.
    std::error_code keep();

  private:
    std::filesystem::path final_;
    std::filesystem::path path_;
    bool kept_ = false;
};

}  // namespace vorlane::host
