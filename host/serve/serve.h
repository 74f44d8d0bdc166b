// qlhost --serve: the host driven from a browser. A small web server on its own threads
// serves the page and takes the user's actions; the host's thread runs them as the live
// actions of a script and publishes what the user sees.
#pragma once

#include <string>

#include "host/script/runner.h"

namespace qlhost::serve {

struct ServeOptions {
    int port = 8080;                    // 0: any free port
    std::string listen = "127.0.0.1";  // another address only when asked for
    std::string root = ".";            // the only folder whose files the browser reaches
    std::string web;                   // the page's files (default: web/ beside qlhost)
};

// Serves until SIGINT or SIGTERM; the exit status of qlhost.
int Serve(const ServeOptions& serve, const RunOptions& run);

}  // namespace qlhost::serve
