// Thread hooks, scripted keys, windows and focus of the reference host. The scenario runner
// and the modal windows of the ui room deliver key and mouse events through here, so the
// plug-in's hooks see every event before the prompt or dialog does.
#pragma once

#include <cstdint>

#include "core/win32.h"

namespace qlhost {

// Runs the thread keyboard hooks for one key event; false when a hook swallowed it (returned
// non-zero without passing it on). The held state of vk follows down/up.
bool DeliverKey(int vk, bool down);
// Runs the thread mouse hooks for one mouse message (WM_LBUTTONDOWN, WM_RBUTTONUP,
// WM_NCRBUTTONDOWN, ...) at pixel position x, y of the drawing window.
void DeliverMouse(UINT msg, int x, int y);

// Scripted held keys, as GetAsyncKeyState and GetKeyboardState report them (the Windows
// build reads the real key state and has no SetKeyHeld: keys change through DeliverKey).
bool KeyHeld(int vk);
void SetKeyHeld(int vk, bool held);
// Releases every held key (start of a script).
void ReleaseAllKeys();

// Number of installed hooks of a type (WH_KEYBOARD, WH_MOUSE).
int InstalledHooks(int type);
// Removes every hook (library unload).
void RemoveAllHooks();

// The host's own windows: the main window and the drawing window inside it.
HWND MainWindow();
HWND DrawingWindow();
// Real windows in their place (the Windows build makes them at start-up).
void UseHostWindows(HWND mainWindow, HWND drawingWindow);

// Windows of other rooms (dialogs, their controls, message boxes) are registered with their
// parent so GetParent answers for them; a dialog moves the focus to its control on opening
// (SetFocusWindow) and gives it back on closing.
void RegisterWindow(HWND window, HWND parent);
void UnregisterWindow(HWND window);
void SetFocusWindow(HWND window);
HWND FocusWindow();

// US keyboard layout: the character a key types under a keyboard state (GetKeyboardState
// form), 0 when none; and the key (with SHIFT or not) that types a character.
int CharOfKey(int vk, const BYTE* keyState);
bool KeyOfChar(char c, int& vk, bool& shift);

// Behind the Win32 calls of core/win32.h.
HHOOK InstallHook(int type, HOOKPROC proc);
bool RemoveHook(HHOOK handle);
LRESULT CallNextHook(int code, WPARAM w, LPARAM l);
bool KnownWindow(HWND window);
HWND ParentWindow(HWND window);

// A key name of the scenario language (A, 7, ESC, ENTER, SHIFT, CONTROL, F1, LEFT, ADD, ...)
// as a virtual-key code; 0 when unknown.
int VirtualKeyByName(const char* name);

}  // namespace qlhost
