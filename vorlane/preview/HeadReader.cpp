#include "preview/HeadReader.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <string_view>

namespace vorlane::host {
namespace {

// The one line a refused connection gets before it is closed; best effort, since the client may not be reading.
void refuse(int socket, std::string_view status) {
    const std::string reply = "HTTP/1.1 " + std::string(status) + "\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";
    [[maybe_unused]] const ssize_t sent = ::send(socket, reply.data(), reply.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    ::close(socket);
}

std::size_t lines_in(std::string_view bytes) {
    return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
}

}  // namespace

HeadReader::HeadReader(HeadLimits limits, HeadReady ready) : limits_(limits), ready_(std::move(ready)) {
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::runtime_error("cannot make the preview's wake-up pipe");
    }
    thread_ = std::thread([this] { loop(); });
}

HeadReader::~HeadReader() {
    stop();
    ::close(wake_[0]);
    ::close(wake_[1]);
}

void HeadReader::add(int socket) {
    {
        std::lock_guard lock(mutex_);
        if (!stopping_) {
            arrived_.push_back(socket);
            socket = -1;
        }
    }
    if (socket >= 0) {
        ::close(socket);
        return;
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_[1], &byte, 1);  // a full pipe is already a wake-up
}

void HeadReader::stop() {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        stopping_ = true;
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_[1], &byte, 1);
    thread_.join();
    for (const Waiting& waiting : waiting_) {
        ::close(waiting.socket);
    }
    waiting_.clear();
    for (const int socket : arrived_) {
        ::close(socket);
    }
    arrived_.clear();
}

void HeadReader::loop() {
    std::vector<pollfd> polled;
    for (;;) {
        polled.assign(1, pollfd{wake_[0], POLLIN, 0});
        for (const Waiting& waiting : waiting_) {
            polled.push_back(pollfd{waiting.socket, POLLIN, 0});
        }
        if (::poll(polled.data(), polled.size(), poll_timeout_ms(Clock::now())) < 0 && errno != EINTR) {
            return;
        }
        for (std::size_t i = 1; i < polled.size(); ++i) {
            if (polled[i].revents != 0) {
                read_some(waiting_[i - 1]);
            }
        }
        std::erase_if(waiting_, [](const Waiting& waiting) { return waiting.done; });
        expire(Clock::now());
        if (polled[0].revents != 0) {
            char drained[64];
            while (::read(wake_[0], drained, sizeof drained) > 0) {
            }
            std::vector<int> arrived;
            {
                std::lock_guard lock(mutex_);
                if (stopping_) {
                    return;
                }
                arrived.swap(arrived_);
            }
            for (const int socket : arrived) {
                admit(socket);
            }
        }
    }
}

void HeadReader::admit(int socket) {
    if (waiting_.size() >= limits_.max_waiting) {
        refuse(waiting_.front().socket, "503 Service Unavailable");
        waiting_.erase(waiting_.begin());
    }
    waiting_.push_back(Waiting{socket, {}, Clock::now() + limits_.deadline});
    // A head often arrives with the connection: take it now rather than after another poll.
    read_some(waiting_.back());
    if (waiting_.back().done) {
        waiting_.pop_back();
    }
}

void HeadReader::read_some(Waiting& waiting) {
    char buffer[4096];
    const std::size_t room = limits_.max_bytes + 1 - std::min(waiting.bytes.size(), limits_.max_bytes);
    const ssize_t got = ::recv(waiting.socket, buffer, std::min(sizeof buffer, room), MSG_DONTWAIT);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return;
    }
    waiting.done = true;
    if (got <= 0) {
        ::close(waiting.socket);
        return;
    }
    const std::size_t searched = waiting.bytes.size() < 3 ? 0 : waiting.bytes.size() - 3;
    waiting.bytes.append(buffer, static_cast<std::size_t>(got));
    const std::size_t end = waiting.bytes.find("\r\n\r\n", searched);
    const std::size_t head = end == std::string::npos ? waiting.bytes.size() : end + 4;
    if (head > limits_.max_bytes || lines_in(std::string_view(waiting.bytes).substr(0, head)) > limits_.max_lines + 1) {
        refuse(waiting.socket, "431 Request Header Fields Too Large");
        return;
    }
    if (end == std::string::npos) {
        waiting.done = false;
        return;
    }
    ready_(waiting.socket, std::move(waiting.bytes));
}

void HeadReader::expire(Clock::time_point now) {
    std::erase_if(waiting_, [now](const Waiting& waiting) {
        if (waiting.deadline > now) {
            return false;
        }
        refuse(waiting.socket, "408 Request Timeout");
        return true;
    });
}

int HeadReader::poll_timeout_ms(Clock::time_point now) const {
    if (waiting_.empty()) {
        return -1;
    }
    // Oldest first, and all wait as long: the first one is due first.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(waiting_.front().deadline - now);
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, left.count()));
}

}  // namespace vorlane::host
