// The registration records: the host keeps the pointer to the plug-in's static record.
#include "host/protocol/registration.h"

namespace qlhost {
namespace {
const XPRecord* g_record = nullptr;
int g_unregistered = 0;
}  // namespace

const XPRecord* RegisteredPlugin() { return g_record; }
int UnregisterCount() { return g_unregistered; }

void NoteRegistered(const XPRecord* record) { g_record = record; }

void NoteWithdrawn(const XPRecord* record) {
    if (g_record == record) g_record = nullptr;
    ++g_unregistered;
}

}  // namespace qlhost
