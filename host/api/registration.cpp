// XPRegister / XPUnRegister: the plug-in's static record, kept by the protocol room.
#include "host/protocol/registration.h"

extern "C" void XPRegister(const XPRecord* record) { qlhost::NoteRegistered(record); }

extern "C" void XPUnRegister(const XPRecord* record) { qlhost::NoteWithdrawn(record); }
