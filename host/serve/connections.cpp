// The connections of qlhost --serve's web server: bounded reads and writes, the workers.
#include "host/serve/connections.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qlhost::serve {
namespace {

// How long one wait for the socket lasts before the stop flag is looked at again.
constexpr auto kStopCheck = std::chrono::milliseconds(200);
constexpr size_t kBuffer = 4096;

thread_local bool t_refusing = false;

void Address(const sockaddr_storage& address, std::string& ip, int& port) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address.ss_family == AF_INET) {
        const auto& in = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &in.sin_addr, text, sizeof text);
        port = ntohs(in.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& in = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &in.sin6_addr, text, sizeof text);
        port = ntohs(in.sin6_port);
    }
    ip = text;
}

}  // namespace

ConnectionStream::ConnectionStream(int socket, std::chrono::milliseconds requestTime, std::function<bool()> stopping)
    : socket_(socket), requestTime_(requestTime), stopping_(std::move(stopping)), buffer_(kBuffer) {
    StartRequest();
}

bool ConnectionStream::Wait(short events, Clock::time_point deadline) const {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || stopping_()) return false;
        pollfd entry{socket_, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(std::min(left, kStopCheck).count()) + 1);
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

bool ConnectionStream::WaitForRequest(std::chrono::milliseconds idle) {
    return bufferStart_ < bufferEnd_ || Wait(POLLIN, Clock::now() + idle);
}

void ConnectionStream::StartRequest() {
    readDeadline_ = Clock::now() + requestTime_;
    writing_ = false;
}

bool ConnectionStream::is_readable() const { return bufferStart_ < bufferEnd_ || Wait(POLLIN, readDeadline_); }

// The answer's time starts with its first write, once the request has been handled.
bool ConnectionStream::is_writable() const {
    return Wait(POLLOUT, writing_ ? writeDeadline_ : Clock::now() + requestTime_);
}

// The socket's reads and writes never block: a wait for it comes first, bounded by the
// deadline.
ssize_t ConnectionStream::Receive(char* data, size_t size) {
    for (;;) {
        if (!is_readable()) return -1;
        const ssize_t n = ::recv(socket_, data, size, MSG_DONTWAIT);
        if (n >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) return n;
    }
}

ssize_t ConnectionStream::read(char* data, size_t size) {
    if (bufferStart_ == bufferEnd_) {
        // Large reads (request bodies) go straight to the caller.
        if (size >= buffer_.size()) return Receive(data, size);
        const ssize_t n = Receive(buffer_.data(), buffer_.size());
        if (n <= 0) return n;
        bufferStart_ = 0;
        bufferEnd_ = static_cast<size_t>(n);
    }
    const size_t n = std::min(size, bufferEnd_ - bufferStart_);
    std::memcpy(data, buffer_.data() + bufferStart_, n);
    bufferStart_ += n;
    return static_cast<ssize_t>(n);
}

ssize_t ConnectionStream::write(const char* data, size_t size) {
    if (!writing_) {
        writing_ = true;
        writeDeadline_ = Clock::now() + requestTime_;
    }
    for (;;) {
        if (!Wait(POLLOUT, writeDeadline_)) return -1;
        const ssize_t n = ::send(socket_, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) return n;
    }
}

void ConnectionStream::get_remote_ip_and_port(std::string& ip, int& port) const {
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    if (getpeername(socket_, reinterpret_cast<sockaddr*>(&address), &size) == 0) Address(address, ip, port);
}

void ConnectionStream::get_local_ip_and_port(std::string& ip, int& port) const {
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    if (getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) == 0) Address(address, ip, port);
}

void PrepareConnection(int socket) {
    const int on = 1;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

void RefuseConnection(int socket) {
    static const std::string body = "{\"error\": \"the server is busy, try again\"}";
    static const std::string busy = "HTTP/1.1 503 Service Unavailable\r\nContent-Type: application/json\r\n"
                                    "Content-Length: " + std::to_string(body.size()) +
                                    "\r\nConnection: close\r\nRetry-After: 1\r\n\r\n" + body;
    [[maybe_unused]] const ssize_t sent = ::send(socket, busy.data(), busy.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    ::shutdown(socket, SHUT_RDWR);
    ::close(socket);
}

void Workers::enqueue(std::function<void()> job) {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    // Every job waiting has a worker idle or on its way; another one needs a worker more.
    if (jobs_.size() >= idle_) {
        if (threads_.size() >= limit_) {
            refused_.push_back(std::move(job));
            if (!refuser_.joinable()) refuser_ = std::thread([this] { Refuse(); });
            wake_.notify_all();
            return;
        }
        threads_.emplace_back([this] { Work(); });
    }
    jobs_.push_back(std::move(job));
    wake_.notify_all();
}

void Workers::shutdown() {
    {
        std::lock_guard lock(mutex_);
        if (stopping_ && threads_.empty() && !refuser_.joinable()) return;
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) thread.join();
    threads_.clear();
    if (refuser_.joinable()) refuser_.join();
}

bool Workers::Refusing() { return t_refusing; }

// Jobs still queued when the server stops run too: each closes its connection.
void Workers::Work() { Drain(jobs_, true); }

void Workers::Refuse() {
    t_refusing = true;
    Drain(refused_, false);
}

void Workers::Drain(std::deque<std::function<void()>>& queue, bool countIdle) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (countIdle) ++idle_;
        wake_.wait(lock, [&] { return stopping_ || !queue.empty(); });
        if (countIdle) --idle_;
        if (queue.empty()) return;
        std::function<void()> job = std::move(queue.front());
        queue.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
}

}  // namespace qlhost::serve
