// Entity records as SVG elements: curves, texts, fills by fill style and dimensions.
#include "host/io/svg_entities.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "host/drawing/tables.h"
#include "host/geometry/layouts.h"

namespace qlhost::io {
namespace L = qlhost::layout;
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDefaultDimTextHeight = 2.5;
constexpr int kMaxDecimals = 8;
constexpr int kMaxFamilies = 64;
constexpr int kMaxDashes = 64;
constexpr double kSameRadius = 1e-9;
constexpr uint8_t kDimTextPlaced = 4;  // arc dimension flags: the text stands where the user put it

template <typename T>
T At(const Record& r, size_t offset) {
    return L::Get<T>(r.data(), static_cast<uint32_t>(r.size()), offset);
}

Pt PointAt(const Record& r, size_t offset) { return {At<double>(r, offset), At<double>(r, offset + 8)}; }

std::string CString(const Record& r, size_t offset) {
    if (offset >= r.size()) return {};
    const char* start = reinterpret_cast<const char*>(r.data() + offset);
    return std::string(start, strnlen(start, r.size() - offset));
}

std::vector<Pt> Points(const Record& r, size_t countOffset, size_t pointsOffset) {
    std::vector<Pt> points;
    size_t count = At<uint16_t>(r, countOffset);
    for (size_t i = 0; i < count && pointsOffset + 16 * (i + 1) <= r.size(); ++i)
        points.push_back(PointAt(r, pointsOffset + 16 * i));
    return points;
}

bool IsIdentity(const Matrix& m) {
    Matrix identity = Matrix::Identity();
    return std::equal(std::begin(m.m), std::end(m.m), std::begin(identity.m));
}

// Dash pattern (> 0 dash, < 0 gap, 0 dot) as an SVG dash array scaled by f.
std::string DashArray(const std::vector<float>& dashes, double f) {
    std::vector<std::pair<bool, double>> runs;
    for (float d : dashes) {
        bool dash = d >= 0;
        double length = std::fabs(d) * f;
        if (!std::isfinite(length)) return "";
        if (!runs.empty() && runs.back().first == dash) runs.back().second += length;
        else runs.push_back({dash, length});
    }
    bool gaps = false;
    for (const auto& run : runs) gaps |= !run.first && run.second > 0;
    if (!gaps) return "";
    if (!runs.front().first) runs.insert(runs.begin(), {true, 0.0});
    if (runs.back().first) runs.push_back({false, 0.0});
    std::string out;
    for (const auto& run : runs) {
        if (!out.empty()) out += ',';
        out += Num(run.second);
    }
    return out;
}

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
    default: ArcDimension(ctx, r, paint);
    }
}

void Hatch(const RenderContext& ctx, const std::vector<std::vector<Pt>>& outlines, const unsigned char* entry,
           uint32_t entryLength, const std::string& color) {
    size_t data = entry[kStylePatternOffset];
    auto get = [&](size_t offset, auto zero) { return L::Get<decltype(zero)>(entry, entryLength, data + offset); };
    int32_t families = get(8, int32_t{});
    double scale = get(12, float{});
    if (families <= 0 || families > kMaxFamilies || !(scale > 0) || data + 16 > entryLength) return;
    SvgCanvas probe;
    for (const auto& outline : outlines)
        for (const Pt& p : outline) probe.Include(p);
    if (probe.empty()) return;
    Pt corners[4] = {{probe.minX(), probe.minY()}, {probe.maxX(), probe.minY()}, {probe.maxX(), probe.maxY()},
                     {probe.minX(), probe.maxY()}};

    struct Lines {
        std::vector<std::pair<Pt, Pt>> segments;
        std::string dashes;
    };
    std::vector<Lines> all;
    size_t total = 0;
    size_t offset = 16;
    for (int32_t i = 0; i < families; ++i) {
        double angle = get(offset, float{}), ox = get(offset + 4, float{}), oy = get(offset + 8, float{});
        double cycle = get(offset + 12, float{}) * scale, spacing = get(offset + 16, float{}) * scale;
        int32_t dashCount = get(offset + 20, int32_t{});
        if (dashCount < 0 || dashCount > kMaxDashes || data + offset + 24 + 4 * dashCount > entryLength) return;
        std::vector<float> dashes;
        for (int32_t k = 0; k < dashCount; ++k) dashes.push_back(get(offset + 24 + 4 * k, float{}));
        offset += 24 + 4 * static_cast<size_t>(dashCount);
        if (!(spacing > 0) || !std::isfinite(angle)) continue;
        // Stored origins are turned a quarter turn: (x, y) stands for the point (y, -x).
        Pt origin = Pt{oy, -ox} * scale;
        Pt d{std::cos(angle), std::sin(angle)}, n = Perp(d);
        double nLow = INFINITY, nHigh = -INFINITY, dLow = INFINITY, dHigh = -INFINITY;
        for (const Pt& corner : corners) {
            nLow = std::min(nLow, Dot(corner - origin, n)), nHigh = std::max(nHigh, Dot(corner - origin, n));
            dLow = std::min(dLow, Dot(corner - origin, d)), dHigh = std::max(dHigh, Dot(corner - origin, d));
        }
        if (cycle > 0) dLow = std::floor(dLow / cycle) * cycle;  // dash phase starts at the origin
        double first = std::ceil(nLow / spacing), last = std::floor(nHigh / spacing);
        if (last - first > static_cast<double>(kMaxHatchLines)) {
            total = kMaxHatchLines + 1;
            break;
        }
        Lines lines;
        lines.dashes = cycle > 0 ? DashArray(dashes, scale) : "";
        for (double k = first; k <= last; ++k) {
            Pt base = origin + n * (k * spacing);
            lines.segments.push_back({base + d * dLow, base + d * dHigh});
        }
        total += lines.segments.size();
        all.push_back(std::move(lines));
    }
    if (total > kMaxHatchLines) {
        ctx.canvas->Outlines(outlines, Paint{"none", "", color, true});
        return;
    }
    ctx.canvas->BeginClip(outlines);
    for (const Lines& lines : all)
        for (const auto& [a, b] : lines.segments) ctx.canvas->Line(a, b, Paint{color, lines.dashes, ""});
    ctx.canvas->EndClip();
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    return lines;
}

}  // namespace

std::string EntityColor(int color) {
    uint32_t ref = PaletteColor(color);
    return ColorRefHex(ref == 0xFFFFFF ? 0 : ref);
}

std::string LineStyleDashes(const Tables* tables, int style) {
    if (!tables || style == 0) return "";
    const unsigned char* entry = FindLineStyle(const_cast<Tables&>(*tables), style);
    if (!entry) return "";
    uint32_t length = L::LengthOf(entry);
    size_t count = entry[kStyleKind], offset = entry[kStylePatternOffset];
    if (offset + 4 * count > length) return "";
    std::vector<float> dashes;
    for (size_t i = 0; i < count; ++i) dashes.push_back(L::Get<float>(entry, length, offset + 4 * i));
    return DashArray(dashes, 1.0);
}

void RenderFill(const RenderContext& ctx, const std::vector<std::vector<Pt>>& outlines, int fillStyle,
                const std::string& color) {
    if (fillStyle == 0 || !ctx.tables || outlines.empty()) return;
    const unsigned char* entry = FindFillStyle(const_cast<Tables&>(*ctx.tables), fillStyle);
    if (!entry) return;
    uint32_t length = L::LengthOf(entry);
    if (length <= kStyleName) return;
    if (entry[kStyleKind] == kFillSolid) ctx.canvas->Outlines(outlines, Paint{"none", "", color, true});
    else if (entry[kStyleKind] == kFillPattern) Hatch(ctx, outlines, entry, length, color);
}

void RenderTextData(const RenderContext& ctx, const unsigned char* data, const std::string& string,
                    const std::string& color) {
    TextSpec text;
    auto get = [&](size_t offset, auto zero) { return L::Get<decltype(zero)>(data, L::kDataSize, offset); };
    text.pos = {get(L::kDataX, double{}), get(L::kDataY, double{})};
    text.height = get(L::kDataHeight, float{});
    text.widthFactor = get(L::kDataWidth, float{});
    if (!(text.widthFactor > 0) || !std::isfinite(text.widthFactor)) text.widthFactor = 1;
    text.angle = get(L::kDataAngle, float{});
    if (!std::isfinite(text.angle)) text.angle = 0;
    text.spacing = get(L::kDataSpacing, float{});
    if (!(text.spacing > 0) || !std::isfinite(text.spacing)) text.spacing = 150;
    int justification = data[L::kDataJustify] % 9;
    text.horizontal = justification % 3;
    text.vertical = justification / 3;
    int flags = data[L::kDataFlags];
    text.outline = flags & 0x04, text.bold = flags & 0x10, text.italic = flags & 0x20;
    text.underline = flags & 0x40, text.strike = flags & 0x80;
    if (ctx.tables) {
        Tables& tables = const_cast<Tables&>(*ctx.tables);
        if (const unsigned char* font = FindFont(tables, get(L::kDataFont, uint16_t{}))) {
            uint32_t length = L::LengthOf(font);
            if (length > kFontName)
                text.family.assign(reinterpret_cast<const char*>(font + kFontName),
                                   strnlen(reinterpret_cast<const char*>(font + kFontName), length - kFontName));
        }
    }
    text.color = color;
    text.lines = SplitLines(string);
    ctx.canvas->Text(text);
}

void RenderRecord(const RenderContext& ctx, const unsigned char* source, const Matrix& m) {
    uint32_t length = L::LengthOf(source);
    if (length < L::kHeaderSize || length > kMaxRecordLength) return;
    Record r(source, source + length);
    Record grown;
    if (!IsIdentity(m) && !TransformRecord(r.data(), m, &grown)) r = std::move(grown);
    if (r.size() < L::kHeaderSize) return;

    std::string color = ctx.override.empty() ? EntityColor(static_cast<int>(At<uint32_t>(r, kHdrColor))) : ctx.override;
    std::string fillColor =
        ctx.override.empty() ? EntityColor(static_cast<int>(At<uint32_t>(r, kHdrFillColor))) : ctx.override;
    int fillStyle = At<uint16_t>(r, L::kFillStyle);
    Paint paint{color, LineStyleDashes(ctx.tables, At<uint16_t>(r, L::kLineStyle)), ""};
    SvgCanvas& canvas = *ctx.canvas;
    int type = r[L::kType];
    uint32_t n = static_cast<uint32_t>(r.size());
    switch (type) {
    case L::kPoint:
        if (n >= L::kPointLength) canvas.Dot(PointAt(r, L::kPointX), color);
        break;
    case L::kLine:
        if (n >= L::kLineLength) canvas.Line(PointAt(r, L::kLineStart), PointAt(r, L::kLineEnd), paint);
        break;
    case L::kPath: canvas.Polyline(Points(r, L::kPolyCount, L::kPolyPoints), false, paint); break;
    case L::kPolygon: {
        std::vector<Pt> points = Points(r, L::kPolyCount, L::kPolyPoints);
        RenderFill(ctx, {points}, fillStyle, fillColor);
        canvas.Polyline(points, true, paint);
        break;
    }
    case L::kCircle:
        if (n < L::kCircleLength) break;
        RenderFill(ctx, FlattenEntity(r.data()), fillStyle, fillColor);
        canvas.Circle(PointAt(r, L::kCircleCentre), At<double>(r, L::kCircleRadius), paint);
        break;
    case L::kArc:
        if (n >= L::kArcLength)
            canvas.Arc(PointAt(r, L::kArcCentre), At<double>(r, L::kArcRadius), At<double>(r, L::kArcStart),
                       At<double>(r, L::kArcSweep), paint);
        break;
    case L::kEllipse:
    case L::kClosedCurve:
    case L::kEllipseArc:
    case L::kCurve:
    case L::kBezier: {
        auto pieces = FlattenEntity(r.data());
        if (type == L::kEllipse || type == L::kClosedCurve) RenderFill(ctx, pieces, fillStyle, fillColor);
        for (const auto& piece : pieces) canvas.Polyline(piece, false, paint);
        break;
    }
    case L::kWall: {
        if (n < L::kWallLength) break;
        Pt a = PointAt(r, L::kWallStart), b = PointAt(r, L::kWallEnd);
        double half = At<double>(r, L::kWallThickness) / 2, length = Norm(b - a);
        Pt side = length > 0 ? Perp(b - a) * (half / length) : Pt{};
        std::vector<Pt> outline = {a + side, b + side, b - side, a - side};
        RenderFill(ctx, {outline}, fillStyle, fillColor);
        canvas.Polyline(outline, true, paint);
        break;
    }
    case L::kText:
        if (n > L::kTextString) RenderTextData(ctx, r.data() + L::kTextData, CString(r, L::kTextString), color);
        break;
    case L::kTextBearing:
        if (n > L::kTbString) RenderTextData(ctx, r.data() + L::kTbData, CString(r, L::kTbString), color);
        break;
    case L::kAttribute:
        if (n >= L::kAttVariable && At<uint32_t>(r, L::kAttString))
            RenderTextData(ctx, r.data() + L::kAttData, CString(r, At<uint32_t>(r, L::kAttString)), color);
        break;
    case L::kDimLinear:
        if (n >= L::kDim28Length) OtherDimension(ctx, r, paint);
        break;
    case L::kDimAngular:
        if (n >= L::kDim29Length) OtherDimension(ctx, r, paint);
        break;
    case L::kDimArc:
        if (n >= L::kDim30Length) ArcDimension(ctx, r, paint);
        break;
    case L::kDimRadial:
        if (n >= L::kDim31Length) OtherDimension(ctx, r, paint);
        break;
    default: break;
    }
}

}  // namespace qlhost::io
