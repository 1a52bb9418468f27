#include "pixels/ImageFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <system_error>

#include "pixels/Png.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vorlane::host {

namespace {

// Asked of the name before anything opens it: opening a FIFO waits for a writer, and opening some devices acts.
void require_regular(const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        throw PngError("cannot open " + path.string() + ": no such file");
    }
    if (ec) {
        throw PngError("cannot open " + path.string() + ": " + ec.message());
    }
    if (status.type() == std::filesystem::file_type::directory) {
        throw PngError(path.string() + " is a folder, not an image");
    }
    if (status.type() != std::filesystem::file_type::regular) {
        throw PngError(path.string() + " is not a regular file (a device, a FIFO or a socket), so it is not read");
    }
}

void require_size(const std::filesystem::path& path, std::size_t size, std::size_t max_bytes) {
    if (size > max_bytes) {
        throw PngError(path.string() + " is " + std::to_string(size) + " bytes, more than the " +
                       std::to_string(max_bytes) + " an image file may have");
    }
}

#if defined(_WIN32)

std::vector<unsigned char> read_regular(const std::filesystem::path& path, std::size_t max_bytes) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        throw PngError("cannot read " + path.string() + ": " + ec.message());
    }
    require_size(path, static_cast<std::size_t>(size), max_bytes);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw PngError("cannot open " + path.string());
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
        throw PngError("cannot read " + path.string());
    }
    return bytes;
}

#else

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

std::string errno_text() {
    return std::strerror(errno);
}

std::vector<unsigned char> read_regular(const std::filesystem::path& path, std::size_t max_bytes) {
    // O_NONBLOCK: should the name have become a FIFO since it was looked at, the open returns instead of waiting,
    // and the descriptor's own type is what decides.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) {
        throw PngError("cannot open " + path.string() + ": " + errno_text());
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        throw PngError("cannot read " + path.string() + ": " + errno_text());
    }
    if (!S_ISREG(info.st_mode)) {
        throw PngError(path.string() + " is not a regular file (a device, a FIFO or a socket), so it is not read");
    }
    require_size(path, static_cast<std::size_t>(info.st_size), max_bytes);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(info.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(file.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throw PngError("cannot read " + path.string() + ": " + errno_text());
        }
        if (n == 0) {
            break;  // cut short while read: what is there is decoded, and fails as a short file does
        }
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

#endif

}  // namespace

std::vector<unsigned char> read_image_file(const std::filesystem::path& path, std::size_t max_bytes) {
    require_regular(path);
    return read_regular(path, max_bytes);
}

}  // namespace vorlane::host
