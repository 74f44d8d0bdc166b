// Windows-only check of host/win/native_window.cpp under a real user32 (Wine with the null
// graphics driver): SendInput reaches real thread hooks and the host's window, the key state
// follows, posted messages are collected at once, and a real pop-up menu is answered from its
// menu loop. Prints each failed check and exits non-zero on any.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/win/native_input.h"

namespace {

int g_failures = 0;

void Check(bool ok, const char* what) {
    if (!ok) {
        std::printf("FAILED: %s\n", what);
        ++g_failures;
    }
}

std::vector<UINT> g_posted;
std::vector<std::string> g_menuLabels;
int g_menuAnswer = -1;

std::vector<WPARAM> g_keys;
std::vector<WPARAM> g_mouse;
HHOOK g_keyHook = nullptr;
HHOOK g_mouseHook = nullptr;
WPARAM g_swallow = 0;
bool g_sawShiftHeld = false;
char g_typed = 0;

LRESULT CALLBACK KeyHook(int code, WPARAM key, LPARAM info) {
    if (code == HC_ACTION && (info & (LPARAM{1} << 31)) == 0) {
        g_keys.push_back(key);
        BYTE state[256] = {};
        WORD c = 0;
        if (GetKeyboardState(state) && ToAscii(static_cast<UINT>(key), 0, state, &c, 0) == 1) g_typed = static_cast<char>(c);
        g_sawShiftHeld = (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
        // As the host's PostMessageA forwarder does for its own windows.
        if (key == VK_ESCAPE) qlhost::win::PostToWindow(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
        if (key == g_swallow) return 1;
    }
    return CallNextHookEx(g_keyHook, code, key, info);
}

LRESULT CALLBACK MouseHook(int code, WPARAM message, LPARAM info) {
    if (code == HC_ACTION && message != WM_MOUSEMOVE && message != WM_NCMOUSEMOVE) g_mouse.push_back(message);
    return CallNextHookEx(g_mouseHook, code, message, info);
}

void CheckKeys(HWND drawing) {
    g_keyHook = SetWindowsHookExA(WH_KEYBOARD, KeyHook, nullptr, GetCurrentThreadId());
    Check(g_keyHook != nullptr, "a keyboard hook of the host's thread is installed");
    Check(GetFocus() == drawing, "the drawing window has the focus");

    Check(qlhost::win::SendKey(VK_SHIFT, true), "SHIFT down reaches the window");
    Check(qlhost::win::KeyIsDown(VK_SHIFT), "SHIFT is held after its press");
    Check(qlhost::win::SendKey('1', true), "1 down reaches the window");
    Check(g_sawShiftHeld, "the hook sees SHIFT held");
    Check(g_typed == '!', "ToAscii in the hook types SHIFT+1 as !");
    qlhost::win::SendKey('1', false);
    qlhost::win::SendKey(VK_SHIFT, false);
    Check(!qlhost::win::KeyIsDown(VK_SHIFT), "SHIFT is up after its release");
    Check(g_keys.size() == 2 && g_keys[0] == VK_SHIFT && g_keys[1] == '1', "the hook saw both presses in order");

    g_swallow = 'Q';
    Check(!qlhost::win::SendKey('Q', true), "a key the hook swallows does not reach the window");
    qlhost::win::SendKey('Q', false);
    g_swallow = 0;

    // The hook's PostMessageA reaches HandlePostedMessage before SendKey returns.
    g_posted.clear();
    qlhost::win::SendKey(VK_ESCAPE, true);
    Check(g_posted.size() == 1 && g_posted[0] == WM_KEYDOWN, "the message a hook posts is collected at once");
    qlhost::win::SendKey(VK_ESCAPE, false);

    qlhost::win::SendKey('K', true);
    qlhost::win::SendKey(VK_SHIFT, true);
    qlhost::win::SendKey(VK_RCONTROL, true);
    qlhost::win::ReleaseHeldKeys();
    Check(!qlhost::win::KeyIsDown('K'), "ReleaseHeldKeys releases a held key");
    Check(!qlhost::win::KeyIsDown(VK_SHIFT) && !qlhost::win::KeyIsDown(VK_LSHIFT), "and SHIFT, through the side held");
    Check(!qlhost::win::KeyIsDown(VK_CONTROL) && !qlhost::win::KeyIsDown(VK_RCONTROL), "and the right CONTROL");
    UnhookWindowsHookEx(g_keyHook);
}

void CheckMouse() {
    g_mouseHook = SetWindowsHookExA(WH_MOUSE, MouseHook, nullptr, GetCurrentThreadId());
    qlhost::win::SendMouse(WM_LBUTTONDOWN, 100, 80);
    qlhost::win::SendMouse(WM_LBUTTONUP, 100000, 80);  // far outside: clamped into the window
    qlhost::win::SendMouse(WM_RBUTTONDOWN, 5, 5);
    qlhost::win::SendMouse(WM_RBUTTONUP, 5, 5);
    qlhost::win::SendMouse(WM_NCRBUTTONDOWN, 0, 0);
    const std::vector<WPARAM> expected{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_NCRBUTTONDOWN};
    Check(g_mouse == expected, "the mouse hook sees each button, the caption press as WM_NCRBUTTONDOWN");
    Check(qlhost::win::KeyIsDown(VK_RBUTTON), "the right button is held after the caption press");
    qlhost::win::ReleaseHeldKeys();
    Check(!qlhost::win::KeyIsDown(VK_RBUTTON), "ReleaseHeldKeys releases a held button");
    UnhookWindowsHookEx(g_mouseHook);
}

UINT Track(HWND owner, int answer) {
    HMENU menu = CreatePopupMenu();
    const std::string longLabel(3000, 'L');
    const char* labels[] = {"One", nullptr, "Two", longLabel.c_str()};
    for (UINT i = 0; i < 4; ++i) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_TYPE;
        info.fType = labels[i] ? MFT_STRING : MFT_SEPARATOR;
        info.dwTypeData = const_cast<LPSTR>(labels[i]);
        info.wID = 10 + i;
        InsertMenuItemA(menu, i, TRUE, &info);
    }
    g_menuAnswer = answer;
    g_menuLabels.clear();
    const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, 20, 20, owner, nullptr));
    DestroyMenu(menu);
    return chosen;
}

void CheckMenus(HWND owner) {
    Check(Track(owner, 3) == 13, "the menu loop chooses the answered item past a separator");
    Check(g_menuLabels == std::vector<std::string>({"One", "-", "Two", std::string(3000, 'L')}),
          "the host is shown the menu's items, a long label whole");
    Check(Track(owner, 0) == 10, "the first item");
    Check(Track(owner, -1) == 0, "no answer closes the menu");
    Check(Track(owner, 2) == 12, "a menu after a closed one is answered too");
}

}  // namespace

namespace qlhost::win {

void HandlePostedMessage(void*, unsigned msg, uintptr_t, intptr_t) { g_posted.push_back(msg); }

int AnswerPopupMenu(const std::vector<MenuLine>& items) {
    for (const MenuLine& item : items) g_menuLabels.push_back(item.separator ? "-" : item.label);
    return g_menuAnswer;
}

}  // namespace qlhost::win

int main() {
    void* mainWindow = nullptr;
    void* drawingWindow = nullptr;
    if (!qlhost::win::OpenHostWindows(mainWindow, drawingWindow)) {
        std::printf("FAILED: the host's windows cannot be made\n");
        return 1;
    }
    Check(GetForegroundWindow() == static_cast<HWND>(mainWindow), "the main window is foreground");
    Check(GetParent(static_cast<HWND>(drawingWindow)) == static_cast<HWND>(mainWindow), "the drawing window is the main window's child");
    CheckKeys(static_cast<HWND>(drawingWindow));
    CheckMouse();
    CheckMenus(static_cast<HWND>(mainWindow));
    std::printf("native input: %s\n", g_failures == 0 ? "all checks passed" : "checks failed");
    return g_failures == 0 ? 0 : 1;
}
