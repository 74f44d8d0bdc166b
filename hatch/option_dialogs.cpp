// The saved line settings names, and the dialog of the registered PAT files.
#include "hatch/option_dialogs.h"

#include <cstring>
#include <string>

#include "core/host_api.h"
#include "core/prompts.h"
#include "core/registration.h"
#include "hatch/engine/pat_reader.h"
#include "hatch/engine/patterns.h"
#include "resources/hatch_options_ids.h"

namespace {

const char kSettingsKey[] = "Software\\Tarnwell\\Quillet\\QLHatch\\Settings\\";
const char kPatFilesKey[] = "Software\\Tarnwell\\Quillet\\QLHatch\\PAT Files\\";
constexpr size_t kListText = 256;  // what the host copies out of a list
constexpr uint32_t kFileNameSize = 4096;
constexpr uint32_t kOpenFileFlags1 = 2048;
constexpr uint32_t kOpenFileFlags2 = 1;
const char kPatFilter[] = "AutoCAD Pattern files (*.PAT)\0*.PAT\0";

int g_fileIndex = -1;
char g_fileText[kListText];

bool KeyExists(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The list shows the registered files; it is left as it is while the key does not exist.
void FillPatFiles() {
    if (!KeyExists(kPatFilesKey)) return;
    ClrLstStr(IDC_ACADPAT_FILES);
    EnumPatFiles([](const char* path) { AddLstStr(IDC_ACADPAT_FILES, path); });
}

int InitPatFiles() {
    FillPatFiles();
    return 0;
}

int OnAddFile(int) {
    char path[kFileNameSize] = {};
    OpenFNRec record{path, path, "PAT", kPatFilter, kFileNameSize, kOpenFileFlags1, kOpenFileFlags2,
                     0};
    const bool chosen = GetOpenFN("Add pattern file", &record) != 0;
    path[kFileNameSize - 1] = '\0';
    SetFocus(GetDlgWin());
    if (chosen) {
        AddPatFile(path);
        FillPatFiles();
    }
    return 0;
}

int OnDeleteFile(int) {
    char path[kListText] = {};
    if (GetLstStr(IDC_ACADPAT_FILES, path) < 0) return 0;
    const bool yes = ConfirmDelete(path);
    SetFocus(GetDlgWin());
    if (yes) {
        RemovePatFile(path);
        FillPatFiles();
    }
    return 0;
}

}  // namespace

void DeleteLineSettings(const char* name) { DeleteSettingValue(kSettingsKey, name); }

bool EnumLineSettings(const std::function<void(const char* name)>& callback) {
    return ForEachSettingName(kSettingsKey, [&](const char* name) {
        // The unnamed value holds the settings used while no name is chosen.
        const size_t size = std::strlen(name);
        if (size != 0 && size < kSettingsNameSize) callback(name);
    });
}

bool ConfirmDelete(const char* name) {
    const std::string text = std::string("Are sure you want to delete:\n\n") + name;
    return ShowMessage(text.c_str(), "", MS_QUESTION) == IDYES;
}

void EditPatFiles() {
    g_fileIndex = -1;
    g_fileText[0] = '\0';
    void* dialog = DefDlg("DLGACADPAT", 0, 0, InitPatFiles, 0, 0);
    LSTCTL(dialog, IDC_ACADPAT_FILES, 0, 0, &g_fileIndex, g_fileText, nullptr, nullptr);
    BTNCTL(dialog, IDC_ACADPAT_ADD, 0, 0, OnAddFile, nullptr);
    BTNCTL(dialog, IDC_ACADPAT_DELETE, 0, 0, OnDeleteFile, nullptr);
    Dialog(dialog, PluginInstance(), 0);
    RelDlg(dialog);
}
