// The web server of qlhost --serve over cpp-httplib: the requests are read and answered on
// connections of our own (host/serve/connections.h); every request first passes the checks
// of the Host it names and of the site it comes from.
#include "host/serve/web_server.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <set>

#include <httplib.h>

#include "host/serve/connections.h"
#include "host/serve/requests.h"

namespace qlhost::serve {
namespace {

constexpr auto kKeepAlive = std::chrono::seconds(1);  // an idle kept-alive connection waits so long
constexpr size_t kRequestsPerConnection = 100;

Request ToRequest(const httplib::Request& in) {
    Request out{in.method, in.path, {}, in.body};
    for (const auto& [key, value] : in.params) out.query.emplace(key, value);
    return out;
}

void Send(const Response& response, httplib::Response& out) {
    out.status = response.status;
    if (!response.fileName.empty())
        out.set_header("Content-Disposition", "attachment; filename=\"" + response.fileName + "\"");
    out.set_header("Cache-Control", "no-store");
    out.set_content(response.body, response.contentType);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The Host values the server answers: the loopback's names and the address it listens on,
// each with the port (browsers leave out port 80).
std::set<std::string> HostNames(const std::string& listen, int port) {
    const bool bare6 = listen.find(':') != std::string::npos && listen[0] != '[';
    std::set<std::string> names;
    for (const std::string& name : {std::string("127.0.0.1"), std::string("localhost"), std::string("[::1]"),
                                    bare6 ? "[" + listen + "]" : listen}) {
        names.insert(Lower(name) + ":" + std::to_string(port));
        if (port == 80) names.insert(Lower(name));
    }
    return names;
}

// cpp-httplib's server with connections served by ConnectionStream.
class HttpServer final : public httplib::Server {
public:
    explicit HttpServer(const ServerLimits& limits) : limits_(limits) {}
    // cpp-httplib listens with a queue of 5 connections not yet accepted; a burst of more has
    // the rest wait a second or more for the kernel to accept them again.
    void WidenBacklog() { ::listen(svr_sock_, SOMAXCONN); }

private:
    // cpp-httplib keeps this virtual (though private): the connection's loop is ours, and its
    // protected process_request reads each request, routes it and writes the answer.
    bool process_and_close_socket(socket_t socket) override {
        if (Workers::Refusing()) {
            RefuseConnection(socket);
            return false;
        }
        PrepareConnection(socket);
        ConnectionStream stream(socket, limits_.requestTime, [this] { return svr_sock_ == INVALID_SOCKET; });
        bool ok = true;
        for (size_t left = kRequestsPerConnection; left > 0 && stream.WaitForRequest(kKeepAlive); --left) {
            stream.StartRequest();
            bool closed = false;
            ok = process_request(stream, left == 1, closed, {});
            if (!ok || closed) break;
        }
        ::shutdown(socket, SHUT_RDWR);
        ::close(socket);
        return ok;
    }
    ServerLimits limits_;
};

}  // namespace

struct WebServer::Impl {
    Impl(Api& api, const ServerLimits& limits) : api(api), server(limits) {}
    // Why a request is refused before it reaches anything, or empty.
    std::string Refusal(const httplib::Request& in) const {
        const std::string host = Lower(in.get_header_value("Host"));
        // DNS rebinding: another name that resolves to this machine is another site.
        if (hostNames.count(host) == 0) return "requests for the host \"" + host + "\" are refused";
        // A page of another site may not drive the host either.
        if (in.has_header("Origin") && Lower(in.get_header_value("Origin")) != "http://" + host)
            return "requests from another site are refused";
        return {};
    }
    Api& api;
    HttpServer server;
    std::set<std::string> hostNames;
};

WebServer::WebServer(Api& api, ServerLimits limits) : impl_(std::make_unique<Impl>(api, limits)) {
    httplib::Server& server = impl_->server;
    server.set_payload_max_length(kMaxUpload + 1);
    server.new_task_queue = [workers = limits.workers] { return new Workers(workers); };
    server.set_exception_handler([](const httplib::Request&, httplib::Response& out, std::exception_ptr) {
        Send(ErrorResponse(500, "the request failed"), out);
    });
    server.set_pre_routing_handler([this](const httplib::Request& in, httplib::Response& out) {
        const std::string refusal = impl_->Refusal(in);
        if (refusal.empty()) return httplib::Server::HandlerResponse::Unhandled;
        Send(ErrorResponse(403, refusal), out);
        return httplib::Server::HandlerResponse::Handled;
    });
    auto route = [this](const httplib::Request& in, httplib::Response& out) { Send(impl_->api.Handle(ToRequest(in)), out); };
    server.Get(R"(/api/.*)", route);
    server.Post(R"(/api/.*)", route);
}

WebServer::~WebServer() = default;

bool WebServer::Mount(const std::string& folder) { return impl_->server.set_mount_point("/", folder); }

int WebServer::Bind(const std::string& address, int port) {
    httplib::Server& server = impl_->server;
    if (port == 0) port = server.bind_to_any_port(address);
    else if (!server.bind_to_port(address, port)) port = -1;
    if (port > 0) {
        impl_->server.WidenBacklog();
        impl_->hostNames = HostNames(address, port);
    }
    return port;
}

void WebServer::Run() { impl_->server.listen_after_bind(); }

void WebServer::Stop() { impl_->server.stop(); }

}  // namespace qlhost::serve
