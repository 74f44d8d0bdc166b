// qlhost --serve: the web server's threads, the host's thread and the signals that end them.
#include "host/serve/serve.h"

#include <pthread.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <thread>

#include <httplib.h>

#include "host/protocol/loader.h"
#include "host/serve/api.h"
#include "host/serve/requests.h"
#include "host/serve/snapshot.h"

namespace qlhost::serve {
namespace {

constexpr size_t kWorkers = 32;

Request ToRequest(const httplib::Request& in) {
    Request out{in.method, in.path, {}, in.body};
    for (const auto& [key, value] : in.params) out.query.emplace(key, value);
    return out;
}

// A page of another site may not drive the host: a request that says where it comes from
// must come from this server's own page.
bool SameOrigin(const httplib::Request& in) {
    if (!in.has_header("Origin")) return true;
    return in.get_header_value("Origin") == "http://" + in.get_header_value("Host");
}

void Route(Api& api, const httplib::Request& in, httplib::Response& out) {
    if (!SameOrigin(in)) {
        const Response refused = ErrorResponse(403, "requests from another site are refused");
        out.status = refused.status;
        out.set_content(refused.body, refused.contentType);
        return;
    }
    const Response response = api.Handle(ToRequest(in));
    out.status = response.status;
    if (!response.fileName.empty())
        out.set_header("Content-Disposition", "attachment; filename=\"" + response.fileName + "\"");
    out.set_header("Cache-Control", "no-store");
    out.set_content(response.body, response.contentType);
}

}  // namespace

int Serve(const ServeOptions& options, const RunOptions& run) {
    std::string root, error;
    if (!CanonicalRoot(options.root, root, error)) {
        std::cerr << "qlhost: " << error << "\n";
        return 2;
    }
    const std::string web = options.web.empty() ? (std::filesystem::path(ExecutableDir()) / "web").string() : options.web;
    // Names the plug-in reads or writes as given land in the root folder.
    if (chdir(root.c_str()) != 0) {
        std::cerr << "qlhost: cannot enter " << root << "\n";
        return 2;
    }
    // Signals reach only the thread that waits for them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    // A browser that goes away in the middle of an answer ends that answer, not the host.
    std::signal(SIGPIPE, SIG_IGN);

    LiveSession* sessionRef = nullptr;
    LiveSession session(SnapshotMaker{sessionRef});
    sessionRef = &session;
    Api api(root, session);

    httplib::Server server;
    server.set_payload_max_length(kMaxUpload + 1);
    // Long polls and idle keep-alive connections each hold a worker: enough workers that a
    // page's requests never wait for one.
    server.new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    server.set_keep_alive_timeout(1);
    server.set_exception_handler([](const httplib::Request&, httplib::Response& out, std::exception_ptr) {
        out.status = 500;
        out.set_content(ErrorResponse(500, "the request failed").body, "application/json");
    });
    if (!server.set_mount_point("/", web)) {
        std::cerr << "qlhost: the page's folder " << web << " is missing\n";
        return 2;
    }
    auto route = [&api](const httplib::Request& in, httplib::Response& out) { Route(api, in, out); };
    server.Get(R"(/api/.*)", route);
    server.Post(R"(/api/.*)", route);
    const int port = options.port == 0 ? server.bind_to_any_port(options.listen)
                                       : (server.bind_to_port(options.listen, options.port) ? options.port : -1);
    if (port <= 0) {
        std::cerr << "qlhost: cannot listen on " << options.listen << ":" << options.port << "\n";
        return 1;
    }
    if (options.listen != "127.0.0.1" && options.listen != "localhost" && options.listen != "::1")
        std::cerr << "qlhost: listening on " << options.listen << ": other machines can drive this host\n";
    std::cout << "qlhost: serving http://" << options.listen << ":" << port << "/ (root " << root << ")" << std::endl;
    std::thread listener([&server] { server.listen_after_bind(); });
    std::thread waiter([&] {
        int received = 0;
        sigwait(&signals, &received);
        session.Close();
        server.stop();
    });
    const int status = RunLive(session, root, run);
    // The host ended by itself (the plug-in did not load): requests stop waiting for it, and
    // the waiter ends as on a signal.
    if (!session.Closed()) {
        session.Close();
        kill(getpid(), SIGTERM);
    }
    waiter.join();
    listener.join();
    return status;
}

}  // namespace qlhost::serve
