// The web server of qlhost --serve: cpp-httplib carrying the requests of Api, the page's
// files, and the checks every request passes first (the Host it names, where it comes from).
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "host/serve/api.h"

namespace qlhost::serve {

// How much the server gives the connections it serves.
struct ServerLimits {
    // To read one request and to write its answer (the handling itself is not counted).
    std::chrono::milliseconds requestTime{10000};
    size_t workers = 128;  // connections served at once; more are answered 503 at once
};

class WebServer {
public:
    explicit WebServer(Api& api, ServerLimits limits = {});
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    // The page's files; false when the folder is missing.
    bool Mount(const std::string& folder);
    // Binds to address and port (0: any free port); the port, or -1.
    int Bind(const std::string& address, int port);
    // Serves until Stop; call on a thread of its own after Bind.
    void Run();
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace qlhost::serve
