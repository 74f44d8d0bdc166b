// Controls of open dialogs: values in and out of variables, list items, window handles and
// the control calls of the plug-in interface.
#include <algorithm>
#include <cstring>
#include <map>

#include "host/platform/hooks.h"
#include "host/state/parts.h"
#include "host/ui/dialog.h"
#include "host/ui/env.h"
#include "host/ui/ui.h"

namespace qlhost {
namespace {

constexpr size_t kMaxItemText = 255;
constexpr size_t kCompanionTextSize = 256;
constexpr uint32_t kListSort = 0x2;     // LBS_SORT
constexpr uint32_t kComboSort = 0x100;  // CBS_SORT
constexpr uintptr_t kFirstWindow = 0x00D10000;
constexpr int kMultiLine = 2;  // EDCTL style

// This room's part of the host's state (host/state/parts.h).
struct WindowsPart {
    std::map<HWND, WindowRef> windows;
    uintptr_t next = kFirstWindow;  // the next window handle
};
std::map<HWND, WindowRef>& Windows() { return Part<WindowsPart>().windows; }

int CompareNoCase(const std::string& a, const std::string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int ca = std::tolower(static_cast<unsigned char>(a[i])), cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

bool Sorted(const ControlState& c) {
    Kind k = KindOf(*c.tmpl);
    return (k == Kind::List && (c.tmpl->style & kListSort)) || (k == Kind::Combo && (c.tmpl->style & kComboSort));
}

std::string OneLineBreak(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i] == '\n' ? '\r' : text[i];
    }
    return out;
}

void CopyText(char* out, const std::string& text, size_t size) {
    size_t n = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

// The list or combo box of the innermost dialog for a list call.
ControlState* ListOf(int id, bool combo, const char* call) {
    ControlState* c = ControlOf(id, call);
    if (c == nullptr) return nullptr;
    Kind want = combo ? Kind::Combo : Kind::List;
    if (KindOf(*c->tmpl) != want) {
        ScriptFault(std::string(call) + ": control " + std::to_string(id) + " of dialog " + DialogName(*InnermostDialog()) +
                " is not a " + (combo ? "combo box" : "list box"));
        return nullptr;
    }
    return c;
}

}  // namespace

ControlState* FindControl(OpenDialog& d, int id) {
    for (ControlState& c : d.controls)
        if (c.tmpl->id == id) return &c;
    return nullptr;
}

ControlState* ControlOf(int id, const char* call) {
    OpenDialog* d = InnermostDialog();
    if (d == nullptr) {
        ScriptFault(std::string(call) + " while no dialog is open");
        return nullptr;
    }
    ControlState* c = FindControl(*d, id);
    if (c == nullptr) ScriptFault(std::string(call) + ": dialog " + DialogName(*d) + " has no control " + std::to_string(id));
    return c;
}

void LoadControl(OpenDialog& d, ControlState& c) {
    const Binding* b = c.binding;
    if (b == nullptr) return;
    switch (b->kind) {
        case BindKind::Edit:
            if (b->format == 0) {
                const char* s = static_cast<const char*>(b->variable);
                c.text.assign(s, strnlen(s, static_cast<size_t>(b->maxLength)));
            } else {
                c.text = FormatValue(b->variable, b->format, 255);
            }
            break;
        case BindKind::Check: {
            uint32_t v;
            std::memcpy(&v, b->variable, sizeof v);
            c.checked = (v & b->mask) != 0;
            break;
        }
        case BindKind::Radio: {
            int32_t v;
            std::memcpy(&v, b->variable, sizeof v);
            c.checked = v == b->value;
            break;
        }
        case BindKind::Combo:
        case BindKind::List: {
            int index = b->index ? *b->index : -1;
            if (index < 0 || index >= static_cast<int>(c.items.size())) {
                index = b->text && b->text[0] ? FindItem(c, std::string(b->text, strnlen(b->text, kCompanionTextSize - 1))) : -1;
                if (b->index && index >= 0) *b->index = index;
            }
            c.selection = index;
            RequestPaint(c);
            break;
        }
        case BindKind::Button:
            break;
    }
}

void ReloadSharing(OpenDialog& d, const ControlState& changed) {
    const Binding* b = changed.binding;
    if (b == nullptr) return;
    for (ControlState& c : d.controls) {
        if (&c == &changed || c.binding == nullptr) continue;
        bool shares = (b->variable && c.binding->variable == b->variable) || (b->index && c.binding->index == b->index);
        if (shares) LoadControl(d, c);
    }
}

bool StoreEdit(OpenDialog& d, ControlState& c, const std::string& text) {
    const Binding* b = c.binding;
    std::string value = text;
    // Multi-line texts separate their lines with a carriage return alone.
    if (b && b->style == kMultiLine) value = OneLineBreak(value);
    if (b == nullptr) {
        c.text = value;
        return true;
    }
    if (b->maxLength > 0 && value.size() > static_cast<size_t>(b->maxLength)) value.resize(static_cast<size_t>(b->maxLength));
    if (b->format == 0) {
        CopyText(static_cast<char*>(b->variable), value, value.size() + 1);
    } else if (!ParseValue(value, b->format, b->variable)) {
        return false;
    }
    c.text = value;
    ReloadSharing(d, c);
    return true;
}

int AddItem(ControlState& c, const char* text) {
    std::string s = text ? std::string(text, strnlen(text, kMaxItemText)) : std::string();
    int at = static_cast<int>(c.items.size());
    if (Sorted(c)) {
        auto it = std::upper_bound(c.items.begin(), c.items.end(), s,
                                   [](const std::string& v, const ListItem& item) { return CompareNoCase(v, item.text) < 0; });
        at = static_cast<int>(it - c.items.begin());
    }
    c.items.insert(c.items.begin() + at, ListItem{s, 0});
    if (c.selection >= at) ++c.selection;
    RequestPaint(c);
    return at;
}

int FindItem(const ControlState& c, const std::string& text) {
    for (size_t i = 0; i < c.items.size(); ++i)
        if (CompareNoCase(c.items[i].text, text) == 0) return static_cast<int>(i);
    return -1;
}

void ChooseItem(OpenDialog& d, ControlState& c, int index) {
    c.selection = index;
    RequestPaint(c);
    const Binding* b = c.binding;
    if (b == nullptr) return;
    if (b->index) *b->index = index;
    if (b->text) CopyText(b->text, index >= 0 ? c.items[static_cast<size_t>(index)].text : "", kCompanionTextSize);
    ReloadSharing(d, c);
    if (b->proc) b->proc(c.tmpl->id);
}

void UpdateControl(int id) {
    if (ControlState* c = ControlOf(id, "UpdCtl")) LoadControl(*InnermostDialog(), *c);
}

void UpdateAllControls() {
    OpenDialog* d = InnermostDialog();
    if (d == nullptr) {
        ScriptFault("UpdCtlA while no dialog is open");
        return;
    }
    for (ControlState& c : d->controls) LoadControl(*d, c);
}

void EnableControlById(int id, bool on) {
    if (ControlState* c = ControlOf(id, on ? "EnAbCtl" : "DsAbCtl")) c->enabled = on;
}

void ShowControlById(int id, bool on) {
    ControlState* c = ControlOf(id, on ? "ShowCtl" : "HideCtl");
    if (c == nullptr) return;
    if (on && !c->visible) RequestPaint(*c);
    c->visible = on;
}

void FocusControlById(int id) {
    if (ControlState* c = ControlOf(id, "FocusCtl")) SetFocusWindow(c->hwnd);
}

HWND DialogWindow() {
    OpenDialog* d = InnermostDialog();
    return d ? d->hwnd : nullptr;
}

int ListAdd(int id, const char* text, bool combo) {
    ControlState* c = ListOf(id, combo, combo ? "AddCmbStr" : "AddLstStr");
    return c ? AddItem(*c, text) : -1;
}

int ListFind(int id, const char* text, bool combo) {
    ControlState* c = ListOf(id, combo, combo ? "FndCmbStr" : "FndLstStr");
    return c && text ? FindItem(*c, std::string(text, strnlen(text, kMaxItemText))) : -1;
}

int ListGet(int id, char* text, bool combo) {
    ControlState* c = ListOf(id, combo, combo ? "GetCmbStr" : "GetLstStr");
    int sel = c ? c->selection : -1;
    if (text) CopyText(text, sel >= 0 ? c->items[static_cast<size_t>(sel)].text : "", kCompanionTextSize);
    return sel;
}

void ListClear(int id, bool combo) {
    ControlState* c = ListOf(id, combo, combo ? "ClrCmbStr" : "ClrLstStr");
    if (c == nullptr) return;
    c->items.clear();
    c->selection = -1;
    c->top = 0;
    RequestPaint(*c);
}

uintptr_t ListData(int id, int index) {
    ControlState* c = ControlOf(id, "GetLstData");
    if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return 0;
    return c->items[static_cast<size_t>(index)].data;
}

void SetListItemData(int id, int index, uintptr_t value) {
    ControlState* c = ControlOf(id, "SetLstData");
    if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return;
    c->items[static_cast<size_t>(index)].data = value;
    RequestPaint(*c);
}

HWND NewWindowHandle() {
    return reinterpret_cast<HWND>(Part<WindowsPart>().next++);
}

WindowRef FindWindowRef(HWND hwnd) {
    auto it = Windows().find(hwnd);
    return it == Windows().end() ? WindowRef{} : it->second;
}

void RegisterDialogWindows(OpenDialog& d) {
    d.hwnd = NewWindowHandle();
    Windows()[d.hwnd] = WindowRef{&d, nullptr};
    RegisterWindow(d.hwnd, MainWindow());
    for (ControlState& c : d.controls) {
        c.hwnd = NewWindowHandle();
        Windows()[c.hwnd] = WindowRef{&d, &c};
        RegisterWindow(c.hwnd, d.hwnd);
    }
}

void UnregisterDialogWindows(OpenDialog& d) {
    for (ControlState& c : d.controls) {
        Windows().erase(c.hwnd);
        UnregisterWindow(c.hwnd);
    }
    Windows().erase(d.hwnd);
    UnregisterWindow(d.hwnd);
}

HWND ControlWindowOf(HWND dialog, int id) {
    WindowRef ref = FindWindowRef(dialog);
    if (ref.dialog == nullptr || ref.control != nullptr) return nullptr;
    ControlState* c = FindControl(*ref.dialog, id);
    return c ? c->hwnd : nullptr;
}

BOOL ShowControlWindow(HWND hwnd, int command) {
    WindowRef ref = FindWindowRef(hwnd);
    if (ref.control == nullptr) return ref.dialog ? TRUE : FALSE;
    BOOL was = ref.control->visible ? TRUE : FALSE;
    bool show = command != SW_HIDE;
    if (show && !ref.control->visible) RequestPaint(*ref.control);
    ref.control->visible = show;
    return was;
}

BOOL InvalidateControl(HWND hwnd) {
    WindowRef ref = FindWindowRef(hwnd);
    if (ref.control) RequestPaint(*ref.control);
    return hwnd ? TRUE : FALSE;
}

bool UiHandleMessage(HWND target, UINT msg, WPARAM w, LPARAM) {
    WindowRef ref = FindWindowRef(target);
    if (ref.dialog == nullptr) return false;
    bool key = msg == WM_KEYDOWN || msg == WM_CHAR;
    if (msg == WM_CLOSE || (key && w == VK_ESCAPE)) ref.dialog->closeRequested = true;
    else if (key && w == VK_RETURN) ref.dialog->enterRequested = true;
    return true;
}

}  // namespace qlhost
