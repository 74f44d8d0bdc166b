// Message boxes, formatted texts and the settings record wrappers.
#include "core/prompts.h"

#include <cstring>
#include <limits>

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
