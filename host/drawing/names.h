// Name patterns of the host (StMatch): wildcards, prefixes and plain substrings.
#pragma once

#include <string_view>

namespace qlhost {

// Matches a name against a pattern, without regard to ASCII case:
//   "=rest"            names starting with rest (rest may hold wildcards);
//   with "*" or "?"    the whole name against the wildcards ("*" any run, "?" one character);
//   otherwise          names containing the pattern.
bool MatchName(std::string_view pattern, std::string_view name);

}  // namespace qlhost
