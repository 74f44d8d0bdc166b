// Dimensions on an SVG canvas: the arc dimension (type 30) with its arc, extension lines,
// arrows and swept angle, and simple pictures of the linear, angular and radial ones.
#include <algorithm>
#include <charconv>
#include <cmath>

#include "host/drawing/layouts.h"
#include "host/drawing/tables.h"
#include "host/io/svg_entities.h"

namespace qlhost::io {
namespace L = qlhost::layout;
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDefaultDimTextHeight = 2.5;
constexpr int kMaxDecimals = 8;
constexpr double kSameRadius = 1e-9;
constexpr uint8_t kDimTextPlaced = 4;  // arc dimension flags: the text stands where the user put it

template <typename T>
T At(const Record& r, size_t offset) {
    return L::Get<T>(r.data(), static_cast<uint32_t>(r.size()), offset);
}

Pt PointAt(const Record& r, size_t offset) { return {At<double>(r, offset), At<double>(r, offset + 8)}; }

std::string Format(double value, int decimals) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                std::clamp(decimals, 0, kMaxDecimals));
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : "?";
}

float DimFloat(const Record& r, int index) { return At<float>(r, L::kDimStyle + 4 * index); }

TextSpec DimText(const Record& r, const std::string& value, Pt pos, const std::string& color) {
    TextSpec text;
    text.lines = {value};
    text.pos = pos;
    double height = DimFloat(r, kDimTextHeight);
    text.height = height > 0 && std::isfinite(height) ? height : kDefaultDimTextHeight;
    text.horizontal = 1;
    text.vertical = 1;
    text.color = color;
    return text;
}

int Decimals(const Record& r) {
    float decimals = DimFloat(r, 9);
    return std::isfinite(decimals) ? static_cast<int>(decimals) : 2;
}

void Arrow(SvgCanvas& canvas, Pt tip, Pt direction, const Record& r, const std::string& color) {
    double length = DimFloat(r, kDimArrowLength), height = DimFloat(r, kDimArrowHeight);
    if (!(length > 0) || !(height > 0)) return;
    Pt d = direction * (1 / std::max(Norm(direction), 1e-300));
    Pt base = tip + d * length, side = Perp(d) * (height / 2);
    Paint paint{color, "", color};
    canvas.Polyline({tip, base + side, base - side}, true, paint);
}

// Type 30: the arc, extension lines from the leader points to just past the arc, arrows at
// both ends and the swept angle in degrees.
void ArcDimension(const RenderContext& ctx, const Record& r, const Paint& paint) {
    SvgCanvas& canvas = *ctx.canvas;
    Pt c = PointAt(r, L::kDim30Centre);
    double radius = At<double>(r, L::kDim30Radius), start = At<double>(r, L::kDim30Start);
    double sweep = At<double>(r, L::kDim30Sweep);
    canvas.Arc(c, radius, start, sweep, paint);
    double extend = DimFloat(r, kDimExtendPastText), offset = DimFloat(r, kDimOffsetDimPoint);
    for (auto [angle, distance] : {std::pair{start, At<double>(r, L::kDim30Dist1)},
                                   std::pair{start + sweep, At<double>(r, L::kDim30Dist2)}}) {
        if (std::fabs(radius - distance) <= kSameRadius) continue;
        double sign = radius > distance ? 1 : -1;
        Pt u{std::cos(angle), std::sin(angle)};
        canvas.Line(c + u * (distance + sign * offset), c + u * (radius + sign * extend), paint);
    }
    Pt a = Polar(c, radius, start), b = Polar(c, radius, start + sweep);
    Arrow(canvas, a, Perp({std::cos(start), std::sin(start)}), r, paint.stroke);
    Arrow(canvas, b, Perp({std::cos(start + sweep), std::sin(start + sweep)}) * -1, r, paint.stroke);

    TextSpec text = DimText(r, Format(sweep * 180 / kPi, Decimals(r)) + "\xc2\xb0", {}, paint.stroke);
    if (r[L::kDim30Flags] & kDimTextPlaced) {
        text.pos = PointAt(r, L::kDim30Text);
        if (r[L::kDim30Outside]) {
            // Carry the arc on to the text's angle from the nearer end.
            double to = std::atan2(text.pos.y - c.y, text.pos.x - c.x);
            double past = std::fmod(to - (start + sweep) + 4 * kPi, 2 * kPi);
            double before = std::fmod(start - to + 4 * kPi, 2 * kPi);
            if (past <= before) canvas.Arc(c, radius, start + sweep, past, paint);
            else canvas.Arc(c, radius, to, before, paint);
        }
    } else {
        float gap = DimFloat(r, 3);
        text.pos = Polar(c, radius + (gap > 0 ? gap : 0.0f) + text.height, start + sweep / 2);
    }
    canvas.Text(text);
}

void OtherDimension(const RenderContext& ctx, const Record& r, const Paint& paint) {
    SvgCanvas& canvas = *ctx.canvas;
    switch (r[L::kType]) {
    case L::kDimLinear: {
        Pt p1 = PointAt(r, L::kDim28P1), p2 = PointAt(r, L::kDim28P2), on = PointAt(r, L::kDim28Line);
        Pt along = p2 - p1;
        double length = Norm(along);
        Pt n = length > 0 ? Perp(along) * (1 / length) : Pt{0, 1};
        double h = Dot(on - p1, n);
        Pt f1 = p1 + n * h, f2 = p2 + n * h;
        canvas.Line(p1, f1, paint), canvas.Line(p2, f2, paint), canvas.Line(f1, f2, paint);
        Arrow(canvas, f1, f2 - f1, r, paint.stroke);
        Arrow(canvas, f2, f1 - f2, r, paint.stroke);
        canvas.Text(DimText(r, Format(length, Decimals(r)), PointAt(r, L::kDim28Text), paint.stroke));
        break;
    }
    case L::kDimAngular: {
        Pt v = PointAt(r, L::kDim29Vertex), p1 = PointAt(r, L::kDim29P1), p2 = PointAt(r, L::kDim29P2);
        double a1 = std::atan2(p1.y - v.y, p1.x - v.x), a2 = std::atan2(p2.y - v.y, p2.x - v.x);
        double sweep = std::fmod(a2 - a1 + 4 * kPi, 2 * kPi);
        canvas.Line(v, p1, paint), canvas.Line(v, p2, paint);
        canvas.Arc(v, Norm(PointAt(r, L::kDim29Arc) - v), a1, sweep, paint);
        canvas.Text(DimText(r, Format(sweep * 180 / kPi, Decimals(r)) + "\xc2\xb0", PointAt(r, L::kDim29Text),
                            paint.stroke));
        break;
    }
    case L::kDimRadial: {
        Pt c = PointAt(r, L::kDim31Centre), p = PointAt(r, L::kDim31Point);
        canvas.Line(c, p, paint);
        Arrow(canvas, p, c - p, r, paint.stroke);
        std::string label("R");
        label += Format(Norm(p - c), Decimals(r));
        canvas.Text(DimText(r, label, PointAt(r, L::kDim31Text), paint.stroke));
        break;
    }
    default: break;
    }
}

}  // namespace

void RenderDimension(const RenderContext& ctx, const Record& r, const Paint& paint) {
    static constexpr uint32_t kLengths[] = {L::kDim28Length, L::kDim29Length, L::kDim30Length, L::kDim31Length};
    int type = r[L::kType];
    if (type < L::kDimLinear || type > L::kDimRadial || r.size() < kLengths[type - L::kDimLinear]) return;
    if (type == L::kDimArc) ArcDimension(ctx, r, paint);
    else OtherDimension(ctx, r, paint);
}

}  // namespace qlhost::io
