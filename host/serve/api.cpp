// The requests of qlhost --serve (docs/serve.md lists them).
#include "host/serve/api.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include <nlohmann/json.hpp>

#include "host/io/safe_file.h"
#include "host/serve/requests.h"

namespace qlhost::serve {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr size_t kTranscriptPage = 2000;  // transcript lines sent in one state
constexpr size_t kMaxListing = 2000;      // entries of one folder listing

std::string Dump(const json& value) { return value.dump(-1, ' ', false, json::error_handler_t::replace); }

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

// A request body that must be a JSON object.
bool ParseObject(const std::string& body, json& out, std::string& error) {
    if (body.size() > kMaxBody) {
        error = "the request is larger than " + std::to_string(kMaxBody) + " bytes";
        return false;
    }
    out = json::parse(body, nullptr, false);
    if (out.is_discarded() || !out.is_object()) {
        error = "the request is not a JSON object";
        return false;
    }
    return true;
}

bool StringField(const json& object, const char* key, std::string& out, std::string& error) {
    auto it = object.find(key);
    if (it == object.end() || !it->is_string()) {
        error = std::string("the request needs a text \"") + key + "\"";
        return false;
    }
    out = it->get<std::string>();
    return true;
}

size_t NumberParam(const Request& request, const char* key, size_t fallback) {
    auto it = request.query.find(key);
    if (it == request.query.end()) return fallback;
    long long value;
    return ParseWhole(it->second, value) && value >= 0 ? static_cast<size_t>(value) : fallback;
}

// The picture as saved: the page's selection groups become plain groups.
std::string WithoutHighlight(std::string svg) {
    static const std::string kGroup = "<g class=\"ql-selected\">";
    for (size_t at = 0; (at = svg.find(kGroup, at)) != std::string::npos;) svg.replace(at, kGroup.size(), "<g>");
    return svg;
}

}  // namespace

std::string FaultText(const std::string& problem) {
    std::string text = problem;
    if (text.rfind("line ", 0) == 0 || text.rfind("end: ", 0) == 0) {
        const size_t colon = text.find(": ");
        if (colon != std::string::npos) text = text.substr(colon + 2);
    }
    if (text.rfind("fault: ", 0) == 0) text = text.substr(7);
    return text;
}

// File names in the host's problems are absolute; the user knows them relative to the root.
std::string Api::UserFault(const std::string& problem) const {
    std::string text = FaultText(problem);
    const std::string prefix = root_ + "/";
    for (size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at)) text.erase(at, prefix.size());
    return text;
}

Response ErrorResponse(int status, const std::string& message) {
    return {status, "application/json", Dump(json{{"error", message}}), ""};
}

Api::Api(std::string root, LiveSession& session) : root_(std::move(root)), session_(session) {}

void Api::SetWaits(int handledMs, int pollMs) {
    handledMs_ = handledMs;
    pollMs_ = pollMs;
}

Response Api::Handle(const Request& r) {
    const bool get = r.method == "GET", post = r.method == "POST";
    if (post && r.path != "/api/upload" && r.body.size() > kMaxBody)
        return ErrorResponse(413, "the request is larger than " + std::to_string(kMaxBody) + " bytes");
    if (get && r.path == "/api/state") return State(r);
    if (post && r.path == "/api/lines") return Lines(r);
    if (post && r.path == "/api/command") return Command(r);
    if (get && r.path == "/api/files") return Files(r);
    if (post && r.path == "/api/upload") return Upload(r);
    if (get && r.path == "/api/file") return Download(r);
    if (get && r.path == "/api/session.qls") return {200, "text/plain; charset=utf-8", session_.Script(), "session.qls"};
    if (post && r.path == "/api/session") return SaveSession(r.body);
    if (get && (r.path == "/api/drawing.svg" || r.path == "/api/drawing.json")) {
        const auto snapshot = session_.Latest();
        if (r.path == "/api/drawing.svg") return {200, "image/svg+xml", WithoutHighlight(snapshot->drawingSvg), "drawing.svg"};
        return {200, "application/json", snapshot->drawingJson, "drawing.json"};
    }
    if (r.path.rfind("/api/", 0) == 0) return ErrorResponse(404, "no such request: " + r.method + " " + r.path);
    return ErrorResponse(404, "not found");
}

// The state after the actions comes back with the drawing only when it differs from the
// version the page has (query "drawing").
Response Api::PostLines(const std::vector<std::string>& lines, const Request& r) {
    if (lines.size() > kMaxLinesPerRequest)
        return ErrorResponse(413, "more than " + std::to_string(kMaxLinesPerRequest) + " lines in one request");
    std::vector<ScriptAction> actions;
    for (const std::string& line : lines) {
        ScriptAction action;
        std::string error;
        if (!ParseBrowserLine(root_, line, action, error)) return ErrorResponse(400, line + ": " + error);
        actions.push_back(std::move(action));
    }
    const uint64_t last = actions.empty() ? 0 : session_.Post(std::move(actions), lines);
    if (!lines.empty() && last == 0) return ErrorResponse(503, "the session has ended");
    const bool handled = last == 0 || session_.WaitHandled(last, std::chrono::milliseconds(handledMs_));
    if (!handled) return ErrorResponse(504, "the host has not handled the actions yet");
    // The page tells the user which of its lines failed (a save that could not write, ...).
    std::string extra;
    if (last != 0) {
        json faults = json::array();
        bool any = false;
        for (const std::string& fault : session_.Faults(last + 1 - lines.size(), last)) {
            faults.push_back(fault.empty() ? json(nullptr) : json(UserFault(fault)));
            any = any || !fault.empty();
        }
        if (any) extra = ",\"faults\":" + Dump(faults);
    }
    return {200, "application/json", StateJson(r, SIZE_MAX, extra), ""};
}

Response Api::Lines(const Request& r) {
    json request;
    std::string error;
    if (!ParseObject(r.body, request, error)) return ErrorResponse(400, error);
    auto it = request.find("lines");
    if (it == request.end() || !it->is_array()) return ErrorResponse(400, "the request needs a list \"lines\"");
    std::vector<std::string> lines;
    for (const json& line : *it) {
        if (!line.is_string()) return ErrorResponse(400, "every line must be a text");
        lines.push_back(line.get<std::string>());
    }
    return PostLines(lines, r);
}

Response Api::Command(const Request& r) {
    json request;
    std::string error, text;
    if (!ParseObject(r.body, request, error) || !StringField(request, "text", text, error))
        return ErrorResponse(400, error);
    const auto snapshot = session_.Latest();
    PromptState state{snapshot->commandRunning, snapshot->promptKind >= 0, snapshot->promptKind};
    auto isCommand = [&](const std::string& name) {
        return std::any_of(snapshot->commands.begin(), snapshot->commands.end(),
                           [&](const std::string& c) { return SameName(c, name); });
    };
    // A lone word with no prompt open that is neither a command nor a verb was meant as a
    // command: the user is told the names nearest to it.
    const size_t first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t");
    if (!state.promptOpen && first != std::string::npos) {
        const std::string word = text.substr(first, last - first + 1);
        if (word.find_first_of(" \t\"") == std::string::npos && !isCommand(word) && !IsBrowserVerb(word))
            return ErrorResponse(404, UnknownCommandMessage(word, snapshot->commands));
    }
    std::vector<std::string> lines;
    if (!CommandLineToLines(text, state, isCommand, lines, error)) return ErrorResponse(409, error);
    return PostLines(lines, r);
}

// The drawing and the dialogs' previews are large: they come only when they differ from the
// versions the page has (queries "drawing" and "previews").
std::string Api::StateJson(const Request& r, size_t transcriptFrom, const std::string& extra) const {
    const auto snapshot = session_.Latest();
    size_t total = 0;
    std::vector<std::string> lines;
    if (transcriptFrom != SIZE_MAX) lines = session_.TranscriptFrom(transcriptFrom, kTranscriptPage, total);
    std::string out = "{\"version\":" + std::to_string(snapshot->version) +
                      ",\"handled\":" + std::to_string(snapshot->handled) +
                      ",\"drawingVersion\":" + std::to_string(snapshot->drawingVersion);
    if (NumberParam(r, "drawing", 0) != snapshot->drawingVersion) {
        out += ",\"drawingSvg\":" + Dump(snapshot->drawingSvg);
        if (!snapshot->panelsJson.empty()) out += ",\"panels\":" + snapshot->panelsJson;
    }
    out += ",\"previewsVersion\":" + std::to_string(snapshot->previewsVersion);
    if (NumberParam(r, "previews", 0) != snapshot->previewsVersion)
        out += ",\"controlPreviews\":" + Dump(snapshot->controlPreviews);
    if (transcriptFrom != SIZE_MAX)
        out += ",\"transcript\":" + Dump(json{{"from", transcriptFrom}, {"lines", lines}, {"total", total}});
    out += ",\"commands\":" + Dump(snapshot->commands);
    out += ",\"state\":" + (snapshot->stateJson.empty() ? std::string("{}") : snapshot->stateJson) + extra + "}";
    return out;
}

Response Api::State(const Request& r) {
    const uint64_t since = NumberParam(r, "since", 0);
    if (since > 0) session_.WaitNewer(since, std::chrono::milliseconds(pollMs_));
    return {200, "application/json", StateJson(r, NumberParam(r, "transcript", 0)), ""};
}

Response Api::Files(const Request& r) {
    auto it = r.query.find("dir");
    const std::string dir = it == r.query.end() || it->second.empty() ? "." : it->second;
    std::string path, error;
    if (!ConfinePath(root_, dir, path, error)) return ErrorResponse(403, error);
    std::error_code ec;
    if (!fs::is_directory(path, ec)) return ErrorResponse(404, dir + " is not a folder");
    json entries = json::array();
    fs::directory_iterator entry(path, ec), end;
    if (ec) return ErrorResponse(500, "cannot list " + dir);
    // Entries that cannot be read (broken links, no permission) are left out.
    for (; entry != end && entries.size() < kMaxListing; entry.increment(ec)) {
        const std::string name = entry->path().filename().string();
        std::error_code entryError;
        const bool folder = entry->is_directory(entryError);
        const uintmax_t size = folder ? 0 : entry->file_size(entryError);
        if (name.empty() || name[0] == '.' || entryError) continue;
        entries.push_back({{"name", name}, {"folder", folder}, {"size", size}});
    }
    if (ec) return ErrorResponse(500, "cannot list " + dir);
    std::sort(entries.begin(), entries.end(), [](const json& a, const json& b) {
        return a["folder"] != b["folder"] ? a["folder"].get<bool>() : a["name"] < b["name"];
    });
    std::string relative = fs::path(path).lexically_relative(root_).generic_string();
    return {200, "application/json", Dump(json{{"dir", relative}, {"entries", entries}}), ""};
}

Response Api::Upload(const Request& r) {
    if (r.body.size() > kMaxUpload)
        return ErrorResponse(413, "the file is larger than " + std::to_string(kMaxUpload) + " bytes");
    auto it = r.query.find("name");
    std::string path, error;
    if (it == r.query.end() || !ConfinePath(root_, it->second, path, error))
        return ErrorResponse(it == r.query.end() ? 400 : 403, it == r.query.end() ? "the upload needs a name" : error);
    std::error_code ec;
    if (fs::is_directory(path, ec)) return ErrorResponse(409, it->second + " is a folder");
    if (auto load = r.query.find("load"); load != r.query.end() && load->second == "1")
        return UploadAndLoad(r, it->second, path);
    if (!WriteFileSafely(path, r.body, error)) return ErrorResponse(500, "cannot write " + it->second);
    return {200, "application/json", Dump(json{{"saved", it->second}}), ""};
}

// An upload that is opened at once: a file the host refuses to load is not kept, and a file
// it replaced comes back, so a refused upload leaves the root folder and the drawing as they
// were. The file that was there waits under a hidden name meanwhile.
Response Api::UploadAndLoad(const Request& r, const std::string& name, const std::string& path) {
    std::error_code ec;
    const fs::path kept = fs::path(path).parent_path() / ("." + fs::path(path).filename().string() + ".kept");
    const bool had = fs::exists(path, ec);
    if (had) {
        fs::rename(path, kept, ec);
        if (ec) return ErrorResponse(500, "cannot write " + name);
    }
    auto restore = [&] {
        std::error_code ignored;
        fs::remove(path, ignored);
        if (had) fs::rename(kept, path, ignored);
    };
    std::string error;
    if (!WriteFileSafely(path, r.body, error)) {
        restore();
        return ErrorResponse(500, "cannot write " + name);
    }
    const std::string line = "load " + Quote(name);
    ScriptAction action;
    if (!ParseBrowserLine(root_, line, action, error)) {
        restore();
        return ErrorResponse(400, error);
    }
    std::vector<ScriptAction> actions;
    actions.push_back(std::move(action));
    const uint64_t last = session_.Post(std::move(actions), {line});
    if (last == 0) {
        restore();
        return ErrorResponse(503, "the session has ended");
    }
    // Not yet loaded: the file stays, since the host may still open it.
    if (!session_.WaitHandled(last, std::chrono::milliseconds(handledMs_)))
        return ErrorResponse(504, "the host has not opened " + name + " yet");
    const std::string fault = session_.Faults(last, last).front();
    if (!fault.empty()) {
        restore();
        return ErrorResponse(422, name + " was not opened, the drawing is unchanged: " + UserFault(fault));
    }
    if (had) fs::remove(kept, ec);
    return {200, "application/json", StateJson(r, SIZE_MAX, ",\"saved\":" + Dump(name)), ""};
}

Response Api::Download(const Request& r) {
    auto it = r.query.find("name");
    std::string path, error;
    if (it == r.query.end()) return ErrorResponse(400, "the request needs a name");
    if (!ConfinePath(root_, it->second, path, error)) return ErrorResponse(403, error);
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec || !fs::is_regular_file(path, ec)) return ErrorResponse(404, it->second + " is not a file");
    if (size > kMaxUpload) return ErrorResponse(413, it->second + " is too large to download");
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string ext = fs::path(path).extension().string();
    const std::string type = ext == ".svg" ? "image/svg+xml" : ext == ".json" ? "application/json" : "application/octet-stream";
    return {200, type, text.str(), fs::path(path).filename().string()};
}

Response Api::SaveSession(const std::string& body) {
    json request;
    std::string error, name, path;
    if (!ParseObject(body, request, error) || !StringField(request, "path", name, error))
        return ErrorResponse(400, error);
    if (!ConfinePath(root_, name, path, error)) return ErrorResponse(403, error);
    if (!WriteFileSafely(path, session_.Script(), error)) return ErrorResponse(500, "cannot write " + name);
    return {200, "application/json", Dump(json{{"saved", name}}), ""};
}

}  // namespace qlhost::serve
