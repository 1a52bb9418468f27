// One request's connection as cpp-httplib reads and writes it: first the bytes the head reader already took, then
// the socket. Reading ends at a deadline, so that a body dripped byte by byte cannot hold a serving thread; so does
// writing, so that a client that stops reading a frame cannot either.
#pragma once

#include <httplib.h>

#include <chrono>
#include <optional>
#include <string>

namespace vorlane::host {

class HeadStream final : public httplib::Stream {
  public:
    using Clock = std::chrono::steady_clock;

    HeadStream(int socket, std::string bytes, Clock::duration read_time, Clock::duration write_time);

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* ptr, size_t size) override;
    ssize_t write(const char* ptr, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return socket_; }

  private:
    bool ready(short events, Clock::time_point deadline) const;

    int socket_;
    std::string bytes_;
    std::size_t taken_ = 0;
    Clock::time_point read_deadline_;
    Clock::duration write_time_;
    mutable std::optional<Clock::time_point> write_deadline_;  // set by the first write
};

}  // namespace vorlane::host
