// What a local client can hold of the preview before it shows a token: connections that send nothing, heads that
// drip or never end, bodies chunked or compressed past the limit. Against the real server on a loopback port, each
// attack bounded in time and bytes; a request from the page must still be answered at once, and memory stay put.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string_view>

#include "preview_fixture.h"
#include "support/peak_memory.h"

namespace vorlane::host::test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A connection as an attacker opens it: bytes, nothing of HTTP.
class RawConnection {
  public:
    explicit RawConnection(int port) : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        const timeval wait{0, 200000};
        ::setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        ::setsockopt(socket_, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    }
    ~RawConnection() { ::close(socket_); }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    // False once the server has closed the connection (or stopped reading it for 200 ms).
    bool send(std::string_view bytes) {
        return connected_ &&
               ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    // What the server sent within `limit`, up to its closing the connection.
    std::string reply(Clock::duration limit) {
        std::string got;
        char buffer[4096];
        for (const auto until = Clock::now() + limit; Clock::now() < until;) {
            const ssize_t n = ::recv(socket_, buffer, sizeof buffer, 0);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
                break;
            }
            got.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        }
        return got;
    }

  private:
    int socket_;
    bool connected_ = false;
};

std::string head_start(int port) {
    return "GET /api/params HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n";
}

// Each attack runs until `stop`, and within its own bounds of time and bytes whatever happens.
struct Attack {
    const char* name;
    void (*run)(int port, const std::atomic<bool>& stop);
};
void PrintTo(const Attack& attack, std::ostream* out) {
    *out << attack.name;
}

void silent_connections(int port, const std::atomic<bool>& stop) {
    std::vector<std::unique_ptr<RawConnection>> held;
    for (int i = 0; i < 300; ++i) {  // above the connections whose heads the server waits for at once
        held.push_back(std::make_unique<RawConnection>(port));
    }
    for (const auto until = Clock::now() + 5s; !stop && Clock::now() < until;) {
        std::this_thread::sleep_for(10ms);
    }
}

void dripped_heads(int port, const std::atomic<bool>& stop) {
    std::vector<std::unique_ptr<RawConnection>> held;
    for (int i = 0; i < 100; ++i) {
        held.push_back(std::make_unique<RawConnection>(port));
        held.back()->send(head_start(port));
    }
    for (int line = 0; !stop && line < 50; ++line) {
        for (auto& connection : held) {
            if (!connection->send("X-Drip-" + std::to_string(line) + ": a\r\n")) {
                connection = std::make_unique<RawConnection>(port);  // dropped: come back, as a persistent client
                connection->send(head_start(port));
            }
        }
        std::this_thread::sleep_for(100ms);
    }
}

void header_flood(int port, const std::atomic<bool>& stop) {
    const std::string line = "X-Flood: " + std::string(7989, 'a') + "\r\n";
    std::size_t sent = 0;
    while (!stop && sent < (256u << 20)) {
        RawConnection connection(port);
        connection.send(head_start(port));
        while (!stop && sent < (256u << 20) && connection.send(line)) {
            sent += line.size();
        }
    }
}

class PreviewLimits : public PreviewServerTest, public ::testing::WithParamInterface<Attack> {};

TEST_P(PreviewLimits, ThePageIsAnsweredAtOnceAndMemoryStaysPut) {
    start();
    ASSERT_EQ(get("/api/params")->status, 200);
    const std::uint64_t before = peak_resident_bytes();
    std::atomic<bool> stop{false};
    std::thread attack([&] { GetParam().run(server->port(), stop); });
    std::this_thread::sleep_for(300ms);
    Clock::duration slowest{};
    for (int i = 0; i < 5; ++i) {
        httplib::Client page("127.0.0.1", server->port());
        page.set_connection_timeout(5, 0);
        page.set_read_timeout(5, 0);
        const auto started = Clock::now();
        const auto res = page.Get("/api/params", page_headers());
        slowest = std::max(slowest, Clock::now() - started);
        ASSERT_TRUE(res) << GetParam().name;
        EXPECT_EQ(res->status, 200);
        std::this_thread::sleep_for(100ms);
    }
    stop = true;
    attack.join();
    EXPECT_LT(slowest, 1s);  // milliseconds when idle; seconds, before the server bounded its heads
    EXPECT_LT(peak_resident_bytes() - before, 48u << 20);
}

INSTANTIATE_TEST_SUITE_P(Attacks, PreviewLimits,
                         ::testing::Values(Attack{"SilentConnections", silent_connections},
                                           Attack{"DrippedHeads", dripped_heads}, Attack{"HeaderFlood", header_flood}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(PreviewServerTest, AHeadNotWholeInTimeOrTooLargeIsRefused) {
    start();
    const int port = server->port();
    {
        RawConnection dripping(port);
        dripping.send(head_start(port));
        const auto started = Clock::now();
        for (int line = 0; line < 40 && dripping.send("X-Drip: a\r\n"); ++line) {
            std::this_thread::sleep_for(100ms);
        }
        EXPECT_NE(dripping.reply(1s).find(" 408 "), std::string::npos);
        EXPECT_LT(Clock::now() - started, 3500ms);
    }
    {
        RawConnection many(port);
        many.send(head_start(port));
        for (int line = 0; line < 200; ++line) {
            many.send("X-Line-" + std::to_string(line) + ": a\r\n");
        }
        EXPECT_NE(many.reply(1s).find(" 431 "), std::string::npos);
    }
}

struct BodyCase {
    const char* name;
    std::string headers;  // besides Host, Origin and the token
    const char* status;
};
void PrintTo(const BodyCase& body, std::ostream* out) {
    *out << body.name;
}

class PreviewBodies : public PreviewServerTest, public ::testing::WithParamInterface<BodyCase> {};

// Refused from the head alone: the body is never read, so its size cannot matter.
TEST_P(PreviewBodies, AreRefusedBeforeTheyAreRead) {
    start();
    const std::string before = get("/api/params")->body;
    RawConnection client_connection(server->port());
    const std::string host = "127.0.0.1:" + std::to_string(server->port());
    client_connection.send("POST /api/edit HTTP/1.1\r\nHost: " + host + "\r\nOrigin: http://" + host +
                           "\r\nCookie: vorlane_token=" + server->token() + "\r\nContent-Type: application/json\r\n" +
                           GetParam().headers + "\r\n");
    const std::string reply = client_connection.reply(2s);
    EXPECT_EQ(reply.substr(0, 12), std::string("HTTP/1.1 ") + GetParam().status) << reply;
    EXPECT_EQ(get("/api/params")->body, before);
}

INSTANTIATE_TEST_SUITE_P(
    Framings, PreviewBodies,
    ::testing::Values(BodyCase{"Chunked", "Transfer-Encoding: chunked\r\n", "411"},
                      BodyCase{"Gzip", "Content-Encoding: gzip\r\nContent-Length: 16000\r\n", "415"},
                      BodyCase{"Deflate", "Content-Encoding: deflate\r\nContent-Length: 100\r\n", "415"},
                      BodyCase{"TooLong", "Content-Length: 400000000\r\n", "413"},
                      BodyCase{"TwoLengths", "Content-Length: 10\r\nContent-Length: 400000000\r\n", "400"}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace vorlane::host::test
