// Script actions for a running dialog: `dialog set|check|choose|click|expect...`, `esc`
// and `enter`.
#include <charconv>
#include <cstring>

#include "host/ui/dialog.h"
#include "host/ui/env.h"

namespace qlhost {
namespace {

constexpr uint32_t kReadOnly = 0x800;  // ES_READONLY

std::string Shown(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i] == '\r' ? '\n' : text[i];
    }
    return out;
}

// The text a control shows: an edit's text, a list's chosen item, a caption.
std::string TextOf(const ControlState& c) {
    Kind k = KindOf(*c.tmpl);
    if (k == Kind::List || k == Kind::Combo)
        return c.selection >= 0 ? c.items[static_cast<size_t>(c.selection)].text : std::string();
    return c.text;
}

std::string Listed(const std::vector<std::string>& items) {
    std::string list;
    for (const std::string& s : items) list += (list.empty() ? "\"" : ", \"") + s + "\"";
    return list.empty() ? "nothing" : list;
}

bool OnOff(const std::string& word, bool& on) {
    on = word == "on";
    return word == "on" || word == "off";
}

class ActionRunner {
public:
    ActionRunner(OpenDialog& d, const UiAction& a) : d_(d), a_(a) {}

    void Run() {
        if (a_.verb == "esc") {
            CloseDialog(d_, IDCANCEL);
            return;
        }
        if (a_.verb == "enter") {
            Enter();
            return;
        }
        if (a_.verb != "dialog") {
            Fault("`" + a_.verb + "` while dialog " + DialogName(d_) + " is open");
            return;
        }
        if (a_.args.size() < 2) {
            Fault("`dialog` needs a sub-command and a control id");
            return;
        }
        const std::string& what = a_.args[0];
        ControlState* c = Control(a_.args[1]);
        if (c == nullptr) return;
        if (what == "set") Set(*c);
        else if (what == "check") Check(*c);
        else if (what == "choose") Choose(*c);
        else if (what == "click") Click(*c);
        else if (what == "expect") ExpectText(*c);
        else if (what == "expect-enabled") ExpectFlag(*c, "enabled", c->enabled);
        else if (what == "expect-visible") ExpectFlag(*c, "visible", c->visible);
        else if (what == "expect-checked") ExpectFlag(*c, "checked", c->checked);
        else if (what == "expect-items") ExpectItems(*c);
        else Fault("unknown `dialog " + what + "`");
    }

private:
    void Fault(const std::string& message) { ScriptFault(message); }

    std::string Name(const ControlState& c) const {
        return "control " + std::to_string(c.tmpl->id) + " of dialog " + DialogName(d_);
    }

    ControlState* Control(const std::string& word) {
        int id = 0;
        if (word == "ok" || word == "OK") id = IDOK;
        else if (word == "cancel" || word == "Cancel") id = IDCANCEL;
        else if (auto r = std::from_chars(word.data(), word.data() + word.size(), id);
                 r.ec != std::errc() || r.ptr != word.data() + word.size()) {
            Fault("`dialog " + a_.args[0] + "`: \"" + word + "\" is not a control id");
            return nullptr;
        }
        ControlState* c = FindControl(d_, id);
        if (c == nullptr) Fault("dialog " + DialogName(d_) + " has no control " + word);
        return c;
    }

    bool Usable(const ControlState& c) {
        if (!c.visible) Fault(Name(c) + " is hidden");
        else if (!c.enabled) Fault(Name(c) + " is disabled");
        return c.visible && c.enabled;
    }

    bool Argument(size_t i, std::string& out) {
        if (a_.args.size() <= i) {
            Fault("`dialog " + a_.args[0] + "` needs one more argument");
            return false;
        }
        out = a_.args[i];
        return true;
    }

    void Set(ControlState& c) {
        std::string text;
        if (!Argument(2, text) || !Usable(c)) return;
        if (KindOf(*c.tmpl) != Kind::Edit) return Fault(Name(c) + " is not an edit");
        if (c.tmpl->style & kReadOnly) return Fault(Name(c) + " is read-only");
        if (!StoreEdit(d_, c, text)) Fault(Name(c) + " does not take \"" + text + "\"");
    }

    void Check(ControlState& c) {
        std::string word;
        bool on;
        if (!Argument(2, word)) return;
        if (!OnOff(word, on)) return Fault("`dialog check` takes on or off");
        Kind k = KindOf(*c.tmpl);
        if (k != Kind::Check && k != Kind::Radio) return Fault(Name(c) + " is not a check box or radio button");
        // A radio button goes off only when another of its group is chosen.
        if (k == Kind::Radio && !on) return Fault(Name(c) + " is a radio button: choose another one instead");
        if (Usable(c) && c.checked != on) ClickControl(d_, c);
    }

    void Choose(ControlState& c) {
        Kind k = KindOf(*c.tmpl);
        if (k == Kind::Radio) {
            if (Usable(c)) ClickControl(d_, c);
            return;
        }
        if (k != Kind::List && k != Kind::Combo) return Fault(Name(c) + " is not a list, combo box or radio button");
        std::string item;
        if (!Argument(2, item) || !Usable(c)) return;
        int index = -1;
        for (size_t i = 0; i < c.items.size() && index < 0; ++i)
            if (c.items[i].text == item) index = static_cast<int>(i);
        if (index < 0) index = FindItem(c, item);
        if (index < 0) return Fault(Name(c) + " has no item \"" + item + "\"");
        ChooseItem(d_, c, index);
    }

    void Click(ControlState& c) {
        Kind k = KindOf(*c.tmpl);
        if (k != Kind::Push && k != Kind::OwnerButton && k != Kind::Check && k != Kind::Radio)
            return Fault(Name(c) + " cannot be clicked");
        if (Usable(c)) ClickControl(d_, c);
    }

    void Enter() {
        ControlState* def = nullptr;
        for (ControlState& c : d_.controls)
            if (KindOf(*c.tmpl) == Kind::Push && (c.tmpl->style & 0xF) == 0x1 && def == nullptr) def = &c;
        if (def == nullptr) def = FindControl(d_, IDOK);
        if (def && def->visible && def->enabled) ClickControl(d_, *def);
        else if (def == nullptr) CloseDialog(d_, IDOK);
    }

    void ExpectText(const ControlState& c) {
        std::string want;
        if (!Argument(2, want)) return;
        std::string shown = Shown(TextOf(c));
        if (shown != Shown(want)) Fault(Name(c) + " shows \"" + shown + "\", expected \"" + Shown(want) + "\"");
    }

    void ExpectFlag(const ControlState& c, const char* what, bool actual) {
        std::string word;
        bool on;
        if (!Argument(2, word)) return;
        if (!OnOff(word, on)) return Fault(std::string("`dialog expect-") + what + "` takes on or off");
        if (on != actual) Fault(Name(c) + " is " + (actual ? "" : "not ") + what + ", expected " + word);
    }

    void ExpectItems(const ControlState& c) {
        std::vector<std::string> want(a_.args.begin() + 2, a_.args.end());
        std::vector<std::string> have;
        for (const ListItem& i : c.items) have.push_back(i.text);
        if (want == have) return;
        Fault(Name(c) + " lists " + Listed(have) + ", expected " + Listed(want));
    }

    OpenDialog& d_;
    const UiAction& a_;
};

}  // namespace

void ClickControl(OpenDialog& d, ControlState& c) {
    const Binding* b = c.binding;
    int id = c.tmpl->id;
    switch (KindOf(*c.tmpl)) {
        case Kind::Check: {
            c.checked = !c.checked;
            if (b && b->kind == BindKind::Check) {
                uint32_t v;
                std::memcpy(&v, b->variable, sizeof v);
                v = c.checked ? (v | b->mask) : (v & ~b->mask);
                std::memcpy(b->variable, &v, sizeof v);
                ReloadSharing(d, c);
            }
            break;
        }
        case Kind::Radio:
            c.checked = true;
            if (b && b->kind == BindKind::Radio) {
                int32_t v = b->value;
                std::memcpy(b->variable, &v, sizeof v);
                ReloadSharing(d, c);
            }
            break;
        default: {
            int r = b && b->proc ? b->proc(id) : 0;
            // A click procedure that returns 2 closes the dialog with the button's id; OK and
            // Cancel close it in any case.
            if (r == 2 || id == IDOK || id == IDCANCEL) CloseDialog(d, id);
            return;
        }
    }
    if (b && b->proc) b->proc(id);
}

void HandleDialogAction(OpenDialog& d, const UiAction& action) { ActionRunner(d, action).Run(); }

}  // namespace qlhost
