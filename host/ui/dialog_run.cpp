// Dialog: opening a dialog from its template, the modal loop over script actions, closing.
#include <algorithm>

#include "host/platform/hooks.h"
#include "host/state/parts.h"
#include "host/ui/dialog.h"
#include "host/ui/env.h"

namespace qlhost {
namespace {

constexpr uint32_t kVisible = 0x10000000;   // WS_VISIBLE
constexpr uint32_t kDisabled = 0x08000000;  // WS_DISABLED
constexpr uint32_t kTabStop = 0x00010000;   // WS_TABSTOP

std::string ResultName(int result) {
    switch (result) {
        case IDOK: return "OK";
        case IDCANCEL: return "Cancel";
        default: return std::to_string(result);
    }
}

std::unique_ptr<OpenDialog> Open(DialogDef* def, std::shared_ptr<const ResourceFolder> resources,
                                 const rc::Dialog* tmpl) {
    auto d = std::make_unique<OpenDialog>();
    d->def = def;
    d->resources = std::move(resources);
    d->tmpl = tmpl;
    d->controls.resize(tmpl->controls.size());
    for (size_t i = 0; i < tmpl->controls.size(); ++i) {
        ControlState& c = d->controls[i];
        c.tmpl = &tmpl->controls[i];
        c.text = c.tmpl->text;
        c.enabled = (c.tmpl->style & kDisabled) == 0;
        c.visible = (c.tmpl->style & kVisible) != 0;
    }
    // The last binding of an id is the one that counts.
    for (const Binding& b : def->bindings)
        if (ControlState* c = FindControl(*d, b.id)) c->binding = &b;
    return d;
}

// The first control the tab key would reach, as Windows focuses it when a dialog opens.
void FocusFirst(OpenDialog& d) {
    for (ControlState& c : d.controls) {
        if (c.visible && c.enabled && (c.tmpl->style & kTabStop)) {
            SetFocusWindow(c.hwnd);
            return;
        }
    }
    SetFocusWindow(d.hwnd);
}

// Messages the hooks delivered while the script ran its own actions.
void TakeMessages(OpenDialog& d) {
    if (d.closeRequested) {
        d.closeRequested = false;
        CloseDialog(d, IDCANCEL);
    }
    if (d.enterRequested && !d.closed) {
        d.enterRequested = false;
        HandleDialogAction(d, UiAction{"enter", {}, "", 0});
    }
}

}  // namespace

namespace {
// This room's part of the host's state (host/state/parts.h).
struct DialogStackState {
    std::vector<OpenDialog*> stack;
};
}  // namespace

std::vector<OpenDialog*>& DialogStack() { return Part<DialogStackState>().stack; }

OpenDialog* InnermostDialog() { return DialogStack().empty() ? nullptr : DialogStack().back(); }

std::string DialogName(const OpenDialog& d) { return d.def->name; }

void CloseDialog(OpenDialog& d, int result) {
    if (d.closed) return;
    d.closed = true;
    d.result = result;
}

int RunDialog(void* dlg, HINSTANCE instance) {
    DialogDef* def = CheckDialog(dlg, "Dialog");
    if (def == nullptr) return IDCANCEL;
    std::string error;
    auto resources = ResourcesOf(instance, error);
    if (!resources) {
        ScriptFault("dialog " + def->name + ": " + error);
        return IDCANCEL;
    }
    const rc::Dialog* tmpl = resources->doc.Find(def->name);
    if (tmpl == nullptr) {
        ScriptFault("dialog " + def->name + ": no such template in " + resources->path);
        return IDCANCEL;
    }
    if (!CheckBindings(*def, *tmpl)) return IDCANCEL;

    std::unique_ptr<OpenDialog> d = Open(def, resources, tmpl);
    ++def->running;
    d->previousFocus = FocusWindow();
    RegisterDialogWindows(*d);
    DialogStack().push_back(d.get());
    Transcript("dialog " + def->name + " " + Quoted(tmpl->caption) + " opened");
    for (ControlState& c : d->controls) {
        LoadControl(*d, c);
        RequestPaint(c);
    }
    FocusFirst(*d);
    if (def->refresh) def->refresh();

    bool scriptEnded = false;
    while (!d->closed) {
        PaintPending(*d);
        UiAction action;
        if (!NextUiAction(action, "dialog " + def->name)) {
            scriptEnded = true;
            CloseDialog(*d, IDCANCEL);
            break;
        }
        if (!action.verb.empty()) HandleDialogAction(*d, action);
        TakeMessages(*d);
    }
    Transcript("dialog " + def->name + " closed with " + ResultName(d->result) +
                 (scriptEnded ? " (end of script)" : ""));

    auto& stack = DialogStack();
    stack.erase(std::remove(stack.begin(), stack.end(), d.get()), stack.end());
    UnregisterDialogWindows(*d);
    SetFocusWindow(d->previousFocus);
    int result = d->result;
    --def->running;
    if (def->released && def->running == 0) ReleaseDialog(def);
    return result;
}

}  // namespace qlhost
