// DefDlg, the control bindings and RelDlg; the check of bindings against the template.
#include <cstdio>
#include <set>

#include "host/ui/dialog.h"
#include "host/ui/env.h"
#include "host/ui/format.h"

namespace qlhost {
namespace {

std::set<DialogDef*>& Definitions() {
    static std::set<DialogDef*> defs;
    return defs;
}

const char* CallOf(BindKind kind) {
    switch (kind) {
        case BindKind::Edit: return "EDCTL";
        case BindKind::Check: return "CHKCTL";
        case BindKind::Radio: return "RBCTL";
        case BindKind::Button: return "BTNCTL";
        case BindKind::Combo: return "CMBCTL";
        default: return "LSTCTL";
    }
}

const char* KindName(Kind k) {
    switch (k) {
        case Kind::Push: return "a push button";
        case Kind::Check: return "a check box";
        case Kind::Radio: return "a radio button";
        case Kind::Group: return "a group box";
        case Kind::OwnerButton: return "an owner-drawn button";
        case Kind::Edit: return "an edit";
        case Kind::Static: return "a static text";
        case Kind::List: return "a list box";
        case Kind::Combo: return "a combo box";
        default: return "a control of another class";
    }
}

bool Fits(BindKind bind, Kind kind) {
    switch (bind) {
        // A static text bound as an edit shows a variable's text (labels that change).
        case BindKind::Edit: return kind == Kind::Edit || kind == Kind::Static;
        case BindKind::Check: return kind == Kind::Check;
        case BindKind::Radio: return kind == Kind::Radio;
        case BindKind::Button: return kind == Kind::Push || kind == Kind::OwnerButton;
        case BindKind::Combo: return kind == Kind::Combo;
        default: return kind == Kind::List;
    }
}

}  // namespace

Kind KindOf(const rc::Control& c) {
    switch (c.cls) {
        case rc::ControlClass::Button:
            switch (c.style & 0xF) {
                case 0x0: case 0x1: case 0x8: case 0xA: return Kind::Push;
                case 0x2: case 0x3: case 0x5: case 0x6: return Kind::Check;
                case 0x4: case 0x9: return Kind::Radio;
                case 0x7: return Kind::Group;
                case 0xB: return Kind::OwnerButton;
                default: return Kind::Other;
            }
        case rc::ControlClass::Edit: return Kind::Edit;
        case rc::ControlClass::Static: return Kind::Static;
        case rc::ControlClass::ListBox: return Kind::List;
        case rc::ControlClass::ComboBox: return Kind::Combo;
        default: return Kind::Other;
    }
}

DialogDef* DefineDialog(const char* templateName, DlgProc refresh) {
    auto number = reinterpret_cast<uintptr_t>(templateName);
    if (templateName == nullptr) {
        ScriptFault("DefDlg without a template name");
        return nullptr;
    }
    auto* def = new DialogDef;
    if (number < 0x10000) {
        char numeric[16];
        std::snprintf(numeric, sizeof numeric, "#%u", static_cast<unsigned>(number));
        def->name = numeric;
    } else {
        def->name = templateName;
    }
    def->refresh = refresh;
    Definitions().insert(def);
    return def;
}

DialogDef* CheckDialog(void* dlg, const char* call) {
    auto* def = static_cast<DialogDef*>(dlg);
    if (Definitions().count(def) == 0) {
        ScriptFault(std::string(call) + " with a handle that DefDlg did not return (or that was released)");
        return nullptr;
    }
    return def;
}

int Bind(void* dlg, const Binding& binding, const char* call) {
    DialogDef* def = CheckDialog(dlg, call);
    if (def == nullptr) return 0;
    def->bindings.push_back(binding);
    return 1;
}

void ReleaseDialog(void* dlg) {
    DialogDef* def = CheckDialog(dlg, "RelDlg");
    if (def == nullptr) return;
    if (def->running > 0) {
        def->released = true;
        return;
    }
    Definitions().erase(def);
    delete def;
}

// Every binding names a control of the template of a kind that fits it; text edits say how
// many characters their variable takes.
bool CheckBindings(const DialogDef& def, const rc::Dialog& tmpl) {
    bool ok = true;
    std::string where = "dialog " + def.name + " (" + tmpl.file + ":" + std::to_string(tmpl.line) + "): ";
    for (const Binding& b : def.bindings) {
        std::string call = CallOf(b.kind);
        const rc::Control* c = tmpl.Find(b.id);
        std::string problem;
        if (c == nullptr) {
            problem = call + " binds control " + std::to_string(b.id) + ", which the template does not have";
        } else if (!Fits(b.kind, KindOf(*c))) {
            problem = call + " binds control " + std::to_string(b.id) + ", which is " + KindName(KindOf(*c));
        } else if ((b.kind == BindKind::Edit || b.kind == BindKind::Check || b.kind == BindKind::Radio) &&
                   b.variable == nullptr) {
            problem = call + " binds control " + std::to_string(b.id) + " without a variable";
        } else if (b.kind == BindKind::Edit && b.format == 0 && b.maxLength <= 0) {
            problem = "EDCTL binds control " + std::to_string(b.id) + " to a text without a maximum length";
        } else if (b.kind == BindKind::Edit && !IsFormatCode(b.format)) {
            problem = "EDCTL binds control " + std::to_string(b.id) + " with the unknown format code " +
                      std::to_string(b.format);
        }
        if (!problem.empty()) {
            ScriptFault(where + problem);
            ok = false;
        }
    }
    return ok;
}

}  // namespace qlhost
