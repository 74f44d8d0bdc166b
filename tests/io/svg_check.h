// A tiny XML well-formedness check for the SVG tests: tags balance, attributes are quoted,
// the root is <svg> with a viewBox.
#pragma once

#include <string>
#include <vector>

namespace qlhost::iotest {

// Empty when well formed, else what is wrong.
inline std::string CheckSvg(const std::string& svg) {
    std::vector<std::string> open;
    size_t i = svg.find("<svg");
    if (i == std::string::npos) return "no <svg> element";
    size_t rootEnd = svg.find('>', i);
    if (svg.substr(i, rootEnd - i).find("viewBox=\"") == std::string::npos) return "no viewBox";
    for (i = 0; (i = svg.find('<', i)) != std::string::npos;) {
        if (svg.compare(i, 4, "<!--") == 0) {
            size_t end = svg.find("-->", i);
            if (end == std::string::npos) return "open comment";
            i = end + 3;
            continue;
        }
        size_t end = svg.find('>', i);
        if (end == std::string::npos) return "unterminated tag";
        std::string tag = svg.substr(i + 1, end - i - 1);
        i = end + 1;
        if (tag.empty() || tag[0] == '?') continue;
        size_t quotes = 0;
        for (char c : tag) quotes += c == '"';
        if (quotes % 2) return "unbalanced quotes in <" + tag + ">";
        if (tag.find('<') != std::string::npos) return "'<' inside a tag";
        if (tag[0] == '/') {
            std::string name = tag.substr(1);
            if (open.empty() || open.back() != name) return "</" + name + "> closes " + (open.empty() ? "nothing" : open.back());
            open.pop_back();
        } else if (tag.back() != '/') {
            open.push_back(tag.substr(0, tag.find_first_of(" \n\t")));
        }
    }
    if (!open.empty()) return "<" + open.back() + "> never closed";
    return "";
}

inline size_t CountOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t i = 0; (i = text.find(what, i)) != std::string::npos; i += what.size()) ++n;
    return n;
}

}  // namespace qlhost::iotest
