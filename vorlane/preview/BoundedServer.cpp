#include "preview/BoundedServer.h"

#include <sys/socket.h>
#include <unistd.h>

#include "preview/HeadStream.h"

namespace vorlane::host {
namespace {

// The library's accept loop hands each connection to its task queue; this one passes it straight on to the head
// reader, which takes it in no time, so that the accept loop never waits.
class AcceptInline final : public httplib::TaskQueue {
  public:
    void enqueue(std::function<void()> fn) override { fn(); }
    void shutdown() override {}
};

}  // namespace

BoundedServer::BoundedServer(ServerLimits limits)
    : limits_(limits),
      serving_(std::make_unique<httplib::ThreadPool>(limits.threads)),
      heads_(std::make_unique<HeadReader>(limits.head, [this](int socket, std::string bytes) {
          serving_->enqueue([this, socket, bytes = std::move(bytes)]() mutable { serve(socket, std::move(bytes)); });
      })) {
    new_task_queue = [] { return new AcceptInline; };
}

BoundedServer::~BoundedServer() {
    finish();
}

void BoundedServer::widen_backlog() {
    // Linux takes a second listen() on a listening socket as a new backlog.
    ::listen(svr_sock_, limits_.backlog);
}

void BoundedServer::finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    heads_->stop();
    serving_->shutdown();
}

bool BoundedServer::process_and_close_socket(socket_t sock) {
    heads_->add(sock);
    return true;
}

void BoundedServer::serve(int socket, std::string bytes) {
    try {
        HeadStream stream(socket, std::move(bytes), limits_.body_time, limits_.reply_time);
        bool closed = false;
        process_request(stream, true, closed, nullptr);
    } catch (...) {
        // The request's own failures become replies in the exception handler; what is left (memory) ends only
        // this connection.
    }
    ::shutdown(socket, SHUT_RDWR);
    ::close(socket);
}

}  // namespace vorlane::host
