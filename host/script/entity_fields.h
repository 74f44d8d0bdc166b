// The fields `expect entity` checks, decoded from an entity's dump line.
#pragma once

#include <map>
#include <string>

namespace qlhost {

// Fields of a dump line ("#5 line layer=0 (0,0) (10,0)"): key=value words; key=(a,b) as
// keyx and keyy (c=(1,2) gives cx and cy); the k-th bare point as xk and yk (the first
// also as x and y); the first quoted string as text; bare words (sel, del) as 1; the type
// name as type.
std::map<std::string, std::string> DecodeDumpFields(const std::string& line);

}  // namespace qlhost
