// The cursor and view of the reference host: the live cursor and pick record (RscAdr), the
// active drawing window, drag calls with the drag context, and the end-point snap.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/drawing/tables.h"
#include "host/platform/system.h"
#include "host/protocol/interact.h"
#include "host/protocol/protocol.h"
#include "host/state/events.h"
#include "host/state/parts.h"

namespace qlhost {
namespace {

constexpr size_t kPickRecordSize = 64;
constexpr size_t kPickPositionOffset = 36;
constexpr double kPickPixelTolerance = 4.0;

// This room's part of the host's state (host/state/parts.h).
struct CursorState {
    double cursor[3] = {0, 0, 0};
    unsigned char pickRecord[kPickRecordSize] = {};
    char programPath[260] = {};
    double viewX = 0, viewY = 0;
    ADWin window = {100.0, 75.0, kWindowPixelsX, kWindowPixelsY};
    alignas(16) unsigned char dragContext[kDragContextSize] = {};
    double rubberOrigin[3] = {0, 0, 0};
    bool rubberSet = false;  // in the running command
    int dragCalls = 0;
};
CursorState& Cursors() { return Part<CursorState>(); }

double ReadDouble(const unsigned char* at) {
    double value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// End points of lines (type 2), paths (3) and arcs (7), as the plug-in's EntityEnds sees them.
int EndPoints(const Node& node, double points[4]) {
    const unsigned char* rec = node.record();
    const uint32_t length = node.length();
    switch (node.type()) {
        case 2:
            if (length < 64) return 0;
            for (int i = 0; i < 4; ++i) points[i] = ReadDouble(rec + 32 + 8 * i);
            return 2;
        case 3: {
            if (length < 34) return 0;
            uint16_t count;
            std::memcpy(&count, rec + 32, sizeof count);
            if (count == 0 || 34u + 16u * count > length) return 0;
            points[0] = ReadDouble(rec + 34);
            points[1] = ReadDouble(rec + 42);
            points[2] = ReadDouble(rec + 34 + 16 * (count - 1));
            points[3] = ReadDouble(rec + 42 + 16 * (count - 1));
            return 2;
        }
        case 7: {
            if (length < 72) return 0;
            const double cx = ReadDouble(rec + 32), cy = ReadDouble(rec + 40), r = ReadDouble(rec + 48);
            const double start = ReadDouble(rec + 56), sweep = ReadDouble(rec + 64);
            points[0] = cx + r * std::cos(start);
            points[1] = cy + r * std::sin(start);
            points[2] = cx + r * std::cos(start + sweep);
            points[3] = cy + r * std::sin(start + sweep);
            return 2;
        }
        default:
            return 0;
    }
}

}  // namespace

double* LiveCursor() { return Cursors().cursor; }

void SetPickPosition(double x, double y) {
    std::memcpy(Cursors().pickRecord + kPickPositionOffset, &x, sizeof x);
    std::memcpy(Cursors().pickRecord + kPickPositionOffset + 8, &y, sizeof y);
}

void* HostResource(int number) {
    switch (number) {
        case 4144:
            std::strncpy(Cursors().programPath, kProgramPath, sizeof Cursors().programPath - 1);
            return Cursors().programPath;
        case 4147:
            return Cursors().cursor;
        case 4198:
            return Cursors().pickRecord;
        default:
            ScriptFault("RscAdr: no host resource " + std::to_string(number));
            return nullptr;
    }
}

double ViewWidth() { return Cursors().window.viewWidth; }
double ViewHeight() { return Cursors().window.viewHeight; }

void SetView(double width, double height) {
    Cursors().window.viewWidth = width;
    Cursors().window.viewHeight = height;
}

void SetViewOrigin(double x, double y) {
    Cursors().viewX = x;
    Cursors().viewY = y;
}

ADWin* ActiveWindow() { return &Cursors().window; }

double PickTolerance() {
    return kPickPixelTolerance * std::max(Cursors().window.viewWidth / kWindowPixelsX, Cursors().window.viewHeight / kWindowPixelsY);
}

POINT PixelOf(double x, double y) {
    const double px = (x - Cursors().viewX) * kWindowPixelsX / Cursors().window.viewWidth;
    const double py = kWindowPixelsY - (y - Cursors().viewY) * kWindowPixelsY / Cursors().window.viewHeight;
    auto clamp = [](double v) { return static_cast<LONG>(std::clamp(std::lround(v), -1000000L, 1000000L)); };
    return POINT{clamp(px), clamp(py)};
}

void DrawingPointOf(int px, int py, double& x, double& y) {
    x = Cursors().viewX + px * Cursors().window.viewWidth / kWindowPixelsX;
    y = Cursors().viewY + (kWindowPixelsY - py) * Cursors().window.viewHeight / kWindowPixelsY;
}

void* DragContext() { return Cursors().dragContext; }
bool IsDragContext(const void* ctx) { return ctx == Cursors().dragContext; }

void CallDrag() {
    const PromptInfo* prompt = CurrentPrompt();
    if (!prompt || !prompt->drag) return;
    DragProc drag = reinterpret_cast<DragProc>(prompt->cursor);
    BeginFrame(Cursors().window.viewWidth, Cursors().window.viewHeight);
    std::memset(Cursors().dragContext, 0, sizeof Cursors().dragContext);
    std::memcpy(Cursors().dragContext + QL_DRAG_VIEW_WIDTH, &Cursors().window.viewWidth, sizeof(double));
    std::memcpy(Cursors().dragContext + QL_DRAG_VIEW_HEIGHT, &Cursors().window.viewHeight, sizeof(double));
    ++Cursors().dragCalls;
    drag(Cursors().dragContext);
}

int DragCalls() { return Cursors().dragCalls; }

void MoveCursor(double x, double y) {
    Cursors().cursor[0] = x;
    Cursors().cursor[1] = y;
    CallDrag();
}

void MoveCursor3(double x, double y, double z) {
    Cursors().cursor[2] = z;
    MoveCursor(x, y);
}

// Modes 0 and 2 snap the live cursor: with the user's snap modes on, to the snap they find;
// otherwise to the nearest end point of a visible line, path or arc of the working list
// within the pick tolerance. Other modes leave it.
void SnapCursor(int mode) {
    if (mode != 0 && mode != 2) return;
    if (SnapModes() != 0) {
        SnapHit hit;
        if (SnapNear(Cursors().cursor[0], Cursors().cursor[1], hit)) {
            Cursors().cursor[0] = hit.at.x;
            Cursors().cursor[1] = hit.at.y;
        }
        return;
    }
    Drawing& drawing = TheDrawing();
    if (!drawing.work) return;
    double best = PickTolerance();
    double snapped[2] = {Cursors().cursor[0], Cursors().cursor[1]};
    for (const Node* node = drawing.work->head; node; node = node->next) {
        if (node->deleted()) continue;
        uint16_t layer;
        std::memcpy(&layer, node->record() + kHdrLayer, sizeof layer);
        if (LayerFlags(drawing.tables, layer) & (kLayerHidden | kLayerFrozen)) continue;
        double ends[4];
        const int count = EndPoints(*node, ends);
        for (int i = 0; i < count; ++i) {
            const double d = std::hypot(ends[2 * i] - Cursors().cursor[0], ends[2 * i + 1] - Cursors().cursor[1]);
            if (d <= best) {
                best = d;
                snapped[0] = ends[2 * i];
                snapped[1] = ends[2 * i + 1];
            }
        }
    }
    Cursors().cursor[0] = snapped[0];
    Cursors().cursor[1] = snapped[1];
}

void SetRubberOrigin(double x, double y, double z) {
    Cursors().rubberOrigin[0] = x;
    Cursors().rubberOrigin[1] = y;
    Cursors().rubberOrigin[2] = z;
    Cursors().rubberSet = true;
}

bool RubberOrigin(Pt& origin) {
    origin = {Cursors().rubberOrigin[0], Cursors().rubberOrigin[1]};
    return Cursors().rubberSet;
}

void ClearRubberOrigin() { Cursors().rubberSet = false; }

void CountCursorRequest() { ++CurrentFrame().cursorCalls; }

void ResetCursorState() {
    std::memset(Cursors().cursor, 0, sizeof Cursors().cursor);
    std::memset(Cursors().pickRecord, 0, sizeof Cursors().pickRecord);
    Cursors().window = {100.0, 75.0, kWindowPixelsX, kWindowPixelsY};
    Cursors().viewX = Cursors().viewY = 0;
    Cursors().dragCalls = 0;
    SetRubberOrigin(0, 0, 0);
    ClearRubberOrigin();
    ResetInteraction();
}

}  // namespace qlhost
