// Loading the plug-in library: dlopen with every host symbol resolved at once, the
// registration record handed over at attach, checked, and withdrawn at detach.
#pragma once

#include <string>

#include "core/host_api.h"
#include "host/protocol/protocol.h"

namespace qlhost {

// Checks a registration record: a product text, a multi-string of non-empty names ended by
// an empty name, and a procedure table with entry 0, one entry per name and a null end.
bool CheckRegistration(const XPRecord* record, CommandTable& table, std::string& error);

// Loads a plug-in library (replacing a loaded one) and takes its command table.
bool LoadPlugin(const std::string& path, std::string& error);
// Unloads the plug-in; a non-empty result reports that it did not withdraw its record.
std::string UnloadPlugin();
bool PluginLoaded();
const std::string& PluginPath();

// The folder of the running executable (the plug-in and hostdata/ lie beside it).
std::string ExecutableDir();
// The library file of a plug-in name: a path as given when it names a file, else
// lib<name>.so beside the executable.
std::string PluginFile(const std::string& name);

}  // namespace qlhost
