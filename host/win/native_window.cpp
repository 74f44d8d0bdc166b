// The host's real windows on Windows: a desktop of its own, the main window and the drawing
// window, script input through SendInput, posted messages and the answers to pop-up menus.
#include <windows.h>

#include <string>
#include <vector>

#include "host/win/input_plan.h"
#include "host/win/native_input.h"

namespace qlhost::win {
namespace {

// dwExtraInfo of the host's SendInput events: tells the script's input from input messages a
// system makes up (the mouse moves after windows change).
constexpr ULONG_PTR kInputTag = 0x51484950;  // "QHIP"
// MN_GETHMENU: the menu of a pop-up menu window.
constexpr UINT kGetMenuOfWindow = 0x01E1;
// A real system delivers SendInput's events a moment later than Wine does.
constexpr DWORD kInputArrivalMs = 1000;

HWND g_main = nullptr;
HWND g_drawing = nullptr;
bool g_reached = false;
bool g_collecting = false;  // PostToWindow is taking the message it posted
HWND g_answeredMenuWindow = nullptr;

bool IsInput() { return static_cast<ULONG_PTR>(GetMessageExtraInfo()) == kInputTag; }

bool IsHostWindow(HWND window) { return window != nullptr && (window == g_main || window == g_drawing); }

// Reads the items of the menu of a pop-up menu window, asks the script and posts the keys
// that choose its answer (or close the menu) to the menu loop.
void AnswerMenu(HWND menuWindow) {
    if (menuWindow == g_answeredMenuWindow) return;
    g_answeredMenuWindow = menuWindow;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, kGetMenuOfWindow, 0, 0));
    std::vector<MenuLine> lines;
    std::vector<bool> separators;
    const int count = menu ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        // The label's length first, then the label, however long.
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STRING;
        MenuLine line;
        if (GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) {
            line.separator = (info.fType & MFT_SEPARATOR) != 0;
            std::vector<char> label(info.cch + 1, '\0');
            info.dwTypeData = label.data();
            info.cch = static_cast<UINT>(label.size());
            if (!line.separator && GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) line.label = label.data();
        }
        separators.push_back(line.separator);
        lines.push_back(line);
    }
    const int presses = DownPressesFor(separators, AnswerPopupMenu(lines));
    for (int i = 0; i < presses; ++i) PostMessageA(g_main, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(g_main, WM_KEYDOWN, presses > 0 ? VK_RETURN : VK_ESCAPE, 0);
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case WM_ENTERIDLE:
            if (w == MSGF_MENU) AnswerMenu(reinterpret_cast<HWND>(l));
            return 0;
        case WM_EXITMENULOOP:
            g_answeredMenuWindow = nullptr;
            return 0;
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
        case WM_CHAR:
        case WM_SYSCHAR:
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONUP:
        case WM_NCRBUTTONDOWN:
        case WM_NCRBUTTONUP:
        case WM_CLOSE:
            // Input has passed the hooks: the script's verb hands it on. Messages posted
            // through the host's PostMessageA wait in the host's queue as the Linux host's
            // do. Others (the mouse moves a system makes up when windows change) are dropped.
            if (g_collecting)
                HandlePostedMessage(window, msg, w, static_cast<intptr_t>(l));
            else if (IsInput())
                g_reached = true;
            return 0;
        case WM_CONTEXTMENU:
        case WM_SYSCOMMAND:
        case WM_NCMOUSEMOVE:
            // No system menu, window moves or keyboard menu mode: they would run loops of
            // their own that no script answers.
            return 0;
        default:
            return DefWindowProcA(window, msg, w, l);
    }
}

// Dispatches input messages until the queue holds none. Posted messages stay queued: the
// host takes them in its own order (PostToWindow collects them at once).
void PumpInput() {
    if (HIWORD(GetQueueStatus(QS_INPUT)) == 0)
        MsgWaitForMultipleObjectsEx(0, nullptr, kInputArrivalMs, QS_INPUT, MWMO_INPUTAVAILABLE);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT)) DispatchMessageA(&msg);
}

bool Send(INPUT& input) {
    g_reached = false;
    g_answeredMenuWindow = nullptr;
    if (input.type == INPUT_KEYBOARD)
        input.ki.dwExtraInfo = kInputTag;
    else
        input.mi.dwExtraInfo = kInputTag;
    if (SendInput(1, &input, sizeof input) != 1) return false;
    PumpInput();
    return g_reached;
}

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

bool ExtendedKey(int vk) {
    return (vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE || vk == VK_DIVIDE ||
           vk == VK_RCONTROL || vk == VK_RMENU;
}

}  // namespace

bool OpenHostWindows(void*& mainWindow, void*& drawingWindow) {
    // Under Wine, a desktop of its own. A real system sends input only to the interactive
    // desktop, so there the host stays on it.
    const std::string desktopName = "qlhost-" + std::to_string(GetCurrentProcessId());
    if (HDESK desktop = UnderWine() ? CreateDesktopA(desktopName.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr)
                                    : nullptr)
        SetThreadDesktop(desktop);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "QlhostWindow";
    if (!RegisterClassA(&windowClass)) return false;
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    g_main = CreateWindowExA(0, "QlhostWindow", "qlhost", WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN, 0, 0, width,
                             height, nullptr, nullptr, instance, nullptr);
    if (!g_main) return false;
    RECT client{};
    GetClientRect(g_main, &client);
    g_drawing = CreateWindowExA(0, "QlhostWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, client.right, client.bottom,
                                g_main, nullptr, instance, nullptr);
    if (!g_drawing) return false;
    ShowWindow(g_main, SW_SHOW);
    SetForegroundWindow(g_main);
    SetFocus(g_drawing);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    mainWindow = g_main;
    drawingWindow = g_drawing;
    return true;
}

bool SendKey(int vk, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(vk);
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(static_cast<UINT>(vk), MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (down ? 0 : KEYEVENTF_KEYUP) | (ExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    return Send(input);
}

void SendMouse(unsigned msg, int x, int y) {
    POINT at{};
    if (msg == WM_NCRBUTTONDOWN) {
        // On the main window's caption.
        RECT frame{};
        GetWindowRect(g_main, &frame);
        at = {(frame.left + frame.right) / 2, frame.top + GetSystemMetrics(SM_CYCAPTION) / 2};
    } else {
        RECT client{};
        GetClientRect(g_drawing, &client);
        at = {ClampPixel(x, client.right), ClampPixel(y, client.bottom)};
        ClientToScreen(g_drawing, &at);
    }
    POINT cursor{};
    // A move to where the cursor is makes no event: nothing would arrive to wait for.
    if (msg == WM_MOUSEMOVE && GetCursorPos(&cursor) && cursor.x == at.x && cursor.y == at.y) return;
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = AbsoluteCoordinate(at.x, GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = AbsoluteCoordinate(at.y, GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    switch (msg) {
        case WM_LBUTTONDOWN: input.mi.dwFlags |= MOUSEEVENTF_LEFTDOWN; break;
        case WM_LBUTTONUP: input.mi.dwFlags |= MOUSEEVENTF_LEFTUP; break;
        case WM_RBUTTONDOWN:
        case WM_NCRBUTTONDOWN: input.mi.dwFlags |= MOUSEEVENTF_RIGHTDOWN; break;
        case WM_RBUTTONUP: input.mi.dwFlags |= MOUSEEVENTF_RIGHTUP; break;
        default: break;
    }
    Send(input);
}

bool KeyIsDown(int vk) { return vk > 0 && vk < 256 && (GetAsyncKeyState(vk) & 0x8000) != 0; }

void ReleaseHeldKeys() {
    for (int vk = 1; vk < 256; ++vk) {
        if (!KeyIsDown(vk) || vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU) continue;
        if (vk == VK_LBUTTON || vk == VK_RBUTTON) {
            INPUT input{};
            input.type = INPUT_MOUSE;
            input.mi.dwFlags = vk == VK_LBUTTON ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP;
            Send(input);
        } else if (vk != VK_MBUTTON && vk != VK_XBUTTON1 && vk != VK_XBUTTON2) {
            SendKey(vk, false);
        }
    }
}

bool PostToWindow(void* window, unsigned msg, uintptr_t w, intptr_t l) {
    HWND target = static_cast<HWND>(window);
    if (!PostMessageA(target, msg, w, l)) return false;
    if (IsHostWindow(target)) {
        const bool outer = g_collecting;
        g_collecting = true;
        MSG posted;
        while (PeekMessageA(&posted, target, msg, msg, PM_REMOVE | PM_QS_POSTMESSAGE)) DispatchMessageA(&posted);
        g_collecting = outer;
    }
    return true;
}

void* FocusedWindow() { return GetFocus(); }
void* FocusWindow(void* window) { return SetFocus(static_cast<HWND>(window)); }
void* ParentOf(void* window) { return GetParent(static_cast<HWND>(window)); }

void* SelectIntoRealDC(void* dc, void* object) { return SelectObject(static_cast<HDC>(dc), static_cast<HGDIOBJ>(object)); }
bool DeleteRealObject(void* object) { return DeleteObject(static_cast<HGDIOBJ>(object)) != FALSE; }
void* RealStockObject(int index) { return GetStockObject(index); }

bool RealFontDescription(void* font, void* logFont, size_t size) {
    if (size != sizeof(LOGFONTA) || GetObjectType(static_cast<HGDIOBJ>(font)) != OBJ_FONT) return false;
    return GetObjectA(static_cast<HGDIOBJ>(font), sizeof(LOGFONTA), logFont) == sizeof(LOGFONTA);
}

}  // namespace qlhost::win
