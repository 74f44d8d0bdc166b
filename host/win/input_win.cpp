// The Windows host's input: the script's keys and mouse strokes go through SendInput to the
// host's real windows and the plug-in's real thread hooks; focus, parent and posted messages
// are the host's only for the windows of its emulated dialogs and real otherwise; pop-up menus
// are real and answered from the script inside their menu loop.
#include <cstdint>
#include <iostream>

#include "core/win32.h"
#include "host/platform/hooks.h"
#include "host/protocol/protocol.h"
#include "host/ui/modal.h"
#include "host/win/native_input.h"

namespace qlhost {
namespace {

// The host's windows exist from start-up, as Corvane's main window does before any plug-in.
struct HostWindows {
    HostWindows() {
        void* mainWindow = nullptr;
        void* drawingWindow = nullptr;
        if (win::OpenHostWindows(mainWindow, drawingWindow))
            UseHostWindows(static_cast<HWND>(mainWindow), static_cast<HWND>(drawingWindow));
        else
            std::cerr << "qlhost: the host's windows cannot be made; keys and mouse strokes reach no window\n";
    }
};
const HostWindows g_windows;

// A window of an emulated dialog (the dialog, its controls, message boxes).
bool Emulated(HWND window) { return KnownWindow(window) && window != MainWindow() && window != DrawingWindow(); }

}  // namespace

bool DeliverKey(int vk, bool down) {
    if (vk <= 0 || vk > 255) return true;
    return win::SendKey(vk, down);
}

void DeliverMouse(UINT msg, int x, int y) { win::SendMouse(msg, x, y); }

bool KeyHeld(int vk) { return win::KeyIsDown(vk); }

void ReleaseAllKeys() { win::ReleaseHeldKeys(); }

namespace win {

void HandlePostedMessage(void* window, unsigned msg, uintptr_t w, intptr_t l) {
    PostHostMessage(static_cast<HWND>(window), msg, static_cast<WPARAM>(w), static_cast<LPARAM>(l));
}

// The host's own pop-up menu answers the script: a copy of the real menu's items, so the
// transcript and the `menu` verb are those of the Linux host.
int AnswerPopupMenu(const std::vector<MenuLine>& items) {
    HMENU copy = NewPopupMenu();
    for (size_t i = 0; i < items.size(); ++i) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_TYPE;
        info.fType = items[i].separator ? MFT_SEPARATOR : MFT_STRING;
        info.dwTypeData = const_cast<LPSTR>(items[i].label.c_str());
        info.wID = static_cast<UINT>(i + 1);
        InsertPopupItem(copy, static_cast<UINT>(i), TRUE, &info);
    }
    const int chosen = static_cast<int>(TrackPopupMenu(copy, TPM_RETURNCMD)) - 1;
    DestroyPopupMenu(copy);
    return chosen;
}

}  // namespace win
}  // namespace qlhost

// Forwarders: the host's answers for its emulated dialogs, the real calls otherwise.
extern "C" HWND WINAPI GetFocus(void) {
    HWND focus = qlhost::FocusWindow();
    return qlhost::Emulated(focus) ? focus : static_cast<HWND>(qlhost::win::FocusedWindow());
}

extern "C" HWND WINAPI SetFocus(HWND hWnd) {
    HWND previous = GetFocus();
    if (qlhost::Emulated(hWnd)) {
        qlhost::SetFocusWindow(hWnd);
        return previous;
    }
    HWND realPrevious = static_cast<HWND>(qlhost::win::FocusWindow(hWnd));
    if (!qlhost::KnownWindow(hWnd)) return realPrevious;
    qlhost::SetFocusWindow(hWnd);
    return previous;
}

extern "C" HWND WINAPI GetParent(HWND hWnd) {
    if (qlhost::Emulated(hWnd)) return qlhost::ParentWindow(hWnd);
    return static_cast<HWND>(qlhost::win::ParentOf(hWnd));
}

extern "C" BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (qlhost::Emulated(hWnd)) return qlhost::PostHostMessage(hWnd, Msg, wParam, lParam);
    return qlhost::win::PostToWindow(hWnd, Msg, wParam, static_cast<intptr_t>(lParam)) ? TRUE : FALSE;
}
