// The host's dialog engine: dialogs defined and bound by the plug-in, run modally from a
// template of its resources and answered by the script (internal to the ui room).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/host_api.h"
#include "host/state/events.h"
#include "host/ui/rc.h"
#include "host/ui/resources.h"

namespace qlhost {

enum class BindKind { Edit, Check, Radio, Button, Combo, List };

// One control binding (EDCTL, CHKCTL, RBCTL, BTNCTL, CMBCTL, LSTCTL).
struct Binding {
    BindKind kind = BindKind::Edit;
    int id = 0;
    int style = 0;       // EDCTL: 2 multi-line
    int format = 0;      // EDCTL: format code
    int maxLength = 0;   // EDCTL: characters
    void* variable = nullptr;
    uint32_t mask = 0;   // CHKCTL
    int value = 0;       // RBCTL
    CtlProc proc = nullptr;      // change or click procedure
    OwnerDrawProc draw = nullptr;
    int* index = nullptr;        // CMBCTL / LSTCTL selection index
    char* text = nullptr;        // CMBCTL / LSTCTL companion text (256 bytes)
};

// What DefDlg returns: the template name, the refresh procedure and the bindings.
struct DialogDef {
    std::string name;  // "#N" for a numeric template name
    DlgProc refresh = nullptr;
    std::vector<Binding> bindings;
    int running = 0;        // open instances
    bool released = false;  // RelDlg came while it ran: freed when it closes
};

struct ListItem {
    std::string text;
    uintptr_t data = 0;
};

// A control of an open dialog.
struct ControlState {
    const rc::Control* tmpl = nullptr;
    HWND hwnd = nullptr;
    std::string text;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    std::vector<ListItem> items;
    int selection = -1;
    int top = 0;  // first item shown
    const Binding* binding = nullptr;
    bool paintPending = false;
};

// A dialog that is running.
struct OpenDialog {
    DialogDef* def = nullptr;
    std::shared_ptr<const ResourceFolder> resources;  // keeps tmpl alive
    const rc::Dialog* tmpl = nullptr;
    HWND hwnd = nullptr;
    HWND previousFocus = nullptr;
    std::vector<ControlState> controls;
    bool closed = false;
    int result = IDCANCEL;
    // Messages delivered by hooks wait here until the dialog's loop looks at them.
    bool closeRequested = false;
    bool enterRequested = false;
};

// Control classes as bindings see them.
enum class Kind { Push, Check, Radio, Group, OwnerButton, Edit, Static, List, Combo, Other };
Kind KindOf(const rc::Control& c);

// DefDlg / bindings / RelDlg / Dialog.
DialogDef* DefineDialog(const char* templateName, DlgProc refresh);
int Bind(void* dlg, const Binding& binding, const char* call);
void ReleaseDialog(void* dlg);
int RunDialog(void* dlg, HINSTANCE instance);
// Faults for bindings the template does not fit; true when all fit.
bool CheckBindings(const DialogDef& def, const rc::Dialog& tmpl);
// Tells a dialog definition from any other pointer.
DialogDef* CheckDialog(void* dlg, const char* call);

// The innermost running dialog, or null.
OpenDialog* InnermostDialog();
// The running dialogs, outermost first.
std::vector<OpenDialog*>& DialogStack();
// The control of the innermost dialog with that id; a fault naming call when there is no
// open dialog or no such control.
ControlState* ControlOf(int id, const char* call);
ControlState* FindControl(OpenDialog& d, int id);

// Variables to control (UpdCtl) and control to variables, where the binding says how.
void LoadControl(OpenDialog& d, ControlState& c);
// After a variable changed through one control, the other controls bound to it follow.
void ReloadSharing(OpenDialog& d, const ControlState& changed);
// Owner-drawn controls: painted before the dialog next waits for the script.
void RequestPaint(ControlState& c);
void PaintPending(OpenDialog& d);

// Window handles of dialogs and their controls.
HWND NewWindowHandle();
struct WindowRef {
    OpenDialog* dialog = nullptr;
    ControlState* control = nullptr;  // null: the dialog window itself
};
WindowRef FindWindowRef(HWND hwnd);
void RegisterDialogWindows(OpenDialog& d);
void UnregisterDialogWindows(OpenDialog& d);

// Script actions for the innermost dialog.
void HandleDialogAction(OpenDialog& d, const UiAction& action);
// Clicks a control as the user would (buttons, check boxes, radio buttons).
void ClickControl(OpenDialog& d, ControlState& c);
void CloseDialog(OpenDialog& d, int result);
// The dialog's name in transcript lines and faults.
std::string DialogName(const OpenDialog& d);

// List and combo box items (texts up to 255 characters; sorted lists keep their order).
int AddItem(ControlState& c, const char* text);
int FindItem(const ControlState& c, const std::string& text);
// Writes an edit's text into its variable; false (variable untouched) when the text is not
// a value of the binding's format.
bool StoreEdit(OpenDialog& d, ControlState& c, const std::string& text);
// Selects an item as the user would: index and text variables, then the change procedure.
void ChooseItem(OpenDialog& d, ControlState& c, int index);

// The calls of the plug-in interface on the innermost dialog.
void UpdateControl(int id);
void UpdateAllControls();
void EnableControlById(int id, bool on);
void ShowControlById(int id, bool on);
void FocusControlById(int id);
HWND DialogWindow();
int ListAdd(int id, const char* text, bool combo);
int ListFind(int id, const char* text, bool combo);
int ListGet(int id, char* text, bool combo);
void ListClear(int id, bool combo);
uintptr_t ListData(int id, int index);
void SetListItemData(int id, int index, uintptr_t value);
HWND ControlWindowOf(HWND dialog, int id);
BOOL ShowControlWindow(HWND hwnd, int command);
BOOL InvalidateControl(HWND hwnd);

}  // namespace qlhost
