// The registration records plug-ins hand to the host at attach.
#pragma once

#include "core/host_api.h"

namespace qlhost {

// The record registered last and not yet withdrawn, or null.
const XPRecord* RegisteredPlugin();
// How many times a record was withdrawn (XPUnRegister) since start.
int UnregisterCount();

}  // namespace qlhost
