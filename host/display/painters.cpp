// The 2-D and 3-D preview painters and EDrawM. Coordinates are drawing units; the painters
// do not apply the current matrix (the plug-in transforms its points itself).
#include "host/display/painters.h"

#include <cstring>

#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/drawing/layouts.h"
#include "host/geometry/geometry.h"
#include "host/state/events.h"
#include "host/state/parts.h"

namespace qlhost {
namespace {

// A new primitive at the end of the frame, in the pen's colour and styles.
PreviewPrim& WithPen(PreviewFrame& frame, PreviewPrim::Kind kind) {
    PreviewPrim& prim = frame.prims.Add(kind);
    prim.color = frame.penColor;
    prim.lineStyle = frame.penLineStyle;
    prim.fillStyle = frame.penFillStyle;
    return prim;
}

void SetPen(void* ctx, int color, int lineStyle, int fillStyle) {
    PreviewFrame& frame = FrameOf(ctx);
    frame.penColor = color;
    frame.penLineStyle = lineStyle;
    frame.penFillStyle = fillStyle;
}

void DrawLine(void* ctx, const double* a, const double* b) {
    if (!a || !b) return ScriptFault("DrawLine: null point");
    PreviewFrame& frame = FrameOf(ctx);
    PreviewPrim& prim = WithPen(frame, PreviewPrim::Line);
    prim.points = {a[0], a[1], b[0], b[1]};
}

void DrawPolyline(void* ctx, int count, const double* points) {
    if (count < 0 || (count > 0 && !points)) return ScriptFault("DrawPolyline: bad point list");
    PreviewFrame& frame = FrameOf(ctx);
    PreviewPrim& prim = WithPen(frame, PreviewPrim::Polyline);
    prim.points.assign(points, points + 2 * static_cast<size_t>(count));
}

void DrawCircle(void* ctx, const double* centre, double radius) {
    if (!centre) return ScriptFault("DrawCircle: null centre");
    PreviewFrame& frame = FrameOf(ctx);
    PreviewPrim& prim = WithPen(frame, PreviewPrim::Circle);
    prim.points = {centre[0], centre[1]};
    prim.radius = radius;
}

void DrawTextData(void* ctx, const unsigned char* data) {
    if (!data) return ScriptFault("DrawTextData: null text data");
    PreviewFrame& frame = FrameOf(ctx);
    PreviewPrim& prim = WithPen(frame, PreviewPrim::Text);
    prim.record.assign(data, data + kTextDataSize);
    const char* text = reinterpret_cast<const char*>(data + kTextDataSize);
    prim.text.assign(text, strnlen(text, kMaxPreviewText));
    double x, y;
    std::memcpy(&x, data, 8);
    std::memcpy(&y, data + 8, 8);
    prim.points = {x, y};
}

void BeginPreview(void* ctx) {
    PreviewFrame& frame = FrameOf(ctx);
    frame.penColor = frame.penLineStyle = frame.penFillStyle = 0;
    ++frame.beginPreviewCalls;
}

void DrawLine3(void* ctx, const double* a, const double* b) {
    if (!a || !b) return ScriptFault("DrawLine3: null point");
    PreviewFrame& frame = FrameOf(ctx);
    PreviewPrim& prim = WithPen(frame, PreviewPrim::Line);
    prim.points = {a[0], a[1], b[0], b[1]};
}

// This room's part of the host's state (host/state/parts.h): the painter tables handed to
// the plug-in.
struct PainterTables {
    GDraw2 painter2{SetPen, DrawLine, DrawPolyline, DrawCircle, DrawTextData, BeginPreview};
    GDraw3 painter3{DrawLine3};
};

// Members go into the frame in drawing coordinates: those of symbol references are moved
// from definition coordinates, nested references composing their matrices.
void AppendMembers(PreviewFrame& frame, const HostList& list, const Matrix& m) {
    for (const Node* node = list.head; node; node = node->next) {
        if (node->deleted()) continue;
        PreviewPrim& prim = WithPen(frame, PreviewPrim::Entity);
        prim.record.assign(node->record(), node->record() + node->length());
        Record grown;
        if (!TransformRecord(prim.record.data(), m, &grown)) prim.record = std::move(grown);
            if (!node->children) continue;
        bool symbol = node->type() == layout::kSymbolRef;
        AppendMembers(frame, *node->children, symbol ? Then(SymbolToWorld(node->record()), m) : m);
    }
}

}  // namespace

GDraw2* Painter2() { return &Part<PainterTables>().painter2; }
GDraw3* Painter3() { return &Part<PainterTables>().painter3; }

void DrawEntityInto(void* ctx, const EntRec* record) {
    if (!record) return ScriptFault("EDrawM: null entity");
    uint32_t length;
    std::memcpy(&length, record, 4);
    if (length < kMinRecordLength || length > kMaxRecordLength) return ScriptFault("EDrawM: bad record length");
    PreviewFrame& frame = FrameOf(ctx);
    PreviewPrim& prim = WithPen(frame, PreviewPrim::Entity);
    prim.record.assign(record, record + length);
    const Node* node = NodeOf(record);
    if (!node || !node->children) return;
    bool symbol = node->type() == layout::kSymbolRef;
    AppendMembers(frame, *node->children, symbol ? SymbolToWorld(record) : Matrix::Identity());
}

}  // namespace qlhost
