// Thread hooks of the reference host: installed hook chains, scripted held keys, the host's
// windows and the keyboard focus.
#include "host/platform/hooks.h"
#include "host/state/parts.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace qlhost {
namespace {

struct Hook {
    HHOOK handle;
    int type;
    HOOKPROC proc;
};

// One hook chain being run: a snapshot of the chain (newest first) and the position reached,
// so CallNextHookEx passes the event on even when a hook unhooks itself meanwhile.
struct Dispatch {
    std::vector<Hook> chain;
    size_t next = 0;
};


constexpr uintptr_t kMainWindow = 0x10010;
constexpr uintptr_t kDrawingWindow = 0x10020;
// This room's part of the host's state (host/state/parts.h).
struct HookState {
    std::vector<Hook> hooks;  // in installation order; the newest runs first
    std::vector<Dispatch*> dispatches;
    uintptr_t nextHandle = 0x4b00;
    std::unordered_map<HWND, HWND> parents;
    HWND mainWindow = nullptr;
    HWND drawingWindow = nullptr;
    HWND focus = nullptr;  // null: the drawing window
};
HookState& Hooks() { return Part<HookState>(); }

bool Installed(HHOOK handle) {
    return std::any_of(Hooks().hooks.begin(), Hooks().hooks.end(), [&](const Hook& h) { return h.handle == handle; });
}

// Calls the hooks of the snapshot from its current position until one handles the event.
LRESULT RunFrom(Dispatch& dispatch, int code, WPARAM w, LPARAM l) {
    while (dispatch.next < dispatch.chain.size()) {
        const Hook hook = dispatch.chain[dispatch.next++];
        if (Installed(hook.handle)) return hook.proc(code, w, l);
    }
    return 0;
}

struct KeyName {
    const char* name;
    int vk;
};

const KeyName kKeyNames[] = {
    {"BACK", 0x08},     {"BACKSPACE", 0x08}, {"TAB", 0x09},       {"ENTER", 0x0D},    {"RETURN", 0x0D},
    {"SHIFT", 0x10},    {"CONTROL", 0x11},   {"CTRL", 0x11},      {"ALT", 0x12},      {"MENU", 0x12},
    {"CAPITAL", 0x14},  {"ESC", 0x1B},       {"ESCAPE", 0x1B},    {"SPACE", 0x20},    {"PRIOR", 0x21},
    {"PAGEUP", 0x21},   {"NEXT", 0x22},      {"PAGEDOWN", 0x22},  {"END", 0x23},      {"HOME", 0x24},
    {"LEFT", 0x25},     {"UP", 0x26},        {"RIGHT", 0x27},     {"DOWN", 0x28},     {"INSERT", 0x2D},
    {"DELETE", 0x2E},   {"DEL", 0x2E},       {"MULTIPLY", 0x6A},  {"ADD", 0x6B},      {"SUBTRACT", 0x6D},
    {"DECIMAL", 0x6E},  {"DIVIDE", 0x6F},    {"LSHIFT", 0xA0},    {"RSHIFT", 0xA1},   {"LCONTROL", 0xA2},
    {"RCONTROL", 0xA3},
};

}  // namespace

int InstalledHooks(int type) {
    return static_cast<int>(std::count_if(Hooks().hooks.begin(), Hooks().hooks.end(), [&](const Hook& h) { return h.type == type; }));
}

void RemoveAllHooks() { Hooks().hooks.clear(); }

HHOOK InstallHook(int type, HOOKPROC proc) {
    if ((type != WH_KEYBOARD && type != WH_MOUSE) || !proc) return nullptr;
    HHOOK handle = reinterpret_cast<HHOOK>(Hooks().nextHandle++);
    Hooks().hooks.push_back({handle, type, proc});
    return handle;
}

bool RemoveHook(HHOOK handle) {
    auto it = std::find_if(Hooks().hooks.begin(), Hooks().hooks.end(), [&](const Hook& h) { return h.handle == handle; });
    if (it == Hooks().hooks.end()) return false;
    Hooks().hooks.erase(it);
    return true;
}

LRESULT CallNextHook(int code, WPARAM w, LPARAM l) {
    if (Hooks().dispatches.empty()) return 0;
    return RunFrom(*Hooks().dispatches.back(), code, w, l);
}

HWND MainWindow() { return Hooks().mainWindow ? Hooks().mainWindow : reinterpret_cast<HWND>(kMainWindow); }
HWND DrawingWindow() { return Hooks().drawingWindow ? Hooks().drawingWindow : reinterpret_cast<HWND>(kDrawingWindow); }

void UseHostWindows(HWND mainWindow, HWND drawingWindow) {
    Hooks().mainWindow = mainWindow;
    Hooks().drawingWindow = drawingWindow;
}

void RegisterWindow(HWND window, HWND parent) {
    if (window) Hooks().parents[window] = parent;
}

void UnregisterWindow(HWND window) {
    Hooks().parents.erase(window);
    if (Hooks().focus == window) Hooks().focus = nullptr;
}

void SetFocusWindow(HWND window) { Hooks().focus = window; }
HWND FocusWindow() { return Hooks().focus ? Hooks().focus : DrawingWindow(); }

bool KnownWindow(HWND window) {
    return window == MainWindow() || window == DrawingWindow() || Hooks().parents.count(window) != 0;
}

HWND ParentWindow(HWND window) {
    if (window == DrawingWindow()) return MainWindow();
    auto it = Hooks().parents.find(window);
    return it == Hooks().parents.end() ? nullptr : it->second;
}

int VirtualKeyByName(const char* name) {
    if (!name || !*name) return 0;
    const std::string key(name);
    if (key.size() == 1) {
        const char c = key[0];
        if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
    }
    std::string upper = key;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (const KeyName& entry : kKeyNames)
        if (upper == entry.name) return entry.vk;
    if (upper.size() >= 2 && upper.size() <= 3 && upper[0] == 'F') {
        int n = 0;
        for (size_t i = 1; i < upper.size(); ++i) {
            if (upper[i] < '0' || upper[i] > '9') return 0;
            n = n * 10 + (upper[i] - '0');
        }
        if (n >= 1 && n <= 24) return 0x6F + n;
    }
    if (upper.rfind("NUMPAD", 0) == 0 && upper.size() == 7 && upper[6] >= '0' && upper[6] <= '9')
        return 0x60 + (upper[6] - '0');
    return 0;
}

// Scripted input: the Windows build delivers it with SendInput to real windows and real
// hooks instead (host/win/input_win.cpp).
#ifndef _WIN32
namespace {

// This room's part of the host's state (host/state/parts.h).
struct KeyState {
    std::array<bool, 256> held{};
};
KeyState& Keys() { return Part<KeyState>(); }

LRESULT RunChain(int type, WPARAM w, LPARAM l) {
    Dispatch dispatch;
    for (auto it = Hooks().hooks.rbegin(); it != Hooks().hooks.rend(); ++it)
        if (it->type == type) dispatch.chain.push_back(*it);
    if (dispatch.chain.empty()) return 0;
    Hooks().dispatches.push_back(&dispatch);
    const LRESULT result = RunFrom(dispatch, HC_ACTION, w, l);
    Hooks().dispatches.pop_back();
    return result;
}

// The mouse hook's event record (MOUSEHOOKSTRUCT).
struct MouseHookRecord {
    POINT pt;
    HWND hwnd;
    UINT hitTest;
    ULONG_PTR extraInfo;
};

}  // namespace

bool DeliverKey(int vk, bool down) {
    if (vk <= 0 || vk > 255) return true;
    const bool wasDown = Keys().held[vk];
    SetKeyHeld(vk, down);
    // Key information: repeat count 1, scan code, previous state (bit 30), release (bit 31).
    uint32_t info = 1u | (static_cast<uint32_t>(vk) << 16);
    if (wasDown) info |= 1u << 30;
    if (!down) info |= 1u << 31;
    return RunChain(WH_KEYBOARD, static_cast<WPARAM>(vk), static_cast<LPARAM>(static_cast<int32_t>(info))) == 0;
}

void DeliverMouse(UINT msg, int x, int y) {
    if (msg == WM_LBUTTONDOWN) SetKeyHeld(VK_LBUTTON, true);
    if (msg == WM_LBUTTONUP) SetKeyHeld(VK_LBUTTON, false);
    if (msg == WM_RBUTTONDOWN || msg == WM_NCRBUTTONDOWN) SetKeyHeld(VK_RBUTTON, true);
    if (msg == WM_RBUTTONUP) SetKeyHeld(VK_RBUTTON, false);
    MouseHookRecord record{{x, y}, DrawingWindow(), 1, 0};
    RunChain(WH_MOUSE, msg, reinterpret_cast<LPARAM>(&record));
}

bool KeyHeld(int vk) {
    if (vk <= 0 || vk > 255) return false;
    if (Keys().held[vk]) return true;
    // The generic modifier keys are down when either side is.
    if (vk == VK_SHIFT) return Keys().held[0xA0] || Keys().held[0xA1];
    if (vk == VK_CONTROL) return Keys().held[0xA2] || Keys().held[0xA3];
    if (vk == 0x12) return Keys().held[0xA4] || Keys().held[0xA5];
    return false;
}

void SetKeyHeld(int vk, bool held) {
    if (vk > 0 && vk <= 255) Keys().held[vk] = held;
}

void ReleaseAllKeys() { Keys().held.fill(false); }
#endif

}  // namespace qlhost
