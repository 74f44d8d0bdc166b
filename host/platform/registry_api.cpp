// RMGetValue / RMSetValue and the Win32 key calls over the host's registry.
#include <cstring>
#include <map>

#include "host/platform/registry.h"
#include "host/state/events.h"
#include "host/state/parts.h"

namespace qlhost {
namespace {

constexpr LSTATUS kInvalidHandle = 6;        // ERROR_INVALID_HANDLE
constexpr LSTATUS kInvalidParameter = 87;    // ERROR_INVALID_PARAMETER
constexpr uintptr_t kFirstHandle = 0x100;

// Open key handles and the full paths they name.
struct Handles {
    std::map<uintptr_t, std::string> open;
    uintptr_t next = kFirstHandle;
};

Handles& OpenKeys() { return Part<Handles>(); }

// The full path a handle names: a root, or an open key.
std::string PathOf(HKEY key) {
    auto value = reinterpret_cast<uintptr_t>(key);
    std::string root = RootName(value);
    if (!root.empty()) return root;
    auto it = OpenKeys().open.find(value);
    return it == OpenKeys().open.end() ? std::string() : it->second;
}

RegKey* KeyOf(HKEY key) {
    std::string path = PathOf(key);
    return path.empty() ? nullptr : HostRegistry().Find(path);
}

std::string RecordPath(const SettingsRec* record) {
    std::string root = RootName(record->root);
    if (root.empty() || record->keyPath == nullptr) return {};
    // The key path lives in a 256-byte buffer; never read past it.
    return RegistryStore::Join(root, std::string(record->keyPath, strnlen(record->keyPath, 256)));
}

}  // namespace

int RegistryGetRecord(SettingsRec* record) {
    if (record == nullptr) {
        ScriptFault("RMGetValue without a settings record");
        return 0;
    }
    std::string path = RecordPath(record);
    const RegKey* key = path.empty() ? nullptr : HostRegistry().Find(path);
    const RegValue* value = key ? key->Find(record->valueName ? record->valueName : "") : nullptr;
    if (value == nullptr || value->type != record->valueType) return 0;
    uint32_t expected = record->bufferSize != 0 ? record->bufferSize : record->dataSize;
    // A record stored by another version of the plug-in has another size: keep the defaults.
    if (value->data.size() != expected) return 0;
    if (expected > 0) {
        if (record->data == nullptr) return 0;
        std::memcpy(record->data, value->data.data(), expected);
    }
    record->dataSize = expected;
    return 1;
}

int RegistrySetRecord(const SettingsRec* record) {
    if (record == nullptr || (record->data == nullptr && record->dataSize > 0)) {
        ScriptFault("RMSetValue without a settings record or its data");
        return 0;
    }
    std::string path = RecordPath(record);
    if (path.empty()) {
        ScriptFault("RMSetValue with an unknown root or no key path");
        return 0;
    }
    const auto* bytes = static_cast<const unsigned char*>(record->data);
    std::vector<unsigned char> data(bytes, bytes + record->dataSize);
    HostRegistry().Create(path).Set(record->valueName ? record->valueName : "", record->valueType, std::move(data));
    SaveHostRegistry();
    return 1;
}

LSTATUS RegistryOpenKey(HKEY parent, const char* subKey, HKEY* result) {
    if (result == nullptr) return kInvalidParameter;
    *result = nullptr;
    std::string base = PathOf(parent);
    if (base.empty()) return kInvalidHandle;
    std::string path = RegistryStore::Join(base, subKey ? subKey : "");
    RegKey* key = HostRegistry().Find(path);
    if (key == nullptr) return ERROR_FILE_NOT_FOUND;
    Handles& h = OpenKeys();
    uintptr_t handle = h.next++;
    h.open[handle] = key->path;
    *result = reinterpret_cast<HKEY>(handle);
    return ERROR_SUCCESS;
}

LSTATUS RegistryCloseKey(HKEY key) {
    auto value = reinterpret_cast<uintptr_t>(key);
    if (!RootName(value).empty()) return ERROR_SUCCESS;
    return OpenKeys().open.erase(value) ? ERROR_SUCCESS : kInvalidHandle;
}

LSTATUS RegistryEnumValue(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD* type, BYTE* data,
                          DWORD* dataLength) {
    if (PathOf(key).empty()) return kInvalidHandle;
    if (name == nullptr || nameLength == nullptr) return kInvalidParameter;
    RegKey* k = KeyOf(key);
    if (k == nullptr || index >= k->values.size()) return ERROR_NO_MORE_ITEMS;
    const RegValue& v = k->values[index];
    if (v.name.size() + 1 > *nameLength) return ERROR_MORE_DATA;
    std::memcpy(name, v.name.c_str(), v.name.size() + 1);
    *nameLength = static_cast<DWORD>(v.name.size());
    if (type != nullptr) *type = v.type;
    if (dataLength != nullptr) {
        DWORD room = *dataLength;
        *dataLength = static_cast<DWORD>(v.data.size());
        if (data != nullptr) {
            if (v.data.size() > room) return ERROR_MORE_DATA;
            if (!v.data.empty()) std::memcpy(data, v.data.data(), v.data.size());
        }
    }
    return ERROR_SUCCESS;
}

LSTATUS RegistryDeleteValue(HKEY key, const char* name) {
    if (PathOf(key).empty()) return kInvalidHandle;
    RegKey* k = KeyOf(key);
    if (k == nullptr || !k->Remove(name ? name : "")) return ERROR_FILE_NOT_FOUND;
    SaveHostRegistry();
    return ERROR_SUCCESS;
}

}  // namespace qlhost
