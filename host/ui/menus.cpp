// Pop-up menus answered by the script.
#include <algorithm>
#include <map>
#include <vector>

#include "host/state/parts.h"
#include "host/ui/env.h"
#include "host/ui/modal.h"

namespace qlhost {
namespace {

constexpr UINT kStringMask = 0x40;  // MIIM_STRING
constexpr UINT kFTypeMask = 0x100;  // MIIM_FTYPE
constexpr uintptr_t kFirstMenu = 0x3E000000;

struct MenuItem {
    bool separator = false;
    std::string label;
    UINT id = 0;
};

// This room's part of the host's state (host/state/parts.h).
struct MenusPart {
    std::map<HMENU, std::vector<MenuItem>> menus;
    uintptr_t next = kFirstMenu;  // the next menu handle
};
std::map<HMENU, std::vector<MenuItem>>& Menus() { return Part<MenusPart>().menus; }

std::vector<MenuItem>* Find(HMENU menu) {
    auto it = Menus().find(menu);
    return it == Menus().end() ? nullptr : &it->second;
}

std::string WithoutMnemonics(const std::string& label) {
    std::string out;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] == '&' && i + 1 < label.size()) ++i;
        out += label[i];
    }
    return out;
}

const MenuItem* ItemNamed(const std::vector<MenuItem>& items, const std::string& label) {
    for (const MenuItem& i : items)
        if (!i.separator && i.label == label) return &i;
    for (const MenuItem& i : items)
        if (!i.separator && WithoutMnemonics(i.label) == label) return &i;
    return nullptr;
}

// The chosen item, or null for no choice.
const MenuItem* Choose(const std::vector<MenuItem>& items) {
    UiAction a;
    while (NextUiAction(a, "popup menu")) {
        if (a.verb.empty()) continue;
        if (a.verb == "esc") return nullptr;
        if (a.verb != "menu" || a.args.size() != 1) {
            ScriptFault("`" + a.verb + "` while a popup menu is open (it takes `menu \"LABEL\"` or `menu none`)");
            continue;
        }
        if (a.args[0] == "none") return nullptr;
        if (const MenuItem* item = ItemNamed(items, a.args[0])) return item;
        ScriptFault("the popup menu has no item " + Quoted(a.args[0]));
        return nullptr;
    }
    return nullptr;
}

}  // namespace

HMENU NewPopupMenu() {
    HMENU menu = reinterpret_cast<HMENU>(Part<MenusPart>().next++);
    Menus()[menu];
    return menu;
}

BOOL DestroyPopupMenu(HMENU menu) { return Menus().erase(menu) ? TRUE : FALSE; }

BOOL InsertPopupItem(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info) {
    std::vector<MenuItem>* items = Find(menu);
    if (items == nullptr || info == nullptr) return FALSE;
    MenuItem m;
    if (info->fMask & (MIIM_TYPE | kFTypeMask)) m.separator = (info->fType & MFT_SEPARATOR) != 0;
    if (!m.separator && (info->fMask & (MIIM_TYPE | kStringMask)) && info->dwTypeData != nullptr) m.label = info->dwTypeData;
    if (info->fMask & MIIM_ID) m.id = info->wID;
    size_t at = items->size();
    if (byPosition) {
        at = std::min<size_t>(item, items->size());
    } else {
        auto it = std::find_if(items->begin(), items->end(), [&](const MenuItem& i) { return i.id == item; });
        if (it == items->end()) return FALSE;
        at = static_cast<size_t>(it - items->begin());
    }
    items->insert(items->begin() + static_cast<long>(at), m);
    return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags) {
    std::vector<MenuItem>* items = Find(menu);
    if (items == nullptr) {
        ScriptFault("TrackPopupMenuEx with a menu that CreatePopupMenu did not return");
        return FALSE;
    }
    Transcript("popup menu");
    for (const MenuItem& i : *items) Transcript(i.separator ? "| -" : "| " + i.label);
    const MenuItem* chosen = Choose(*items);
    Transcript(chosen ? "popup menu chose " + Quoted(chosen->label) : "popup menu closed without a choice");
    if (chosen == nullptr) return 0;
    return (flags & TPM_RETURNCMD) ? static_cast<BOOL>(chosen->id) : TRUE;
}

std::string MenuLabels(HMENU menu) {
    std::vector<MenuItem>* items = Find(menu);
    std::string out;
    if (items == nullptr) return out;
    for (const MenuItem& i : *items) out += (out.empty() ? "" : "|") + (i.separator ? std::string("-") : i.label);
    return out;
}

}  // namespace qlhost
