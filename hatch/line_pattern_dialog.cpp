// The simple line pattern dialog: the current line settings with their rows, and the names
// they are saved under ("New" stores at once, "Delete" removes a saved name).
#include <cstring>
#include <string>
#include <vector>

#include "core/dialog_helpers.h"
#include "core/host_api.h"
#include "core/prompts.h"
#include "core/records.h"
#include "core/registration.h"
#include "hatch/engine/patterns.h"
#include "hatch/option_dialogs.h"
#include "resources/hatch_options_ids.h"

namespace {

constexpr int kEditLength = 25;
constexpr int kOffsetLength = 50;
constexpr uint32_t kOnMask = 1;
constexpr size_t kListText = 256;  // what the host copies into a list's companion text

struct RowControls {
    int on;
    int offset;
    int style;
};
constexpr RowControls kRows[kRowCount] = {
    {IDC_HOPT_ROW0_ON, IDC_HOPT_ROW0_OFFSET, IDC_HOPT_ROW0_STYLE},
    {IDC_HOPT_ROW1_ON, IDC_HOPT_ROW1_OFFSET, IDC_HOPT_ROW1_STYLE},
    {IDC_HOPT_ROW2_ON, IDC_HOPT_ROW2_OFFSET, IDC_HOPT_ROW2_STYLE},
    {IDC_HOPT_ROW3_ON, IDC_HOPT_ROW3_OFFSET, IDC_HOPT_ROW3_STYLE},
};

int g_savedIndex;
char g_savedText[kListText];
int g_styleIndex[kRowCount];
char g_styleText[kRowCount][kListText];
char g_saveName[kSettingsNameSize];

// Stores text in a field of the given width, cut to fit and zero-filled behind it.
void SetField(char* field, size_t width, const char* text) {
    std::memset(field, 0, width);
    std::memcpy(field, text, strnlen(text, width - 1));
}

// Selects the item of that name (none when the name is empty or absent).
void SelectItem(int id, int& index, char* text, const char* name, size_t width) {
    const std::string bounded(name, strnlen(name, width));
    index = bounded.empty() ? -1 : FndCmbStr(id, bounded.c_str());
    SetField(text, kListText, index >= 0 ? bounded.c_str() : "");
    UpdCtl(id);
}

void SelectRowStyles() {
    const LineSettings& settings = TheLineSettings();
    for (int k = 0; k < kRowCount; ++k)
        SelectItem(kRows[k].style, g_styleIndex[k], g_styleText[k], settings.rowStyle[k],
                   kStyleNameSize);
}

void FillStyleLists() {
    for (const RowControls& row : kRows) ClrCmbStr(row.style);
    DList* work = GetWorkDL();
    const unsigned char* table = work != nullptr ? GetTemplate(work, TPL_LINE_STYLES) : nullptr;
    ForEachTableEntry(table, kTblLineStyleEntries, [](const unsigned char* entry) {
        const uint32_t length = GetU32(entry, kEntryLength);
        if (length <= kLineStyleName) return false;
        const char* name = reinterpret_cast<const char*>(entry) + kLineStyleName;
        const std::string bounded(name, strnlen(name, length - kLineStyleName));
        for (const RowControls& row : kRows) AddCmbStr(row.style, bounded.c_str());
        return false;
    });
    SelectRowStyles();
}

// The list is left as it is while the Settings key does not exist.
void FillSavedNames() {
    std::vector<std::string> names;
    if (!EnumLineSettings([&names](const char* name) { names.emplace_back(name); })) return;
    ClrCmbStr(IDC_HOPT_SAVED);
    for (const std::string& name : names) AddCmbStr(IDC_HOPT_SAVED, name.c_str());
    SelectItem(IDC_HOPT_SAVED, g_savedIndex, g_savedText, TheLineSettings().name,
               kSettingsNameSize);
}

int OnRowsChanged(int) {
    const LineSettings& settings = TheLineSettings();
    for (int k = 1; k < kRowCount; ++k) {
        const bool on = (static_cast<uint32_t>(settings.rowOn[k]) & kOnMask) != 0;
        EnableControl(kRows[k].offset, on);
        EnableControl(kRows[k].style, on);
    }
    return 0;
}

int OnStyleChosen(int id) {
    for (int k = 0; k < kRowCount; ++k)
        if (kRows[k].style == id)
            SetField(TheLineSettings().rowStyle[k], kStyleNameSize, g_styleText[k]);
    return 0;
}

// The chosen name becomes the current one as well, so OK stores the values shown under
// the name shown.
int OnSavedName(int) {
    if (g_savedIndex < 0 || g_savedText[0] == '\0' || std::strlen(g_savedText) >= kSettingsNameSize)
        return 0;
    const std::string name = g_savedText;
    LoadLineSettings(name.c_str());
    SetField(TheLineSettings().name, kSettingsNameSize, name.c_str());
    SetField(TheHatchOptions().lineSettingsName, kSettingsNameSize, name.c_str());
    OnRowsChanged(0);
    SelectRowStyles();
    UpdCtlA();
    return 0;
}

// "New": the record is stored under the typed name at once, even if the dialog is then
// cancelled. An empty name stores nothing.
int OnNew(int) {
    LineSettings& settings = TheLineSettings();
    SetField(g_saveName, kSettingsNameSize, settings.name);
    void* dialog = DefDlg("DLGSAVE", 0, 0, nullptr, 0, 0);
    EDCTL(dialog, IDC_HSAVE_NAME, 0, PF_TEXT, static_cast<int>(kSettingsNameSize - 1), g_saveName,
          0);
    const int result = Dialog(dialog, PluginInstance(), 0);
    RelDlg(dialog);
    g_saveName[kSettingsNameSize - 1] = '\0';
    if (result == IDOK && g_saveName[0] != '\0') {
        SetField(settings.name, kSettingsNameSize, g_saveName);
        SaveLineSettings(g_saveName);
        SetField(TheHatchOptions().lineSettingsName, kSettingsNameSize, g_saveName);
    }
    FillSavedNames();
    return 0;
}

int OnDelete(int) {
    char name[kListText] = {};
    if (GetCmbStr(IDC_HOPT_SAVED, name) < 0) return 0;
    if (ConfirmDelete(name)) {
        DeleteLineSettings(name);
        FillSavedNames();
        SetFocus(GetDlgWin());
    }
    return 0;
}

int InitLinePattern() {
    FillStyleLists();
    FillSavedNames();
    OnRowsChanged(0);
    return 0;
}

}  // namespace

void EditLinePattern() {
    LineSettings& settings = TheLineSettings();
    LoadLineSettings(TheHatchOptions().lineSettingsName);
    g_savedIndex = -1;
    g_savedText[0] = '\0';
    for (int k = 0; k < kRowCount; ++k) {
        g_styleIndex[k] = -1;
        g_styleText[k][0] = '\0';
    }

    void* dialog = DefDlg("DLGHATCHOPT", 0, 0, InitLinePattern, 0, 0);
    CMBCTL(dialog, IDC_HOPT_SAVED, 0, 0, &g_savedIndex, g_savedText, OnSavedName, nullptr);
    BTNCTL(dialog, IDC_HOPT_NEW, 0, 0, OnNew, nullptr);
    BTNCTL(dialog, IDC_HOPT_DELETE, 0, 0, OnDelete, nullptr);
    EDCTL(dialog, IDC_HOPT_ANGLE, 0, PF_ANGLE, kEditLength, &settings.angle, 0);
    EDCTL(dialog, IDC_HOPT_DISTANCE, 0, PF_DISTANCE, kEditLength, &settings.distance, 0);
    EDCTL(dialog, IDC_HOPT_OFFSET, 0, PF_POINT2, kOffsetLength, settings.offset, 0);
    for (int k = 0; k < kRowCount; ++k) {
        CHKCTL(dialog, kRows[k].on, 0, 0, &settings.rowOn[k], kOnMask, OnRowsChanged);
        EDCTL(dialog, kRows[k].offset, 0, PF_DISTANCE, kEditLength, &settings.rowOffset[k], 0);
        CMBCTL(dialog, kRows[k].style, 0, 0, &g_styleIndex[k], g_styleText[k], OnStyleChosen,
               nullptr);
    }
    CHKCTL(dialog, IDC_HOPT_SCALE_OFFSETS, 0, 0, &settings.scaleOffsets, kOnMask, nullptr);
    const int result = Dialog(dialog, PluginInstance(), 0);
    RelDlg(dialog);
    if (result == IDOK) SaveLineSettings(TheHatchOptions().lineSettingsName);
}
