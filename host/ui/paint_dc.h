// Drawing on the device contexts of owner-drawn dialog items: background colour, text,
// rectangles, edges and saved states. Nothing reaches a screen; texts drawn are kept for
// checks.
#pragma once

#include <string>
#include <vector>

#include "core/win32.h"

namespace qlhost {

COLORREF SetDCBackground(HDC dc, COLORREF color);
COLORREF SystemColor(int index);
// The height of the text drawn (lines times the selected font's height), 0 for a bad DC.
int DrawDCText(HDC dc, const char* text, int count, const RECT* rect, UINT format);
bool FillDCRect(HDC dc, const RECT* rect, HBRUSH brush);
bool DrawDCEdge(HDC dc, const RECT* rect);
HBRUSH NewSolidBrush(COLORREF color);
int SaveDCState(HDC dc);
bool RestoreDCState(HDC dc, int saved);
// Drops the saved states of a device context that is released.
void ForgetSavedStates(HDC dc);

// A text drawn with DrawTextA: the window of its DC, the text, the font selected into the DC,
// the background colour and the DrawTextA format.
struct DrawnText {
    HWND window;
    std::string text;
    LOGFONTA font;
    COLORREF background;
    UINT format;
};
// The texts drawn since the last call, which forgets them.
std::vector<DrawnText> TakeDrawnTexts();

}  // namespace qlhost
