// QLHATCHSCAN: the user paints hatch lines with the mouse. While the left button is held,
// every hatch line the cursor sweeps across is drawn from the nearest border crossing below
// the cursor to the nearest above it; CTRL takes painted lines away, SHIFT paints the
// perpendicular lines. ESC or the right button ends the command.
#include "hatch/scan.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "core/commands.h"
#include "core/hooks.h"
#include "core/host_api.h"
#include "core/layers.h"
#include "core/prompts.h"
#include "core/records.h"
#include "core/registration.h"
#include "hatch/engine/border.h"

// ---------------------------------------------------------------------------------------
// The painted list

PaintedRecord* PaintedList::AllocateRecord() {
    return new (std::nothrow) PaintedRecord{};
}

EntRec* PaintedList::Find(double position, double along, bool crosshatch,
                          double smallestStep) const {
    const uint8_t kind = crosshatch ? 1 : 0;
    for (const PaintedRecord* r = head_; r != nullptr; r = r->next) {
        if (r->crosshatch == kind && std::fabs(position - r->position) < smallestStep / 2 &&
            r->low <= along && along <= r->high) {
            return r->line;
        }
    }
    return nullptr;
}

bool PaintedList::Remember(EntRec* line, double position, double low, double high,
                           bool crosshatch) {
    PaintedRecord* record = allocate_();
    if (record == nullptr) return false;
    *record = {nullptr, line, position, low, high, static_cast<uint8_t>(crosshatch ? 1 : 0)};
    if (tail_ != nullptr) {
        tail_->next = record;
    } else {
        head_ = record;
    }
    tail_ = record;
    return true;
}

void PaintedList::Forget(EntRec* line) {
    PaintedRecord* before = nullptr;
    for (PaintedRecord* r = head_; r != nullptr; before = r, r = r->next) {
        if (r->line != line) continue;
        (before != nullptr ? before->next : head_) = r->next;
        if (tail_ == r) tail_ = before;
        delete r;
        return;
    }
}

void PaintedList::Clear() {
    while (head_ != nullptr) {
        PaintedRecord* next = head_->next;
        delete head_;
        head_ = next;
    }
    tail_ = nullptr;
}

size_t PaintedList::Size() const {
    size_t size = 0;
    for (const PaintedRecord* r = head_; r != nullptr; r = r->next) ++size;
    return size;
}

PaintedList& ThePaintedList() {
    static PaintedList list;
    return list;
}

// ---------------------------------------------------------------------------------------
// The command

namespace {

constexpr uintptr_t kSelectCursor = 8;
constexpr uint32_t kPointFlags = 0x400000;
constexpr int kLiveCursor = 4147;
constexpr WPARAM kEscapeChar = 27;
// Probes start this far beyond the border's extent, so a crossing moves their ends.
constexpr double kProbeReach = 1.0;
constexpr char kDragPrompt[] = "Drag over areas to hatch (CTRL = remove, SHIFT = crosshatch):";

// The state of the running command.
HatchRun g_run;
HatchBorder g_border;
BorderShape g_vertical;    // the border's pieces for vertical probes
BorderShape g_horizontal;  // and for horizontal ones
EntRec* g_group = nullptr;
DList* g_members = nullptr;
HostMatrix g_toDrawing;
HostMatrix g_toHatch;
RowTables g_rows;
double g_rowOffset[kRowCount];
double g_lowestOffset = 0;  // the least and greatest row offset from row 0
double g_highestOffset = 0;
double g_smallestStep = 0;
double g_origin[2];
double g_previous[2];
double g_point[3];
bool g_dragging = false;
bool g_released = false;
HHOOK g_mouseHook = nullptr;

void RemoveMouseHook() {
    if (g_mouseHook != nullptr) UnhookWindowsHookEx(g_mouseHook);
    g_mouseHook = nullptr;
}

// Button up ends the running point request: the continuation then asks again, idle.
LRESULT CALLBACK PaintMouseHook(int code, WPARAM message, LPARAM info) {
    if (code == HC_ACTION && (message == WM_LBUTTONUP || message == WM_NCLBUTTONUP)) {
        g_dragging = false;
        g_released = true;
        PostMessageA(GetMainWin(), WM_CHAR, kEscapeChar, 0);
    }
    return CallNextHookEx(g_mouseHook, code, message, info);
}

// The line at position p under the cursor: an existing painted one is taken away with CTRL;
// otherwise a new one runs between the border crossings nearest below and above the cursor.
void PaintLine(void* ctx, double p, const double* cursor, bool crosshatch, int16_t style) {
    const bool remove = KeyDown(VK_CONTROL);
    const int across = crosshatch ? 1 : 0;
    const int along = 1 - across;
    const double c = cursor[along];
    if (EntRec* existing = ThePaintedList().Find(p, c, crosshatch, g_smallestStep)) {
        if (remove) {
            EErase(0, existing);
            RemoveEntity(g_members, existing);
            ThePaintedList().Forget(existing);
        }
        return;
    }
    if (remove) return;

    const double from = g_border.extent.min[along] - kProbeReach;
    const double to = g_border.extent.max[along] + kProbeReach;
    std::vector<double> crossings;
    CollectCrossings(crosshatch ? g_horizontal : g_vertical, ScanLine{!crosshatch, p, from, to},
                     crossings);
    double low = from;
    double high = to;
    for (const double q : crossings) {
        if (q >= c && q < high) high = q;
        if (q < c && q > low) low = q;
    }
    if (!(low > from && high < to)) return;

    double start[2], end[2];
    start[across] = p;
    end[across] = p;
    start[along] = low;
    end[along] = high;
    EntRec* line = AddEntity(g_members, BuildLine(start, end).data());
    if (line == nullptr) return;
    SetCStuff(line);
    PutI16(line, kRecLineStyle, style);
    line = ETran(line, g_toDrawing);
    GetPoint(line, kLineStart, start);
    GetPoint(line, kLineEnd, end);
    GetGDraw2()->DrawLine(ctx, start, end);
    // Out of memory the line stays drawn, only not remembered.
    ThePaintedList().Remember(line, p, low, high, crosshatch);
}

// Every hatch line in the half-open range from the previous cursor position to this one,
// cycle by cycle in the row order, each cycle from its row-0 position.
void PaintRange(void* ctx, const double* cursor, bool crosshatch) {
    const double distance = g_run.line.distance;
    const ExtentRec& extent = g_border.extent;
    if (!(distance > 0) || !std::isfinite(distance) || extent.valid == 0) return;
    const int axis = crosshatch ? 1 : 0;
    const double lo = std::max(std::min(g_previous[axis], cursor[axis]), extent.min[axis]);
    const double hi = std::min(std::max(g_previous[axis], cursor[axis]), extent.max[axis]);
    if (!(lo <= hi)) return;
    const double first = std::floor((lo - g_origin[axis] - g_highestOffset) / distance);
    const double last = std::floor((hi - g_origin[axis] - g_lowestOffset) / distance);
    const double cycles = last - first + 1;
    if (!std::isfinite(first) || !(cycles * g_rows.count <= kMaxHatchLines)) return;
    for (int64_t k = 0; k < static_cast<int64_t>(cycles); ++k) {
        const double base = g_origin[axis] + (first + static_cast<double>(k)) * distance;
        for (int j = 0; j < g_rows.count; ++j) {
            const double p = base + g_rowOffset[j];
            if (p > lo && p <= hi) PaintLine(ctx, p, cursor, crosshatch, g_rows.style[j]);
        }
    }
}

void Drag(void* ctx) {
    const auto* live = static_cast<const double*>(RscAdr(kLiveCursor));
    if (live != nullptr) {
        double cursor[2] = {live[0], live[1]};
        TRNP2(cursor, g_toHatch);
        if (g_dragging) PaintRange(ctx, cursor, KeyDown(VK_SHIFT));
        g_previous[0] = cursor[0];
        g_previous[1] = cursor[1];
    }
    XHReqCsr(ctx);
}

void PointGiven(int status);

void AskForDrag() {
    ReqData(REQ_POINT2, g_point, kDragPrompt, QL_DRAG(Drag), PointGiven, kPointFlags, 0);
}

void Finish() {
    ReleaseHatchBorder(g_border);
    g_vertical = {};
    g_horizontal = {};
    ThePaintedList().Clear();
    RedrawSelection();
    ClearSelect();
    MarkEntity(GetWorkDL(), g_group);
    ShowChanges();
    CmdEnd();
}

void PointGiven(int status) {
    RemoveMouseHook();
    EDraw(0, g_group);
    ShowChanges();
    if (g_released) {
        g_released = false;
    } else if (status == ST_OK) {
        g_dragging = true;
        g_mouseHook =
            SetWindowsHookExA(WH_MOUSE, PaintMouseHook, PluginInstance(), GetCurrentThreadId());
    } else {
        Finish();
        return;
    }
    EErase(0, g_group);
    AskForDrag();
}

// Row positions this close, as a share of the distance, are one position.
constexpr double kSamePosition = 1e-9;

// The smallest gap between neighbouring hatch lines: between the distinct positions of the
// rows within one distance, or the distance when all rows lie on one position. With row
// steps that are all positive this is the least step; a zero or negative step 0 (row offsets
// adding up to the distance or more) no longer shrinks it to nothing.
double SmallestGap(double distance) {
    std::vector<double> positions;
    for (int j = 0; j < g_rows.count; ++j) {
        double at = std::fmod(g_rowOffset[j], distance);
        if (at < 0) at += distance;
        positions.push_back(at);
    }
    std::sort(positions.begin(), positions.end());
    double gap = distance;
    const auto consider = [&](double g) {
        if (g > kSamePosition * distance) gap = std::min(gap, g);
    };
    for (size_t i = 1; i < positions.size(); ++i) consider(positions[i] - positions[i - 1]);
    consider(distance - positions.back() + positions.front());
    return gap;
}

void PrepareRows() {
    g_rows = BuildRowTables(g_run.line);
    g_lowestOffset = 0;
    g_highestOffset = 0;
    g_rowOffset[0] = 0;
    for (int j = 1; j < g_rows.count; ++j) {
        g_rowOffset[j] = g_rowOffset[j - 1] + g_rows.step[j];
        g_lowestOffset = std::min(g_lowestOffset, g_rowOffset[j]);
        g_highestOffset = std::max(g_highestOffset, g_rowOffset[j]);
    }
    const double distance = g_run.line.distance;
    g_smallestStep = distance > 0 && std::isfinite(distance) ? SmallestGap(distance) : distance;
}

void StartPainting(int status) {
    if (status != ST_OK) {
        CmdEnd();
        return;
    }
    if (!CreateHatchBorder(g_border)) {
        ShowMessage("Error: Couldn't create temporary drawing list 1\n\nExiting...", "Error",
                    MS_ERROR);
        CmdEnd();
        return;
    }
    RotationMatrix(g_run.line.angle - kQuarterTurn, g_toDrawing);
    RotationMatrix(kQuarterTurn - g_run.line.angle, g_toHatch);
    DList* work = GetWorkDL();
    CollectBorder(g_border, work, g_toHatch, SCOPE_SELECTED);
    g_vertical = SplitBorder(g_border.list, true);
    g_horizontal = SplitBorder(g_border.list, false);

    BeginChange(work);
    g_group = AddEntity(work, BuildGroup().data());
    g_members = g_group != nullptr ? OpenSubList(work, g_group) : nullptr;
    if (g_members == nullptr) {
        ReleaseHatchBorder(g_border);
        CmdEnd();
        return;
    }
    SetCStuff(g_group);
    PrepareRows();
    g_origin[0] = g_run.line.offset[0];
    g_origin[1] = g_run.line.offset[1];
    TRNP2(g_origin, g_toHatch);
    AskForDrag();
}

}  // namespace

void QLHATCHSCAN() {
    // A run the host abandoned leaves nothing behind for this one.
    RemoveMouseHook();
    ThePaintedList().Clear();
    g_border = {};
    g_vertical = {};
    g_horizontal = {};
    g_dragging = false;
    g_released = false;
    g_run = PrepareHatchRun();
    ReqData(REQ_SELECTION, nullptr, "Scan hatch - pick entities:", QL_CURSOR(kSelectCursor),
            StartPainting, 0, 0);
}
