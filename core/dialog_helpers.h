// Shortcuts for the controls of the dialog that is running.
#pragma once

#include "core/host_api.h"

// EnAbCtl or DsAbCtl.
void EnableControl(int id, bool on);
// The control's window inside the running dialog (GetDlgWin).
HWND ControlWindow(int id);
// Shows (show command 5) or hides (0) the control's window.
void ShowControl(int id, bool on);

// Runs a defined dialog with the right mouse button closing it (ClosedByRightButton tells
// afterwards), releases it and returns the dialog's result.
int RunDialogClosedByRightButton(void* dialog);
// Shows a message box that the right mouse button closes too; returns the box's answer.
int ShowMessageClosedByRightButton(const char* text, const char* caption, uintptr_t style);
