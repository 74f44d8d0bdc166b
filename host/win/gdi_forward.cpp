// SelectObject and DeleteObject of the Windows host: the host's own device contexts (handed
// to owner-drawn dialog items and recorded for the pictures) and objects (GetStockObject,
// CreateSolidBrush) stay the host's; real ones go to GDI. A real font selected into a host
// context (the plug-in's CreateFontA is real) is described to the host by a copy of its
// LOGFONTA, kept until the font is deleted.
#include <map>
#include <memory>

#include "core/win32.h"
#include "host/fonts/gdi.h"
#include "host/win/native_input.h"

namespace {

using namespace qlhost;

constexpr int kStockObjects = 20;

// Host copies of real fonts, by the real handle.
std::map<HGDIOBJ, HGDIOBJ>& Copies() {
    static std::map<HGDIOBJ, HGDIOBJ> copies;
    return copies;
}

HGDIOBJ HostCopyOfRealFont(HGDIOBJ real) {
    auto it = Copies().find(real);
    if (it != Copies().end()) return it->second;
    auto font = std::make_unique<GdiFont>();
    if (!win::RealFontDescription(real, &font->logFont, sizeof font->logFont)) return nullptr;
    HGDIOBJ copy = AddGdiObject(std::move(font));
    Copies()[real] = copy;
    return copy;
}

// The GetStockObject index of a host stock object, -1 for any other.
int StockIndexOf(const GdiObject* object) {
    for (int i = 0; i < kStockObjects; ++i)
        if (object != nullptr && StockObject(i) == object) return i;
    return -1;
}

}  // namespace

extern "C" {

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    if (DCOf(hdc)) {
        if (GdiObjectOf(h)) return SelectIntoDC(hdc, h);
        HGDIOBJ copy = HostCopyOfRealFont(h);
        return copy ? SelectIntoDC(hdc, copy) : nullptr;
    }
    if (GdiObject* own = GdiObjectOf(h)) {
        // The host's stock objects stand for the real ones of the same index.
        const int index = StockIndexOf(own);
        return index < 0 ? nullptr : static_cast<HGDIOBJ>(win::SelectIntoRealDC(hdc, win::RealStockObject(index)));
    }
    return static_cast<HGDIOBJ>(win::SelectIntoRealDC(hdc, h));
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    if (GdiObjectOf(ho)) return DeleteGdiObject(ho) ? TRUE : FALSE;
    if (auto it = Copies().find(ho); it != Copies().end()) {
        DeleteGdiObject(it->second);
        Copies().erase(it);
    }
    return win::DeleteRealObject(ho) ? TRUE : FALSE;
}

}  // extern "C"
