// A file written under a hidden temporary name beside its final one and renamed over it when complete, so that
// the final name only ever holds a whole file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace vorlane::host {

// What putting a file in place does to a file that is already under its final name. Keep is for a name checked to
// be free before the work began: another program may have taken it since, and what it wrote was never checked.
enum class Existing { Replace, Keep };

// ".NAME.<stamp>.<n>.tmp" beside `path`: a name no other writer picks, though the same output may be written by
// several threads or processes at once.
std::filesystem::path temporary_beside(const std::filesystem::path& path);

// Renames `from` to `to` only if nothing is under `to`, in one step (Linux: renameat2 with RENAME_NOREPLACE, or a
// hard link and an unlink where the file system lacks it; Windows: MoveFileEx without MOVEFILE_REPLACE_EXISTING).
// std::errc::file_exists when something is.
std::error_code rename_no_replace(const std::filesystem::path& from, const std::filesystem::path& to);

// Owns the temporary name: removes the file it names unless it was renamed into place.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::filesystem::path& final_path, Existing existing = Existing::Replace);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::filesystem::path& path() const { return path_; }
    const std::filesystem::path& final_path() const { return final_; }
    // Renames the file over the final name (or, with Existing::Keep, onto it only if it is free); on failure
    // returns the reason and keeps owning the file.
    std::error_code keep();
    // What a failed keep() means, in one line: "cannot move A to B: ...", or that B appeared meanwhile.
    std::string keep_failure(std::error_code error) const;

  private:
    std::filesystem::path final_;
    std::filesystem::path path_;
    Existing existing_;
    bool kept_ = false;
};

// `text` written whole under a temporary name and renamed over `file`; the reason in one line when it cannot be.
std::optional<std::string> write_file_whole(const std::filesystem::path& file, const std::string& text);

}  // namespace vorlane::host
