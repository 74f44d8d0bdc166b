// Reading scenario scripts.
#include "host/script/parser.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qlhost {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The value of a header comment "# key: value", or false.
bool Header(const std::string& line, const std::string& key, std::string& value) {
    size_t at = 0;
    while (at < line.size() && IsSpace(line[at])) ++at;
    if (at >= line.size() || line[at] != '#') return false;
    ++at;
    while (at < line.size() && IsSpace(line[at])) ++at;
    if (line.compare(at, key.size(), key) != 0) return false;
    at += key.size();
    if (at >= line.size() || line[at] != ':') return false;
    ++at;
    while (at < line.size() && IsSpace(line[at])) ++at;
    size_t end = line.size();
    while (end > at && IsSpace(line[end - 1])) --end;
    value = line.substr(at, end - at);
    return true;
}

}  // namespace

bool SplitLine(const std::string& line, std::vector<std::string>& words, std::vector<bool>& quoted,
               std::string& error) {
    words.clear();
    quoted.clear();
    size_t at = 0;
    while (at < line.size()) {
        if (IsSpace(line[at])) {
            ++at;
            continue;
        }
        if (line[at] == '#') break;
        std::string word;
        bool inQuotes = false;
        const bool wasQuoted = line[at] == '"';
        // A word runs to the next space outside quotes; quoted parts may hold spaces and '#'.
        while (at < line.size() && (inQuotes || !IsSpace(line[at]))) {
            const char c = line[at];
            if (c == '"') {
                inQuotes = !inQuotes;
                ++at;
                continue;
            }
            if (c == '\\' && inQuotes) {
                if (at + 1 >= line.size()) {
                    error = "a backslash ends the line";
                    return false;
                }
                const char next = line[at + 1];
                if (next == '"' || next == '\\')
                    word.push_back(next);
                else if (next == 'n')
                    word.push_back('\n');
                else if (next == 'r')
                    word.push_back('\r');
                else if (next == 't')
                    word.push_back('\t');
                else {
                    error = std::string("unknown escape \\") + next;
                    return false;
                }
                at += 2;
                continue;
            }
            word.push_back(c);
            ++at;
        }
        if (inQuotes) {
            error = "a quoted string is not closed";
            return false;
        }
        words.push_back(word);
        quoted.push_back(wasQuoted);
    }
    return true;
}

bool ParseScript(const std::string& text, const std::string& file, Script& script, std::string& error) {
    script.file = file;
    script.actions.clear();
    // Editors on Windows often start a UTF-8 file with a byte-order mark; it is not text.
    const bool bom = text.compare(0, 3, "\xEF\xBB\xBF") == 0;
    std::istringstream in(bom ? text.substr(3) : text);
    std::string line;
    int number = 0;
    bool inHeader = true;
    while (std::getline(in, line)) {
        ++number;
        std::vector<std::string> words;
        std::vector<bool> quoted;
        std::string message;
        if (!SplitLine(line, words, quoted, message)) {
            error = file + ":" + std::to_string(number) + ": " + message;
            return false;
        }
        if (words.empty()) {
            std::string value;
            if (inHeader && Header(line, "expect-fail", value)) {
                script.expectFail = true;
                script.expectFailText = value;
            } else if (inHeader && Header(line, "plugin", value)) {
                script.plugin = value;
            } else if (inHeader && Header(line, "pending", value)) {
                script.pending = true;
                script.pendingReason = value;
            }
            continue;
        }
        inHeader = false;
        ScriptAction action;
        action.action.verb = words[0];
        action.action.args.assign(words.begin() + 1, words.end());
        action.quoted.assign(quoted.begin() + 1, quoted.end());
        action.action.file = file;
        action.action.line = number;
        script.actions.push_back(std::move(action));
    }
    script.lineCount = number;
    return true;
}

bool LoadScript(const std::string& path, Script& script, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot read the script";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!ParseScript(text.str(), path, script, error)) return false;
    script.folder = std::filesystem::path(path).parent_path().string();
    return true;
}

bool ParseNumber(const std::string& word, double& value) {
    const char* first = word.data();
    const char* last = first + word.size();
    if (first < last && *first == '+') {
        ++first;
        if (first < last && *first == '-') return false;
    }
    auto [end, result] = std::from_chars(first, last, value);
    return result == std::errc() && end == last && first != last && std::isfinite(value);
}

bool ParseWhole(const std::string& word, long long& value) {
    const char* first = word.data();
    const char* last = first + word.size();
    if (first < last && *first == '+') {
        ++first;
        if (first < last && *first == '-') return false;
    }
    auto [end, result] = std::from_chars(first, last, value);
    return result == std::errc() && end == last && first != last;
}

}  // namespace qlhost
