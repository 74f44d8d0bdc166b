// XPRegister / XPUnRegister: the host keeps the pointer to the plug-in's static record.
#include "host/api/registration.h"

namespace qlhost {
namespace {
const XPRecord* g_record = nullptr;
int g_unregistered = 0;
}  // namespace

const XPRecord* RegisteredPlugin() { return g_record; }
int UnregisterCount() { return g_unregistered; }

}  // namespace qlhost

extern "C" void XPRegister(const XPRecord* record) { qlhost::g_record = record; }

extern "C" void XPUnRegister(const XPRecord* record) {
    if (qlhost::g_record == record) qlhost::g_record = nullptr;
    ++qlhost::g_unregistered;
}
