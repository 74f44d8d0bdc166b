// The DXF file checked pair by pair before dxflib reads it (host/io/dxf_scan.h).
#include "host/io/dxf_scan.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <string_view>
#include <vector>

namespace qlhost::io {
namespace {

constexpr int kLastGroupCode = 1071;

enum class ValueKind { Text, Real, Int32, Int64 };

// What a group code holds, by the ranges of the DXF reference.
ValueKind KindOf(int code) {
    auto in = [code](int low, int high) { return code >= low && code <= high; };
    if (in(10, 59) || in(110, 149) || in(210, 239) || in(460, 469) || in(1010, 1059)) return ValueKind::Real;
    if (in(160, 169) || in(450, 459) || code == 1071) return ValueKind::Int64;
    if (in(60, 79) || in(90, 99) || in(170, 179) || in(270, 299) || in(370, 389) || in(400, 409) ||
        in(420, 429) || in(440, 449) || in(1060, 1070))
        return ValueKind::Int32;
    return ValueKind::Text;
}

std::string_view Trimmed(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

bool WholeNumber(std::string_view s, long long& value) {
    s = Trimmed(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return !s.empty() && ec == std::errc() && end == s.data() + s.size();
}

// A real as dxflib reads one: a comma counts as the decimal point.
bool RealNumber(std::string_view s, double& value) {
    s = Trimmed(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    std::string text(s);
    for (char& c : text)
        if (c == ',') c = '.';
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

// Counts an entity announces before its items, and the group code that starts each item.
struct CountRule {
    std::string_view entity;
    int count;
    int item;
};
// HATCH edges are either edges (72) or polyline vertices (10): both are counted.
constexpr CountRule kCountRules[] = {
    {"LWPOLYLINE", 90, 10}, {"SPLINE", 72, 40}, {"SPLINE", 73, 10}, {"SPLINE", 74, 11},
    {"LEADER", 76, 10},     {"HATCH", 91, 92},  {"HATCH", 93, 72},  {"HATCH", 93, 10},
    {"HATCH", 78, 53},      {"HATCH", 79, 49},  {"HATCH", 98, 10},
};

struct Pair {
    int code;
    std::string_view value;
    size_t line;  // of the group code, from 1
};

// Lowers the counts of the entity in pairs [first, last) to the items the entity holds.
void CapCounts(const std::vector<Pair>& pairs, size_t first, size_t last, std::vector<std::string>& patches,
               std::vector<size_t>& patched) {
    if (first >= last || pairs[first].code != 0) return;
    const std::string_view entity = Trimmed(pairs[first].value);
    bool ruled = false;
    for (const CountRule& rule : kCountRules) ruled |= rule.entity == entity;
    if (!ruled) return;
    constexpr size_t kRules = std::size(kCountRules);
    long long items[kRules] = {};  // the items each rule counts, in the whole entity
    for (size_t i = first + 1; i < last; ++i)
        for (size_t r = 0; r < kRules; ++r) items[r] += kCountRules[r].entity == entity && kCountRules[r].item == pairs[i].code;
    for (size_t i = first + 1; i < last; ++i) {
        long long held = 0;
        bool counted = false;
        for (size_t r = 0; r < kRules; ++r)
            if (kCountRules[r].entity == entity && kCountRules[r].count == pairs[i].code) {
                counted = true;
                held += items[r];
            }
        long long announced = 0;
        if (!counted || !WholeNumber(pairs[i].value, announced) || announced <= held) continue;
        patched.push_back(i);
        patches.push_back(std::to_string(held));
    }
}

class Scanner {
public:
    Scanner(const std::string& fileName, std::string& error) : file_(fileName), error_(error) {}

    bool Split(std::string_view text, std::vector<Pair>& pairs) {
        if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        if (text.substr(0, 18) == "AutoCAD Binary DXF")
            return Fail(1, "a binary DXF file; only DXF text files can be read");
        std::vector<std::string_view> lines;
        while (!text.empty()) {
            size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (line.size() > kMaxDxfLine)
                return Fail(lines.size() + 1, "a line longer than " + std::to_string(kMaxDxfLine) + " characters");
            lines.push_back(line);
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        }
        if (lines.empty()) return Fail(1, "the file is empty, not a DXF drawing");
        for (size_t i = 0; i < lines.size(); i += 2) {
            long long code = 0;
            if (!WholeNumber(lines[i], code) || code < 0 || code > kLastGroupCode)
                return Fail(i + 1, Quoted(lines[i]) + " is not a group code; this is not a DXF drawing");
            if (i + 1 == lines.size()) return Fail(i + 1, "group code " + std::to_string(code) + " without a value");
            pairs.push_back({static_cast<int>(code), lines[i + 1], i + 1});
            if (code == 0 && Trimmed(lines[i + 1]) == "EOF") break;
        }
        return true;
    }

    bool CheckValue(const Pair& pair) {
        long long whole = 0;
        double real = 0;
        switch (KindOf(pair.code)) {
        case ValueKind::Text: return true;
        case ValueKind::Real:
            if (RealNumber(pair.value, real)) return true;
            break;
        case ValueKind::Int32:
            if (WholeNumber(pair.value, whole) && whole >= std::numeric_limits<int32_t>::min() &&
                whole <= std::numeric_limits<int32_t>::max())
                return true;
            break;
        case ValueKind::Int64:
            if (WholeNumber(pair.value, whole)) return true;
            break;
        }
        const char* kind = KindOf(pair.code) == ValueKind::Real ? "a finite number" : "a whole number in range";
        return Fail(pair.line + 1,
                    "group code " + std::to_string(pair.code) + " needs " + kind + ", not " + Quoted(pair.value));
    }

    // SECTION (with its name) ... ENDSEC blocks, then EOF.
    bool CheckStructure(const std::vector<Pair>& pairs) {
        bool inSection = false;
        for (size_t i = 0; i < pairs.size(); ++i) {
            const Pair& p = pairs[i];
            if (p.code == 999) continue;  // comment
            const std::string_view value = Trimmed(p.value);
            if (p.code == 0 && value == "EOF") {
                if (inSection) return Fail(p.line, "EOF inside a section (ENDSEC missing)");
                return true;
            }
            if (!inSection) {
                if (p.code != 0 || value != "SECTION")
                    return Fail(p.line, "expected SECTION or EOF; this is not a DXF drawing");
                if (i + 1 == pairs.size() || pairs[i + 1].code != 2)
                    return Fail(p.line + 2, "a SECTION without its name (group code 2)");
                inSection = true;
                ++i;
            } else if (p.code == 0 && value == "SECTION") {
                return Fail(p.line, "SECTION inside a section (ENDSEC missing)");
            } else if (p.code == 0 && value == "ENDSEC") {
                inSection = false;
            }
        }
        const size_t last = pairs.empty() ? 1 : pairs.back().line + 2;
        return Fail(last, "the file ends without EOF (cut short?)");
    }

private:
    // The text in quotes, cut short and with unprintable characters as '?'.
    static std::string Quoted(std::string_view s) {
        constexpr size_t kShown = 40;
        std::string out;
        for (char c : s.substr(0, kShown)) {
            const unsigned char u = static_cast<unsigned char>(c);
            out += u < 0x20 || u >= 0x7f ? '?' : c;  // the message stays printable
        }
        if (s.size() > kShown) out += "...";
        out.insert(out.begin(), '"');
        out += '"';
        return out;
    }

    bool Fail(size_t line, const std::string& problem) {
        error_ = file_ + ":" + std::to_string(line) + ": " + problem;
        return false;
    }

    const std::string& file_;
    std::string& error_;
};

}  // namespace

bool ScanDxf(const std::string& fileName, std::string& text, std::string& error) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        error = fileName + ": cannot open";
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    const std::string original = buffer.str();

    Scanner scanner(fileName, error);
    std::vector<Pair> pairs;
    if (!scanner.Split(original, pairs)) return false;
    for (const Pair& pair : pairs)
        if (!scanner.CheckValue(pair)) return false;
    if (!scanner.CheckStructure(pairs)) return false;

    std::vector<std::string> patches;
    std::vector<size_t> patched;
    size_t entity = 0;
    for (size_t i = 1; i <= pairs.size(); ++i)
        if (i == pairs.size() || pairs[i].code == 0) {
            CapCounts(pairs, entity, i, patches, patched);
            entity = i;
        }
    text.clear();
    text.reserve(original.size());
    size_t next = 0;
    for (size_t i = 0; i < pairs.size(); ++i) {
        text += std::to_string(pairs[i].code);
        text += '\n';
        if (next < patched.size() && patched[next] == i)
            text += patches[next++];
        else
            text += pairs[i].value;
        text += '\n';
    }
    return true;
}

}  // namespace qlhost::io
