// What the ui room shares: the event port its modal windows take their answers from and
// report to (host/state/events.h), and the quoting of texts in transcript lines.
#pragma once

#include <string>

#include "host/state/events.h"

namespace qlhost {

// A text in double quotes for transcript lines and messages.
std::string Quoted(const std::string& text);

}  // namespace qlhost
