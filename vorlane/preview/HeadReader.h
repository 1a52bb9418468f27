// Waits for the heads of the preview's requests (request line and headers) on one thread of its own, so that a
// client that opens connections and sends nothing, or drips a header line now and then, holds no thread that
// serves requests. A head must be whole within a deadline and a size, or its connection is refused; when too many
// connections are waiting, the oldest gives way to the newest, so that a request sent whole at once (as every
// browser and script sends it) always gets in, however many connections a local client keeps half-open.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vorlane::host {

struct HeadLimits {
    std::chrono::milliseconds deadline{2000};  // from the connection's accept to the blank line ending its head
    std::size_t max_bytes = 16 * 1024;         // request line and headers together
    std::size_t max_lines = 100;               // request line and headers together
    std::size_t max_waiting = 256;             // connections whose head has not come whole yet
};

// A whole head: the connection, and every byte read from it so far (the head, perhaps the start of a body).
using HeadReady = std::function<void(int socket, std::string bytes)>;

class HeadReader {
  public:
    HeadReader(HeadLimits limits, HeadReady ready);
    ~HeadReader();
    HeadReader(const HeadReader&) = delete;
    HeadReader& operator=(const HeadReader&) = delete;

    // Takes the connection over: it is handed to `ready`, or refused and closed.
    void add(int socket);
    // Closes every connection still waiting; later ones are closed as they come.
    void stop();

  private:
    using Clock = std::chrono::steady_clock;
    struct Waiting {
        int socket = -1;
        std::string bytes;
        Clock::time_point deadline;
        bool done = false;
    };

    void loop();
    void admit(int socket);
    void read_some(Waiting& waiting);
    void expire(Clock::time_point now);
    int poll_timeout_ms(Clock::time_point now) const;

    HeadLimits limits_;
    HeadReady ready_;
    std::mutex mutex_;
    std::vector<int> arrived_;  // added, not yet admitted by the loop
    bool stopping_ = false;
    int wake_[2] = {-1, -1};
    std::vector<Waiting> waiting_;  // oldest first
    std::thread thread_;
};

}  // namespace vorlane::host
