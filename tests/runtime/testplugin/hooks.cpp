// Commands that run with the core keyboard hooks or a mouse hook of their own.
#include <cstring>

#include "core/hooks.h"
#include "testplugin.h"

namespace {

double g_point[3];
char g_text[256];
HHOOK g_mouseHook = nullptr;
bool g_dragging = false;
bool g_released = false;
int g_painted = 0;
int g_strokes = 0;

void HotKeyDone(int status) {
    RemoveKeyHook();
    SetNumberVar("status", status);
    SetNumberVar("promptkey", PromptKey);
    CmdEnd();
}

void TextKeyDone(int status) {
    RemoveKeyHook();
    SetNumberVar("status", status);
    SetNumberVar("promptkey", PromptKey);
    if (status == 0) SetVar("typed", g_text);
    CmdEnd();
}

// Ends the stroke when the left button goes up: the point request ends with ESC.
LRESULT CALLBACK PaintHook(int code, WPARAM message, LPARAM info) {
    if (code == HC_ACTION && message == WM_LBUTTONUP) {
        g_dragging = false;
        g_released = true;
        PostMessageA(GetMainWin(), WM_CHAR, VK_ESCAPE, 0);
    }
    return CallNextHookEx(g_mouseHook, code, message, info);
}

void PaintDrag(void* ctx) {
    if (g_dragging) ++g_painted;
    XHReqCsr(ctx);
}

void AskPaint();

void PaintPoint(int status) {
    if (g_mouseHook) UnhookWindowsHookEx(g_mouseHook);
    g_mouseHook = nullptr;
    if (g_released) {
        g_released = false;
    } else if (status == 0) {
        g_dragging = true;
        ++g_strokes;
        g_mouseHook = SetWindowsHookExA(WH_MOUSE, PaintHook, nullptr, GetCurrentThreadId());
    } else {
        SetNumberVar("painted", g_painted);
        SetNumberVar("strokes", g_strokes);
        CmdEnd();
        return;
    }
    AskPaint();
}

void AskPaint() {
    ReqData(REQ_POINT2, g_point, "Paint:", QL_DRAG(PaintDrag), PaintPoint, 0x400000, 0);
}

}  // namespace

void TPHOTKEY() {
    InstallKeyHook();
    ReqData(REQ_POINT2, g_point, "Hot key point:", QL_CURSOR(4), HotKeyDone, 0, 0);
}

void TPTEXTKEY() {
    g_text[0] = '\0';
    InstallTextKeyHook();
    ReqData(REQ_TEXT, g_text, "Text with keys:", QL_CURSOR(1), TextKeyDone, 0, 0);
}

void TPPAINT() {
    g_dragging = g_released = false;
    g_painted = g_strokes = 0;
    AskPaint();
}
