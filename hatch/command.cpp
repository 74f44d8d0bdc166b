// QLHATCH: the hatch dialog. The user chooses the method and the pattern, may modify the
// pattern, and OK starts the chosen method with its own selection.
#include "core/commands.h"
#include "core/dialog_helpers.h"
#include "core/host_api.h"
#include "core/prompts.h"
#include "core/registration.h"
#include "core/weblink.h"
#include "hatch/command.h"
#include "hatch/engine/pat_reader.h"
#include "hatch/engine/patterns.h"
#include "hatch/option_dialogs.h"
#include "resources/hatch_ids.h"

namespace {

constexpr int kValueLength = 25;
constexpr int kPointLength = 35;
constexpr int kSearchLength = static_cast<int>(kSearchTextSize) - 1;
constexpr uint32_t kOnMask = 1;
constexpr int kKeepOpen = 0;

const int kMethodRadios[] = {IDC_HATCH_SCAN, IDC_HATCH_SMART, IDC_HATCH_REGULAR};
const int kKindRadios[] = {IDC_HATCH_SIMPLE, IDC_HATCH_SCALABLE, IDC_HATCH_PAT};
const int kModifyControls[] = {IDC_HATCH_SCALE,  IDC_HATCH_SCALE_LABEL,  IDC_HATCH_ROTATE,
                               IDC_HATCH_ROTATE_LABEL, IDC_HATCH_OFFSET, IDC_HATCH_OFFSET_LABEL};

bool PreviewsOn() { return (TheHatchOptions().showPreviews & kOnMask) != 0; }

void EnableEditButton() { EnableControl(IDC_HATCH_EDIT, TheHatchOptions().patternKind != kPatternScalable); }

// Only the regular method draws scalable and PAT patterns.
int OnMethod(int) {
    HatchOptions& options = TheHatchOptions();
    if (options.method != kMethodRegular && options.patternKind != kPatternSimple) {
        options.patternKind = kPatternSimple;
        for (int id : kKindRadios) UpdCtl(id);
        FillPatternLists();
    }
    for (int id : kModifyControls) EnableControl(id, options.modify == 1);
    EnableEditButton();
    return 0;
}

int OnKind(int) {
    HatchOptions& options = TheHatchOptions();
    if (options.method != kMethodRegular) {
        options.method = kMethodRegular;
        for (int id : kMethodRadios) UpdCtl(id);
    }
    FillPatternLists();
    EnableEditButton();
    return 0;
}

int OnSelection(int) {
    HatchOptions& options = TheHatchOptions();
    char text[256] = {};
    GetLstStr(PreviewsOn() ? IDC_HATCH_PREVIEW_LIST : IDC_HATCH_PLAIN_LIST, text);
    switch (options.patternKind) {
        case kPatternSimple: CopyNameField(options.lineSettingsName, kSettingsNameSize, text); break;
        case kPatternScalable: CopyNameField(options.scalableName, kScalableNameSize, text); break;
        case kPatternPat: CopyNameField(options.patName, kPatNameSize, text); break;
        default: break;
    }
    return 0;
}

// The two lists hold the same items; the one shown takes over the other's selection.
int OnPreviews(int) {
    PatternListState& lists = ThePatternLists();
    const bool on = PreviewsOn();
    ShowControl(IDC_HATCH_PREVIEW_LIST, on);
    ShowControl(IDC_HATCH_PLAIN_LIST, !on);
    if (on) {
        lists.previewIndex = lists.plainIndex;
        CopyNameField(lists.previewText, sizeof lists.previewText, lists.plainText);
        UpdCtl(IDC_HATCH_PREVIEW_LIST);
        InvalidateRect(ControlWindow(IDC_HATCH_PREVIEW_LIST), nullptr, TRUE);
    } else {
        lists.plainIndex = lists.previewIndex;
        CopyNameField(lists.plainText, sizeof lists.plainText, lists.previewText);
        UpdCtl(IDC_HATCH_PLAIN_LIST);
    }
    return 0;
}

int OnEditPatterns(int) {
    switch (TheHatchOptions().patternKind) {
        case kPatternSimple: EditLinePattern(); break;
        case kPatternScalable:
            ShowMessage("Missing support to show the FSTYLEDLG dialog", "Message", MS_MESSAGE);
            break;
        case kPatternPat:
            EditPatFiles();
            FreePatLibrary();
            break;
        default: break;
    }
    FillPatternLists();
    return kKeepOpen;
}

int OnSearch(int) {
    HatchOptions& options = TheHatchOptions();
    char text[kSearchTextSize] = {};
    CopyNameField(text, sizeof text, options.searchText);
    void* dialog = DefDlg("DLGSEARCH", 0, 0, nullptr, 0, 0);
    EDCTL(dialog, IDC_SEARCH_TEXT, 0, PF_TEXT, kSearchLength, text, 0);
    const int result = Dialog(dialog, PluginInstance(), 0);
    RelDlg(dialog);
    if (result == IDOK) {
        CopyNameField(options.searchText, kSearchTextSize, text);
        FillPatternLists();
    }
    return kKeepOpen;
}

int InitHatchDialog() {
    OnMethod(0);
    FillPatternLists();
    OnPreviews(0);
    return 0;
}

bool RunHatchDialog() {
    HatchOptions& options = TheHatchOptions();
    PatternListState& lists = ThePatternLists();
    lists = PatternListState{};
    CopyNameField(lists.label, sizeof lists.label, PatternListLabel("").c_str());
    void* dialog = DefDlg("DLGHATCHCMD", 0, 0, InitHatchDialog, 0, 0);
    for (int i = 0; i < 3; ++i) RBCTL(dialog, kMethodRadios[i], 0, 0, &options.method, i, OnMethod);
    for (int i = 0; i < 3; ++i) RBCTL(dialog, kKindRadios[i], 0, 0, &options.patternKind, i, OnKind);
    BTNCTL(dialog, IDC_HATCH_EDIT, 0, 0, OnEditPatterns, nullptr);
    BTNCTL(dialog, IDC_HATCH_SEARCH, 0, 0, OnSearch, nullptr);
    CHKCTL(dialog, IDC_HATCH_MODIFY, 0, 0, &options.modify, kOnMask, OnMethod);
    EDCTL(dialog, IDC_HATCH_SCALE, 0, PF_DOUBLE, kValueLength, &options.scaleBy, 0);
    EDCTL(dialog, IDC_HATCH_ROTATE, 0, PF_ANGLE, kValueLength, &options.rotateBy, 0);
    EDCTL(dialog, IDC_HATCH_OFFSET, 0, PF_POINT2, kPointLength, options.offsetBy, 0);
    LSTCTL(dialog, IDC_HATCH_PREVIEW_LIST, 0, 0, &lists.previewIndex, lists.previewText, OnSelection,
           PatternPreviewDraw);
    LSTCTL(dialog, IDC_HATCH_PLAIN_LIST, 0, 0, &lists.plainIndex, lists.plainText, OnSelection, nullptr);
    CHKCTL(dialog, IDC_HATCH_PREVIEWS, 0, 0, &options.showPreviews, kOnMask, OnPreviews);
    BTNCTL(dialog, IDC_HATCH_WEBLINK, 0, 0, WebLinkClick, WebLinkDraw);
    EDCTL(dialog, IDC_HATCH_LIST_LABEL, 0, PF_TEXT, static_cast<int>(sizeof lists.label) - 1, lists.label, 0);
    const int result = Dialog(dialog, PluginInstance(), 0);
    RelDlg(dialog);
    return result == IDOK;
}

}  // namespace

void StartHatchMethod(int32_t method) {
    switch (method) {
        case kMethodScan: QLHATCHSCAN(); break;
        case kMethodSmart: QLHATCHSMART(); break;
        case kMethodRegular: QLHATCHSTANDARD(); break;
        default: CmdEnd(); break;
    }
}

void QLHATCH() {
    LoadHatchOptions();
    const bool ok = RunHatchDialog();
    ClearPatternItems();
    FreePatLibrary();
    if (!ok) {
        CmdEnd();
        return;
    }
    SaveHatchOptions();
    StartHatchMethod(TheHatchOptions().method);
}
