// Hatch patterns: the options record and the line settings record with their defaults and
// packed stored forms, the modify step, and the records of one hatch run.
#pragma once

#include <cstddef>
#include <cstdint>

// The program's quarter and half turn; every hatch-space rotation uses exactly these.
constexpr double kQuarterTurn = 1.570796325;
constexpr double kHalfTurn = 3.14159265;

enum HatchMethod : int32_t { kMethodScan = 0, kMethodSmart = 1, kMethodRegular = 2 };
enum PatternKind : int32_t { kPatternSimple = 0, kPatternScalable = 1, kPatternPat = 2 };

constexpr int kRowCount = 4;
constexpr size_t kSearchTextSize = 32;
constexpr size_t kScalableNameSize = 200;
constexpr size_t kPatNameSize = 460;
constexpr size_t kSettingsNameSize = 65;
constexpr size_t kStyleNameSize = 200;

// All hatch options (stored as one 874-byte packed value "Options").
struct HatchOptions {
    unsigned char reserved[69];  // written back exactly as read
    int32_t method;
    char searchText[kSearchTextSize];
    int32_t patternKind;
    int32_t modify;  // 1 = apply scale, rotate and offset
    double scaleBy;
    double rotateBy;  // radians
    double offsetBy[2];
    char scalableName[kScalableNameSize];
    char patName[kPatNameSize];
    char lineSettingsName[kSettingsNameSize];
    int32_t showPreviews;
};

// The simple line pattern (stored as a 949-byte packed value under its name).
struct LineSettings {
    char name[kSettingsNameSize];
    double distance;
    double angle;  // radians
    double offset[2];
    int32_t rowOn[kRowCount];
    double rowOffset[kRowCount];
    char rowStyle[kRowCount][kStyleNameSize];
    int32_t scaleOffsets;  // 1 = row offsets are fractions of the distance
};

constexpr uint32_t kHatchOptionsSize = 874;
constexpr uint32_t kLineSettingsSize = 949;

HatchOptions DefaultHatchOptions();
LineSettings DefaultLineSettings();

// Packed little-endian forms. Unpacking terminates every name within its width.
void PackHatchOptions(const HatchOptions& options, unsigned char* bytes);
void UnpackHatchOptions(const unsigned char* bytes, HatchOptions& options);
void PackLineSettings(const LineSettings& settings, unsigned char* bytes);
void UnpackLineSettings(const unsigned char* bytes, LineSettings& settings);

// Row offsets are fractions of the distance when the scale-offsets flag is 1.
double RowOffsetFactor(const LineSettings& settings);

// The records the dialogs edit; they live as long as the plug-in.
HatchOptions& TheHatchOptions();
LineSettings& TheLineSettings();

// Registry value "Options" under QLHatch\ and the named values under QLHatch\Settings\. A
// stored value of another size is ignored: the record keeps what it held.
void LoadHatchOptions();
void SaveHatchOptions();
void LoadLineSettings(const char* name);
void SaveLineSettings(const char* name);

// The records one hatch run works with: a copy of the stored records after the modify
// step, so a run never changes the records the dialogs edit.
struct HatchRun {
    HatchOptions options;
    LineSettings line;
};

// Folds scale, rotate and offset into the line settings when modify is on; otherwise
// resets them to no change.
void ApplyModifyStep(HatchRun& run);

// Loads the options and the line settings they name, and returns them modified.
HatchRun PrepareHatchRun();
