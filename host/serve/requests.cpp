// Checks of browser requests before they reach the host: file confinement, verbs, typed lines.
#include "host/serve/requests.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "core/host_api.h"
#include "host/platform/file_root.h"

namespace qlhost::serve {
namespace {

namespace fs = std::filesystem;

// Verbs a browser may send: user input, modal answers and the drawing's files. Checks and
// golden dumps belong to scripts written by hand.
constexpr std::array kBrowserVerbs = {
    "run",   "about",  "list",  "point", "number", "text",   "enter", "esc",  "pick", "select",
    "move",  "key",    "keydown", "keyup", "lbutton", "rbutton", "wait", "clock", "view", "dialog",
    "answer", "file",  "menu",  "new",   "load",   "save",   "svg",   "svg-preview", "add",
    "undo",  "redo",  "snap",  "input",
};

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Edits (insertions, deletions, replacements) that turn a into b.
size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

bool IsBrowserVerb(const std::string& verb) {
    return std::find(kBrowserVerbs.begin(), kBrowserVerbs.end(), verb) != kBrowserVerbs.end();
}

namespace {

// Verbs whose first argument is a file name.
bool NamesFile(const UiAction& a) {
    if (a.verb == "load" || a.verb == "save" || a.verb == "svg" || a.verb == "svg-preview") return true;
    return a.verb == "file" && !a.args.empty() && a.args[0] != "cancel";
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsNumber(const std::string& word) {
    double value;
    return ParseNumber(word, value);
}

// "x,y" or "x,y,z" as point answer words.
bool PointWords(const std::string& text, std::vector<std::string>& words) {
    words.clear();
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        words.push_back(Trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (words.size() < 2 || words.size() > 3) return false;
    return std::all_of(words.begin(), words.end(), IsNumber);
}

}  // namespace

bool CanonicalRoot(const std::string& folder, std::string& root, std::string& error) {
    std::error_code ec;
    const fs::path path = fs::canonical(folder.empty() ? "." : folder, ec);
    if (ec || !fs::is_directory(path, ec)) {
        error = "the root folder " + folder + " does not exist";
        return false;
    }
    root = path.string();
    return true;
}

bool ConfinePath(const std::string& root, const std::string& name, std::string& path, std::string& error) {
    return ConfineToRoot(root, name, path, error);
}

bool ParseBrowserLine(const std::string& root, const std::string& line, ScriptAction& action, std::string& error) {
    if (line.size() > kMaxLine) {
        error = "the line is longer than " + std::to_string(kMaxLine) + " characters";
        return false;
    }
    if (line.find_first_of("\r\n") != std::string::npos) {
        error = "one line at a time";
        return false;
    }
    std::vector<std::string> words;
    std::vector<bool> quoted;
    if (!SplitLine(line, words, quoted, error)) return false;
    if (words.empty()) {
        error = "an empty line";
        return false;
    }
    if (!IsBrowserVerb(words[0])) {
        error = "`" + words[0] + "` is not a verb the browser may send";
        return false;
    }
    action = ScriptAction{};
    action.action.verb = words[0];
    action.action.args.assign(words.begin() + 1, words.end());
    action.quoted.assign(quoted.begin() + 1, quoted.end());
    if (NamesFile(action.action)) {
        std::string path;
        if (action.action.args.empty()) {
            error = "`" + words[0] + "` needs a file name";
            return false;
        }
        if (!ConfinePath(root, action.action.args[0], path, error)) return false;
    }
    return true;
}

std::vector<std::string> NearestNames(const std::string& typed, const std::vector<std::string>& names, size_t count) {
    const std::string word = Upper(typed);
    std::vector<std::pair<size_t, std::string>> scored;
    for (const std::string& name : names) {
        const std::string upper = Upper(name);
        // A name that holds the word (MOVE in QLMOVE) is as near as its extra letters.
        size_t distance = EditDistance(word, upper);
        if (!word.empty() && upper.find(word) != std::string::npos) distance = std::min(distance, upper.size() - word.size());
        scored.emplace_back(distance, name);
    }
    std::stable_sort(scored.begin(), scored.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> nearest;
    for (const auto& [distance, name] : scored) {
        if (nearest.size() == count) break;
        if (std::find(nearest.begin(), nearest.end(), name) == nearest.end()) nearest.push_back(name);
    }
    return nearest;
}

std::string UnknownCommandMessage(const std::string& typed, const std::vector<std::string>& names) {
    std::string message = "Unknown command: " + Upper(typed);
    const std::vector<std::string> nearest = NearestNames(typed, names, 3);
    for (size_t i = 0; i < nearest.size(); ++i) message += (i == 0 ? " (nearest: " : ", ") + nearest[i];
    return nearest.empty() ? message : message + ")";
}

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += c;
        }
    }
    return out + "\"";
}

bool CommandLineToLines(const std::string& typed, const PromptState& state,
                        const std::function<bool(const std::string&)>& isCommand, std::vector<std::string>& lines,
                        std::string& error) {
    lines.clear();
    if (typed.size() > kMaxLine) {
        error = "the line is longer than " + std::to_string(kMaxLine) + " characters";
        return false;
    }
    const std::string text = Trim(typed);
    if (state.promptOpen) {
        const int kind = state.kind;
        std::vector<std::string> words;
        if (text.empty() && kind == REQ_SELECTION) {
            // Enter finishes a selection with the entities picked so far.
            lines.push_back("select done");
        } else if (text.empty()) {
            lines.push_back("enter");
        } else if (kind == REQ_VARIABLE || kind == REQ_TEXT) {
            lines.push_back("text " + Quote(typed));
        } else if ((kind == REQ_POINT2 || kind == REQ_POINT3) && text[0] == '@') {
            // Relative and polar points are read by the host, which knows the last point.
            lines.push_back("input " + Quote(text));
        } else if ((kind == REQ_POINT2 || kind == REQ_POINT3) && PointWords(text, words)) {
            std::string line = "point";
            for (const std::string& w : words) line += " " + w;
            lines.push_back(line);
        } else if (IsNumber(text) && kind != REQ_SELECTION && kind != REQ_PICK) {
            lines.push_back("number " + text);
        } else {
            lines.push_back(text);
        }
        return true;
    }
    if (text.empty()) return true;
    if (text.find_first_of(" \t\"") == std::string::npos && isCommand(text)) {
        if (state.commandRunning) {
            error = "a command is running";
            return false;
        }
        lines.push_back("run " + text);
        return true;
    }
    lines.push_back(text);
    return true;
}

}  // namespace qlhost::serve
