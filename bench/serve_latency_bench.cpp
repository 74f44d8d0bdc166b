// qlhost --serve: the time from a mouse-move request to the preview frame the page gets
// back, with 10,000 entities selected and dragged by QLMOVE. The host runs on a thread of
// its own as in qlhost --serve; the request goes through the request handling alone
// (ServeMoveRequest) and through the web server over the loopback (ServeMoveHttp). And the
// time of a state request on a kept-alive connection to an idle host (ServeStateHttp), about
// a millisecond when nothing holds the answer back.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "host/script/runner.h"
#include "host/serve/api.h"
#include "host/serve/requests.h"
#include "host/serve/snapshot.h"
#include "host/serve/web_server.h"

namespace {

namespace fs = std::filesystem;
using namespace qlhost::serve;
using nlohmann::json;

constexpr int kEntities = 10000;

// A drawing of kEntities short lines in a square, as the JSON drawing format writes it.
void WriteDrawing(const std::string& path) {
    json entities = json::array();
    for (int i = 0; i < kEntities; ++i) {
        const double x = i % 100, y = i / 100;
        entities.push_back({{"type", "line"}, {"p1", {x, y}}, {"p2", {x + 0.5, y + 0.5}}});
    }
    std::ofstream(path) << json{{"format", "quillet-drawing"}, {"version", 1}, {"entities", entities}}.dump();
}

// One live session with QLMOVE waiting for the placement point.
struct Session {
    Session() {
        const fs::path dir = fs::temp_directory_path() / ("qlhost-serve-bench-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        std::string error;
        CanonicalRoot(dir.string(), root, error);
        WriteDrawing(root + "/many.json");
        live = std::make_unique<LiveSession>(SnapshotMaker{liveRef});
        liveRef = live.get();
        api = std::make_unique<Api>(root, *live);
        qlhost::RunOptions options;
        options.quiet = true;
        options.validate = false;
        options.plugin = "quillet";
        host = std::thread([this, options] {
            qlhost::RunLive(*live, root, options);
            live->Close();
        });
        const Response r = Post("{\"lines\": [\"load many.json\", \"run QLMOVE\", \"select all\", \"point 0 0\"]}");
        ready = r.status == 200 && json::parse(r.body, nullptr, false).value("/state/prompt/drag"_json_pointer, false);
        drawing = live->Latest()->drawingVersion;
        previews = live->Latest()->previewsVersion;
    }
    ~Session() {
        live->Close();
        host.join();
        fs::remove_all(root);
    }
    Response Post(const std::string& body) {
        return api->Handle(Request{"POST", "/api/lines", Query(), body});
    }
    std::map<std::string, std::string> Query() const {
        return {{"drawing", std::to_string(drawing)}, {"previews", std::to_string(previews)}};
    }
    std::string root;
    LiveSession* liveRef = nullptr;
    std::unique_ptr<LiveSession> live;
    std::unique_ptr<Api> api;
    std::thread host;
    bool ready = false;
    uint64_t drawing = 0, previews = 0;
};

std::string MoveBody(int64_t step) {
    return "{\"lines\": [\"move " + std::to_string(10 + step % 50) + " 20\"]}";
}

void ServeMoveRequest(benchmark::State& state) {
    Session session;
    if (!session.ready) return state.SkipWithError("QLMOVE did not reach its drag");
    int64_t step = 0;
    size_t bytes = 0;
    for (auto _ : state) {
        const Response r = session.Post(MoveBody(step++));
        if (r.status != 200) return state.SkipWithError("the move failed");
        bytes = r.body.size();
    }
    state.counters["response_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(ServeMoveRequest)->Unit(benchmark::kMillisecond)->UseRealTime();

void ServeMoveHttp(benchmark::State& state) {
    Session session;
    if (!session.ready) return state.SkipWithError("QLMOVE did not reach its drag");
    WebServer server(*session.api);
    const int port = server.Bind("127.0.0.1", 0);
    std::thread listener([&] { server.Run(); });
    httplib::Client client("127.0.0.1", port);
    const std::string path =
        "/api/lines?drawing=" + std::to_string(session.drawing) + "&previews=" + std::to_string(session.previews);
    int64_t step = 0;
    for (auto _ : state) {
        auto r = client.Post(path, MoveBody(step++), "application/json");
        if (!r || r->status != 200) {
            state.SkipWithError("the move failed");
            break;
        }
    }
    server.Stop();
    listener.join();
}
BENCHMARK(ServeMoveHttp)->Unit(benchmark::kMillisecond)->UseRealTime();

// The server qlhost --serve runs, with no host behind it: the answer is the last snapshot.
void ServeStateHttp(benchmark::State& state) {
    LiveSession live([](Snapshot&, bool) {});
    std::string root, error;
    CanonicalRoot(fs::temp_directory_path().string(), root, error);
    Api api(root, live);
    WebServer server(api);
    const int port = server.Bind("127.0.0.1", 0);
    std::thread listener([&] { server.Run(); });
    httplib::Client client("127.0.0.1", port);
    client.set_keep_alive(true);
    for (auto _ : state) {
        auto r = client.Get("/api/state?drawing=0&previews=0");
        if (!r || r->status != 200) {
            state.SkipWithError("the state request failed");
            break;
        }
    }
    live.Close();
    server.Stop();
    listener.join();
}
BENCHMARK(ServeStateHttp)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
