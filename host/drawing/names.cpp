// Name patterns of the host (StMatch).
#include "host/drawing/names.h"

#include <string>

namespace qlhost {
namespace {

char Fold(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// Whole-name wildcard match; a star remembers where to resume, so no recursion and at worst
// pattern x name steps.
bool Wildcard(std::string_view pattern, std::string_view name) {
    size_t p = 0, n = 0;
    size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool Contains(std::string_view pattern, std::string_view name) {
    if (pattern.size() > name.size()) return false;
    for (size_t at = 0; at + pattern.size() <= name.size(); ++at) {
        size_t i = 0;
        while (i < pattern.size() && Fold(pattern[i]) == Fold(name[at + i])) ++i;
        if (i == pattern.size()) return true;
    }
    return false;
}

}  // namespace

bool MatchName(std::string_view pattern, std::string_view name) {
    if (!pattern.empty() && pattern.front() == '=') {
        std::string prefix(pattern.substr(1));
        prefix += '*';
        return Wildcard(prefix, name);
    }
    if (pattern.find_first_of("*?") != std::string_view::npos) return Wildcard(pattern, name);
    return Contains(pattern, name);
}

}  // namespace qlhost
