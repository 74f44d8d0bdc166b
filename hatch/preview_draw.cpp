// The owner-drawn items of the hatch dialog's preview list: a picture of each pattern drawn
// through a host preview control, with the pattern's name over it.
#include <algorithm>
#include <cmath>
#include <vector>

#include "core/host_api.h"
#include "core/records.h"
#include "hatch/command.h"
#include "hatch/engine/border.h"
#include "hatch/engine/patterns.h"

namespace {

constexpr UINT kItemHeight = 45;
constexpr COLORREF kSelectedBackground = 0x00FFFF;  // yellow
constexpr COLORREF kPlainBackground = 0xFFFFFF;
constexpr UINT kNameFormat = 0x1004;  // DT_EDITCONTROL | DT_VCENTER
constexpr UINT kSunkenEdge = 10;       // EDGE_SUNKEN
constexpr UINT kEdgeAllSides = 15;     // BF_RECT
constexpr size_t kViewRecordDoubles = 16;  // view width, height, then zeros

// Simple line pattern: the view spans a few lines at the pattern's distance.
constexpr double kLineViewWidth = 6.375;
constexpr double kLineViewHeight = 1.6875;
constexpr double kLineReach = 16;      // lines at 0, d, 2d, ... below this
constexpr double kLineHalfLength = 20;
constexpr double kLineShift = -8;
constexpr int kMaxPreviewLines = 4096;  // a tiny distance draws no more than this per row

// Scalable pattern: a band of 4 x 1 preview sizes.
constexpr double kScalableViewWidth = 4.25;
constexpr double kScalableViewHeight = 1.125;

// PAT pattern: a 12 x 4 box seen through an 8.5 x 2.25 view.
constexpr double kPatViewWidth = 8.5;
constexpr double kPatViewHeight = 2.25;
constexpr double kPatBoxHalfWidth = 6;
constexpr double kPatBoxHalfHeight = 2;
constexpr double kDirectionFloor = 0.1;  // families nearer the other axis do not count
constexpr double kRepeatAcross = 0.5;
constexpr double kMinRepeatAlong = 1;
constexpr double kMaxRepeatAlong = 4;
constexpr double kMinPatScale = 0.01;

constexpr size_t kFillStyleNumber = 4;
constexpr size_t kFillStyleDataOffset = 7;

void Transform(double* point, const HostMatrix matrix) { TRNP2(point, matrix); }

// The matrix of row k's lines: rotated into the drawing, moved left, moved by the row offset.
void RowMatrix(const LineSettings& line, int row, HostMatrix matrix) {
    CTMI2();
    CTMR2(line.angle - kQuarterTurn);
    CTMT2(kLineShift, 0);
    CTMT2(RowOffsetFactor(line) * line.rowOffset[row], 0);
    STCTM(matrix);
}

// The line settings saved under the name, read without touching the records the command
// and its dialogs work on.
LineSettings SavedSettings(const char* name) {
    LineSettings& current = TheLineSettings();
    const LineSettings kept = current;
    LoadLineSettings(name);
    const LineSettings saved = current;
    current = kept;
    return saved;
}

void DrawLinePreview(const PatternItem& item, const RECT& rect, HDC dc, GDraw2* painter) {
    const LineSettings line = SavedSettings(item.name.c_str());
    const double distance = line.distance;
    if (!(distance > 0) || !std::isfinite(distance)) return;
    double view[kViewRecordDoubles] = {kLineViewWidth * distance, kLineViewHeight * distance};
    void* control = CreateXWCtrl(view, &rect, dc);
    if (control == nullptr) return;
    const int color = static_cast<int>(LookupColor(GetCurColor()));
    for (int k = 0; k < kRowCount; ++k) {
        if (line.rowOn[k] != 1) continue;
        HostMatrix matrix;
        RowMatrix(line, k, matrix);
        painter->SetPen(control, color, LineStyleNumber(line.rowStyle[k], kStyleNameSize), 0);
        for (int i = 0; i < kMaxPreviewLines; ++i) {
            const double l = i * distance;
            if (!(l < kLineReach)) break;
            double a[2] = {l, -kLineHalfLength}, b[2] = {l, kLineHalfLength};
            Transform(a, matrix);
            Transform(b, matrix);
            painter->DrawLine(control, a, b);
        }
    }
    ReleaseXWCtrl(control);
}

void DrawScalablePreview(const PatternItem& item, const RECT& rect, HDC dc, GDraw2* painter) {
    const unsigned char* style = item.style;
    if (style == nullptr) return;
    const uint32_t length = GetU32(style, kEntryLength);
    const size_t data = GetU8(style, kFillStyleDataOffset);
    if (data + sizeof(double) > length) return;
    const double s = GetF64(style, data);
    if (!(s > 0) || !std::isfinite(s)) return;
    double view[kViewRecordDoubles] = {kScalableViewWidth * s, kScalableViewHeight * s};
    void* control = CreateXWCtrl(view, &rect, dc);
    if (control == nullptr) return;
    painter->SetPen(control, static_cast<int>(LookupColor(GetCurColor())), 0,
                    GetU16(style, kFillStyleNumber));
    const double outline[10] = {-2 * s, -0.5 * s, 2 * s, -0.5 * s, 2 * s, 0.5 * s,
                                -2 * s, 0.5 * s,  -2 * s, -0.5 * s};
    painter->DrawPolyline(control, 5, outline);
    ReleaseXWCtrl(control);
}

void RotationOf(double angle, HostMatrix matrix) {
    CTMI2();
    CTMR2(angle);
    STCTM(matrix);
}

// One PAT family over the preview box: its lines in hatch space, cut to the box's height.
void DrawPatFamily(void* control, GDraw2* painter, const PatFamily& pat, double scale) {
    HostMatrix toHatch, toView;
    RotationOf(kQuarterTurn - pat.angle, toHatch);
    RotationOf(pat.angle - kQuarterTurn, toView);
    HatchFamily family;
    family.origin[0] = pat.originX * scale;
    family.origin[1] = pat.originY * scale;
    Transform(family.origin, toHatch);
    ExtentRec box{};
    const double corners[4][2] = {{-kPatBoxHalfWidth, -kPatBoxHalfHeight},
                                  {kPatBoxHalfWidth, -kPatBoxHalfHeight},
                                  {kPatBoxHalfWidth, kPatBoxHalfHeight},
                                  {-kPatBoxHalfWidth, kPatBoxHalfHeight}};
    for (const auto& corner : corners) {
        double p[2] = {corner[0], corner[1]};
        Transform(p, toHatch);
        GXCheckP2(p, &box);
    }
    const double deltaX = pat.deltaY < 0 ? -pat.deltaX : pat.deltaX;
    family.spacing = std::fabs(pat.deltaY);
    family.stagger = -deltaX;
    family.cycleLength = pat.cycleLength;
    family.dashes = pat.dashes;
    family.scale = scale;
    const SweepBounds bounds{box.min[0], box.max[0], box.min[1], box.max[1]};
    SweepFamily(
        family, bounds,
        [&](double, std::vector<double>& crossings) {
            crossings.push_back(bounds.yMin);
            crossings.push_back(bounds.yMax);
        },
        [&](double x, double from, double to) {
            double a[2] = {x, from}, b[2] = {x, to};
            Transform(a, toView);
            Transform(b, toView);
            painter->DrawLine(control, a, b);
        });
}

void DrawPatPreview(const PatternItem& item, const RECT& rect, HDC dc, GDraw2* painter) {
    if (item.pattern == nullptr) return;
    double view[kViewRecordDoubles] = {kPatViewWidth, kPatViewHeight};
    void* control = CreateXWCtrl(view, &rect, dc);
    if (control == nullptr) return;
    painter->SetPen(control, static_cast<int>(LookupColor(GetCurColor())), 0, 0);
    const double scale = PatPreviewScale(*item.pattern);
    for (const PatFamily& family : item.pattern->families) DrawPatFamily(control, painter, family, scale);
    ReleaseXWCtrl(control);
}

void DrawPreview(const PatternItem& item, const RECT& rect, HDC dc) {
    GDraw2* painter = GetGDraw2();
    if (painter == nullptr) return;
    CTMPSH();
    switch (item.kind) {
        case kPatternSimple: DrawLinePreview(item, rect, dc, painter); break;
        case kPatternScalable: DrawScalablePreview(item, rect, dc, painter); break;
        case kPatternPat: DrawPatPreview(item, rect, dc, painter); break;
        default: break;
    }
    CTMPOP();
}

void DrawName(const DRAWITEMSTRUCT& draw, const char* name, bool selected) {
    const int saved = SaveDC(draw.hDC);
    SelectObject(draw.hDC, GetStockObject(DEFAULT_GUI_FONT));
    SetBkColor(draw.hDC, selected ? kSelectedBackground : kPlainBackground);
    RECT rect = draw.rcItem;
    DrawTextA(draw.hDC, name, -1, &rect, kNameFormat);
    RestoreDC(draw.hDC, saved);
}

}  // namespace

double PatPreviewScale(const PatPattern& pattern) {
    double across = -1, along = -1;
    for (const PatFamily& family : pattern.families) {
        const double c = std::cos(family.angle), s = std::sin(family.angle);
        if (std::fabs(c) > kDirectionFloor) across = std::max(across, std::fabs(family.deltaY / c));
        if (std::fabs(s) > kDirectionFloor) along = std::max(along, std::fabs(family.deltaY / s));
    }
    // A direction without families counts as -1, so the quotients below turn negative and
    // the pattern keeps its own scale, or (lines of one direction only) the along repeat 1.
    double scale = kRepeatAcross / across;
    const double repeat = along * scale;
    if (repeat > kMaxRepeatAlong)
        scale /= repeat / kMaxRepeatAlong;
    else if (repeat < kMinRepeatAlong)
        scale /= repeat;
    if (!(scale >= kMinPatScale) || !std::isfinite(scale)) scale = 1.0;
    return scale;
}

int PatternPreviewDraw(UINT message, void* record) {
    if (record == nullptr) return 0;
    if (message == WM_MEASUREITEM) {
        static_cast<MEASUREITEMSTRUCT*>(record)->itemHeight = kItemHeight;
        return 0;
    }
    if (message != WM_DRAWITEM) return 0;
    const DRAWITEMSTRUCT& draw = *static_cast<DRAWITEMSTRUCT*>(record);
    if ((draw.itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) == 0) return 0;
    if (draw.itemID == static_cast<UINT>(-1)) return 0;
    RECT background = draw.rcItem;
    background.right += 1;
    background.bottom += 1;
    HBRUSH brush = CreateSolidBrush(LookupColor(GetBkgndColor(0)));
    FillRect(draw.hDC, &background, brush);
    DeleteObject(brush);
    const PatternItem* item = FindPatternItem(draw.itemData);
    if (item == nullptr) return 0;
    DrawPreview(*item, draw.rcItem, draw.hDC);
    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    DrawName(draw, item->name.c_str(), selected);
    if (selected) {
        RECT edge = draw.rcItem;
        DrawEdge(draw.hDC, &edge, kSunkenEdge, kEdgeAllSides);
    }
    return 0;
}
