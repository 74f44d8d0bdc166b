// Dialogs: definition, bindings, running, and the control calls on the innermost dialog.
#include "core/host_api.h"
#include "host/ui/dialog.h"

using qlhost::BindKind;
using qlhost::Binding;

namespace {

Binding Make(BindKind kind, int id) {
    Binding b;
    b.kind = kind;
    b.id = id;
    return b;
}

}  // namespace

extern "C" void* DefDlg(const char* templateName, int, int, DlgProc refresh, int, int) {
    return qlhost::DefineDialog(templateName, refresh);
}

extern "C" int EDCTL(void* dlg, int id, int style, int format, int maxLength, void* variable, int) {
    Binding b = Make(BindKind::Edit, id);
    b.style = style;
    b.format = format;
    b.maxLength = maxLength;
    b.variable = variable;
    return qlhost::Bind(dlg, b, "EDCTL");
}

extern "C" int CHKCTL(void* dlg, int id, int, int, void* variable, uint32_t mask, CtlProc proc) {
    Binding b = Make(BindKind::Check, id);
    b.variable = variable;
    b.mask = mask;
    b.proc = proc;
    return qlhost::Bind(dlg, b, "CHKCTL");
}

extern "C" int RBCTL(void* dlg, int id, int, int, void* variable, int value, CtlProc proc) {
    Binding b = Make(BindKind::Radio, id);
    b.variable = variable;
    b.value = value;
    b.proc = proc;
    return qlhost::Bind(dlg, b, "RBCTL");
}

extern "C" int BTNCTL(void* dlg, int id, int, int, CtlProc click, OwnerDrawProc draw) {
    Binding b = Make(BindKind::Button, id);
    b.proc = click;
    b.draw = draw;
    return qlhost::Bind(dlg, b, "BTNCTL");
}

extern "C" int CMBCTL(void* dlg, int id, int, int, int* index, char* text, CtlProc change, OwnerDrawProc draw) {
    Binding b = Make(BindKind::Combo, id);
    b.index = index;
    b.text = text;
    b.proc = change;
    b.draw = draw;
    return qlhost::Bind(dlg, b, "CMBCTL");
}

extern "C" int LSTCTL(void* dlg, int id, int, int, int* index, char* text, CtlProc change, OwnerDrawProc draw) {
    Binding b = Make(BindKind::List, id);
    b.index = index;
    b.text = text;
    b.proc = change;
    b.draw = draw;
    return qlhost::Bind(dlg, b, "LSTCTL");
}

extern "C" int Dialog(void* dlg, HINSTANCE instance, int) { return qlhost::RunDialog(dlg, instance); }
extern "C" void RelDlg(void* dlg) { qlhost::ReleaseDialog(dlg); }

extern "C" void UpdCtl(int id) { qlhost::UpdateControl(id); }
extern "C" void UpdCtlA(void) { qlhost::UpdateAllControls(); }
extern "C" void EnAbCtl(int id) { qlhost::EnableControlById(id, true); }
extern "C" void DsAbCtl(int id) { qlhost::EnableControlById(id, false); }
extern "C" void ShowCtl(int id) { qlhost::ShowControlById(id, true); }
extern "C" void HideCtl(int id) { qlhost::ShowControlById(id, false); }
extern "C" void FocusCtl(int id) { qlhost::FocusControlById(id); }
extern "C" HWND GetDlgWin(void) { return qlhost::DialogWindow(); }

extern "C" int AddLstStr(int id, const char* text) { return qlhost::ListAdd(id, text, false); }
extern "C" int FndLstStr(int id, const char* text) { return qlhost::ListFind(id, text, false); }
extern "C" int GetLstStr(int id, char* text) { return qlhost::ListGet(id, text, false); }
extern "C" int AddCmbStr(int id, const char* text) { return qlhost::ListAdd(id, text, true); }
extern "C" int FndCmbStr(int id, const char* text) { return qlhost::ListFind(id, text, true); }
extern "C" int GetCmbStr(int id, char* text) { return qlhost::ListGet(id, text, true); }
extern "C" void ClrLstStr(int id) { qlhost::ListClear(id, false); }
extern "C" void ClrCmbStr(int id) { qlhost::ListClear(id, true); }
extern "C" uintptr_t GetLstData(int id, int index) { return qlhost::ListData(id, index); }
extern "C" void SetLstData(int id, int index, uintptr_t value) { qlhost::SetListItemData(id, index, value); }
