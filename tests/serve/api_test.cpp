// Requests of qlhost --serve: malformed and oversized requests, confinement of files, and a
// live session that drives the plug-in and replays as a scenario script.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "host/drawing/drawing.h"
#include "host/script/runner.h"
#include "host/serve/api.h"
#include "host/serve/requests.h"
#include "host/serve/snapshot.h"
#include "tests/support/temp_path.h"

namespace {

namespace fs = std::filesystem;
using namespace qlhost::serve;
using nlohmann::json;

std::string MakeRoot(const std::string& name) {
    const fs::path dir = ql_test::TempPath(name);
    fs::create_directories(dir);
    std::string root, error;
    EXPECT_TRUE(CanonicalRoot(dir.string(), root, error)) << error;
    return root;
}

class ServeApi : public ::testing::Test {
protected:
    ServeApi() : session_([](Snapshot&, bool) {}), api_(MakeRoot("serve-api"), session_) { api_.SetWaits(50, 50); }
    Response Call(const std::string& method, const std::string& path, const std::string& body = "",
                  std::map<std::string, std::string> query = {}) {
        return api_.Handle(Request{method, path, std::move(query), body});
    }
    LiveSession session_;
    Api api_;
};

TEST_F(ServeApi, MalformedRequestsGetAClientError) {
    EXPECT_EQ(Call("POST", "/api/lines", "{not json").status, 400);
    EXPECT_EQ(Call("POST", "/api/lines", "[\"run QLMOVE\"]").status, 400);
    EXPECT_EQ(Call("POST", "/api/lines", "{\"lines\": \"run QLMOVE\"}").status, 400);
    EXPECT_EQ(Call("POST", "/api/lines", "{\"lines\": [1, 2]}").status, 400);
    EXPECT_EQ(Call("POST", "/api/lines", "{\"lines\": [\"expect idle\"]}").status, 400);
    EXPECT_EQ(Call("POST", "/api/command", "{\"txt\": \"QLMOVE\"}").status, 400);
    EXPECT_EQ(Call("POST", "/api/command", "\xff\xfe").status, 400);
    EXPECT_EQ(Call("GET", "/api/nothing").status, 404);
    EXPECT_EQ(Call("DELETE", "/api/state").status, 404);
    EXPECT_EQ(Call("GET", "/api/file").status, 400);
    EXPECT_EQ(Call("POST", "/api/session", "{}").status, 400);
    const Response r = Call("POST", "/api/lines", "{oops");
    EXPECT_TRUE(json::parse(r.body).contains("error"));
    // Nothing reached the session.
    EXPECT_EQ(session_.Script(), "# A session of qlhost --serve.\n");
}

TEST_F(ServeApi, OversizedRequestsAreRefused) {
    EXPECT_EQ(Call("POST", "/api/lines", std::string(kMaxBody + 1, ' ')).status, 413);
    json many{{"lines", std::vector<std::string>(kMaxLinesPerRequest + 1, "wait 1")}};
    EXPECT_EQ(Call("POST", "/api/lines", many.dump()).status, 413);
    EXPECT_EQ(Call("POST", "/api/upload", std::string(kMaxUpload + 1, 'x'), {{"name", "big.json"}}).status, 413);
}

TEST_F(ServeApi, FilesStayInsideTheRoot) {
    EXPECT_EQ(Call("POST", "/api/upload", "{}", {{"name", "../up.json"}}).status, 403);
    EXPECT_FALSE(fs::exists(fs::path(api_.Root()).parent_path() / "up.json"));
    EXPECT_EQ(Call("GET", "/api/files", "", {{"dir", ".."}}).status, 403);
    EXPECT_EQ(Call("GET", "/api/file", "", {{"name", "/etc/passwd"}}).status, 403);
    EXPECT_EQ(Call("POST", "/api/session", "{\"path\": \"../s.qls\"}").status, 403);
    EXPECT_EQ(Call("POST", "/api/lines", "{\"lines\": [\"save ../x.json\"]}").status, 400);

    ASSERT_EQ(Call("POST", "/api/upload", "{\"entities\": []}", {{"name", "plan.json"}}).status, 200);
    // A link to nothing is left out of the listing rather than failing it.
    std::error_code ec;
    fs::create_symlink(fs::path(api_.Root()) / "missing", fs::path(api_.Root()) / "broken", ec);
    ASSERT_FALSE(ec) << ec.message();
    const Response listing = Call("GET", "/api/files");
    ASSERT_EQ(listing.status, 200);
    const json entries = json::parse(listing.body)["entries"];
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]["name"], "plan.json");
    const Response file = Call("GET", "/api/file", "", {{"name", "plan.json"}});
    EXPECT_EQ(file.status, 200);
    EXPECT_EQ(file.body, "{\"entities\": []}");
    EXPECT_EQ(Call("GET", "/api/file", "", {{"name", "missing.json"}}).status, 404);
}

TEST_F(ServeApi, ActionsTheHostDoesNotTakeTimeOutAndAClosedSessionTakesNone) {
    // No host thread: the lines are queued, but nothing handles them.
    EXPECT_EQ(Call("POST", "/api/lines", "{\"lines\": [\"wait 1\"]}").status, 504);
    session_.Close();
    EXPECT_EQ(Call("POST", "/api/lines", "{\"lines\": [\"wait 1\"]}").status, 503);
    EXPECT_EQ(session_.Peek(), nullptr);
    // An empty list acts on nothing and returns the state.
    EXPECT_EQ(Call("POST", "/api/lines", "{\"lines\": []}").status, 200);
}

TEST(ServeModal, TranscriptLinesOpenAndCloseModalWindows) {
    ModalTracker tracker;
    for (const char* line : {"message \"About Quillet\"", "| User commands:", "|", "file dialog \"Open\""})
        tracker.Feed(line);
    json open = tracker.Open();
    ASSERT_EQ(open.size(), 2u);
    EXPECT_EQ(open[0]["kind"], "message");
    EXPECT_EQ(open[0]["caption"], "About Quillet");
    EXPECT_EQ(open[0]["lines"], json::array({"User commands:", ""}));
    EXPECT_EQ(open[1]["kind"], "file");
    tracker.Feed("file dialog chose \"a.json\"");
    tracker.Feed("message closed with OK");
    tracker.Feed("popup menu");
    tracker.Feed("| Line");
    tracker.Feed("| -");
    open = tracker.Open();
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0]["lines"], json::array({"Line", "-"}));
    tracker.Feed("popup menu closed without a choice");
    EXPECT_TRUE(tracker.Open().empty());
}

// A session on a host thread of its own, driven as the browser drives it.
class LiveHost : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = MakeRoot("serve-live");
        session_ = std::make_unique<LiveSession>(SnapshotMaker{sessionRef_});
        sessionRef_ = session_.get();
        api_ = std::make_unique<Api>(root_, *session_);
        qlhost::RunOptions options;
        options.quiet = true;
        options.plugin = "qltestplugin";
        host_ = std::thread([this, options] {
            status_ = qlhost::RunLive(*session_, root_, options);
            session_->Close();
        });
    }
    void TearDown() override {
        if (host_.joinable()) Stop();
    }
    void Stop() {
        session_->Close();
        host_.join();
    }
    json Lines(std::vector<std::string> lines) {
        const Response r = api_->Handle(Request{"POST", "/api/lines", {}, json{{"lines", lines}}.dump()});
        EXPECT_EQ(r.status, 200) << r.body;
        return json::parse(r.body, nullptr, false);
    }
    std::string root_;
    LiveSession* sessionRef_ = nullptr;
    std::unique_ptr<LiveSession> session_;
    std::unique_ptr<Api> api_;
    std::thread host_;
    int status_ = -1;
};

TEST_F(LiveHost, ADragShowsItsPreviewAndTheSessionReplaysToTheSameDrawing) {
    json state = Lines({"add box 0 0 20 20", "run TPDRAG"});
    EXPECT_EQ(state["state"]["command"], "TPDRAG");
    EXPECT_EQ(state["state"]["prompt"]["text"], "Drag to:");
    EXPECT_EQ(state["state"]["prompt"]["drag"], true);
    const uint64_t drawing = state["drawingVersion"];
    state = Lines({"move 5 5"});
    EXPECT_NE(state["state"]["preview"].get<std::string>().find("<svg"), std::string::npos);
    EXPECT_EQ(state["drawingVersion"], drawing);
    state = Lines({"point 5 5", "run BOX", "point 30 30", "point 40 35"});
    EXPECT_EQ(state["state"]["command"], "");
    EXPECT_EQ(state["state"]["preview"], "");
    EXPECT_GT(state["drawingVersion"].get<uint64_t>(), drawing);
    EXPECT_NE(state["drawingSvg"].get<std::string>().find("<svg"), std::string::npos);
    // A fault is kept as a comment: the script still replays cleanly.
    Lines({"point 1 1"});
    const Response typed = api_->Handle(Request{"POST", "/api/command", {}, "{\"text\": \"tpdrag\"}"});
    EXPECT_EQ(json::parse(typed.body)["state"]["command"], "TPDRAG");
    Lines({"esc"});
    Stop();
    EXPECT_EQ(status_, 1);  // the fault fails the live script
    const std::string live = qlhost::DumpList(*qlhost::TheDrawing().work);

    const std::string script = session_->Script();
    EXPECT_NE(script.find("# fault: point 1 1\n"), std::string::npos);
    EXPECT_NE(script.find("run tpdrag\nesc\n"), std::string::npos);
    const std::string path = root_ + "/replay.qls";
    std::ofstream(path) << "# plugin: qltestplugin\n" << script;
    qlhost::RunOptions options;
    options.quiet = true;
    EXPECT_EQ(qlhost::RunScripts({path}, options), 0);
    EXPECT_EQ(qlhost::DumpList(*qlhost::TheDrawing().work), live);
}

TEST_F(LiveHost, AMessageBoxWaitsForTheUsersAnswer) {
    json state = Lines({"about"});
    ASSERT_EQ(state["state"]["modal"].size(), 1u);
    EXPECT_EQ(state["state"]["modal"][0]["kind"], "message");
    state = Lines({"answer ok"});
    EXPECT_TRUE(state["state"]["modal"].empty());
    const Response transcript = api_->Handle(Request{"GET", "/api/state", {{"transcript", "0"}}, ""});
    const json lines = json::parse(transcript.body)["transcript"]["lines"];
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "message closed with OK");
}

// The page's undo and redo are the scenario lines `undo` and `redo`: they take the host's own
// BOX back and forth, the drawing sent to the page follows, and the session replays them.
TEST_F(LiveHost, UndoAndRedoLinesTakeACommandBackAndForth) {
    auto drawing = [&] { return api_->Handle(Request{"GET", "/api/drawing.json", {}, ""}).body; };
    Lines({"add line 0 0 10 0", "run BOX", "point 30 30", "point 40 35"});
    const std::string boxed = drawing();
    Lines({"undo"});
    const std::string undone = drawing();
    EXPECT_EQ(undone.find("\"polygon\""), std::string::npos);
    EXPECT_NE(undone.find("\"line\""), std::string::npos);
    Lines({"redo"});
    EXPECT_EQ(drawing(), boxed);
    Lines({"undo", "undo", "undo"});
    Stop();
    EXPECT_EQ(status_, 0);
    EXPECT_EQ(qlhost::TheDrawing().work->count, 0u);
    EXPECT_NE(session_->Script().find("undo\nredo\nundo\nundo\nundo\n"), std::string::npos);
    const Response r = api_->Handle(Request{"GET", "/api/state", {{"transcript", "0"}}, ""});
    const json lines = json::parse(r.body)["transcript"]["lines"];
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Nothing to undo");
}

}  // namespace
