// The text work record (one text entity record with room for a 32,000-character string,
// kept from the first text command to the unloading of the plug-in) and the host's current
// text settings template.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/host_api.h"

constexpr size_t kWorkStringCapacity = 32000;                       // characters
constexpr size_t kWorkRecordSize = 104 + kWorkStringCapacity + 1;  // 32105 bytes

// The work record, or null while none is allocated.
EntRec* TextWorkRecord();
// Allocates the zero-filled work record on first use; null when memory ran out.
EntRec* EnsureTextWorkRecord();
// Its string buffer (kWorkStringCapacity characters and the NUL).
char* WorkString();
// The string length as the host counts it (StLen).
size_t WorkStringLength();
// Sets the record's length to the string length + 105 and its layout byte to 0.
void SetWorkLength();
// Copies a string (cut at its NUL) into the work record; false, unchanged, when it does not
// fit.
bool SetWorkString(const char* text, size_t length);

// The justification code's far table: converts far codes to plain ones and back.
constexpr int kJustifyCodes = 21;
extern const uint8_t kFarTable[kJustifyCodes];
// The plain code (0 to 8) of a justification code and whether it is far. Codes above 20 are
// no justification at all and count as bottom-left.
int PlainJustify(int code, bool* far);
// vertical * 3 + horizontal, made far through the table when far.
int BuildJustify(int vertical, int horizontal, bool far);

// ---------------------------------------------------------------------------------------
// The current text settings: the host's template of kind 10.

constexpr size_t kStyleBlockSize = 23;
// Offsets inside a style block.
constexpr size_t kSbStyleNumber = 0;
constexpr size_t kSbHeight = 2;
constexpr size_t kSbJustify = 22;

// The template, or null when the host has none.
unsigned char* TextTemplate();
// The style block of the template's current entry, or null when there is no template or
// the current entry is not a listed entry long enough to hold one.
unsigned char* CurrentStyleBlock(unsigned char* textTemplate);
// Copies the current settings into the work record's style block; false without them.
bool LoadCurrentSettings(EntRec* record);
// Makes a style block the current settings (all 23 bytes, style number included). With
// normalise, the template is first set to its first entry (current number 0, offset 15);
// nothing is written when the template has no entry. Returns the written block, or null when
// nothing was written.
unsigned char* MakeSettingsCurrent(const unsigned char* styleBlock, bool normalise);
