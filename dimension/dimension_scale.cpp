// QLDIMSCALE and QLDIMSCALENOW: the current dimension style's text height, baseline
// spacing, leader offsets and arrowheads, and the attribute settings' arrowheads, become
// the text height times a scale factor and a stored multiplier per property.
#include "dimension/dimension_scale.h"

#include <cmath>

#include "core/commands.h"
#include "core/dialog_helpers.h"
#include "core/prompts.h"
#include "core/records.h"
#include "core/registration.h"

namespace {

constexpr char kValueName[] = "QLDimScale";
constexpr float kScaleWithoutTextStyle = 0.2f;
constexpr int kStylePairs = 6;
constexpr int kEditLength = 15;
constexpr uint32_t kApplyMask = 1;

// Float index in the dimension style block of pairs 1 to 6; byte offsets in the attribute
// settings of pairs 7 and 8.
constexpr int kStyleFloat[kStylePairs] = {10, 5, 2, 1, 7, 8};
constexpr size_t kAttributeFloat[kDimScalePairs - kStylePairs] = {kAttrSetArrowLength, kAttrSetArrowHeight};

// Controls of IDD_DLGSCALEDIM, in pair order.
constexpr int kIdScale = 1038;
constexpr int kIdApply[kDimScalePairs] = {1049, 1050, 1051, 1052, 1053, 1054, 1055, 1057};
constexpr int kIdMultiplier[kDimScalePairs] = {1043, 1044, 1045, 1046, 1047, 1048, 1056, 1058};

DimScaleSettings g_settings;
float g_scale;

bool Applies(const DimScalePair& pair) { return (pair.apply & kApplyMask) != 0; }

int RefreshScaleDialog() {
    for (int i = 0; i < kDimScalePairs; ++i) EnableControl(kIdMultiplier[i], Applies(g_settings.pair[i]));
    return 0;
}

int OnApplyChanged(int) { return RefreshScaleDialog(); }

bool RunScaleDialog() {
    void* dialog = DefDlg("IDD_DLGSCALEDIM", 0, 0, RefreshScaleDialog, 0, 0);
    EDCTL(dialog, kIdScale, 0, PF_FLOAT, kEditLength, &g_scale, 0);
    for (int i = 0; i < kDimScalePairs; ++i) {
        CHKCTL(dialog, kIdApply[i], 0, 0, &g_settings.pair[i].apply, kApplyMask, OnApplyChanged);
        EDCTL(dialog, kIdMultiplier[i], 0, PF_FLOAT, kEditLength, &g_settings.pair[i].multiplier, 0);
    }
    int result = Dialog(dialog, PluginInstance(), 0);
    RelDlg(dialog);
    return result == IDOK;
}

unsigned char* WritableStyleBlock(DList* work) {
    const unsigned char* style = CurrentTableData(GetTemplate(work, TPL_DIM_STYLES));
    if (style == nullptr || GetU32(style - kEntryData, kEntryLength) < kEntryData + kDimStyleSize) return nullptr;
    // The current entry lies inside the host's table, which the host hands out writable.
    return const_cast<unsigned char*>(style);
}

}  // namespace

DimScaleSettings DefaultDimScaleSettings() {
    return DimScaleSettings{{{1, 1.0f}, {1, 2.0f}, {1, 0.3125f}, {1, 1.0f},
                             {1, 0.9f}, {1, 0.4f}, {1, 0.9f}, {1, 0.4f}}};
}

void EncodeDimScaleSettings(const DimScaleSettings& settings, unsigned char* bytes) {
    for (int i = 0; i < kDimScalePairs; ++i) {
        PutU32(bytes, 8 * i, settings.pair[i].apply);
        PutF32(bytes, 8 * i + 4, settings.pair[i].multiplier);
    }
}

bool DecodeDimScaleSettings(const unsigned char* bytes, DimScaleSettings& settings) {
    DimScaleSettings read{};
    for (int i = 0; i < kDimScalePairs; ++i) {
        read.pair[i].apply = GetU32(bytes, 8 * i);
        read.pair[i].multiplier = GetF32(bytes, 8 * i + 4);
        if (!std::isfinite(read.pair[i].multiplier)) return false;
    }
    settings = read;
    return true;
}

DimScaleSettings LoadDimScaleSettings() {
    DimScaleSettings settings = DefaultDimScaleSettings();
    unsigned char bytes[kDimScaleSettingsSize] = {};
    char keyPath[kKeyPathSize];
    SettingsRec record;
    MakeSettingsRecord(record, keyPath, "", kValueName, bytes, kDimScaleSettingsSize);
    // A value of another size (the host reports what it read) is not these settings.
    if (RMGetValue(&record) != 0 && record.dataSize == kDimScaleSettingsSize)
        DecodeDimScaleSettings(bytes, settings);
    return settings;
}

bool SaveDimScaleSettings(const DimScaleSettings& settings) {
    unsigned char bytes[kDimScaleSettingsSize];
    EncodeDimScaleSettings(settings, bytes);
    return SaveSetting("", kValueName, bytes, kDimScaleSettingsSize);
}

float DimScaleFactorFromText() {
    DList* work = GetWorkDL();
    const unsigned char* style = CurrentTableData(work != nullptr ? GetTemplate(work, TPL_TEXT_STYLES) : nullptr);
    return style != nullptr ? GetF32(style, kStyleBlockHeight) : kScaleWithoutTextStyle;
}

void ApplyDimScale(const DimScaleSettings& settings, float scale) {
    DList* work = GetWorkDL();
    if (work == nullptr) return;
    if (unsigned char* style = WritableStyleBlock(work)) {
        for (int i = 0; i < kStylePairs; ++i)
            if (Applies(settings.pair[i])) PutF32(style, 4 * kStyleFloat[i], scale * settings.pair[i].multiplier);
    }
    unsigned char* attributes = GetTemplate(work, TPL_ATTRIBUTES);
    if (attributes == nullptr) return;
    for (int i = kStylePairs; i < kDimScalePairs; ++i)
        if (Applies(settings.pair[i]))
            PutF32(attributes, kAttributeFloat[i - kStylePairs], scale * settings.pair[i].multiplier);
}

void QLDIMSCALE() {
    g_scale = DimScaleFactorFromText();
    g_settings = LoadDimScaleSettings();
    if (RunScaleDialog()) {
        SaveDimScaleSettings(g_settings);
        ApplyDimScale(g_settings, g_scale);
    }
    CmdEnd();
}

void QLDIMSCALENOW() {
    ApplyDimScale(LoadDimScaleSettings(), DimScaleFactorFromText());
    CmdEnd();
}
