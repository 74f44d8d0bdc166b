// qlhost --serve keeps every file inside the root folder: names typed at the plug-in's
// prompts (log file, parts, menus, "#name" files), the file dialog's answer, links that lead
// out, and hidden files the browser asks for.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/platform/file_root.h"
#include "host/platform/system.h"
#include "host/protocol/loader.h"
#include "host/protocol/registration.h"
#include "host/script/runner.h"
#include "host/serve/api.h"
#include "host/serve/requests.h"
#include "host/serve/snapshot.h"
#include "tests/support/temp_path.h"

namespace {

namespace fs = std::filesystem;
using namespace qlhost::serve;
using nlohmann::json;

std::string Canonical(const fs::path& dir) {
    fs::create_directories(dir);
    return fs::canonical(dir).string();
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The plug-in on a host thread of its own with a folder beside the root that no name may reach:
// "out" inside the root links to it, "dangle" to a file in it that does not exist yet.
class ConfinedHost : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = Canonical(ql_test::TempPath("serve-confined/root"));
        outside_ = Canonical(ql_test::TempPath("serve-confined/outside"));
        std::ofstream(outside_ + "/plan.json")
            << R"({"format": "quillet-drawing", "version": 1, "entities": [{"type": "line", "p1": [0, 0], "p2": [1, 1]}]})";
        std::ofstream(outside_ + "/menu.txt") << "Item:LINE 0,0 1,1\n";
        fs::create_directory_symlink(outside_, root_ + "/out");
        fs::create_symlink(outside_ + "/new.log", root_ + "/dangle");
        // A record another test of this process left registered (the plug-in is linked into
        // the tests too) would make the library's own attach look like none.
        if (const XPRecord* left = qlhost::RegisteredPlugin()) XPUnRegister(left);
        session_ = std::make_unique<LiveSession>(SnapshotMaker{sessionRef_});
        sessionRef_ = session_.get();
        api_ = std::make_unique<Api>(root_, *session_);
        qlhost::RunOptions options;
        options.quiet = true;
        options.plugin = "quillet";
        host_ = std::thread([this, options] {
            qlhost::RunLive(*session_, root_, options);
            session_->Close();
        });
    }
    void TearDown() override {
        // The plug-in keeps its log file name: back to the default for the other tests.
        Lines({"run QLLOGFILEINIT", "text \"#QLLogFile.txt\""});
        session_->Close();
        host_.join();
        // What the session drew stays out of the other tests.
        qlhost::ClearHighlights();
        qlhost::TheDrawing().Reset();
        fs::remove_all(fs::path(root_).parent_path());
    }
    json Lines(const std::vector<std::string>& lines) {
        const Response r = api_->Handle(Request{"POST", "/api/lines", {}, json{{"lines", lines}}.dump()});
        EXPECT_EQ(r.status, 200) << r.body;
        return json::parse(r.body, nullptr, false);
    }
    // Lines straight to the host, past the checks of the browser's requests.
    void Unchecked(const std::vector<std::string>& lines) {
        std::vector<qlhost::ScriptAction> actions;
        for (const std::string& line : lines) {
            std::vector<std::string> words;
            std::vector<bool> quoted;
            std::string error;
            ASSERT_TRUE(qlhost::SplitLine(line, words, quoted, error)) << error;
            qlhost::ScriptAction action;
            action.action.verb = words[0];
            action.action.args.assign(words.begin() + 1, words.end());
            action.quoted.assign(quoted.begin() + 1, quoted.end());
            actions.push_back(std::move(action));
        }
        ASSERT_TRUE(session_->WaitHandled(session_->Post(std::move(actions), lines), std::chrono::seconds(10)));
    }
    std::string Transcript() {
        const Response r = api_->Handle(Request{"GET", "/api/state", {{"transcript", "0"}}, ""});
        const json state = json::parse(r.body);
        std::string text;
        for (const json& line : state["transcript"]["lines"]) text += line.get<std::string>() + "\n";
        return text;
    }
    size_t Entities() {
        const json drawing = json::parse(api_->Handle(Request{"GET", "/api/drawing.json", {}, ""}).body, nullptr, false);
        return drawing.is_object() ? drawing.value("entities", json::array()).size() : 0;
    }
    std::string root_, outside_;
    LiveSession* sessionRef_ = nullptr;
    std::unique_ptr<LiveSession> session_;
    std::unique_ptr<Api> api_;
    std::thread host_;
};

TEST_F(ConfinedHost, NamesTypedAtPromptsStayInsideTheRoot) {
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        const char* untouched;  // a file outside that must not appear, "" for none
        const char* why;        // in the refusal the page shows
    };
    const std::string out = outside_;
    const std::vector<Case> cases = {
        {"log file by absolute path", {"run QLLOGFILEINIT", "text \"" + out + "/a.log\"", "run QLLOGFILEWRITE", "text \"x\"", "answer ok"}, "a.log", "outside the root"},
        {"log file through a link", {"run QLLOGFILEINIT", "text \"out/b.log\"", "run QLLOGFILEWRITE", "text \"x\"", "answer ok"}, "b.log", "outside the root"},
        {"log file through a link to nothing", {"run QLLOGFILEINIT", "text \"dangle\"", "run QLLOGFILEWRITE", "text \"x\"", "answer ok"}, "new.log", "a link to nothing"},
        {"user file above the root", {"run QLLOGFILEINIT", "text \"#../c.log\"", "run QLLOGFILEWRITE", "text \"x\"", "answer ok"}, "", "outside the root"},
        {"hidden log file", {"run QLLOGFILEINIT", "text \".registry.reg\"", "run QLLOGFILEWRITE", "text \"x\"", "answer ok"}, "", "hidden"},
        {"part by absolute path", {"run QLPARTM", "text \"" + out + "/plan.json\""}, "", "outside the root"},
        {"part through a link", {"run QLPARTM", "text \"out\\\\plan.json\""}, "", "outside the root"},
        {"menu file", {"run QLCMENU", "text \"out/menu.txt\""}, "", "outside the root"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Lines({"new"});
        const json state = Lines(c.lines)["state"];
        EXPECT_EQ(state["command"], "");
        EXPECT_TRUE(state["modal"].empty()) << state["modal"];
        EXPECT_EQ(Entities(), 0u) << "a part from outside was loaded";
        if (*c.untouched) {
            EXPECT_FALSE(fs::exists(outside_ + "/" + c.untouched));
        }
        ASSERT_FALSE(state["problems"].empty());
        const std::string shown = state["problems"].back();
        EXPECT_NE(shown.find("file refused:"), std::string::npos) << shown;
        EXPECT_NE(shown.find(c.why), std::string::npos) << shown;
    }
    EXPECT_FALSE(fs::exists(fs::path(root_).parent_path() / "c.log"));
    EXPECT_FALSE(fs::exists(root_ + "/.registry.reg"));
    const std::string transcript = Transcript();
    EXPECT_EQ(transcript.find("popup menu"), std::string::npos);
    EXPECT_EQ(transcript.find("part loaded"), std::string::npos);
    // The refusals are no faults: the session script keeps every line and replays.
    EXPECT_EQ(session_->Script().find("# fault"), std::string::npos) << session_->Script();
}

TEST_F(ConfinedHost, NamesInsideTheRootStillWork) {
    Lines({"run QLLOGFILEINIT", "text \"sub/../in.log\"", "run QLLOGFILEWRITE", "text \"x\""});
    EXPECT_EQ(ReadFile(root_ + "/in.log"), "x\n");
    fs::copy_file(outside_ + "/plan.json", root_ + "/plan.json");
    json state = Lines({"run QLPARTM", "text \"plan.json\""});
    EXPECT_NE(Transcript().find("part loaded: plan.json"), std::string::npos) << Transcript();
    Lines({"esc"});
}

TEST_F(ConfinedHost, TheFileDialogRefusesANameOutsideTheRootEvenPastTheRequestChecks) {
    Lines({"run QLPART"});
    Unchecked({"file \"" + outside_ + "/plan.json\""});
    const json state = Lines({})["state"];
    ASSERT_EQ(state["modal"].size(), 1u);
    EXPECT_EQ(state["modal"][0]["kind"], "file");
    EXPECT_NE(Transcript().find("file refused: the file " + outside_ + "/plan.json is outside the root folder"),
              std::string::npos) << Transcript();
    Lines({"file cancel"});
    EXPECT_EQ(Entities(), 0u);
}

// With a file root, "#name" files come from the root or from the host's own fonts, nowhere else.
TEST(ServeFileRoot, HostFontsStayReadableAndNothingBesideThem) {
    const std::string root = Canonical(ql_test::TempPath("serve-fonts"));
    const std::string savedDataDir = qlhost::HostDataDir();
    qlhost::SetHostDataDir(qlhost::ExecutableDir() + "/hostdata");
    ASSERT_FALSE(qlhost::FindLoadFile("#Simplex").empty()) << "no host fonts beside the tests";
    qlhost::SetFileRoot(root);
    std::ofstream(root + "/menu.txt") << "Item:LINE 0,0 1,1\n";
    EXPECT_EQ(qlhost::FindLoadFile("#menu.txt"), root + "/menu.txt");
    EXPECT_FALSE(qlhost::FindLoadFile("#Simplex").empty());
    for (const char* name : {"#../fonts/../../CMakeCache.txt", "#../hostdata/fonts/Simplex.fnt", "/etc/hostname", "#/etc/hostname"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(qlhost::FindLoadFile(name), "");
    }
    qlhost::SetFileRoot("");
    qlhost::SetHostDataDir(savedDataDir);
    fs::remove_all(root);
}

// Hidden files are neither listed nor reached by any request that names a file.
TEST(ServeHiddenFiles, AreRefusedByEveryRequestThatNamesAFile) {
    const std::string root = Canonical(ql_test::TempPath("serve-hidden"));
    LiveSession session([](Snapshot&, bool) {});
    Api api(root, session);
    fs::create_directories(root + "/.git");
    for (const char* name : {".registry.reg", ".qlhost.log", ".git/config"}) std::ofstream(root + "/" + name) << "secret";
    fs::create_symlink(root + "/.registry.reg", root + "/plain.reg");
    auto call = [&](const std::string& method, const std::string& path, std::map<std::string, std::string> query,
                    const std::string& body = "") { return api.Handle(Request{method, path, std::move(query), body}).status; };
    for (const char* name : {".registry.reg", ".qlhost.log", ".git/config", "sub/../.qlhost.log", "plain.reg", "./.registry.reg"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(call("GET", "/api/file", {{"name", name}}), 403);
        EXPECT_EQ(call("POST", "/api/upload", {{"name", name}}, "overwritten"), 403);
        EXPECT_EQ(call("POST", "/api/session", {}, json{{"path", name}}.dump()), 403);
        EXPECT_EQ(call("POST", "/api/lines", {}, json{{"lines", {"save \"" + std::string(name) + "\""}}}.dump()), 400);
    }
    EXPECT_EQ(call("GET", "/api/files", {{"dir", ".git"}}), 403);
    EXPECT_EQ(ReadFile(root + "/.registry.reg"), "secret");
    fs::remove_all(root);
}

}  // namespace
