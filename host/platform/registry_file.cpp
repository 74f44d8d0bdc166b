// The .reg text form of the registry (REGEDIT4).
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "host/platform/registry.h"

namespace qlhost {
namespace {

constexpr const char* kHeader = "REGEDIT4";
constexpr const char* kHeader5 = "Windows Registry Editor Version 5.00";
constexpr size_t kWrapColumn = 76;  // regedit wraps hex data near 80 columns

struct Line {
    std::string text;
    int number = 0;
};

// True when the line ends in a backslash outside any quoted text: the value goes on.
bool Continues(const std::string& line) {
    bool quoted = false;
    size_t last = std::string::npos;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted && c == '\\' && i + 1 < line.size()) {
            ++i;
            continue;
        }
        if (c == '"') quoted = !quoted;
        if (c != ' ' && c != '\t') last = i;
    }
    return !quoted && last != std::string::npos && line[last] == '\\';
}

std::vector<Line> LogicalLines(const std::string& text) {
    std::vector<Line> lines;
    std::string body = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text;
    size_t pos = 0;
    int number = 0;
    bool joining = false;
    while (pos <= body.size()) {
        size_t end = body.find('\n', pos);
        if (end == std::string::npos) end = body.size();
        std::string raw = body.substr(pos, end - pos);
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        ++number;
        if (joining) {
            size_t first = raw.find_first_not_of(" \t");
            lines.back().text += first == std::string::npos ? "" : raw.substr(first);
        } else {
            lines.push_back(Line{raw, number});
        }
        // A continued line ends outside any quoted text, so the next piece starts outside one
        // too: looking at the piece alone answers for the whole line and keeps reading linear.
        joining = Continues(raw);
        if (joining) {
            std::string& t = lines.back().text;
            t.erase(t.find_last_of('\\'));
        }
        if (end == body.size()) break;
        pos = end + 1;
    }
    return lines;
}

class LineReader {
public:
    explicit LineReader(const std::string& text) : s_(text) {}
    bool AtEnd() {
        SkipBlanks();
        return i_ >= s_.size();
    }
    void SkipBlanks() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t')) ++i_;
    }
    bool Take(char c) {
        SkipBlanks();
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    bool TakeWord(const std::string& w) {
        SkipBlanks();
        if (s_.compare(i_, w.size(), w) != 0) return false;
        i_ += w.size();
        return true;
    }
    // A quoted text with \\, \" and \n (a line feed) escapes.
    bool Quoted(std::string& out, std::string& error) {
        if (!Take('"')) {
            error = "expected a quoted name or text";
            return false;
        }
        out.clear();
        while (i_ < s_.size() && s_[i_] != '"') {
            if (s_[i_] == '\\' && i_ + 1 < s_.size()) {
                ++i_;
                if (s_[i_] == 'n') {
                    out += '\n';
                    ++i_;
                    continue;
                }
            }
            out += s_[i_++];
        }
        if (i_ >= s_.size()) {
            error = "quoted text not closed";
            return false;
        }
        ++i_;
        return true;
    }
    // Hex bytes separated by commas; none at all is empty data.
    bool HexBytes(std::vector<unsigned char>& out, std::string& error) {
        out.clear();
        if (AtEnd()) return true;
        do {
            SkipBlanks();
            int value = 0, digits = 0;
            while (i_ < s_.size() && digits < 3 && std::isxdigit(static_cast<unsigned char>(s_[i_]))) {
                value = value * 16 + HexDigit(s_[i_++]);
                ++digits;
            }
            if (digits == 0 || digits > 2) {
                error = "bad hex byte";
                return false;
            }
            out.push_back(static_cast<unsigned char>(value));
        } while (Take(','));
        return true;
    }
    bool Dword(uint32_t& value) {
        SkipBlanks();
        int digits = 0;
        value = 0;
        while (i_ < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[i_]))) {
            if (++digits > 8) return false;
            value = value * 16 + static_cast<uint32_t>(HexDigit(s_[i_++]));
        }
        return digits > 0;
    }

private:
    static int HexDigit(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        return std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
    }
    const std::string& s_;
    size_t i_ = 0;
};

// One "name"=data line into key; false with error on malformed data.
bool ReadValue(const std::string& text, RegistryStore& store, const std::string& key, std::string& error) {
    LineReader r(text);
    std::string name;
    if (!r.Take('@') && !r.Quoted(name, error)) return false;
    if (!r.Take('=')) {
        error = "expected '=' after the value name";
        return false;
    }
    uint32_t type = REG_BINARY;
    std::vector<unsigned char> data;
    if (r.Take('-')) {
        if (!r.AtEnd()) {
            error = "unexpected text after '-'";
            return false;
        }
        store.Create(key).Remove(name);
        return true;
    }
    if (r.TakeWord("dword:")) {
        uint32_t v;
        if (!r.Dword(v)) {
            error = "bad dword value";
            return false;
        }
        type = 4;
        for (int i = 0; i < 4; ++i) data.push_back(static_cast<unsigned char>(v >> (8 * i)));
    } else if (r.TakeWord("hex(")) {
        if (!r.Dword(type) || !r.Take(')') || !r.Take(':')) {
            error = "bad hex(type): prefix";
            return false;
        }
        if (!r.HexBytes(data, error)) return false;
    } else if (r.TakeWord("hex:")) {
        if (!r.HexBytes(data, error)) return false;
    } else {
        std::string s;
        if (!r.Quoted(s, error)) {
            error = "expected \"text\", dword:, hex: or hex(type): data";
            return false;
        }
        type = 1;
        data.assign(s.begin(), s.end());
        data.push_back(0);
    }
    if (!r.AtEnd()) {
        error = "unexpected text after the value";
        return false;
    }
    store.Create(key).Set(name, type, std::move(data));
    return true;
}

// A line feed would end the line in the middle of a value name: it is written as \n.
std::string Escaped(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\\' || c == '"' || c == '\n') out += '\\';
        out += c == '\n' ? 'n' : c;
    }
    return out;
}

bool PlainText(const std::vector<unsigned char>& d) {
    if (d.empty() || d.back() != 0) return false;
    for (size_t i = 0; i + 1 < d.size(); ++i)
        if (d[i] < 0x20 || d[i] >= 0x7F) return false;
    return true;
}

void WriteHex(std::string& out, const std::string& prefix, const std::vector<unsigned char>& d) {
    std::string line = prefix;
    for (size_t i = 0; i < d.size(); ++i) {
        char b[4];
        std::snprintf(b, sizeof b, "%02x", d[i]);
        line += b;
        if (i + 1 < d.size()) {
            line += ',';
            if (line.size() >= kWrapColumn) {
                out += line + "\\\n";
                line = "  ";
            }
        }
    }
    out += line + "\n";
}

}  // namespace

bool ReadRegText(const std::string& text, const std::string& fileName, RegistryStore& store, std::string& error) {
    RegistryStore result;
    std::string key;
    bool header = false;
    for (const Line& line : LogicalLines(text)) {
        std::string t = line.text;
        size_t first = t.find_first_not_of(" \t");
        if (first == std::string::npos) continue;
        t = t.substr(first);
        std::string problem;
        if (!header) {
            while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.pop_back();
            if (t != kHeader && t != kHeader5) problem = "the file does not start with REGEDIT4";
            header = true;
        } else if (t[0] == ';') {
            continue;
        } else if (t[0] == '[') {
            size_t close = t.rfind(']');
            bool remove = t.size() > 1 && t[1] == '-';
            std::string path = close == std::string::npos ? "" : t.substr(remove ? 2 : 1, close - (remove ? 2 : 1));
            key = RegistryStore::Normalize(path);
            if (close == std::string::npos || t.find_first_not_of(" \t", close + 1) != std::string::npos)
                problem = "bad key line";
            else if (key.empty())
                problem = "key \"" + path + "\" is not under a known root";
            else if (remove) {
                result.RemoveTree(key);
                key.clear();
            } else {
                result.Create(key);
            }
        } else if (key.empty()) {
            problem = "value outside a key";
        } else {
            ReadValue(t, result, key, problem);
        }
        if (!problem.empty()) {
            error = fileName + ":" + std::to_string(line.number) + ": " + problem;
            return false;
        }
    }
    store = std::move(result);
    return true;
}

std::string WriteRegText(const RegistryStore& store) {
    std::string out = std::string(kHeader) + "\n";
    for (const auto& [lower, key] : store.Keys()) {
        out += "\n[" + key.path + "]\n";
        for (const RegValue& v : key.values) {
            std::string prefix = "@=";
            if (!v.name.empty()) {
                prefix = "\"";
                prefix += Escaped(v.name);
                prefix += "\"=";
            }
            if (v.type == 1 && PlainText(v.data)) {
                out += prefix + "\"" + Escaped(std::string(v.data.begin(), v.data.end() - 1)) + "\"\n";
            } else if (v.type == 4 && v.data.size() == 4) {
                char b[16];
                uint32_t d = v.data[0] | v.data[1] << 8 | v.data[2] << 16 | static_cast<uint32_t>(v.data[3]) << 24;
                std::snprintf(b, sizeof b, "dword:%08x", d);
                out += prefix + b + "\n";
            } else {
                char type[24];
                std::snprintf(type, sizeof type, "hex(%x):", v.type);
                WriteHex(out, prefix + (v.type == REG_BINARY ? "hex:" : type), v.data);
            }
        }
    }
    return out;
}

}  // namespace qlhost
