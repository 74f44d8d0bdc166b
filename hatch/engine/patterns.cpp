// The hatch records, their stored forms and the modify step.
#include "hatch/engine/patterns.h"

#include <cstring>
#include <vector>

#include "core/prompts.h"
#include "core/records.h"

namespace {

const char kHatchKey[] = "QLHatch\\";
const char kSettingsKey[] = "QLHatch\\Settings\\";
const char kOptionsValue[] = "Options";

// Offsets of the packed options record.
constexpr size_t kOptReserved = 0;
constexpr size_t kOptMethod = 69;
constexpr size_t kOptSearchText = 73;
constexpr size_t kOptPatternKind = 105;
constexpr size_t kOptModify = 109;
constexpr size_t kOptScaleBy = 113;
constexpr size_t kOptRotateBy = 121;
constexpr size_t kOptOffsetBy = 129;
constexpr size_t kOptScalableName = 145;
constexpr size_t kOptPatName = 345;
constexpr size_t kOptSettingsName = 805;
constexpr size_t kOptShowPreviews = 870;
static_assert(kOptShowPreviews + 4 == kHatchOptionsSize);

// Offsets of the packed line settings record.
constexpr size_t kLsName = 0;
constexpr size_t kLsDistance = 65;
constexpr size_t kLsAngle = 73;
constexpr size_t kLsOffset = 81;
constexpr size_t kLsRowOn = 97;
constexpr size_t kLsRowOffset = 113;
constexpr size_t kLsRowStyle = 145;
constexpr size_t kLsScaleOffsets = 945;
static_assert(kLsScaleOffsets + 4 == kLineSettingsSize);

void PutText(unsigned char* bytes, size_t offset, const char* text, size_t width) {
    std::memcpy(bytes + offset, text, width);
}

// Copies a stored name field and terminates it within its width.
void GetText(const unsigned char* bytes, size_t offset, char* text, size_t width) {
    std::memcpy(text, bytes + offset, width);
    text[width - 1] = '\0';
}

void SetText(char* field, size_t width, const char* text) {
    std::memset(field, 0, width);
    std::strncpy(field, text, width - 1);
}

// Reads a stored record into bytes only when the host returns exactly its size.
bool LoadRecord(const char* subKey, const char* valueName, unsigned char* bytes, uint32_t size) {
    std::vector<unsigned char> buffer(size);
    char keyPath[kKeyPathSize];
    SettingsRec record;
    MakeSettingsRecord(record, keyPath, subKey, valueName, buffer.data(), size);
    if (RMGetValue(&record) == 0 || record.dataSize != size) return false;
    std::memcpy(bytes, buffer.data(), size);
    return true;
}

}  // namespace

HatchOptions DefaultHatchOptions() {
    HatchOptions options;
    std::memset(&options, 0, sizeof options);
    options.method = kMethodScan;
    options.patternKind = kPatternSimple;
    options.scaleBy = 1.0;
    SetText(options.scalableName, kScalableNameSize, ".25 Right Diagonal");
    return options;
}

LineSettings DefaultLineSettings() {
    LineSettings settings;
    std::memset(&settings, 0, sizeof settings);
    settings.distance = 0.2;
    settings.angle = kQuarterTurn / 2;
    settings.rowOn[0] = 1;
    for (auto& style : settings.rowStyle) SetText(style, kStyleNameSize, "Solid");
    settings.scaleOffsets = 1;
    return settings;
}

void PackHatchOptions(const HatchOptions& o, unsigned char* bytes) {
    std::memcpy(bytes + kOptReserved, o.reserved, sizeof o.reserved);
    PutI32(bytes, kOptMethod, o.method);
    PutText(bytes, kOptSearchText, o.searchText, kSearchTextSize);
    PutI32(bytes, kOptPatternKind, o.patternKind);
    PutI32(bytes, kOptModify, o.modify);
    PutF64(bytes, kOptScaleBy, o.scaleBy);
    PutF64(bytes, kOptRotateBy, o.rotateBy);
    PutPoint(bytes, kOptOffsetBy, o.offsetBy);
    PutText(bytes, kOptScalableName, o.scalableName, kScalableNameSize);
    PutText(bytes, kOptPatName, o.patName, kPatNameSize);
    PutText(bytes, kOptSettingsName, o.lineSettingsName, kSettingsNameSize);
    PutI32(bytes, kOptShowPreviews, o.showPreviews);
}

void UnpackHatchOptions(const unsigned char* bytes, HatchOptions& o) {
    std::memcpy(o.reserved, bytes + kOptReserved, sizeof o.reserved);
    o.method = GetI32(bytes, kOptMethod);
    GetText(bytes, kOptSearchText, o.searchText, kSearchTextSize);
    o.patternKind = GetI32(bytes, kOptPatternKind);
    o.modify = GetI32(bytes, kOptModify);
    o.scaleBy = GetF64(bytes, kOptScaleBy);
    o.rotateBy = GetF64(bytes, kOptRotateBy);
    GetPoint(bytes, kOptOffsetBy, o.offsetBy);
    GetText(bytes, kOptScalableName, o.scalableName, kScalableNameSize);
    GetText(bytes, kOptPatName, o.patName, kPatNameSize);
    GetText(bytes, kOptSettingsName, o.lineSettingsName, kSettingsNameSize);
    o.showPreviews = GetI32(bytes, kOptShowPreviews);
}

void PackLineSettings(const LineSettings& s, unsigned char* bytes) {
    PutText(bytes, kLsName, s.name, kSettingsNameSize);
    PutF64(bytes, kLsDistance, s.distance);
    PutF64(bytes, kLsAngle, s.angle);
    PutPoint(bytes, kLsOffset, s.offset);
    for (int k = 0; k < kRowCount; ++k) {
        PutI32(bytes, kLsRowOn + 4 * k, s.rowOn[k]);
        PutF64(bytes, kLsRowOffset + 8 * k, s.rowOffset[k]);
        PutText(bytes, kLsRowStyle + kStyleNameSize * k, s.rowStyle[k], kStyleNameSize);
    }
    PutI32(bytes, kLsScaleOffsets, s.scaleOffsets);
}

void UnpackLineSettings(const unsigned char* bytes, LineSettings& s) {
    GetText(bytes, kLsName, s.name, kSettingsNameSize);
    s.distance = GetF64(bytes, kLsDistance);
    s.angle = GetF64(bytes, kLsAngle);
    GetPoint(bytes, kLsOffset, s.offset);
    for (int k = 0; k < kRowCount; ++k) {
        s.rowOn[k] = GetI32(bytes, kLsRowOn + 4 * k);
        s.rowOffset[k] = GetF64(bytes, kLsRowOffset + 8 * k);
        GetText(bytes, kLsRowStyle + kStyleNameSize * k, s.rowStyle[k], kStyleNameSize);
    }
    s.scaleOffsets = GetI32(bytes, kLsScaleOffsets);
}

double RowOffsetFactor(const LineSettings& settings) {
    return settings.scaleOffsets == 1 ? settings.distance : 1.0;
}

HatchOptions& TheHatchOptions() {
    static HatchOptions options = DefaultHatchOptions();
    return options;
}

LineSettings& TheLineSettings() {
    static LineSettings settings = DefaultLineSettings();
    return settings;
}

void LoadHatchOptions() {
    unsigned char bytes[kHatchOptionsSize];
    if (LoadRecord(kHatchKey, kOptionsValue, bytes, kHatchOptionsSize)) {
        UnpackHatchOptions(bytes, TheHatchOptions());
    }
}

void SaveHatchOptions() {
    unsigned char bytes[kHatchOptionsSize];
    PackHatchOptions(TheHatchOptions(), bytes);
    SaveSetting(kHatchKey, kOptionsValue, bytes, kHatchOptionsSize);
}

void LoadLineSettings(const char* name) {
    unsigned char bytes[kLineSettingsSize];
    if (LoadRecord(kSettingsKey, name, bytes, kLineSettingsSize)) {
        UnpackLineSettings(bytes, TheLineSettings());
    }
}

void SaveLineSettings(const char* name) {
    unsigned char bytes[kLineSettingsSize];
    PackLineSettings(TheLineSettings(), bytes);
    SaveSetting(kSettingsKey, name, bytes, kLineSettingsSize);
}

void ApplyModifyStep(HatchRun& run) {
    HatchOptions& o = run.options;
    LineSettings& s = run.line;
    if (o.modify == 1) {
        s.distance *= o.scaleBy;
        s.angle += o.rotateBy;
        s.offset[0] += o.offsetBy[0];
        s.offset[1] += o.offsetBy[1];
        if (s.scaleOffsets == 0) {
            for (double& offset : s.rowOffset) offset *= o.scaleBy;
        }
    } else {
        o.scaleBy = 1.0;
        o.rotateBy = 0;
        o.offsetBy[0] = 0;
        o.offsetBy[1] = 0;
    }
}

HatchRun PrepareHatchRun() {
    LoadHatchOptions();
    LoadLineSettings(TheHatchOptions().lineSettingsName);
    HatchRun run{TheHatchOptions(), TheLineSettings()};
    ApplyModifyStep(run);
    return run;
}
