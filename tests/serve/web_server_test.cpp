// The web server of qlhost --serve over the loopback: the Host names it answers, sockets
// without Nagle's delay, and ordinary requests answered while slow connections and long
// polls are open. Every connection is local and every wait is bounded.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "host/serve/api.h"
#include "host/serve/requests.h"
#include "host/serve/web_server.h"
#include "tests/support/temp_path.h"

namespace {

namespace fs = std::filesystem;
using namespace qlhost::serve;
using namespace std::chrono_literals;

// A client socket on the loopback; reads give up after timeout.
class Socket {
public:
    Socket(int port, std::chrono::milliseconds timeout = 5000ms) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        timeval tv{static_cast<time_t>(timeout.count() / 1000), static_cast<suseconds_t>(timeout.count() % 1000 * 1000)};
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~Socket() { ::close(fd_); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    bool Send(const std::string& text) {
        return connected_ && ::send(fd_, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
    }
    // The status of the next response (its body read as far as Content-Length says), or 0
    // when none came in time.
    int Status() {
        std::string head;
        char c;
        while (head.find("\r\n\r\n") == std::string::npos && ::recv(fd_, &c, 1, 0) == 1) head += c;
        if (head.compare(0, 9, "HTTP/1.1 ") != 0 || head.size() < 12) return 0;
        const size_t length = head.find("Content-Length: ");
        size_t body = length == std::string::npos ? 0 : std::stoul(head.substr(length + 16));
        for (; body > 0 && ::recv(fd_, &c, 1, 0) == 1; --body) {}
        return std::stoi(head.substr(9, 3));
    }
    // Whether the server closes the connection (after an answer, if any) before a read times out.
    bool Closes() {
        char data[512];
        for (;;) {
            const ssize_t n = ::recv(fd_, data, sizeof data, 0);
            if (n == 0) return true;
            if (n < 0) return errno != EAGAIN && errno != EWOULDBLOCK;
        }
    }
    bool Readable() const {
        pollfd entry{fd_, POLLIN, 0};
        return ::poll(&entry, 1, 0) == 1;
    }
    uint16_t LocalPort() const {
        sockaddr_in address{};
        socklen_t size = sizeof address;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
        return ntohs(address.sin_port);
    }

private:
    int fd_;
    bool connected_ = false;
};

std::string Get(const std::string& target, const std::string& host, const std::string& extra = "") {
    return "GET " + target + " HTTP/1.1\r\n" + (host.empty() ? "" : "Host: " + host + "\r\n") + extra + "\r\n";
}

class ServeHttp : public ::testing::Test {
protected:
    void Start(ServerLimits limits = {}) {
        root_ = ql_test::TempPath("serve-http");
        fs::create_directories(root_ + "/web");
        std::ofstream(root_ + "/web/index.html") << "<!doctype html>";
        std::string error;
        ASSERT_TRUE(CanonicalRoot(root_, root_, error));
        session_ = std::make_unique<LiveSession>([](Snapshot&, bool) {});
        api_ = std::make_unique<Api>(root_, *session_);
        server_ = std::make_unique<WebServer>(*api_, limits);
        ASSERT_TRUE(server_->Mount(root_ + "/web"));
        port_ = server_->Bind("127.0.0.1", 0);
        ASSERT_GT(port_, 0);
        listener_ = std::thread([this] { server_->Run(); });
    }
    void TearDown() override {
        if (!server_) return;
        session_->Close();
        server_->Stop();
        listener_.join();
    }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    // An ordinary request on a connection of its own: the state, answered at once.
    int Ordinary() {
        Socket s(port_);
        return s.Send(Get("/api/state", Host(), "Connection: close\r\n")) ? s.Status() : 0;
    }
    std::string root_;
    std::unique_ptr<LiveSession> session_;
    std::unique_ptr<Api> api_;
    std::unique_ptr<WebServer> server_;
    std::thread listener_;
    int port_ = 0;
};

// DNS rebinding: a page of another name that resolves to the loopback is still another site.
TEST_F(ServeHttp, OnlyTheNamesTheServerListensAsAreAnswered) {
    Start();
    std::string p = ":";
    p += std::to_string(port_);
    struct Case {
        std::string target, host, origin;
        int status;
    };
    const std::vector<Case> cases = {
        {"/api/state", "127.0.0.1" + p, "", 200},
        {"/api/state", "localhost" + p, "", 200},
        {"/api/state", "LocalHost" + p, "http://LocalHost" + p, 200},
        {"/api/state", "[::1]" + p, "", 200},
        {"/", "localhost" + p, "", 200},
        {"/api/state", "evil.example" + p, "http://evil.example" + p, 403},
        {"/api/state", "evil.example" + p, "", 403},
        {"/", "evil.example" + p, "", 403},
        {"/index.html", "127.0.0.1.evil.example" + p, "", 403},
        {"/api/state", "127.0.0.1:1", "", 403},
        {"/api/state", "127.0.0.1", "", 403},
        {"/api/state", "", "", 403},
        {"/api/state", "127.0.0.1" + p, "http://evil.example" + p, 403},
        {"/api/state", "127.0.0.1" + p, "http://localhost" + p, 403},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target + " Host: " + c.host + " Origin: " + c.origin);
        Socket s(port_);
        const std::string origin = c.origin.empty() ? "" : "Origin: " + c.origin + "\r\n";
        ASSERT_TRUE(s.Send(Get(c.target, c.host, origin + "Connection: close\r\n")));
        EXPECT_EQ(s.Status(), c.status);
    }
}

// Nagle's delay would hold every answer after the first on a kept-alive connection until the
// browser's delayed acknowledgement: the server's end of a connection sends at once.
TEST_F(ServeHttp, ConnectionsSendWithoutNaglesDelay) {
    Start();
    Socket s(port_);
    ASSERT_TRUE(s.Send(Get("/api/state", Host())));
    ASSERT_EQ(s.Status(), 200);
    // The server's end is a socket of this process: the one whose peer is the client.
    int found = 0, nodelay = -1;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        const int fd = std::stoi(entry.path().filename().string());
        sockaddr_in local{}, peer{};
        socklen_t size = sizeof local, peerSize = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size) != 0 || local.sin_family != AF_INET ||
            ntohs(local.sin_port) != port_ || getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0 ||
            ntohs(peer.sin_port) != s.LocalPort())
            continue;
        socklen_t length = sizeof nodelay;
        ASSERT_EQ(getsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &nodelay, &length), 0);
        ++found;
        EXPECT_NE(nodelay, 0);
    }
    EXPECT_GE(found, 1);
}

// The load test: 64 connections that send their requests a byte at a time, or 34 long polls,
// while ordinary requests come. Each of them must be answered well before a poll would end.
TEST_F(ServeHttp, OrdinaryRequestsAreAnsweredWhileSlowConnectionsAndLongPollsAreOpen) {
    Start();
    api_->SetWaits(10000, 20000);
    struct Case {
        const char* what;
        int connections;
        bool polls;
    };
    for (const Case& c : {Case{"slow requests", 64, false}, Case{"long polls", 34, true}}) {
        SCOPED_TRACE(c.what);
        std::vector<std::unique_ptr<Socket>> open;
        for (int i = 0; i < c.connections; ++i) {
            open.push_back(std::make_unique<Socket>(port_));
            const uint64_t since = session_->Latest()->version + 1;
            open.back()->Send(c.polls ? Get("/api/state?since=" + std::to_string(since), Host())
                                      : "GET /api/state HTTP/1.1\r\n");
        }
        std::atomic<bool> done{false};
        std::thread trickle([&] {
            for (int tick = 0; !done && tick < 200; ++tick) {
                if (!c.polls)
                    for (auto& s : open) s->Send("X");
                std::this_thread::sleep_for(50ms);
            }
        });
        std::this_thread::sleep_for(200ms);
        for (int i = 0; i < 5; ++i)
            if (Ordinary() != 200) {
                ADD_FAILURE() << "request " << i << " was not answered";
                break;
            }
        done = true;
        trickle.join();
        if (!c.polls) continue;
        // Past the limit of polls waiting at once, the oldest are answered at once.
        const size_t expected = c.connections - LiveSession::kMaxPolls;
        size_t answered = 0;
        for (auto until = std::chrono::steady_clock::now() + 5s;
             answered < expected && std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(50ms)) {
            answered = 0;
            for (auto& s : open) answered += s->Readable();
        }
        EXPECT_EQ(answered, expected);
    }
}

// A connection that never finishes its request is closed once its time is up.
TEST_F(ServeHttp, AConnectionThatNeverFinishesItsRequestIsClosed) {
    ServerLimits limits;
    limits.requestTime = 500ms;
    Start(limits);
    Socket slow(port_, 10000ms);
    ASSERT_TRUE(slow.Send("GET /api/state HTTP/1.1\r\n"));
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 60 && std::chrono::steady_clock::now() - start < 8s; ++i) {
        std::this_thread::sleep_for(100ms);
        if (!slow.Send("X")) break;
    }
    EXPECT_TRUE(slow.Closes());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
    EXPECT_EQ(Ordinary(), 200);
}

}  // namespace
