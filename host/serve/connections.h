// The connections of qlhost --serve's web server: each is served on a worker of its own, with
// a bounded time to send a request and to take its answer, and without Nagle's delay.
// Workers are made as connections come, up to a limit; past it a connection is answered
// "503 busy" at once instead of waiting behind slow ones.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <httplib.h>

namespace qlhost::serve {

// One connection's socket as cpp-httplib reads and writes it. Reading one request and writing
// its answer each have time until a deadline; a read or write waits for the socket at most
// until then, and gives up sooner once stopping() is true.
class ConnectionStream final : public httplib::Stream {
public:
    ConnectionStream(int socket, std::chrono::milliseconds requestTime, std::function<bool()> stopping);

    // Waits up to idle for the next request of a kept-alive connection; false when none came.
    bool WaitForRequest(std::chrono::milliseconds idle);
    // A new request starts: its time to be read begins now.
    void StartRequest();

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* data, size_t size) override;
    ssize_t write(const char* data, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    int socket() const override { return socket_; }

private:
    using Clock = std::chrono::steady_clock;
    // Waits until the socket can be read (or written) or the deadline passes.
    bool Wait(short events, Clock::time_point deadline) const;
    ssize_t Receive(char* data, size_t size);

    int socket_;
    std::chrono::milliseconds requestTime_;
    std::function<bool()> stopping_;
    Clock::time_point readDeadline_;
    Clock::time_point writeDeadline_;
    bool writing_ = false;
    std::vector<char> buffer_;
    size_t bufferStart_ = 0, bufferEnd_ = 0;
};

// Sets the options every connection of the server gets: no Nagle's delay.
void PrepareConnection(int socket);
// Answers a connection "503" and closes it, without reading its request.
void RefuseConnection(int socket);

// The task queue cpp-httplib hands accepted connections to: a worker for each connection up
// to limit workers, made when needed and kept; beyond that, connections are run by one thread
// on which Refusing() is true, so that they are refused at once.
class Workers final : public httplib::TaskQueue {
public:
    explicit Workers(size_t limit) : limit_(limit) {}
    ~Workers() override { shutdown(); }
    void enqueue(std::function<void()> job) override;
    void shutdown() override;
    // True on the thread that runs the connections past the limit.
    static bool Refusing();

private:
    void Work();
    void Refuse();
    // Runs the queue's jobs until the server stops and the queue is empty; countIdle: the
    // worker counts as idle while it waits (the ordinary workers, not the refuser).
    void Drain(std::deque<std::function<void()>>& queue, bool countIdle);

    size_t limit_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_, refused_;
    std::vector<std::thread> threads_;
    std::thread refuser_;
    size_t idle_ = 0;
    bool stopping_ = false;
};

}  // namespace qlhost::serve
