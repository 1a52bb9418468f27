// cpp-httplib's server with bounds on what a client may hold before it is known to be one. Left to itself, the
// library (0.11.4, as Debian ships it) serves each connection on one of 8 threads from its accept, lets headers
// trickle in as long as each line comes within its read timeout, keeps every header line in memory without count,
// and holds an idle connection for its keep-alive time: a few silent connections delay every request, and one
// connection can grow the process by its header lines. Here heads are waited for on a thread of their own
// (HeadReader) within a deadline, a size and a line count; only a whole head takes a serving thread, each
// connection carries one request, and its body and its reply are bounded in time (HeadStream).
#pragma once

#include <httplib.h>

#include <chrono>
#include <memory>

#include "preview/HeadReader.h"

namespace vorlane::host {

struct ServerLimits {
    HeadLimits head;
    std::chrono::milliseconds body_time{2000};    // from the whole head to the body's last byte
    std::chrono::milliseconds reply_time{10000};  // from the reply's first byte to its last
    // Threads serving whole requests; a frame request holds its thread until the frame is rendered. Above the 6
    // connections a browser opens to one server, so that the page never waits for a thread.
    std::size_t threads = 8;
    int backlog = 256;  // connections the kernel queues for the accept loop
};

class BoundedServer : public httplib::Server {
  public:
    explicit BoundedServer(ServerLimits limits);
    ~BoundedServer() override;

    // After a bind: lets the kernel queue more connections than the library's 5, so that a burst of connections
    // waits for the accept loop rather than having its connection attempts dropped (and retried a second later).
    void widen_backlog();

    // After listen_after_bind() returned: refuses the connections still sending their heads and waits for the
    // requests being served.
    void finish();

  private:
    bool process_and_close_socket(socket_t sock) override;
    void serve(int socket, std::string bytes);

    ServerLimits limits_;
    std::unique_ptr<httplib::ThreadPool> serving_;
    std::unique_ptr<HeadReader> heads_;
    bool finished_ = false;
};

}  // namespace vorlane::host
