// The registration records plug-ins hand to the host at attach (XPRegister, XPUnRegister in
// host/api/registration.cpp), kept for the loader.
#pragma once

#include "core/host_api.h"

namespace qlhost {

// The record registered last and not yet withdrawn, or null.
const XPRecord* RegisteredPlugin();
// How many times a record was withdrawn (XPUnRegister) since start.
int UnregisterCount();

// What the exported functions report.
void NoteRegistered(const XPRecord* record);
void NoteWithdrawn(const XPRecord* record);

}  // namespace qlhost
