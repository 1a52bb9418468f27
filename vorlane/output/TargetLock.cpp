#include "output/TargetLock.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vorlane::host {

namespace {

struct ByteRange {
    long long start = 0;
    long long length = 0;  // 0: from start to the end of any file
};

ByteRange range_of(const OutputTarget& target, A_long first, A_long last) {
    if (target.kind == TargetKind::Single || target.kind == TargetKind::Video || first < 0 || last < first) {
        return {0, 0};
    }
    return {first, static_cast<long long>(last) - first + 1};
}

std::string what_is_held(const OutputTarget& target, A_long first, A_long last) {
    if (target.kind == TargetKind::Single || target.kind == TargetKind::Video) {
        return target.path.string();
    }
    const std::string frames = first == last ? "frame " + std::to_string(first)
                                             : "frames " + std::to_string(first) + "-" + std::to_string(last);
    return frames + " of " + target.path.string();
}

[[noreturn]] void refuse(const OutputTarget& target, A_long first, A_long last) {
    throw TargetError("another render is writing " + what_is_held(target, first, last) +
                      "; wait for it to end, or give another --out");
}

[[noreturn]] void cannot_lock(const std::filesystem::path& file, const std::string& why) {
    throw TargetError("cannot lock " + file.string() + ": " + why);
}

}  // namespace

std::filesystem::path target_lock_file(const OutputTarget& target) {
    // Beside a folder of frames rather than in it: a render killed outright leaves the file, and the folder is to
    // hold frames only.
    std::filesystem::path named = std::filesystem::absolute(target.path).lexically_normal();
    if (named.filename().empty()) {
        named = named.parent_path();  // "frames/"
    }
    return named.parent_path() / ("." + named.filename().string() + ".lock");
}

#if defined(_WIN32)

TargetLock::TargetLock(const OutputTarget& target, A_long first, A_long last) : file_(target_lock_file(target)) {
    // Shared for reading and writing but not for deletion: while any render has the file open, the one that ends
    // cannot remove it from under it.
    HANDLE handle = ::CreateFileW(file_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        if (::GetLastError() == ERROR_SHARING_VIOLATION) {
            refuse(target, first, last);
        }
        cannot_lock(file_, std::system_category().message(static_cast<int>(::GetLastError())));
    }
    const ByteRange range = range_of(target, first, last);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(range.start);
    at.OffsetHigh = static_cast<DWORD>(static_cast<unsigned long long>(range.start) >> 32);
    const DWORD low = range.length == 0 ? MAXDWORD : static_cast<DWORD>(range.length);
    const DWORD high =
        range.length == 0 ? MAXDWORD : static_cast<DWORD>(static_cast<unsigned long long>(range.length) >> 32);
    if (!::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, low, high, &at)) {
        ::CloseHandle(handle);
        refuse(target, first, last);
    }
    handle_ = handle;
}

TargetLock::~TargetLock() {
    ::CloseHandle(static_cast<HANDLE>(handle_));
    ::DeleteFileW(file_.c_str());  // fails while another render has it open, which then removes it
}

#else

namespace {

bool lock_range(int fd, const ByteRange& range) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(range.start);
    lock.l_len = static_cast<off_t>(range.length);
    // Open-file-description locks: held by this open file, not by the process, so that two renders in one process
    // (the tests run several) exclude each other too, and closing another descriptor of the file keeps them.
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Whether the name still leads to the file that was locked: the last holder may have removed it between the open
// and the lock, and a lock on a removed file holds nothing.
bool still_named(int fd, const std::filesystem::path& file) {
    struct stat opened {
    }, named{};
    return ::fstat(fd, &opened) == 0 && ::stat(file.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

// A few rounds cover a holder removing the file as this one opens it; more would mean something else is at play.
constexpr int kOpenAttempts = 8;

}  // namespace

TargetLock::TargetLock(const OutputTarget& target, A_long first, A_long last) : file_(target_lock_file(target)) {
    const ByteRange range = range_of(target, first, last);
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        const int fd = ::open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0) {
            cannot_lock(file_, std::strerror(errno));
        }
        if (!lock_range(fd, range)) {
            const int error = errno;
            ::close(fd);
            if (error == EAGAIN || error == EACCES) {
                refuse(target, first, last);
            }
            cannot_lock(file_, std::strerror(error));
        }
        if (still_named(fd, file_)) {
            fd_ = fd;
            return;
        }
        ::close(fd);
    }
    cannot_lock(file_, "it keeps being removed");
}

TargetLock::~TargetLock() {
    // Removed only when no other render holds any of it: the whole file locked, then unlinked, then let go.
    if (lock_range(fd_, ByteRange{0, 0})) {
        ::unlink(file_.c_str());
    }
    ::close(fd_);
}

#endif

}  // namespace vorlane::host
