// Shortcuts for the controls of the running dialog.
#include "core/dialog_helpers.h"

#include "core/hooks.h"
#include "core/prompts.h"
#include "core/registration.h"

void EnableControl(int id, bool on) {
    if (on)
        EnAbCtl(id);
    else
        DsAbCtl(id);
}

HWND ControlWindow(int id) { return GetDlgItem(GetDlgWin(), id); }

void ShowControl(int id, bool on) { ShowWindow(ControlWindow(id), on ? SW_SHOW : SW_HIDE); }

int RunDialogClosedByRightButton(void* dialog) {
    InstallRightCloseHook();
    const int result = Dialog(dialog, PluginInstance(), 0);
    RemoveRightCloseHook();
    RelDlg(dialog);
    return result;
}

int ShowMessageClosedByRightButton(const char* text, const char* caption, uintptr_t style) {
    InstallRightCloseHook();
    const int answer = ShowMessage(text, caption, style);
    RemoveRightCloseHook();
    return answer;
}
