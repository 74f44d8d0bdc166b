// GDI drawing calls of owner-drawn dialog items (the fonts and glyph calls are in fonts_gdi).
#include "core/win32.h"
#include "host/ui/paint_dc.h"

extern "C" {

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) { return qlhost::SetDCBackground(hdc, color); }
COLORREF WINAPI GetSysColor(int nIndex) { return qlhost::SystemColor(nIndex); }
int WINAPI DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format) {
    return qlhost::DrawDCText(hdc, lpchText, cchText, lprc, format);
}
BOOL WINAPI DrawEdge(HDC hdc, LPRECT qrc, UINT, UINT) { return qlhost::DrawDCEdge(hdc, qrc) ? TRUE : FALSE; }
HBRUSH WINAPI CreateSolidBrush(COLORREF color) { return qlhost::NewSolidBrush(color); }
int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) { return qlhost::FillDCRect(hDC, lprc, hbr) ? 1 : 0; }
int WINAPI SaveDC(HDC hdc) { return qlhost::SaveDCState(hdc); }
BOOL WINAPI RestoreDC(HDC hdc, int nSavedDC) { return qlhost::RestoreDCState(hdc, nSavedDC) ? TRUE : FALSE; }

}  // extern "C"
