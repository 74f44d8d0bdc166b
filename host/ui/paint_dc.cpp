// The GDI drawing calls owner-drawn items make, on the host's device contexts.
#include "host/ui/paint_dc.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

#include "host/fonts/gdi.h"
#include "host/state/parts.h"

namespace qlhost {
namespace {

constexpr COLORREF kInvalidColor = 0xFFFFFFFF;  // CLR_INVALID
constexpr int kDefaultTextHeight = 13;           // DEFAULT_GUI_FONT
constexpr size_t kMaxKeptTexts = 1024;

struct Saved {
    GdiObject* font;
    GdiObject* brush;
    GdiObject* pen;
    COLORREF bkColor;
    COLORREF textColor;
};

// This room's part of the host's state (host/state/parts.h).
struct SavedStatesPart {
    std::map<HDC, std::vector<Saved>> saved;
};
std::map<HDC, std::vector<Saved>>& SavedStates() { return Part<SavedStatesPart>().saved; }

// This room's part of the host's state (host/state/parts.h).
struct DrawnPart {
    std::vector<DrawnText> drawn;
};
std::vector<DrawnText>& Drawn() { return Part<DrawnPart>().drawn; }

int TextHeight(const HostDC& dc) {
    if (dc.font && dc.font->kind == GdiObject::kFont) {
        LONG h = static_cast<const GdiFont*>(dc.font)->logFont.lfHeight;
        if (h != 0) return h < 0 ? -h : h;
    }
    return kDefaultTextHeight;
}

}  // namespace

COLORREF SetDCBackground(HDC dc, COLORREF color) {
    HostDC* d = DCOf(dc);
    if (d == nullptr) return kInvalidColor;
    COLORREF previous = d->bkColor;
    d->bkColor = color;
    return previous;
}

COLORREF SystemColor(int index) {
    switch (index) {
        case COLOR_MENU: return 0x00F0F0F0;
        case 5: return 0x00FFFFFF;   // COLOR_WINDOW
        case 15: return 0x00F0F0F0;  // COLOR_BTNFACE
        default: return 0;
    }
}

int DrawDCText(HDC dc, const char* text, int count, const RECT* rect, UINT format) {
    HostDC* d = DCOf(dc);
    if (d == nullptr || text == nullptr || rect == nullptr) return 0;
    std::string s = count < 0 ? std::string(text) : std::string(text, strnlen(text, static_cast<size_t>(count)));
    LOGFONTA font{};
    if (d->font && d->font->kind == GdiObject::kFont)
        font = static_cast<const GdiFont*>(d->font)->logFont;
    if (Drawn().size() < kMaxKeptTexts) Drawn().push_back(DrawnText{d->window, s, font, d->bkColor, format});
    int lines = 1 + static_cast<int>(std::count(s.begin(), s.end(), '\n'));
    return lines * TextHeight(*d);
}

bool FillDCRect(HDC dc, const RECT* rect, HBRUSH brush) {
    GdiObject* b = GdiObjectOf(brush);
    return DCOf(dc) && rect && b && b->kind == GdiObject::kBrush;
}

bool DrawDCEdge(HDC dc, const RECT* rect) { return DCOf(dc) && rect; }

HBRUSH NewSolidBrush(COLORREF color) {
    auto brush = std::make_unique<GdiBrush>();
    brush->color = color;
    return AddGdiObject(std::move(brush));
}

int SaveDCState(HDC dc) {
    HostDC* d = DCOf(dc);
    if (d == nullptr) return 0;
    auto& stack = SavedStates()[dc];
    stack.push_back(Saved{d->font, d->brush, d->pen, d->bkColor, d->textColor});
    return static_cast<int>(stack.size());
}

bool RestoreDCState(HDC dc, int saved) {
    HostDC* d = DCOf(dc);
    auto it = SavedStates().find(dc);
    if (d == nullptr || it == SavedStates().end() || it->second.empty()) return false;
    auto& stack = it->second;
    int level = saved < 0 ? static_cast<int>(stack.size()) + saved + 1 : saved;
    if (level < 1 || level > static_cast<int>(stack.size())) return false;
    const Saved& s = stack[static_cast<size_t>(level - 1)];
    // Objects deleted since the save are not put back.
    auto live = [](GdiObject* o, GdiObject* now) {
        return o && GdiObjectOf(reinterpret_cast<HGDIOBJ>(o)) ? o : now;
    };
    d->font = live(s.font, d->font);
    d->brush = live(s.brush, d->brush);
    d->pen = live(s.pen, d->pen);
    d->bkColor = s.bkColor;
    d->textColor = s.textColor;
    stack.resize(static_cast<size_t>(level - 1));
    if (stack.empty()) SavedStates().erase(it);
    return true;
}

void ForgetSavedStates(HDC dc) { SavedStates().erase(dc); }

std::vector<DrawnText> TakeDrawnTexts() {
    std::vector<DrawnText> out;
    out.swap(Drawn());
    return out;
}

}  // namespace qlhost
