// Texts the ui room writes to the transcript.
#include "host/ui/env.h"

namespace qlhost {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace qlhost
