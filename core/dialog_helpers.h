// Shortcuts for the controls of the dialog that is running.
#pragma once

#include "core/host_api.h"

// EnAbCtl or DsAbCtl.
void EnableControl(int id, bool on);
// The control's window inside the running dialog (GetDlgWin).
HWND ControlWindow(int id);
// Shows (show command 5) or hides (0) the control's window.
void ShowControl(int id, bool on);
