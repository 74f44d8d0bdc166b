// The host's small GDI: device contexts and GDI objects (fonts, brushes, stock objects) as
// validated host objects. The font and glyph-outline calls live here; other rooms create
// their own objects (brushes, DCs for owner-drawn items) through these helpers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/win32.h"

namespace qlhost {

struct GdiObject {
    enum Kind { kFont, kBrush, kPen, kOther };
    explicit GdiObject(Kind k) : kind(k) {}
    virtual ~GdiObject() = default;
    Kind kind;
    bool stock = false;  // stock objects are never deleted
};

struct GdiFont : GdiObject {
    GdiFont() : GdiObject(kFont) {}
    LOGFONTA logFont{};
    std::string FaceName() const;  // lfFaceName, bounded
    bool Bold() const { return logFont.lfWeight >= 600; }
    bool Italic() const { return logFont.lfItalic != 0; }
};

struct GdiBrush : GdiObject {
    GdiBrush() : GdiObject(kBrush) {}
    COLORREF color = 0;
    bool hollow = false;
};

struct HostDC {
    static constexpr uint32_t kMagic = 0x51484443;  // "QHDC"
    uint32_t magic = kMagic;
    HWND window = nullptr;
    GdiObject* font = nullptr;   // selected objects (never null once created)
    GdiObject* brush = nullptr;
    GdiObject* pen = nullptr;
    COLORREF bkColor = 0x00FFFFFF;
    COLORREF textColor = 0;
};

// Registers an object; the handle stays valid until DeleteGdiObject.
HGDIOBJ AddGdiObject(std::unique_ptr<GdiObject> object);
// The live object of a handle, or null.
GdiObject* GdiObjectOf(HGDIOBJ handle);
// Deletes a live, non-stock object (DCs holding it fall back on the stock defaults).
bool DeleteGdiObject(HGDIOBJ handle);
// Stock object of a GetStockObject index, or null for indices without one.
GdiObject* StockObject(int index);

// Device contexts.
HDC CreateHostDC(HWND window);
HostDC* DCOf(HDC dc);
bool ReleaseHostDC(HDC dc);
// Selects an object into a DC; returns the previously selected object of its kind, or null
// when the DC or object is not live.
HGDIOBJ SelectIntoDC(HDC dc, HGDIOBJ object);
// Live objects and DCs (leak checks in tests).
size_t LiveGdiObjects();
size_t LiveDCs();

}  // namespace qlhost
