// The text dialog (a new text, or an existing one with "New position" and "Insert copy")
// and the help dialog of the placement.
#include <cstring>

#include "core/dialog_helpers.h"
#include "core/hooks.h"
#include "core/prompts.h"
#include "core/records.h"
#include "core/registration.h"
#include "resources/text_ids.h"
#include "text/entity_text.h"
#include "text/place.h"
#include "text/placement_state.h"

namespace {

constexpr char kNoMemoryNew[] = "Not enough memory, please restart Corvane/Plainvane.";
constexpr char kNoMemoryEdit[] = "Not enough memory, please restart Corvane.";
constexpr int kEditMultiLine = 2;
constexpr int kNumberLength = 15;
constexpr int kClose = 2;  // a click procedure's result that closes the dialog

bool WorkStringHasLineBreak() { return std::memchr(WorkString(), '\r', WorkStringLength()) != nullptr; }

// Shows the single-line or the multi-line edit: the multi-line one for a text with a line
// break (which also sets the multiline flag) or when the flag is set.
int EditSwitch(int) {
    TextPlacementState& state = Placement();
    if (WorkStringHasLineBreak()) {
        HideCtl(IDC_TEXT_LINE);
        ShowCtl(IDC_TEXT_LINES);
        UpdCtl(IDC_TEXT_LINES);
        FocusCtl(IDC_TEXT_LINES);
        state.multiline = 1;
        UpdCtl(IDC_TEXT_MULTILINE);
        return 0;
    }
    int shown = (state.multiline & 1) ? IDC_TEXT_LINES : IDC_TEXT_LINE;
    int hidden = shown == IDC_TEXT_LINES ? IDC_TEXT_LINE : IDC_TEXT_LINES;
    ShowCtl(shown);
    UpdCtl(shown);
    FocusCtl(shown);
    HideCtl(hidden);
    return 0;
}

int RefreshNewText() {
    HideCtl(IDC_TEXT_NEW_POSITION);
    HideCtl(IDC_TEXT_INSERT_COPY);
    return EditSwitch(0);
}

int RefreshEditedText() { return EditSwitch(0); }

int PropertiesOfCurrent(int) {
    TSpecDialog(nullptr, 0);
    return 0;
}

int PropertiesOfText(int) {
    TSpecDialog(TextWorkRecord() + kTextStyleBlock, 2);
    return 0;
}

int CloseWithButton(int) { return kClose; }

int RunTextDialog(bool edit) {
    void* dialog = DefDlg("DLGTEX", 0, 0, edit ? RefreshEditedText : RefreshNewText, 0, 0);
    // Both edits hold the same string with its lines separated by carriage returns.
    EDCTL(dialog, IDC_TEXT_LINE, kEditMultiLine, PF_TEXT, static_cast<int>(kWorkStringCapacity), WorkString(), 0);
    EDCTL(dialog, IDC_TEXT_LINES, kEditMultiLine, PF_TEXT, static_cast<int>(kWorkStringCapacity), WorkString(), 0);
    CHKCTL(dialog, IDC_TEXT_MULTILINE, 0, 0, &Placement().multiline, 1, EditSwitch);
    BTNCTL(dialog, IDC_TEXT_PROPERTIES, 0, 0, edit ? PropertiesOfText : PropertiesOfCurrent, nullptr);
    if (edit) {
        BTNCTL(dialog, IDC_TEXT_NEW_POSITION, 0, 0, CloseWithButton, nullptr);
        BTNCTL(dialog, IDC_TEXT_INSERT_COPY, 0, 0, CloseWithButton, nullptr);
    }
    int result = RunDialogClosedByRightButton(dialog);
    return ClosedByRightButton ? IDOK : result;
}

// ---------------------------------------------------------------------------------------
// Help dialog: its variables stand for the work record's fields while it runs.

struct HelpVariables {
    int32_t horizontal = 0;
    int32_t vertical = 0;
    int32_t far = 0;
    uint32_t flags = 0;
    float height = 0;
    double angle = 0;
};
HelpVariables g_help;

void LoadHelp(const EntRec* record) {
    bool far = false;
    int code = PlainJustify(GetU8(record, kTextJustify), &far);
    g_help.horizontal = code % 3;
    g_help.vertical = code / 3;
    g_help.far = far ? 1 : 0;
    g_help.flags = GetU8(record, kTextFlags);
    g_help.height = GetF32(record, kTextHeight);
    g_help.angle = GetF32(record, kTextAngle);
}

// A justification, style flag, height or angle changed here by hand sets the style number to 0.
void StoreHelp(EntRec* record) {
    const uint8_t justify = static_cast<uint8_t>(BuildJustify(g_help.vertical, g_help.horizontal, g_help.far != 0));
    const uint8_t flags = static_cast<uint8_t>(g_help.flags);
    const float angle = static_cast<float>(g_help.angle);
    if (justify != GetU8(record, kTextJustify) || flags != GetU8(record, kTextFlags) ||
        g_help.height != GetF32(record, kTextHeight) || angle != GetF32(record, kTextAngle))
        ClearStyleNumber(record);
    PutU8(record, kTextJustify, justify);
    PutU8(record, kTextFlags, flags);
    PutF32(record, kTextHeight, g_help.height);
    PutF32(record, kTextAngle, angle);
}

void ToggleHelpFlag(uint32_t mask, int checkBox) {
    g_help.flags ^= mask;
    UpdCtl(checkBox);
}

int HelpKey(int id) {
    switch (id) {
        case IDC_TEXHELP_KEY_L: g_help.horizontal = 0; break;
        case IDC_TEXHELP_KEY_C: g_help.horizontal = 1; break;
        case IDC_TEXHELP_KEY_R: g_help.horizontal = 2; break;
        case IDC_TEXHELP_KEY_B: g_help.vertical = 0; break;
        case IDC_TEXHELP_KEY_M: g_help.vertical = 1; break;
        case IDC_TEXHELP_KEY_T: g_help.vertical = 2; break;
        case IDC_TEXHELP_KEY_F: g_help.far = 1; break;
        case IDC_TEXHELP_KEY_N: g_help.far = 0; break;
        case IDC_TEXHELP_KEY_S: ToggleHelpFlag(kTextBold, IDC_TEXHELP_STRONG); return 0;
        case IDC_TEXHELP_KEY_U: ToggleHelpFlag(kTextUnderline, IDC_TEXHELP_UNDERLINE); return 0;
        case IDC_TEXHELP_KEY_I: ToggleHelpFlag(kTextItalic, IDC_TEXHELP_ITALIC); return 0;
        case IDC_TEXHELP_KEY_O: ToggleHelpFlag(kTextOutline, IDC_TEXHELP_OUTLINE); return 0;
        default: return 0;
    }
    UpdCtlA();
    return 0;
}

int HelpKeep(int) {
    EntRec* record = TextWorkRecord();
    StoreHelp(record);
    MakeSettingsCurrent(record + kTextStyleBlock, false);
    return 0;
}

int HelpDefault(int) {
    EntRec* record = TextWorkRecord();
    StoreHelp(record);
    if (LoadCurrentSettings(record)) LoadHelp(record);
    UpdCtlA();
    return 0;
}

int HelpDisable(int) {
    Placement().shortcutsDisabled = true;
    return 0;
}

void BindHelpRadios(void* dialog, int first, int32_t* variable, const int* values, int count) {
    for (int i = 0; i < count; ++i) RBCTL(dialog, first + i, 0, 0, variable, values[i], nullptr);
}

}  // namespace

void RunNewTextDialog() {
    if (EnsureTextWorkRecord() == nullptr) {
        ShowMessage(kNoMemoryNew, "Error", MS_ERROR);
        CmdEnd();
        return;
    }
    int result = RunTextDialog(false);
    if (result == IDOK && WorkString()[0] != 0)
        StartTextPlacement(0);
    else
        CmdEnd();
}

int TextEditDialog(EntRec* entity) {
    EntRec* record = EnsureTextWorkRecord();
    if (record == nullptr) {
        ShowMessage(kNoMemoryEdit, "Error", MS_ERROR);
        return kEditNoMemory;
    }
    if (entity == nullptr || RecordType(entity) != ET_TEXT) return kEditNotText;
    // A string the work record cannot hold goes to the host's own editor.
    std::optional<std::string_view> text = EntityString(entity);
    if (!text || text->size() >= kWorkStringCapacity) return kEditNotText;
    std::memcpy(record + kTextData, entity + kTextData, kTextDataSize);
    SetWorkString(text->data(), text->size());
    if (WorkStringHasLineBreak()) Placement().multiline = 1;
    return RunTextDialog(true);
}

void RunHelpDialog() {
    EntRec* record = TextWorkRecord();
    LoadHelp(record);
    static const int kThree[] = {0, 1, 2};
    static const int kFarNormal[] = {1, 0};
    void* dialog = DefDlg("DLGTEXHELP", 0, 0, nullptr, 0, 0);
    BindHelpRadios(dialog, IDC_TEXHELP_LEFT, &g_help.horizontal, kThree, 3);
    BindHelpRadios(dialog, IDC_TEXHELP_BOTTOM, &g_help.vertical, kThree, 3);
    BindHelpRadios(dialog, IDC_TEXHELP_FAR, &g_help.far, kFarNormal, 2);
    BindHelpRadios(dialog, IDC_TEXHELP_NONE, &Placement().surrounding, kThree, 3);
    CHKCTL(dialog, IDC_TEXHELP_STRONG, 0, 0, &g_help.flags, kTextBold, nullptr);
    CHKCTL(dialog, IDC_TEXHELP_UNDERLINE, 0, 0, &g_help.flags, kTextUnderline, nullptr);
    CHKCTL(dialog, IDC_TEXHELP_ITALIC, 0, 0, &g_help.flags, kTextItalic, nullptr);
    CHKCTL(dialog, IDC_TEXHELP_OUTLINE, 0, 0, &g_help.flags, kTextOutline, nullptr);
    EDCTL(dialog, IDC_TEXHELP_HEIGHT, 0, PF_FLOAT, kNumberLength, &g_help.height, 0);
    EDCTL(dialog, IDC_TEXHELP_ANGLE, 0, PF_ANGLE17, kNumberLength, &g_help.angle, 0);
    for (int id = IDC_TEXHELP_KEY_L; id <= IDC_TEXHELP_KEY_O; ++id) BTNCTL(dialog, id, 0, 0, HelpKey, nullptr);
    BTNCTL(dialog, IDC_TEXHELP_KEEP, 0, 0, HelpKeep, nullptr);
    BTNCTL(dialog, IDC_TEXHELP_DEFAULT, 0, 0, HelpDefault, nullptr);
    BTNCTL(dialog, IDC_TEXHELP_DISABLE, 0, 0, HelpDisable, nullptr);
    Dialog(dialog, PluginInstance(), 0);
    RelDlg(dialog);
    // Whichever button closed it, the choices become the text's.
    StoreHelp(record);
}
