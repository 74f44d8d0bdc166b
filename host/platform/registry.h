// The host's registry: keys of binary (and other) values kept in memory and persisted as a
// Windows .reg text file (REGEDIT4) after every change.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/host_api.h"

namespace qlhost {

struct RegValue {
    std::string name;
    uint32_t type = REG_BINARY;
    std::vector<unsigned char> data;
};

// A key: its full path with the root name ("HKEY_CURRENT_USER\Software\Tarnwell") and its
// values in insertion order, which is also their enumeration order.
struct RegKey {
    std::string path;
    std::vector<RegValue> values;

    RegValue* Find(const std::string& name);
    const RegValue* Find(const std::string& name) const;
    // Adds the value, or replaces the data of a value of that name in its place.
    void Set(const std::string& name, uint32_t type, std::vector<unsigned char> data);
    bool Remove(const std::string& name);
};

// The keys, looked up without regard to case as Windows does; listed in path order.
class RegistryStore {
public:
    // Path: root name and sub keys joined by backslashes; empty parts are dropped.
    RegKey* Find(const std::string& path);
    const RegKey* Find(const std::string& path) const;
    // Creates the key and its ancestors as needed.
    RegKey& Create(const std::string& path);
    // Removes the key and every key below it.
    void RemoveTree(const std::string& path);
    const std::map<std::string, RegKey>& Keys() const { return keys_; }
    void Clear() { keys_.clear(); }

    // "HKEY_CURRENT_USER", "Software\Tarnwell\" -> "HKEY_CURRENT_USER\Software\Tarnwell".
    static std::string Join(const std::string& root, const std::string& sub);
    // The path with empty parts dropped; empty when it is not under a known root.
    static std::string Normalize(const std::string& path);

private:
    std::map<std::string, RegKey> keys_;  // by lower-case path
};

// The name of a predefined root handle (HKEY_CURRENT_USER, ...), or empty.
std::string RootName(uintptr_t root);

// The .reg text form. Reading fails with "FILE:LINE: problem" on malformed input and then
// leaves store as it was.
bool ReadRegText(const std::string& text, const std::string& fileName, RegistryStore& store, std::string& error);
std::string WriteRegText(const RegistryStore& store);

// The host's registry, loaded from the registry file at first use. A file that cannot be
// read is reported (ScriptFault) and never overwritten: the host then keeps the registry in
// memory only.
RegistryStore& HostRegistry();
// Writes the registry file after a change (to a temporary file, then renamed over it).
void SaveHostRegistry();
// The registry file in use (empty when none can be named: memory only).
std::string RegistryFile();

// The registry calls of the plug-in interface: RMGetValue, RMSetValue and the Win32 key calls.
int RegistryGetRecord(SettingsRec* record);
int RegistrySetRecord(const SettingsRec* record);
LSTATUS RegistryOpenKey(HKEY parent, const char* subKey, HKEY* result);
LSTATUS RegistryCloseKey(HKEY key);
LSTATUS RegistryEnumValue(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD* type, BYTE* data,
                          DWORD* dataLength);
LSTATUS RegistryDeleteValue(HKEY key, const char* name);

// The registry file (qlhost --registry FILE). Default: $XDG_CONFIG_HOME/qlhost/registry.reg,
// else ~/.config/qlhost/registry.reg. Takes effect before the registry's first use.
void SetRegistryFile(const std::string& path);

// Reads one stored value under HKEY_CURRENT_USER (key path without the root, with or
// without a trailing backslash). False when the key or value is missing.
bool RegistryLookup(const std::string& key, const std::string& value, std::vector<unsigned char>& data);

}  // namespace qlhost

