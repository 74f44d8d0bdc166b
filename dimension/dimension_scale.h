// QLDIMSCALE and QLDIMSCALENOW: the current dimension and arrow sizes set to the current
// text height times a scale factor and a multiplier per property.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kDimScalePairs = 8;
constexpr uint32_t kDimScaleSettingsSize = 64;

// One property: the apply flag (bit 0 counts, as the dialog's check box mask) and the
// multiplier.
struct DimScalePair {
    uint32_t apply;
    float multiplier;
};

// Stored whole as the binary registry value "QLDimScale": eight pairs of a 32-bit flag and
// a 32-bit float, little-endian.
struct DimScaleSettings {
    DimScalePair pair[kDimScalePairs];
};

DimScaleSettings DefaultDimScaleSettings();

void EncodeDimScaleSettings(const DimScaleSettings& settings, unsigned char* bytes);
// False, leaving settings as they were, when a multiplier is not a finite number.
bool DecodeDimScaleSettings(const unsigned char* bytes, DimScaleSettings& settings);

// The stored settings; the defaults unless exactly 64 sound bytes are stored.
DimScaleSettings LoadDimScaleSettings();
bool SaveDimScaleSettings(const DimScaleSettings& settings);

// The current text height, or 0.2 without a text style table.
float DimScaleFactorFromText();

// Writes scale × multiplier into the current dimension style and attribute settings for
// every pair whose flag is set.
void ApplyDimScale(const DimScaleSettings& settings, float scale);
