// Shortcuts for the controls of the running dialog.
#include "core/dialog_helpers.h"

void EnableControl(int id, bool on) {
    if (on)
        EnAbCtl(id);
    else
        DsAbCtl(id);
}

HWND ControlWindow(int id) { return GetDlgItem(GetDlgWin(), id); }

void ShowControl(int id, bool on) { ShowWindow(ControlWindow(id), on ? SW_SHOW : SW_HIDE); }
