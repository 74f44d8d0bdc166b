// Decoding an entity's dump line into named fields.
#include "host/script/entity_fields.h"

#include <vector>

namespace qlhost {
namespace {

// Words of a dump line; quoted strings (with \" escapes) stay one word, quotes included.
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '\\' && i + 1 < line.size()) {
            word += c;
            word += line[++i];
            continue;
        }
        if (c == '"') quoted = !quoted;
        if (c == ' ' && !quoted) {
            if (!word.empty()) words.push_back(word);
            word.clear();
            continue;
        }
        word += c;
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

bool SplitPoint(const std::string& text, std::string& x, std::string& y) {
    if (text.size() < 5 || text.front() != '(' || text.back() != ')') return false;
    const size_t comma = text.find(',');
    if (comma == std::string::npos) return false;
    x = text.substr(1, comma - 1);
    y = text.substr(comma + 1, text.size() - comma - 2);
    return true;
}

std::string Unquote(const std::string& text) {
    std::string out;
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == '\\' && i + 2 < text.size()) {
            const char next = text[++i];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::map<std::string, std::string> DecodeDumpFields(const std::string& line) {
    std::map<std::string, std::string> fields;
    const std::vector<std::string> words = Words(line);
    int points = 0;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (i == 0 && word[0] == '#') {
            fields["id"] = word.substr(1);
            continue;
        }
        if (i == 1) {
            fields["type"] = word;
            continue;
        }
        std::string x, y;
        if (word[0] == '"') {
            if (!fields.count("text")) fields["text"] = Unquote(word);
            continue;
        }
        if (SplitPoint(word, x, y)) {
            ++points;
            fields["x" + std::to_string(points)] = x;
            fields["y" + std::to_string(points)] = y;
            if (points == 1) {
                fields["x"] = x;
                fields["y"] = y;
            }
            continue;
        }
        const size_t eq = word.find('=');
        if (eq == std::string::npos) {
            fields[word] = "1";
            continue;
        }
        const std::string key = word.substr(0, eq), value = word.substr(eq + 1);
        if (SplitPoint(value, x, y)) {
            fields[key + "x"] = x;
            fields[key + "y"] = y;
        } else if (!value.empty() && value[0] == '"') {
            fields[key] = Unquote(value);
        } else {
            fields[key] = value;
        }
    }
    return fields;
}

}  // namespace qlhost
