// Entity records as SVG elements: curves, texts, fills by fill style and dimensions.
#include "host/io/svg_entities.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "host/drawing/layouts.h"
#include "host/drawing/tables.h"

namespace qlhost::io {
namespace L = qlhost::layout;
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxFamilies = 64;
constexpr int kMaxDashes = 64;

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
    case L::kDimAngular:
    case L::kDimArc:
    case L::kDimRadial: RenderDimension(ctx, r, paint); break;
    default: break;
    }
}

}  // namespace qlhost::io
