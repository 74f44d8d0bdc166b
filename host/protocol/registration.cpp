// The registration records: the host keeps the pointer to the plug-in's static record.
#include "host/protocol/registration.h"
#include "host/state/parts.h"

namespace qlhost {
namespace {
// This room's part of the host's state (host/state/parts.h).
struct RegistrationState {
    const XPRecord* record = nullptr;
    int unregistered = 0;
};
RegistrationState& Registrations() { return Part<RegistrationState>(); }
}  // namespace

const XPRecord* RegisteredPlugin() { return Registrations().record; }
int UnregisterCount() { return Registrations().unregistered; }

void NoteRegistered(const XPRecord* record) { Registrations().record = record; }

void NoteWithdrawn(const XPRecord* record) {
    if (Registrations().record == record) Registrations().record = nullptr;
    ++Registrations().unregistered;
}

}  // namespace qlhost
