#include "pixels/TemporaryFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vorlane::host {

std::filesystem::path temporary_beside(const std::filesystem::path& path) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path temp = path;
    temp.replace_filename("." + path.filename().string() + "." + std::to_string(stamp) + "." +
                          std::to_string(counter++) + ".tmp");
    return temp;
}

std::error_code rename_no_replace(const std::filesystem::path& from, const std::filesystem::path& to) {
#if defined(_WIN32)
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0) {
        return {};
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
        return std::make_error_code(std::errc::file_exists);
    }
    return {static_cast<int>(error), std::system_category()};
#else
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return {};
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return {errno, std::generic_category()};
    }
    // A file system without the flag (some network ones): a hard link fails just as a rename would when the name
    // is taken, and the temporary name is let go once the final one holds the file.
    if (::link(from.c_str(), to.c_str()) != 0) {
        return {errno, std::generic_category()};
    }
    ::unlink(from.c_str());
    return {};
#endif
}

TemporaryFile::TemporaryFile(const std::filesystem::path& final_path, Existing existing)
    : final_(final_path), path_(temporary_beside(final_path)), existing_(existing) {}

TemporaryFile::~TemporaryFile() {
    if (!kept_) {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
}

std::error_code TemporaryFile::keep() {
    std::error_code error;
    if (existing_ == Existing::Replace) {
        std::filesystem::rename(path_, final_, error);
    } else {
        error = rename_no_replace(path_, final_);
    }
    kept_ = !error;
    return error;
}

std::string TemporaryFile::keep_failure(std::error_code error) const {
    if (error == std::errc::file_exists) {
        return final_.string() + " appeared while it was being written (another program made it); --force replaces it";
    }
    return "cannot move " + path_.string() + " to " + final_.string() + ": " + error.message();
}

std::optional<std::string> write_file_whole(const std::filesystem::path& file, const std::string& text) {
    TemporaryFile temp(file);
    {
        std::ofstream out(temp.path(), std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            return "cannot write " + temp.path().string();
        }
    }
    if (const std::error_code error = temp.keep()) {
        return "cannot replace " + file.string() + ": " + error.message();
    }
    return std::nullopt;
}

}  // namespace vorlane::host
