#include "preview/HeadStream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vorlane::host {
namespace {

void address_of(const sockaddr_storage& address, std::string& ip, int& port) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    }
    ip = text;
}

}  // namespace

HeadStream::HeadStream(int socket, std::string bytes, Clock::duration read_time, Clock::duration write_time)
    : socket_(socket), bytes_(std::move(bytes)), read_deadline_(Clock::now() + read_time), write_time_(write_time) {}

bool HeadStream::ready(short events, Clock::time_point deadline) const {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd polled{socket_, events, 0};
        const int got = ::poll(&polled, 1, static_cast<int>(std::max<decltype(left)>(0, left)));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got > 0 && (polled.revents & (events | POLLHUP | POLLERR)) != 0;
    }
}

bool HeadStream::is_readable() const {
    return taken_ < bytes_.size() || ready(POLLIN, read_deadline_);
}

bool HeadStream::is_writable() const {
    if (!write_deadline_) {
        write_deadline_ = Clock::now() + write_time_;
    }
    return ready(POLLOUT, *write_deadline_);
}

ssize_t HeadStream::read(char* ptr, size_t size) {
    if (taken_ < bytes_.size()) {
        const std::size_t n = std::min(size, bytes_.size() - taken_);
        std::memcpy(ptr, bytes_.data() + taken_, n);
        taken_ += n;
        return static_cast<ssize_t>(n);
    }
    while (ready(POLLIN, read_deadline_)) {
        const ssize_t got = ::recv(socket_, ptr, size, MSG_DONTWAIT);
        if (got >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            return got;
        }
    }
    return -1;
}

ssize_t HeadStream::write(const char* ptr, size_t size) {
    while (is_writable()) {
        const ssize_t sent = ::send(socket_, ptr, size, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            return sent;
        }
    }
    return -1;
}

void HeadStream::get_remote_ip_and_port(std::string& ip, int& port) const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        address_of(address, ip, port);
    }
}

void HeadStream::get_local_ip_and_port(std::string& ip, int& port) const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        address_of(address, ip, port);
    }
}

}  // namespace vorlane::host
