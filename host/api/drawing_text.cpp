// StLen, StMatch: the host's text helpers.
#include <cstring>

#include "core/host_api.h"
#include "host/drawing/names.h"

extern "C" int StLen(const char* text) {
    return text ? static_cast<int>(std::strlen(text)) : 0;
}

extern "C" int StMatch(const char* pattern, const char* name) {
    if (!pattern || !name) return 0;
    return qlhost::MatchName(pattern, name) ? 1 : 0;
}
