// The GDI calls of the Win32 subset: device contexts, fonts and glyph outlines (GetDC,
// ReleaseDC, CreateFontIndirectA, CreateFontA, SelectObject, DeleteObject, GetStockObject,
// GetGlyphOutlineA with GGO_NATIVE), and the drawing calls of owner-drawn dialog items.
#include <cstring>

#include "core/win32.h"
#include "host/fonts/gdi.h"
#include "host/fonts/truetype.h"
#include "host/ui/paint_dc.h"

namespace {

using namespace qlhost;

constexpr int kDefaultGuiFont = 17;

}  // namespace

extern "C" {

HDC WINAPI GetDC(HWND hWnd) { return CreateHostDC(hWnd); }

int WINAPI ReleaseDC(HWND, HDC hDC) { return ReleaseHostDC(hDC) ? 1 : 0; }

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* lplf) {
    if (!lplf) return nullptr;
    auto font = std::make_unique<GdiFont>();
    font->logFont = *lplf;
    return AddGdiObject(std::move(font));
}

HFONT WINAPI CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight, DWORD bItalic,
                         DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet, DWORD iOutPrecision,
                         DWORD iClipPrecision, DWORD iQuality, DWORD iPitchAndFamily, LPCSTR pszFaceName) {
    LOGFONTA lf{};
    lf.lfHeight = cHeight;
    lf.lfWidth = cWidth;
    lf.lfEscapement = cEscapement;
    lf.lfOrientation = cOrientation;
    lf.lfWeight = cWeight;
    lf.lfItalic = static_cast<BYTE>(bItalic);
    lf.lfUnderline = static_cast<BYTE>(bUnderline);
    lf.lfStrikeOut = static_cast<BYTE>(bStrikeOut);
    lf.lfCharSet = static_cast<BYTE>(iCharSet);
    lf.lfOutPrecision = static_cast<BYTE>(iOutPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(iClipPrecision);
    lf.lfQuality = static_cast<BYTE>(iQuality);
    lf.lfPitchAndFamily = static_cast<BYTE>(iPitchAndFamily);
    if (pszFaceName) std::strncpy(lf.lfFaceName, pszFaceName, sizeof lf.lfFaceName - 1);
    return CreateFontIndirectA(&lf);
}

// The Windows build passes real device contexts and objects on to GDI (host/win/gdi_forward.cpp).
#ifndef _WIN32
HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) { return SelectIntoDC(hdc, h); }

BOOL WINAPI DeleteObject(HGDIOBJ ho) { return DeleteGdiObject(ho) ? TRUE : FALSE; }
#endif

HGDIOBJ WINAPI GetStockObject(int i) { return reinterpret_cast<HGDIOBJ>(StockObject(i)); }

DWORD WINAPI GetGlyphOutlineA(HDC hdc, UINT uChar, UINT fuFormat, LPGLYPHMETRICS lpgm, DWORD cjBuffer,
                              LPVOID pvBuffer, const MAT2* lpmat2) {
    HostDC* dc = DCOf(hdc);
    if (!dc || !lpgm || !lpmat2 || fuFormat != GGO_NATIVE) return GDI_ERROR;
    GdiObject* selected = dc->font ? dc->font : StockObject(kDefaultGuiFont);
    auto* font = selected && selected->kind == GdiObject::kFont ? static_cast<GdiFont*>(selected) : nullptr;
    if (!font) return GDI_ERROR;
    std::string file = TrueTypeFile(font->FaceName(), font->Bold(), font->Italic());
    GlyphOutline glyph;
    if (!LoadGlyphOutline(file, {font->logFont.lfHeight, font->logFont.lfWidth}, uChar, lpmat2, glyph))
        return GDI_ERROR;
    *lpgm = glyph.metrics;
    DWORD size = static_cast<DWORD>(glyph.native.size());
    if (!pvBuffer || cjBuffer == 0 || size == 0) return size;
    if (cjBuffer < size) return GDI_ERROR;
    std::memcpy(pvBuffer, glyph.native.data(), size);
    return size;
}

}  // extern "C"

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
