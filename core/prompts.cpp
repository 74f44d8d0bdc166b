// Message boxes, formatted texts and the settings record wrappers.
#include "core/prompts.h"

#include <cstring>
#include <limits>

#include "core/win32.h"

int ShowMessage(const char* text, const char* caption, uintptr_t style) {
    return FormSt(text, -1, caption, style);
}

int ShowPromptMessage(const PromptRec& record) { return FormSt(&record, 0, nullptr, QL_FORM_SHOW); }

void FormatInto(const PromptRec& record, char* buffer, size_t size) {
    if (buffer == nullptr || size == 0) return;
    std::memset(buffer, 0, size);
    // Mode 0 would mean the host's 256-byte default; a larger buffer is still safe with its size.
    int mode = size > static_cast<size_t>(std::numeric_limits<int>::max())
                   ? std::numeric_limits<int>::max()
                   : static_cast<int>(size);
    FormSt(&record, mode, nullptr, reinterpret_cast<uintptr_t>(buffer));
}

void MakeSettingsRecord(SettingsRec& record, char* keyPath, const char* subKey,
                        const char* valueName, void* data, uint32_t size) {
    std::memset(keyPath, 0, kKeyPathSize);
    size_t rootLength = sizeof kSettingsRoot - 1;
    std::memcpy(keyPath, kSettingsRoot, rootLength);
    if (subKey != nullptr) {
        size_t subLength = std::strlen(subKey);
        if (subLength > kKeyPathSize - 1 - rootLength) subLength = kKeyPathSize - 1 - rootLength;
        std::memcpy(keyPath + rootLength, subKey, subLength);
    }
    record.root = kCurrentUserRoot;
    record.keyPath = keyPath;
    record.valueName = valueName;
    record.data = data;
    record.dataSize = size;
    record.valueType = kBinaryValue;
    record.bufferSize = size;
    record.reserved = 0;
}

bool LoadSetting(const char* subKey, const char* valueName, void* data, uint32_t size) {
    char keyPath[kKeyPathSize];
    SettingsRec record;
    MakeSettingsRecord(record, keyPath, subKey, valueName, data, size);
    return RMGetValue(&record) != 0;
}

bool SaveSetting(const char* subKey, const char* valueName, const void* data, uint32_t size) {
    char keyPath[kKeyPathSize];
    SettingsRec record;
    // RMSetValue only reads the data.
    MakeSettingsRecord(record, keyPath, subKey, valueName, const_cast<void*>(data), size);
    return RMSetValue(&record) != 0;
}

bool ForEachSettingName(const char* keyPath, const std::function<void(const char* name)>& callback) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    for (DWORD index = 0;; ++index) {
        char name[kValueNameBuffer] = {};
        DWORD length = kValueNameBuffer;
        const LSTATUS status =
            RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) break;
        name[kValueNameBuffer - 1] = '\0';
        callback(name);
    }
    RegCloseKey(key);
    return true;
}

void DeleteSettingValue(const char* keyPath, const char* valueName) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, valueName);
    RegCloseKey(key);
}
