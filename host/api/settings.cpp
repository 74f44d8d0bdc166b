// Stored settings of the host interface: RMGetValue and RMSetValue.
#include "host/platform/registry.h"

extern "C" int RMGetValue(SettingsRec* record) { return qlhost::RegistryGetRecord(record); }

extern "C" int RMSetValue(SettingsRec* record) { return qlhost::RegistrySetRecord(record); }
