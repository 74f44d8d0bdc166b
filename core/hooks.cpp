// The keyboard and right-button mouse hooks of the user-interface thread.
#include "core/hooks.h"

#include "core/registration.h"

unsigned char PromptKey = 0;
unsigned char LettersAreText = 0;
uint32_t ClosedByRightButton = 0;

namespace {

HHOOK g_keyHook = nullptr;
HHOOK g_mouseHook = nullptr;

constexpr LPARAM kKeyReleased = LPARAM{1} << 31;

bool IsPromptEndingKey(WPARAM key) {
    return key == VK_TAB || (key >= VK_LEFT && key <= VK_DOWN) || key == VK_DELETE ||
           key == VK_ADD || key == VK_SUBTRACT;
}

// B C D F H I K L M N O R S T U.
bool IsHotKeyLetter(WPARAM key) {
    return (key >= 'B' && key <= 'D') || key == 'F' || key == 'H' || key == 'I' ||
           (key >= 'K' && key <= 'O') || (key >= 'R' && key <= 'U');
}

void EndPrompt(WPARAM closingKey, unsigned char code) {
    PromptKey = code;
    PostMessageA(GetFocus(), WM_KEYDOWN, closingKey, 0);
}

void InstallKeyboard(HINSTANCE instance) {
    RemoveKeyHook();
    g_keyHook = SetWindowsHookExA(WH_KEYBOARD, KeyHookProc, instance, GetCurrentThreadId());
}

}  // namespace

LRESULT CALLBACK KeyHookProc(int code, WPARAM key, LPARAM info) {
    if (code == HC_ACTION && (info & kKeyReleased) == 0) {
        if (IsPromptEndingKey(key)) {
            EndPrompt(VK_ESCAPE, static_cast<unsigned char>(key));
        } else if (IsHotKeyLetter(key)) {
            if (!LettersAreText) EndPrompt(VK_ESCAPE, static_cast<unsigned char>(key));
        } else {
            BYTE state[256] = {};
            WORD translated = 0;
            if (GetKeyboardState(state) &&
                ToAscii(static_cast<UINT>(key), static_cast<UINT>((info >> 16) & 0xFF), state,
                        &translated, 0) == 1 &&
                (translated & 0xFF) == '!') {
                EndPrompt(VK_RETURN, '!');
            }
        }
    }
    return CallNextHookEx(g_keyHook, code, key, info);
}

LRESULT CALLBACK RightCloseHookProc(int code, WPARAM message, LPARAM info) {
    if (code == HC_ACTION &&
        (message == WM_NCRBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_RBUTTONUP)) {
        ClosedByRightButton = 1;
        PostMessageA(GetParent(GetFocus()), WM_CLOSE, 0, 0);
    }
    return CallNextHookEx(g_mouseHook, code, message, info);
}

void InstallKeyHook() {
    LettersAreText = 0;
    PromptKey = 0;
    InstallKeyboard(PluginInstance());
}

void InstallTextKeyHook() {
    LettersAreText = 1;
    PromptKey = 0;
    InstallKeyboard(nullptr);
}

void RemoveKeyHook() {
    if (g_keyHook != nullptr) UnhookWindowsHookEx(g_keyHook);
    g_keyHook = nullptr;
}

void InstallRightCloseHook() {
    ClosedByRightButton = 0;
    RemoveRightCloseHook();
    g_mouseHook = SetWindowsHookExA(WH_MOUSE, RightCloseHookProc, PluginInstance(), GetCurrentThreadId());
}

void RemoveRightCloseHook() {
    if (g_mouseHook != nullptr) UnhookWindowsHookEx(g_mouseHook);
    g_mouseHook = nullptr;
}

bool KeyDown(int vk) {
    return static_cast<uint16_t>(GetAsyncKeyState(vk)) >= 2;
}
