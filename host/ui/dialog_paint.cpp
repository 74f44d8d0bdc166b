// Owner-drawn controls: the plug-in's draw procedure is asked to measure and draw every
// visible item when the dialog opens and whenever the items or the selection change.
#include <algorithm>
#include <vector>

#include "host/fonts/gdi.h"
#include "host/ui/dialog.h"
#include "host/ui/paint_dc.h"

namespace qlhost {
namespace {

// Dialog units in pixels for the templates' 8-point MS Sans Serif (base units 6 x 13).
constexpr int kBaseX = 6, kBaseY = 13;
constexpr int kBorder = 1;                   // pixels of a list's border on each side
constexpr UINT kDefaultItemHeight = 16;      // what the draw procedure gets to change
constexpr uint32_t kOwnerDrawFixed = 0x10;   // LBS_ / CBS_OWNERDRAWFIXED
constexpr uint32_t kOwnerDrawVariable = 0x20;
constexpr uint32_t kBorderStyle = 0x00800000;  // WS_BORDER
constexpr UINT kOdtListBox = 2, kOdtComboBox = 3, kOdtButton = 4;
constexpr UINT kOdsDisabled = 0x4;

int PixelsX(int units) { return units * kBaseX / 4; }
int PixelsY(int units) { return units * kBaseY / 8; }

UINT Measure(const ControlState& c, UINT type, int item) {
    MEASUREITEMSTRUCT m{};
    m.CtlType = type;
    m.CtlID = static_cast<UINT>(c.tmpl->id);
    m.itemID = static_cast<UINT>(item);
    m.itemWidth = static_cast<UINT>(PixelsX(c.tmpl->width));
    m.itemHeight = kDefaultItemHeight;
    m.itemData = item >= 0 && item < static_cast<int>(c.items.size()) ? c.items[static_cast<size_t>(item)].data : 0;
    c.binding->draw(WM_MEASUREITEM, &m);
    return m.itemHeight > 0 ? m.itemHeight : kDefaultItemHeight;
}

// Each item is drawn on a device context of the control's window, as Windows hands one over.
void Draw(const ControlState& c, UINT type, int item, const RECT& rect) {
    DRAWITEMSTRUCT s{};
    s.CtlType = type;
    s.CtlID = static_cast<UINT>(c.tmpl->id);
    s.itemID = static_cast<UINT>(item);
    s.itemAction = ODA_DRAWENTIRE;
    s.itemState = (item >= 0 && item == c.selection ? ODS_SELECTED : 0) | (c.enabled ? 0 : kOdsDisabled);
    s.hwndItem = c.hwnd;
    s.hDC = CreateHostDC(c.hwnd);
    s.rcItem = rect;
    s.itemData = item >= 0 && item < static_cast<int>(c.items.size()) ? c.items[static_cast<size_t>(item)].data : 0;
    c.binding->draw(WM_DRAWITEM, &s);
    ForgetSavedStates(s.hDC);
    ReleaseHostDC(s.hDC);
}

void PaintList(ControlState& c) {
    bool variable = (c.tmpl->style & kOwnerDrawVariable) != 0;
    int border = (c.tmpl->style & kBorderStyle) ? kBorder : 0;
    int width = PixelsX(c.tmpl->width) - 2 * border;
    int client = PixelsY(c.tmpl->height) - 2 * border;
    int count = static_cast<int>(c.items.size());
    std::vector<int> heights(static_cast<size_t>(count));
    UINT fixed = variable ? 0 : Measure(c, kOdtListBox, 0);
    for (int i = 0; i < count; ++i)
        heights[static_cast<size_t>(i)] = static_cast<int>(variable ? Measure(c, kOdtListBox, i) : fixed);
    // The selection is scrolled into view, as a list box does when it is selected.
    int sel = c.selection < count ? c.selection : -1;
    if (sel >= 0 && sel < c.top) c.top = sel;
    c.top = std::clamp(c.top, 0, std::max(count - 1, 0));
    auto span = [&](int from, int to) {
        int sum = 0;
        for (int i = from; i <= to; ++i) sum += heights[static_cast<size_t>(i)];
        return sum;
    };
    while (sel >= 0 && c.top < sel && span(c.top, sel) > client) ++c.top;
    int y = 0;
    for (int i = c.top; i < count && y < client; ++i) {
        int h = heights[static_cast<size_t>(i)];
        Draw(c, kOdtListBox, i, RECT{0, y, width, y + h});
        y += h;
    }
}

void PaintCombo(const ControlState& c) {
    int h = static_cast<int>(Measure(c, kOdtComboBox, -1));
    Draw(c, kOdtComboBox, c.selection, RECT{0, 0, PixelsX(c.tmpl->width), h});
}

void Paint(ControlState& c) {
    if (c.binding == nullptr || c.binding->draw == nullptr || !c.visible) return;
    uint32_t owner = c.tmpl->style & (kOwnerDrawFixed | kOwnerDrawVariable);
    switch (KindOf(*c.tmpl)) {
        case Kind::List:
            if (owner) PaintList(c);
            break;
        case Kind::Combo:
            if (owner) PaintCombo(c);
            break;
        case Kind::OwnerButton:
            Draw(c, kOdtButton, 0, RECT{0, 0, PixelsX(c.tmpl->width), PixelsY(c.tmpl->height)});
            break;
        default:
            break;
    }
}

}  // namespace

void RequestPaint(ControlState& c) { c.paintPending = true; }

void PaintPending(OpenDialog& d) {
    for (ControlState& c : d.controls) {
        if (!c.paintPending) continue;
        c.paintPending = false;
        Paint(c);
    }
}

}  // namespace qlhost
