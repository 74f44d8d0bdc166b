// The host's real windows, real input and real pop-up menus on Windows, and the real GDI
// calls its forwarders pass on. Plain types only: read by sources that see the host's own
// Win32 subset, where HWND, HDC and HGDIOBJ are the same pointers as here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qlhost::win {

// A desktop of the process's own under Wine (parallel hosts never share foreground, focus or
// key state), the main window and the drawing window filling it, foreground with the focus on
// the drawing window. False when a window cannot be made.
bool OpenHostWindows(void*& mainWindow, void*& drawingWindow);

// Script input through SendInput; the input messages are pumped until the queue holds none,
// so every event has passed the thread's hooks. SendKey is true when the press or release
// reached the host's window (no hook swallowed it).
bool SendKey(int vk, bool down);
// A mouse message (WM_LBUTTONDOWN, WM_RBUTTONUP, WM_NCRBUTTONDOWN, WM_MOUSEMOVE, ...) at a
// pixel of the drawing window; the real cursor stays inside the window.
void SendMouse(unsigned msg, int x, int y);
// GetAsyncKeyState's "held" bit.
bool KeyIsDown(int vk);
// Releases every key and button held (start of a script).
void ReleaseHeldKeys();

// Posts a message; one meant for the host's own windows is collected from the queue at once
// and handed to HandlePostedMessage, so it waits in the host's queue as on Linux.
bool PostToWindow(void* window, unsigned msg, uintptr_t w, intptr_t l);
void* FocusedWindow();
void* FocusWindow(void* window);
void* ParentOf(void* window);

// GDI calls of the forwarders.
void* SelectIntoRealDC(void* dc, void* object);
bool DeleteRealObject(void* object);
void* RealStockObject(int index);
// The LOGFONTA (60 bytes) of a real font; false when the handle is not a font.
bool RealFontDescription(void* font, void* logFont, size_t size);

// Implemented by the host's side (input_win.cpp).
// A message posted to one of the host's windows, from the window procedure.
void HandlePostedMessage(void* window, unsigned msg, uintptr_t w, intptr_t l);
// The script's answer to an open pop-up menu: the index of the chosen item, -1 for none.
struct MenuLine {
    bool separator = false;
    std::string label;
};
int AnswerPopupMenu(const std::vector<MenuLine>& items);

}  // namespace qlhost::win
