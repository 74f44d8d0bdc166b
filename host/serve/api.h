// The requests of qlhost --serve, apart from the web server that carries them, so they can
// be tested without a network: each takes the method, path, query and body and returns the
// status, content type and body of the response. Any thread may call Handle.
#pragma once

#include <map>
#include <string>

#include "host/serve/live_session.h"

namespace qlhost::serve {

struct Request {
    std::string method;  // GET, POST
    std::string path;    // /api/state, ...
    std::map<std::string, std::string> query;
    std::string body;
};

struct Response {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    std::string fileName;  // sent as an attachment when set
};

class Api {
public:
    // root: the canonical root folder. How long a request waits for the host to handle its
    // actions, and how long a state request waits for a newer snapshot.
    Api(std::string root, LiveSession& session);
    Response Handle(const Request& request);
    void SetWaits(int handledMs, int pollMs);
    const std::string& Root() const { return root_; }

private:
    Response Lines(const Request& request);
    Response Command(const Request& request);
    Response State(const Request& request);
    Response Files(const Request& request);
    Response Upload(const Request& request);
    Response Download(const Request& request);
    Response SaveSession(const std::string& body);
    Response PostLines(const std::vector<std::string>& lines, const Request& request);
    // extra: more members of the answer (",\"key\":value"), or empty.
    std::string StateJson(const Request& request, size_t transcriptFrom, const std::string& extra = "") const;
    std::string UserFault(const std::string& problem) const;
    Response UploadAndLoad(const Request& request, const std::string& name, const std::string& path);

    std::string root_;
    LiveSession& session_;
    int handledMs_ = 10000;
    int pollMs_ = 20000;
};

// A problem of the host as the user reads it: without the script line and "fault: ".
std::string FaultText(const std::string& problem);

// A JSON error response: {"error": message}.
Response ErrorResponse(int status, const std::string& message);

}  // namespace qlhost::serve
