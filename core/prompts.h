// Prompt records, message boxes, formatted texts and stored settings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/host_api.h"

// Format codes of a prompt record placeholder.
enum PromptFormat : unsigned char {
    PF_TEXT = 0,
    PF_WHOLE3 = 3,
    PF_WHOLE = 5,
    PF_FLOAT = 9,
    PF_DOUBLE = 10,
    PF_POINT2 = 12,
    PF_DISTANCE = 16,
    PF_ANGLE17 = 17,
    PF_ANGLE = 19,
};
constexpr unsigned char kDefaultPrecision = 255;

// Message box styles of FormSt.
enum MessageStyle : uintptr_t {
    MS_QUESTION = 0x05,
    MS_MESSAGE = 0x21,
    MS_WARNING = 0x23,
    MS_ERROR = 0x24,
};

// One placeholder: value pointer, format code, 0, width 5, precision.
constexpr PromptField PromptValue(const void* value, unsigned char format,
                                  unsigned char precision = kDefaultPrecision) {
    return PromptField{value, format, 0, 5, precision};
}

constexpr PromptRec MakePrompt(const char* text, PromptField first = PromptField{},
                               PromptField second = PromptField{}) {
    return PromptRec{text, {first, second}};
}

// FormSt (text, -1, caption, style): returns the button pressed.
int ShowMessage(const char* text, const char* caption, uintptr_t style);

// Shows the filled-in text of a prompt record as a message (FormSt destination 2).
int ShowPromptMessage(const PromptRec& record);

// Writes the filled-in text of a prompt record into buffer. The buffer size is passed as
// the mode, so the host writes at most size bytes with the NUL. The buffer is cleared first.
void FormatInto(const PromptRec& record, char* buffer, size_t size);

// ---------------------------------------------------------------------------------------
// Stored settings (binary values under HKEY_CURRENT_USER).

constexpr char kSettingsRoot[] = "Software\\Tarnwell\\Quillet\\";
constexpr size_t kKeyPathSize = 256;
constexpr uintptr_t kCurrentUserRoot = 0x80000001u;
constexpr uint32_t kBinaryValue = 3;

// Fills a settings record. keyPath is a 256-byte buffer that receives the zero-filled path
// kSettingsRoot + subKey (subKey empty or ending in a backslash; cut to fit the buffer).
void MakeSettingsRecord(SettingsRec& record, char* keyPath, const char* subKey,
                        const char* valueName, void* data, uint32_t size);

// Reads a value into data (size bytes as data size and buffer size). A failed read leaves
// the data as it was. True when the host read it.
bool LoadSetting(const char* subKey, const char* valueName, void* data, uint32_t size);

// Writes a value. True when the host stored it.
bool SaveSetting(const char* subKey, const char* valueName, const void* data, uint32_t size);

// Value names of registry keys, read with the registry functions directly. keyPath is the
// full path under HKEY_CURRENT_USER.
constexpr uint32_t kValueNameBuffer = 255;
// Calls back with every value name that fits kValueNameBuffer; longer names are skipped.
// False when the key cannot be opened.
bool ForEachSettingName(const char* keyPath, const std::function<void(const char* name)>& callback);
// Deletes one value; nothing when the key cannot be opened.
void DeleteSettingValue(const char* keyPath, const char* valueName);
