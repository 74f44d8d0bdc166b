// Record builders in the host's layouts.
#include "host/geometry/records.h"

#include <cmath>
#include <cstring>

#include "host/drawing/layouts.h"

namespace qlhost {
namespace {

using namespace layout;

template <typename T>
void Set(Record& r, size_t off, T v) {
    Put<T>(r.data(), r.size(), off, v);
}

void SetPt(Record& r, size_t off, Pt p) {
    Set<double>(r, off, p.x);
    Set<double>(r, off + 8, p.y);
}

void SetString(Record& r, size_t off, const std::string& s) {
    if (off + s.size() + 1 <= r.size()) std::memcpy(r.data() + off, s.c_str(), s.size() + 1);
}

void SetTextData(Record& r, size_t base, double x, double y, const TextStyle& st) {
    Set<double>(r, base + kDataX, x);
    Set<double>(r, base + kDataY, y);
    Set<uint8_t>(r, base + kDataLayout, 0);
    Set<uint16_t>(r, base + kDataStyle, 0);
    Set<float>(r, base + kDataHeight, static_cast<float>(st.height));
    Set<float>(r, base + kDataWidth, static_cast<float>(st.widthFactor));
    Set<float>(r, base + kDataAngle, static_cast<float>(st.angle));
    Set<float>(r, base + kDataSpacing, static_cast<float>(st.lineSpacing));
    Set<uint16_t>(r, base + kDataFont, static_cast<uint16_t>(st.font));
    Set<uint8_t>(r, base + kDataFlags, static_cast<uint8_t>(st.flags));
    Set<uint8_t>(r, base + kDataJustify, static_cast<uint8_t>(st.justification));
}

}  // namespace

Record MakeHeader(int type, uint32_t length) {
    Record r(length < kHeaderSize ? kHeaderSize : length, 0);
    Set<uint32_t>(r, kLength, static_cast<uint32_t>(r.size()));
    r[kType] = static_cast<unsigned char>(type);
    return r;
}

Record MakePoint(double x, double y) {
    Record r = MakeHeader(kPoint, kPointLength);
    SetPt(r, kPointX, {x, y});
    return r;
}

Record MakeLine(double x1, double y1, double x2, double y2) {
    Record r = MakeHeader(kLine, kLineLength);
    SetPt(r, kLineStart, {x1, y1});
    SetPt(r, kLineEnd, {x2, y2});
    return r;
}

Record MakePath(const std::vector<Pt>& points, bool closed) {
    size_t n = points.size() > 0xFFFF ? 0xFFFF : points.size();
    Record r = MakeHeader(closed ? kPolygon : kPath, static_cast<uint32_t>(PolyLength(n)));
    Set<uint16_t>(r, kPolyCount, static_cast<uint16_t>(n));
    for (size_t i = 0; i < n; ++i) SetPt(r, kPolyPoints + 16 * i, points[i]);
    return r;
}

Record MakeBox(double x1, double y1, double x2, double y2) {
    return MakePath({{x1, y1}, {x1, y2}, {x2, y2}, {x2, y1}, {x1, y1}}, true);
}

Record MakeCircle(double cx, double cy, double r) {
    Record rec = MakeHeader(kCircle, kCircleLength);
    SetPt(rec, kCircleCentre, {cx, cy});
    Set<double>(rec, kCircleRadius, r);
    return rec;
}

Record MakeArc(double cx, double cy, double r, double start, double sweep) {
    Record rec = MakeHeader(kArc, kArcLength);
    SetPt(rec, kArcCentre, {cx, cy});
    Set<double>(rec, kArcRadius, r);
    Set<double>(rec, kArcStart, start);
    Set<double>(rec, kArcSweep, sweep);
    return rec;
}

Record MakeEllipse(double cx, double cy, double axisX, double axisY, double ratio) {
    Record r = MakeHeader(kEllipse, kEllipseLength);
    SetPt(r, kEllCentre, {cx, cy});
    SetPt(r, kEllAxis, {axisX, axisY});
    Set<double>(r, kEllRatio, ratio);
    return r;
}

Record MakeEllipseArc(double cx, double cy, double axisX, double axisY, double ratio, double start,
                      double sweep) {
    Record r = MakeHeader(kEllipseArc, kEllipseArcLength);
    SetPt(r, kEllCentre, {cx, cy});
    SetPt(r, kEllAxis, {axisX, axisY});
    Set<double>(r, kEllRatio, ratio);
    Set<double>(r, kEllStart, start);
    Set<double>(r, kEllSweep, sweep);
    return r;
}

Record MakeCurve(int type, int subtype, const std::vector<Pt>& points) {
    size_t n = points.size() > 0xFFFF ? 0xFFFF : points.size();
    Record r = MakeHeader(type == kClosedCurve ? kClosedCurve : kCurve, static_cast<uint32_t>(CurveLength(n)));
    r[kCurveSubtype] = static_cast<unsigned char>(subtype);
    r[kCurveSteps] = 8;
    Set<float>(r, kCurveF1, 0.0f);
    Set<float>(r, kCurveF2, 0.0f);
    Set<double>(r, kCurveSpans, n > 0 ? static_cast<double>(n - 1) : 0.0);
    Set<uint16_t>(r, kCurveCount, static_cast<uint16_t>(n));
    for (size_t i = 0; i < n; ++i) SetPt(r, kCurvePoints + 16 * i, points[i]);
    return r;
}

Record MakeBezier(const std::vector<Pt>& points) {
    size_t n = points.size() > 0xFFFF ? 0xFFFF : points.size();
    Record r = MakeHeader(kBezier, static_cast<uint32_t>(BezierLength(n)));
    Set<uint16_t>(r, kBezCount, static_cast<uint16_t>(n));
    for (size_t i = 0; i < n; ++i) SetPt(r, kBezPoints + 16 * i, points[i]);
    return r;
}

Record MakeText(double x, double y, double height, double angle, int justification, int font,
                const std::string& text) {
    TextStyle st;
    st.height = height;
    st.angle = angle;
    st.justification = justification;
    st.font = font;
    return MakeText(x, y, st, text);
}

Record MakeText(double x, double y, const TextStyle& style, const std::string& text) {
    Record r = MakeHeader(kText, static_cast<uint32_t>(TextLength(text.size())));
    SetTextData(r, kTextData, x, y, style);
    SetString(r, kTextString, text);
    return r;
}

Record MakeTextBearing(double x, double y, const TextStyle& style, const std::string& text) {
    Record r = MakeHeader(kTextBearing, static_cast<uint32_t>(TextBearingLength(text.size())));
    SetPt(r, kTbAnchor, {x, y});
    SetTextData(r, kTbData, x, y, style);
    SetString(r, kTbString, text);
    return r;
}

Record MakeGroup() { return MakeHeader(kGroup, kGroupLength); }

Record MakeContainer(int type, uint32_t flags) {
    if (type == kPathContainer) {
        Record r = MakeHeader(kPathContainer, kPathContainerLength);
        Set<uint32_t>(r, kPathContFlags, flags);
        return r;
    }
    if (type == kContainer) {
        Record r = MakeHeader(kContainer, kContainerLength);
        Set<uint32_t>(r, kContFlags, flags);
        return r;
    }
    return MakeHeader(kFilledContainer, kGroupLength);
}

Record MakeMarker(uint32_t kind) {
    Record r = MakeHeader(kMarker, kMarkerLength);
    Set<uint32_t>(r, kMarkerKind, kind);
    return r;
}

Record MakeWall(double x1, double y1, double x2, double y2, double thickness) {
    Record r = MakeHeader(kWall, kWallLength);
    SetPt(r, kWallStart, {x1, y1});
    SetPt(r, kWallEnd, {x2, y2});
    Set<double>(r, kWallThickness, thickness);
    return r;
}

Record MakeAttribute(double x, double y, const TextStyle& style, const std::optional<std::string>& value,
                     const std::string& tag, const std::string& prompt, uint16_t flags) {
    size_t valueSize = value ? value->size() + 1 : 0;
    size_t length = kAttVariable + valueSize + tag.size() + 1 + prompt.size() + 1;
    Record r = MakeHeader(kAttribute, static_cast<uint32_t>(length));
    Set<uint16_t>(r, kAttFlags, flags);
    size_t off = kAttVariable;
    if (value) {
        Set<uint32_t>(r, kAttString, static_cast<uint32_t>(off));
        SetString(r, off, *value);
        off += valueSize;
    }
    Set<uint32_t>(r, kAttPart1, static_cast<uint32_t>(off));
    SetString(r, off, tag);
    off += tag.size() + 1;
    Set<uint32_t>(r, kAttPart2, static_cast<uint32_t>(off));
    SetString(r, off, prompt);
    SetTextData(r, kAttData, x, y, style);
    return r;
}

Record MakeSymbolRef(uint32_t definition, const double* matrix12, const std::string& name) {
    Record r = MakeHeader(kSymbolRef, static_cast<uint32_t>(SymbolRefLength(name.size())));
    Set<uint32_t>(r, kSymHandle, definition);
    for (int i = 0; i < 12; ++i) {
        double v = matrix12 ? matrix12[i] : (i == 0 || i == 5 || i == 10 ? 1.0 : 0.0);
        Set<double>(r, kSymMatrix + 8 * i, v);
    }
    SetString(r, kSymName, name);
    return r;
}

Record MakeSymbolRef(uint32_t definition, double x, double y, double angle, double scale,
                     const std::string& name) {
    double c = std::cos(angle) * scale, s = std::sin(angle) * scale;
    const double m[12] = {c, -s, 0, x, s, c, 0, y, 0, 0, scale, 0};
    return MakeSymbolRef(definition, m, name);
}

Record MakeSymbolDef(uint32_t handle, double baseX, double baseY, const std::string& name) {
    Record r = MakeHeader(kSymbolDef, static_cast<uint32_t>(SymbolDefLength(name.size())));
    Set<uint32_t>(r, kDefHandle, handle);
    Set<double>(r, kDefBaseX, baseX);
    Set<double>(r, kDefBaseY, baseY);
    SetString(r, kDefName, name);
    return r;
}

Record MakeArcDimension(const unsigned char* styleBlock, Pt centre, double radius, double start,
                        double sweep, double dist1, double dist2, Pt textPos) {
    Record r = MakeHeader(kDimArc, kDim30Length);
    if (styleBlock) std::memcpy(r.data() + kDimStyle, styleBlock, kDimStyleSize);
    SetPt(r, kDim30Centre, centre);
    Set<double>(r, kDim30Radius, radius);
    Set<double>(r, kDim30Start, start);
    Set<double>(r, kDim30Sweep, sweep);
    Set<double>(r, kDim30Dist1, dist1);
    Set<double>(r, kDim30Dist2, dist2);
    SetPt(r, kDim30Text, textPos);
    r[kDim30Flags] = 3;
    return r;
}

}  // namespace qlhost
