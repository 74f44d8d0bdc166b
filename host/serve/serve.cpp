// qlhost --serve: the web server's threads, the host's thread and the signals that end them.
#include "host/serve/serve.h"

#include <pthread.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <thread>

#include "host/protocol/loader.h"
#include "host/serve/api.h"
#include "host/serve/requests.h"
#include "host/serve/snapshot.h"
#include "host/serve/web_server.h"

namespace qlhost::serve {

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

    WebServer server(api);
    if (!server.Mount(web)) {
        std::cerr << "qlhost: the page's folder " << web << " is missing\n";
        return 2;
    }
    const int port = server.Bind(options.listen, options.port);
    if (port <= 0) {
        std::cerr << "qlhost: cannot listen on " << options.listen << ":" << options.port << "\n";
        return 1;
    }
    if (options.listen != "127.0.0.1" && options.listen != "localhost" && options.listen != "::1")
        std::cerr << "qlhost: listening on " << options.listen << ": other machines can drive this host\n";
    const bool bare6 = options.listen.find(':') != std::string::npos && options.listen[0] != '[';
    const std::string address = bare6 ? "[" + options.listen + "]" : options.listen;
    std::cout << "qlhost: serving http://" << address << ":" << port << "/ (root " << root << ")" << std::endl;
    std::thread listener([&server] { server.Run(); });
    std::thread waiter([&] {
        int received = 0;
        sigwait(&signals, &received);
        session.Close();
        server.Stop();
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
