// SVG pictures of preview frames: the last drag frame, and the owner-drawn preview controls
// of a dialog laid out at their item rectangles.
#include <algorithm>
#include <cmath>

#include "host/display/preview.h"
#include "host/drawing/layouts.h"
#include "host/io/drawing_io.h"
#include "host/io/svg_entities.h"

namespace qlhost {
namespace {

using io::RenderContext;
using io::SvgCanvas;

constexpr double kPreviewPixels = 800;
constexpr double kPreviewStroke = 1.0 / 500;  // stroke width per larger side of the view
constexpr int kCircleSegments = 72;

std::string PenColor(int colorRef) {
    uint32_t ref = static_cast<uint32_t>(colorRef) & 0xffffff;
    return io::ColorRefHex(ref == 0xffffff ? 0 : ref);
}

std::vector<Pt> CirclePoints(Pt centre, double radius) {
    std::vector<Pt> points;
    for (int i = 0; i <= kCircleSegments; ++i)
        points.push_back(Polar(centre, radius, 2 * 3.14159265358979323846 * i / kCircleSegments));
    return points;
}

void RenderFrame(const PreviewFrame& frame, SvgCanvas& canvas) {
    RenderContext ctx;
    ctx.canvas = &canvas;
    ctx.tables = &TheDrawing().tables;
    for (const PreviewPrim& prim : frame.prims) {
        std::string color = PenColor(prim.color);
        io::Paint paint{color, io::LineStyleDashes(ctx.tables, prim.lineStyle), ""};
        const std::vector<double>& v = prim.points;
        switch (prim.kind) {
        case PreviewPrim::Line:
            if (v.size() >= 4) canvas.Line({v[0], v[1]}, {v[2], v[3]}, paint);
            break;
        case PreviewPrim::Polyline: {
            std::vector<Pt> points;
            for (size_t i = 0; i + 1 < v.size(); i += 2) points.push_back({v[i], v[i + 1]});
            // The host fills a polyline drawn with a fill style, closing it if need be.
            io::RenderFill(ctx, {points}, prim.fillStyle, color);
            canvas.Polyline(points, false, paint);
            break;
        }
        case PreviewPrim::Circle:
            if (v.size() < 2) break;
            io::RenderFill(ctx, {CirclePoints({v[0], v[1]}, prim.radius)}, prim.fillStyle, color);
            canvas.Circle({v[0], v[1]}, prim.radius, paint);
            break;
        case PreviewPrim::Text:
            if (prim.record.size() >= layout::kDataSize) io::RenderTextData(ctx, prim.record.data(), prim.text, color);
            break;
        case PreviewPrim::Entity: io::RenderRecord(ctx, prim.record.data(), Matrix::Identity()); break;
        }
    }
}

// The view shown by a frame: preview controls centre their view on the origin; drag frames
// show what was drawn.
std::string FrameDocument(const PreviewFrame& frame, const std::string& idPrefix, bool whole, std::string* defs) {
    SvgCanvas probe;
    RenderFrame(frame, probe);
    double side = frame.centredView ? std::max(frame.viewWidth, frame.viewHeight)
                  : frame.viewWidth > 0 ? frame.viewWidth
                  : probe.empty()       ? 0
                                        : std::max(probe.maxX() - probe.minX(), probe.maxY() - probe.minY());
    SvgCanvas canvas;
    canvas.SetIdPrefix(idPrefix);
    if (side > 0 && std::isfinite(side)) canvas.SetUnit(side * kPreviewStroke);
    RenderFrame(frame, canvas);
    if (!whole) {
        if (defs) *defs = canvas.defs();
        return "<g stroke-width=\"" + io::Num(canvas.unit()) + "\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n" +
               canvas.body() + "</g>\n";
    }
    if (frame.centredView && frame.viewWidth > 0 && frame.viewHeight > 0)
        return canvas.DocumentWithBox(-frame.viewWidth / 2, -frame.viewHeight / 2, frame.viewWidth,
                                      frame.viewHeight, kPreviewPixels);
    return canvas.Document(0.05, kPreviewPixels);
}

}  // namespace

std::string PreviewToSvg(const PreviewFrame& frame) { return FrameDocument(frame, "", true, nullptr); }

bool WritePreviewSvg(const std::string& path, const PreviewFrame& frame, std::string& error) {
    return WriteWhole(path, PreviewToSvg(frame), error);
}

std::string ControlPreviewsToSvg() {
    std::vector<const ControlPreview*> controls;
    for (const ControlPreview& control : ControlPreviews())
        if (control.rect.right > control.rect.left && control.rect.bottom > control.rect.top)
            controls.push_back(&control);
    std::stable_sort(controls.begin(), controls.end(), [](const ControlPreview* a, const ControlPreview* b) {
        return a->rect.top != b->rect.top ? a->rect.top < b->rect.top : a->rect.left < b->rect.left;
    });
    long width = 1, height = 1;
    for (const ControlPreview* control : controls) {
        width = std::max<long>(width, control->rect.right);
        height = std::max<long>(height, control->rect.bottom);
    }
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" viewBox=\"0 0 " + std::to_string(width) + " " +
           std::to_string(height) + "\" width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(height) +
           "\">\n<rect x=\"0\" y=\"0\" width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(height) +
           "\" fill=\"#ffffff\"/>\n";
    int index = 0;
    for (const ControlPreview* control : controls) {
        const RECT& r = control->rect;
        const PreviewFrame& frame = control->frame;
        double vw = frame.viewWidth > 0 ? frame.viewWidth : 1, vh = frame.viewHeight > 0 ? frame.viewHeight : 1;
        std::string prefix("c");
        prefix += std::to_string(++index);
        prefix += '_';
        std::string defs;
        std::string body = FrameDocument(frame, prefix, false, &defs);
        out += "<svg x=\"" + std::to_string(r.left) + "\" y=\"" + std::to_string(r.top) + "\" width=\"" +
               std::to_string(r.right - r.left) + "\" height=\"" + std::to_string(r.bottom - r.top) + "\" viewBox=\"" +
               io::Num(-vw / 2) + " " + io::Num(-vh / 2) + " " + io::Num(vw) + " " + io::Num(vh) +
               "\" overflow=\"hidden\">\n";
        if (!defs.empty()) out += "<defs>\n" + defs + "</defs>\n";
        out += body + "</svg>\n";
        out += "<rect x=\"" + std::to_string(r.left) + "\" y=\"" + std::to_string(r.top) + "\" width=\"" +
               std::to_string(r.right - r.left) + "\" height=\"" + std::to_string(r.bottom - r.top) +
               "\" fill=\"none\" stroke=\"#a0a0a0\"/>\n";
    }
    return out + "</svg>\n";
}

bool WriteControlPreviewsSvg(const std::string& path, std::string& error) {
    return WriteWhole(path, ControlPreviewsToSvg(), error);
}

}  // namespace qlhost
