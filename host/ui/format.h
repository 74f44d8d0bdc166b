// Textual forms of the format codes of prompt records (docs/formats.md) and the filling-in
// of prompt records.
#pragma once

#include <cstdint>
#include <string>

namespace qlhost {

// Format codes of prompt records and edit bindings.
enum FormatCode : int {
    kFormatText = 0,
    kFormatInt = 3,
    kFormatInt2 = 5,
    kFormatFloat = 9,
    kFormatDouble = 10,
    kFormatPoint = 12,
    kFormatDistance = 16,
    kFormatAngle = 17,
    kFormatAngle2 = 19,
};

constexpr int kDefaultPrecision = 255;   // the host's default
constexpr int kDefaultDecimals = 4;      // decimals shown when the precision is the default
constexpr int kMaxPrecision = 32;        // larger precisions are shown with this many

// True for the format codes the host knows.
bool IsFormatCode(int format);

// FormatValue with a check of the code: false (text empty) for an unknown code.
bool FormatValueChecked(const void* value, int format, int precision, std::string& text);

// A prompt record filled in. A field with an unknown format code is shown empty and
// reported in error (the first such field); error stays empty otherwise.
std::string FillPromptRecord(const void* record, std::string& error);

}  // namespace qlhost
