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
struct ScanState {
    HatchRun run{};
    HatchBorder border;
    BorderShape vertical;    // the border's pieces for vertical probes
    BorderShape horizontal;  // and for horizontal ones
    EntRec* group = nullptr;
    DList* members = nullptr;
    HostMatrix toDrawing = {};
    HostMatrix toHatch = {};
    RowTables rows;
    double rowOffset[kRowCount] = {};
    double lowestOffset = 0;  // the least and greatest row offset from row 0
    double highestOffset = 0;
    double smallestStep = 0;
    double origin[2] = {0, 0};
    double previous[2] = {0, 0};  // the cursor at the last drag step, in hatch space
    double point[3] = {0, 0, 0};
    bool dragging = false;  // the left button is held
    bool released = false;  // the button came up during the point request
    HHOOK mouseHook = nullptr;
};
ScanState g_scan;

void RemoveMouseHook() {
    if (g_scan.mouseHook != nullptr) UnhookWindowsHookEx(g_scan.mouseHook);
    g_scan.mouseHook = nullptr;
}

// Button up ends the running point request: the continuation then asks again, idle.
LRESULT CALLBACK PaintMouseHook(int code, WPARAM message, LPARAM info) {
    if (code == HC_ACTION && (message == WM_LBUTTONUP || message == WM_NCLBUTTONUP)) {
        g_scan.dragging = false;
        g_scan.released = true;
        PostMessageA(GetMainWin(), WM_CHAR, kEscapeChar, 0);
    }
    return CallNextHookEx(g_scan.mouseHook, code, message, info);
}

// The line at position p under the cursor: an existing painted one is taken away with CTRL;
// otherwise a new one runs between the border crossings nearest below and above the cursor.
void PaintLine(void* ctx, double p, const double* cursor, bool crosshatch, int16_t style) {
    const bool remove = KeyDown(VK_CONTROL);
    const int across = crosshatch ? 1 : 0;
    const int along = 1 - across;
    const double c = cursor[along];
    if (EntRec* existing = ThePaintedList().Find(p, c, crosshatch, g_scan.smallestStep)) {
        if (remove) {
            EErase(0, existing);
            RemoveEntity(g_scan.members, existing);
            ThePaintedList().Forget(existing);
        }
        return;
    }
    if (remove) return;

    const double from = g_scan.border.extent.min[along] - kProbeReach;
    const double to = g_scan.border.extent.max[along] + kProbeReach;
    std::vector<double> crossings;
    CollectCrossings(crosshatch ? g_scan.horizontal : g_scan.vertical, ScanLine{!crosshatch, p, from, to},
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
    EntRec* line = AddEntity(g_scan.members, BuildLine(start, end).data());
    if (line == nullptr) return;
    SetCStuff(line);
    PutI16(line, kRecLineStyle, style);
    line = ETran(line, g_scan.toDrawing);
    GetPoint(line, kLineStart, start);
    GetPoint(line, kLineEnd, end);
    GetGDraw2()->DrawLine(ctx, start, end);
    // Out of memory the line stays drawn, only not remembered.
    ThePaintedList().Remember(line, p, low, high, crosshatch);
}

// Every hatch line in the half-open range from the previous cursor position to this one,
// cycle by cycle in the row order, each cycle from its row-0 position.
void PaintRange(void* ctx, const double* cursor, bool crosshatch) {
    const double distance = g_scan.run.line.distance;
    const ExtentRec& extent = g_scan.border.extent;
    if (!(distance > 0) || !std::isfinite(distance) || extent.valid == 0) return;
    const int axis = crosshatch ? 1 : 0;
    const double lo = std::max(std::min(g_scan.previous[axis], cursor[axis]), extent.min[axis]);
    const double hi = std::min(std::max(g_scan.previous[axis], cursor[axis]), extent.max[axis]);
    if (!(lo <= hi)) return;
    const double first = std::floor((lo - g_scan.origin[axis] - g_scan.highestOffset) / distance);
    const double last = std::floor((hi - g_scan.origin[axis] - g_scan.lowestOffset) / distance);
    const double cycles = last - first + 1;
    if (!std::isfinite(first) || !(cycles * g_scan.rows.count <= kMaxHatchLines)) return;
    for (int64_t k = 0; k < static_cast<int64_t>(cycles); ++k) {
        const double base = g_scan.origin[axis] + (first + static_cast<double>(k)) * distance;
        for (int j = 0; j < g_scan.rows.count; ++j) {
            const double p = base + g_scan.rowOffset[j];
            if (p > lo && p <= hi) PaintLine(ctx, p, cursor, crosshatch, g_scan.rows.style[j]);
        }
    }
}

void Drag(void* ctx) {
    const auto* live = static_cast<const double*>(RscAdr(kLiveCursor));
    if (live != nullptr) {
        double cursor[2] = {live[0], live[1]};
        TRNP2(cursor, g_scan.toHatch);
        if (g_scan.dragging) PaintRange(ctx, cursor, KeyDown(VK_SHIFT));
        g_scan.previous[0] = cursor[0];
        g_scan.previous[1] = cursor[1];
    }
    XHReqCsr(ctx);
}

void PointGiven(int status);

void AskForDrag() {
    ReqData(REQ_POINT2, g_scan.point, kDragPrompt, QL_DRAG(Drag), PointGiven, kPointFlags, 0);
}

void Finish() {
    ReleaseHatchBorder(g_scan.border);
    g_scan.vertical = {};
    g_scan.horizontal = {};
    ThePaintedList().Clear();
    RedrawSelection();
    ClearSelect();
    MarkEntity(GetWorkDL(), g_scan.group);
    ShowChanges();
    CmdEnd();
}

void PointGiven(int status) {
    RemoveMouseHook();
    EDraw(0, g_scan.group);
    ShowChanges();
    if (g_scan.released) {
        g_scan.released = false;
    } else if (status == ST_OK) {
        g_scan.dragging = true;
        g_scan.mouseHook =
            SetWindowsHookExA(WH_MOUSE, PaintMouseHook, PluginInstance(), GetCurrentThreadId());
    } else {
        Finish();
        return;
    }
    EErase(0, g_scan.group);
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
    for (int j = 0; j < g_scan.rows.count; ++j) {
        double at = std::fmod(g_scan.rowOffset[j], distance);
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
    g_scan.rows = BuildRowTables(g_scan.run.line);
    g_scan.lowestOffset = 0;
    g_scan.highestOffset = 0;
    g_scan.rowOffset[0] = 0;
    for (int j = 1; j < g_scan.rows.count; ++j) {
        g_scan.rowOffset[j] = g_scan.rowOffset[j - 1] + g_scan.rows.step[j];
        g_scan.lowestOffset = std::min(g_scan.lowestOffset, g_scan.rowOffset[j]);
        g_scan.highestOffset = std::max(g_scan.highestOffset, g_scan.rowOffset[j]);
    }
    const double distance = g_scan.run.line.distance;
    g_scan.smallestStep = distance > 0 && std::isfinite(distance) ? SmallestGap(distance) : distance;
}

void StartPainting(int status) {
    if (status != ST_OK) {
        CmdEnd();
        return;
    }
    if (!CreateHatchBorder(g_scan.border)) {
        ShowMessage("Error: Couldn't create temporary drawing list 1\n\nExiting...", "Error",
                    MS_ERROR);
        CmdEnd();
        return;
    }
    RotationMatrix(g_scan.run.line.angle - kQuarterTurn, g_scan.toDrawing);
    RotationMatrix(kQuarterTurn - g_scan.run.line.angle, g_scan.toHatch);
    DList* work = GetWorkDL();
    CollectBorder(g_scan.border, work, g_scan.toHatch, SCOPE_SELECTED);
    g_scan.vertical = SplitBorder(g_scan.border.list, true);
    g_scan.horizontal = SplitBorder(g_scan.border.list, false);

    BeginChange(work);
    g_scan.group = AddEntity(work, BuildGroup().data());
    g_scan.members = g_scan.group != nullptr ? OpenSubList(work, g_scan.group) : nullptr;
    if (g_scan.members == nullptr) {
        ReleaseHatchBorder(g_scan.border);
        CmdEnd();
        return;
    }
    SetCStuff(g_scan.group);
    PrepareRows();
    g_scan.origin[0] = g_scan.run.line.offset[0];
    g_scan.origin[1] = g_scan.run.line.offset[1];
    TRNP2(g_scan.origin, g_scan.toHatch);
    AskForDrag();
}

}  // namespace

void QLHATCHSCAN() {
    // A run the host abandoned leaves nothing behind for this one. The cursor's last position
    // is kept; the other fields are set by the steps before they are read.
    RemoveMouseHook();
    ThePaintedList().Clear();
    g_scan.border = {};
    g_scan.vertical = {};
    g_scan.horizontal = {};
    g_scan.dragging = false;
    g_scan.released = false;
    g_scan.run = PrepareHatchRun();
    ReqData(REQ_SELECTION, nullptr, "Scan hatch - pick entities:", QL_CURSOR(kSelectCursor),
            StartPainting, 0, 0);
}
