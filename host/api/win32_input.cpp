// Hooks, keys, focus, posted messages, the clock and cursors of the Win32 subset.
#include "core/win32.h"
#include "host/platform/hooks.h"
#include "host/platform/system.h"
#include "host/protocol/protocol.h"

namespace {
// The one user-interface thread of the host.
constexpr DWORD kHostThread = 0x1D0C;
}  // namespace

extern "C" HHOOK WINAPI SetWindowsHookExA(int idHook, HOOKPROC lpfn, HINSTANCE, DWORD dwThreadId) {
    // Only thread hooks of the host's thread exist here.
    if (dwThreadId != kHostThread) return nullptr;
    return qlhost::InstallHook(idHook, lpfn);
}
extern "C" BOOL WINAPI UnhookWindowsHookEx(HHOOK hhk) { return qlhost::RemoveHook(hhk) ? TRUE : FALSE; }
extern "C" LRESULT WINAPI CallNextHookEx(HHOOK, int nCode, WPARAM wParam, LPARAM lParam) {
    return qlhost::CallNextHook(nCode, wParam, lParam);
}
extern "C" DWORD WINAPI GetCurrentThreadId(void) { return kHostThread; }

extern "C" short WINAPI GetAsyncKeyState(int vKey) {
    return qlhost::KeyHeld(vKey) ? static_cast<short>(0x8000) : 0;
}
extern "C" BOOL WINAPI GetKeyboardState(BYTE* lpKeyState) {
    if (!lpKeyState) return FALSE;
    for (int vk = 0; vk < 256; ++vk) lpKeyState[vk] = qlhost::KeyHeld(vk) ? 0x80 : 0;
    return TRUE;
}
extern "C" int WINAPI ToAscii(UINT uVirtKey, UINT, const BYTE* lpKeyState, LPWORD lpChar, UINT) {
    if (!lpChar) return 0;
    const int c = qlhost::CharOfKey(static_cast<int>(uVirtKey), lpKeyState);
    if (c == 0) return 0;
    *lpChar = static_cast<WORD>(c);
    return 1;
}

// The Windows build forwards these to the real windows but for its emulated dialogs
// (host/win/input_win.cpp).
#ifndef _WIN32
extern "C" HWND WINAPI GetFocus(void) { return qlhost::FocusWindow(); }
extern "C" HWND WINAPI SetFocus(HWND hWnd) {
    if (!qlhost::KnownWindow(hWnd)) return nullptr;
    HWND previous = qlhost::FocusWindow();
    qlhost::SetFocusWindow(hWnd);
    return previous;
}
extern "C" HWND WINAPI GetParent(HWND hWnd) { return qlhost::ParentWindow(hWnd); }
extern "C" BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return qlhost::PostHostMessage(hWnd, Msg, wParam, lParam);
}
#endif
extern "C" DWORD WINAPI GetTickCount(void) { return qlhost::TickCount(); }

extern "C" BOOL WINAPI GetCursorPos(LPPOINT lpPoint) {
    if (!lpPoint) return FALSE;
    const double* cursor = qlhost::LiveCursor();
    *lpPoint = qlhost::PixelOf(cursor[0], cursor[1]);
    return TRUE;
}
extern "C" HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR lpCursorName) { return qlhost::CursorOfName(lpCursorName); }
extern "C" HCURSOR WINAPI SetCursor(HCURSOR hCursor) { return qlhost::SetHostCursor(hCursor); }
