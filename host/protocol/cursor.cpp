// The cursor and view of the reference host: the live cursor and pick record (RscAdr), the
// active drawing window, drag calls with the drag context, and the end-point snap.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/drawing/tables.h"
#include "host/events/events.h"
#include "host/platform/system.h"
#include "host/protocol/protocol.h"

namespace qlhost {
namespace {

constexpr size_t kPickRecordSize = 64;
constexpr size_t kPickPositionOffset = 36;
constexpr double kPickPixelTolerance = 4.0;

double g_cursor[3] = {0, 0, 0};
unsigned char g_pickRecord[kPickRecordSize] = {};
char g_programPath[260] = {};
double g_viewX = 0, g_viewY = 0;
ADWin g_window = {100.0, 75.0, kWindowPixelsX, kWindowPixelsY};
alignas(16) unsigned char g_dragContext[kDragContextSize] = {};
double g_rubberOrigin[3] = {0, 0, 0};
int g_dragCalls = 0;

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

double* LiveCursor() { return g_cursor; }

void SetPickPosition(double x, double y) {
    std::memcpy(g_pickRecord + kPickPositionOffset, &x, sizeof x);
    std::memcpy(g_pickRecord + kPickPositionOffset + 8, &y, sizeof y);
}

void* HostResource(int number) {
    switch (number) {
        case 4144:
            std::strncpy(g_programPath, kProgramPath, sizeof g_programPath - 1);
            return g_programPath;
        case 4147:
            return g_cursor;
        case 4198:
            return g_pickRecord;
        default:
            ScriptFault("RscAdr: no host resource " + std::to_string(number));
            return nullptr;
    }
}

double ViewWidth() { return g_window.viewWidth; }
double ViewHeight() { return g_window.viewHeight; }

void SetView(double width, double height) {
    g_window.viewWidth = width;
    g_window.viewHeight = height;
}

void SetViewOrigin(double x, double y) {
    g_viewX = x;
    g_viewY = y;
}

ADWin* ActiveWindow() { return &g_window; }

double PickTolerance() {
    return kPickPixelTolerance * std::max(g_window.viewWidth / kWindowPixelsX, g_window.viewHeight / kWindowPixelsY);
}

POINT PixelOf(double x, double y) {
    const double px = (x - g_viewX) * kWindowPixelsX / g_window.viewWidth;
    const double py = kWindowPixelsY - (y - g_viewY) * kWindowPixelsY / g_window.viewHeight;
    auto clamp = [](double v) { return static_cast<LONG>(std::clamp(std::lround(v), -1000000L, 1000000L)); };
    return POINT{clamp(px), clamp(py)};
}

void DrawingPointOf(int px, int py, double& x, double& y) {
    x = g_viewX + px * g_window.viewWidth / kWindowPixelsX;
    y = g_viewY + (kWindowPixelsY - py) * g_window.viewHeight / kWindowPixelsY;
}

void* DragContext() { return g_dragContext; }
bool IsDragContext(const void* ctx) { return ctx == g_dragContext; }

void CallDrag() {
    const PromptInfo* prompt = CurrentPrompt();
    if (!prompt || !prompt->drag) return;
    DragProc drag = reinterpret_cast<DragProc>(prompt->cursor);
    BeginFrame(g_window.viewWidth, g_window.viewHeight);
    std::memset(g_dragContext, 0, sizeof g_dragContext);
    std::memcpy(g_dragContext + QL_DRAG_VIEW_WIDTH, &g_window.viewWidth, sizeof(double));
    std::memcpy(g_dragContext + QL_DRAG_VIEW_HEIGHT, &g_window.viewHeight, sizeof(double));
    ++g_dragCalls;
    drag(g_dragContext);
}

int DragCalls() { return g_dragCalls; }

void MoveCursor(double x, double y) {
    g_cursor[0] = x;
    g_cursor[1] = y;
    CallDrag();
}

void MoveCursor3(double x, double y, double z) {
    g_cursor[2] = z;
    MoveCursor(x, y);
}

// Modes 0 and 2 snap the live cursor to the nearest end point of a visible line, path or
// arc of the working list within the pick tolerance; other modes leave it.
void SnapCursor(int mode) {
    if (mode != 0 && mode != 2) return;
    Drawing& drawing = TheDrawing();
    if (!drawing.work) return;
    double best = PickTolerance();
    double snapped[2] = {g_cursor[0], g_cursor[1]};
    for (const Node* node = drawing.work->head; node; node = node->next) {
        if (node->deleted()) continue;
        uint16_t layer;
        std::memcpy(&layer, node->record() + kHdrLayer, sizeof layer);
        if (LayerFlags(drawing.tables, layer) & (kLayerHidden | kLayerFrozen)) continue;
        double ends[4];
        const int count = EndPoints(*node, ends);
        for (int i = 0; i < count; ++i) {
            const double d = std::hypot(ends[2 * i] - g_cursor[0], ends[2 * i + 1] - g_cursor[1]);
            if (d <= best) {
                best = d;
                snapped[0] = ends[2 * i];
                snapped[1] = ends[2 * i + 1];
            }
        }
    }
    g_cursor[0] = snapped[0];
    g_cursor[1] = snapped[1];
}

void SetRubberOrigin(double x, double y, double z) {
    g_rubberOrigin[0] = x;
    g_rubberOrigin[1] = y;
    g_rubberOrigin[2] = z;
}

void CountCursorRequest() { ++CurrentFrame().cursorCalls; }

void ResetCursorState() {
    std::memset(g_cursor, 0, sizeof g_cursor);
    std::memset(g_pickRecord, 0, sizeof g_pickRecord);
    g_window = {100.0, 75.0, kWindowPixelsX, kWindowPixelsY};
    g_viewX = g_viewY = 0;
    g_dragCalls = 0;
    SetRubberOrigin(0, 0, 0);
}

}  // namespace qlhost
