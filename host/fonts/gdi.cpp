// Registry of GDI objects and device contexts of the host.
#include "host/fonts/gdi.h"
#include "host/state/parts.h"

#include <cstring>
#include <map>

namespace qlhost {
namespace {

constexpr int kStockCount = 20;
constexpr int kFirstStockFont = 10;
constexpr int kDefaultGuiFont = 17;
constexpr int kNullPen = 8;

struct Registry {
    std::map<const GdiObject*, std::unique_ptr<GdiObject>> objects;
    std::map<const HostDC*, std::unique_ptr<HostDC>> dcs;
    std::unique_ptr<GdiObject> stock[kStockCount];
};

Registry& Reg() { return Part<Registry>(); }

std::unique_ptr<GdiObject> MakeStock(int index) {
    static const COLORREF kBrushColors[5] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
    if (index >= 0 && index <= 5) {
        auto brush = std::make_unique<GdiBrush>();
        brush->color = index < 5 ? kBrushColors[index] : 0;
        brush->hollow = index == 5;
        return brush;
    }
    if (index >= 6 && index <= kNullPen) return std::make_unique<GdiObject>(GdiObject::kPen);
    if (index >= kFirstStockFont && index <= kDefaultGuiFont && index != 15) {
        auto font = std::make_unique<GdiFont>();
        bool fixed = index == 10 || index == 11 || index == 16;
        font->logFont.lfHeight = -11;
        font->logFont.lfWeight = 400;
        std::strncpy(font->logFont.lfFaceName, fixed ? "DejaVu Sans Mono" : "DejaVu Sans", 31);
        return font;
    }
    return nullptr;
}

}  // namespace

std::string GdiFont::FaceName() const {
    return std::string(logFont.lfFaceName, strnlen(logFont.lfFaceName, sizeof logFont.lfFaceName));
}

GdiObject* StockObject(int index) {
    if (index < 0 || index >= kStockCount) return nullptr;
    auto& slot = Reg().stock[index];
    if (!slot) {
        slot = MakeStock(index);
        if (slot) slot->stock = true;
    }
    return slot.get();
}

HGDIOBJ AddGdiObject(std::unique_ptr<GdiObject> object) {
    if (!object) return nullptr;
    GdiObject* raw = object.get();
    Reg().objects[raw] = std::move(object);
    return reinterpret_cast<HGDIOBJ>(raw);
}

GdiObject* GdiObjectOf(HGDIOBJ handle) {
    auto* raw = reinterpret_cast<GdiObject*>(handle);
    if (!raw) return nullptr;
    if (Reg().objects.count(raw)) return raw;
    for (auto& s : Reg().stock)
        if (s.get() == raw) return raw;
    return nullptr;
}

bool DeleteGdiObject(HGDIOBJ handle) {
    GdiObject* object = GdiObjectOf(handle);
    if (!object) return false;
    if (object->stock) return true;
    for (auto& [key, dc] : Reg().dcs) {
        if (dc->font == object) dc->font = StockObject(kDefaultGuiFont);
        if (dc->brush == object) dc->brush = StockObject(0);
        if (dc->pen == object) dc->pen = StockObject(7);
    }
    Reg().objects.erase(object);
    return true;
}

HDC CreateHostDC(HWND window) {
    auto dc = std::make_unique<HostDC>();
    dc->window = window;
    dc->font = StockObject(kDefaultGuiFont);
    dc->brush = StockObject(0);
    dc->pen = StockObject(7);
    HostDC* raw = dc.get();
    Reg().dcs[raw] = std::move(dc);
    return reinterpret_cast<HDC>(raw);
}

HostDC* DCOf(HDC dc) {
    auto* raw = reinterpret_cast<HostDC*>(dc);
    return raw && Reg().dcs.count(raw) ? raw : nullptr;
}

bool ReleaseHostDC(HDC dc) {
    HostDC* raw = DCOf(dc);
    if (!raw) return false;
    Reg().dcs.erase(raw);
    return true;
}

HGDIOBJ SelectIntoDC(HDC dc, HGDIOBJ handle) {
    HostDC* d = DCOf(dc);
    GdiObject* object = GdiObjectOf(handle);
    if (!d || !object) return nullptr;
    GdiObject** slot = object->kind == GdiObject::kFont    ? &d->font
                       : object->kind == GdiObject::kBrush ? &d->brush
                       : object->kind == GdiObject::kPen   ? &d->pen
                                                           : nullptr;
    if (!slot) return nullptr;
    GdiObject* previous = *slot;
    *slot = object;
    return reinterpret_cast<HGDIOBJ>(previous);
}

size_t LiveGdiObjects() { return Reg().objects.size(); }
size_t LiveDCs() { return Reg().dcs.size(); }

}  // namespace qlhost
