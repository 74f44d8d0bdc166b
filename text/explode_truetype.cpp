// TrueType explode: each glyph's native outline becomes a filled container of outline parts
// (paths for line records, quadratic spline curves for spline records), all in one group.
#include <algorithm>
#include <cstring>

#include "text/explode.h"

namespace {

// The logical font: its outlines are scaled back to the text by kScaleAcross and kScaleUp.
constexpr LONG kFontHeight = 360;
constexpr LONG kFontWidth = 140;
constexpr LONG kWeightBold = 700;
constexpr LONG kWeightNormal = 400;
constexpr BYTE kTrueTypeOnly = 7;      // output precision
constexpr BYTE kVariableSwiss = 0x22;  // pitch and family
constexpr double kScaleAcross = 276;   // font pixels per text height (times the width factor)
constexpr double kScaleUp = 250;
constexpr uint16_t kGlyphFillStyle = 1;

// Native outline records.
constexpr size_t kPolygonHeaderSize = 16;  // cb, dwType, pfxStart
constexpr size_t kPolygonStart = 8;
constexpr size_t kCurveHeaderSize = 4;  // wType, cpfx
constexpr size_t kPointFxSize = 8;
constexpr double kFixedOne = 65536;
constexpr DWORD kMaxGlyphBuffer = 1u << 22;  // larger answers are not glyphs

// Curved outline part (type 26): quadratic spline, the host's drawing steps and zero tension.
constexpr size_t kCurveSubtype = 32;
constexpr size_t kCurveSteps = 33;
constexpr size_t kCurveParam1 = 34;
constexpr size_t kCurveParam2 = 38;
constexpr size_t kCurveSpans = 42;
constexpr size_t kCurveCount = 50;
constexpr size_t kCurvePoints = 52;
constexpr uint8_t kQuadraticSpline = 1;
constexpr uint8_t kCurveStepsValue = 8;

// A part holds the current point and the record's points in a 16-bit count.
constexpr size_t kMaxRecordPoints = kPolyMaxVertices - 1;

const MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

double Fixed(const unsigned char* data, size_t offset) { return GetI32(data, offset) / kFixedOne; }

// The polygon whose header starts at `at` and whose records fill it up to `end`.
bool ReadPolygon(const unsigned char* data, size_t at, size_t end, OutlinePolygon& polygon) {
    polygon.start[0] = Fixed(data, at + kPolygonStart);
    polygon.start[1] = Fixed(data, at + kPolygonStart + 4);
    for (size_t q = at + kPolygonHeaderSize; q < end;) {
        if (end - q < kCurveHeaderSize) return false;
        OutlineCurve curve;
        curve.quadratic = GetU16(data, q) == TT_PRIM_QSPLINE;
        const size_t count = GetU16(data, q + 2);
        q += kCurveHeaderSize;
        if (count == 0 || count > kMaxRecordPoints || (end - q) / kPointFxSize < count) return false;
        for (size_t i = 0; i < count; ++i, q += kPointFxSize) {
            curve.points.push_back(Fixed(data, q));
            curve.points.push_back(Fixed(data, q + 4));
        }
        polygon.curves.push_back(std::move(curve));
    }
    return true;
}

RecordBuffer BuildOutlineCurve(const std::vector<double>& points) {
    const size_t count = points.size() / 2;
    RecordBuffer r(ET_CURVE, static_cast<uint32_t>(kCurvePoints + kPolyVertexSize * count));
    PutU8(r.data(), kCurveSubtype, kQuadraticSpline);
    PutU8(r.data(), kCurveSteps, kCurveStepsValue);
    PutF32(r.data(), kCurveParam1, 0);
    PutF32(r.data(), kCurveParam2, 0);
    PutF64(r.data(), kCurveSpans, static_cast<double>(count - 1));
    PutU16(r.data(), kCurveCount, static_cast<uint16_t>(count));
    for (size_t i = 0; i < count; ++i) PutPoint(r.data(), kCurvePoints + kPolyVertexSize * i, &points[2 * i]);
    return r;
}

// Adds one outline part through the matrix; first and last receive its transformed ends.
void AddOutlinePart(DList* parts, const RecordBuffer& text, const std::vector<double>& points, bool quadratic,
                    const double* matrix, double* first, double* last) {
    const size_t count = points.size() / 2;
    RecordBuffer part = quadratic ? BuildOutlineCurve(points) : BuildPolyline(ET_PATH, points.data(), count);
    CopyCStuff(text.data(), part.data());
    EntRec* placed = ETran(part.data(), matrix);
    const size_t firstPoint = quadratic ? kCurvePoints : kPolyVertices;
    GetPoint(placed, firstPoint, first);
    GetPoint(placed, firstPoint + kPolyVertexSize * (count - 1), last);
    AddEntity(parts, placed);
}

// The polygon's parts, each starting at the end of the one before, and a closing part when
// the outline does not come back to its start.
void AddPolygon(DList* parts, const RecordBuffer& text, const OutlinePolygon& polygon, const double* pen,
                const double* matrix) {
    double current[2] = {polygon.start[0] + pen[0], polygon.start[1] + pen[1]};
    double first[2] = {0, 0}, last[2] = {0, 0}, partFirst[2];
    bool any = false;
    std::vector<double> points;
    for (const OutlineCurve& curve : polygon.curves) {
        const size_t count = curve.points.size() / 2;
        if (count == 0 || count > kMaxRecordPoints) continue;
        points.assign(current, current + 2);
        for (size_t i = 0; i < count; ++i) {
            points.push_back(curve.points[2 * i] + pen[0]);
            points.push_back(curve.points[2 * i + 1] + pen[1]);
        }
        current[0] = points[points.size() - 2];
        current[1] = points.back();
        AddOutlinePart(parts, text, points, curve.quadratic, matrix, any ? partFirst : first, last);
        any = true;
    }
    if (!any || FDNSame2(first, last)) return;
    const double closing[4] = {first[0], first[1], last[0], last[1]};
    RecordBuffer part = BuildPolyline(ET_PATH, closing, 2);
    CopyCStuff(text.data(), part.data());
    AddEntity(parts, part.data());
}

// One character at the pen. A failed query adds nothing and leaves the pen; a glyph without
// outline, or with data that does not read as one, adds nothing but moves the pen on.
void ExplodeGlyph(DList* group, HDC dc, unsigned char c, const RecordBuffer& text, const double* matrix,
                  double* pen) {
    GLYPHMETRICS metrics{};
    const DWORD size = GetGlyphOutlineA(dc, c, GGO_NATIVE, &metrics, 0, nullptr, &kIdentity);
    if (size == GDI_ERROR || size > kMaxGlyphBuffer) return;
    if (size > 0) {
        std::vector<unsigned char> buffer(size);
        const DWORD read = GetGlyphOutlineA(dc, c, GGO_NATIVE, &metrics, size, buffer.data(), &kIdentity);
        if (read == GDI_ERROR || read == 0 || read > size) return;
        std::vector<OutlinePolygon> polygons;
        if (ReadGlyphOutline(buffer.data(), read, polygons)) AddGlyphContainer(group, text, polygons, pen, matrix);
    }
    pen[0] += metrics.gmCellIncX;
    pen[1] += metrics.gmCellIncY;
}

}  // namespace

bool ReadGlyphOutline(const unsigned char* data, size_t size, std::vector<OutlinePolygon>& polygons) {
    polygons.clear();
    for (size_t at = 0; at < size;) {
        const uint32_t length = size - at >= kPolygonHeaderSize ? GetU32(data, at) : 0;
        OutlinePolygon polygon;
        if (length < kPolygonHeaderSize || length > size - at || GetU32(data, at + 4) != TT_POLYGON_TYPE ||
            !ReadPolygon(data, at, at + length, polygon)) {
            polygons.clear();
            return false;
        }
        polygons.push_back(std::move(polygon));
        at += length;
    }
    return true;
}

void AddGlyphContainer(DList* group, const RecordBuffer& text, const std::vector<OutlinePolygon>& polygons,
                       const double* pen, const double* matrix) {
    const RecordBuffer record = BuildGroup(ET_FILLED);
    EntRec* container = AddEntity(group, record.data());
    if (container == nullptr) return;
    CopyCStuff(text.data(), container);
    PutU16(container, kRecFillStyle, kGlyphFillStyle);
    DList* parts = OpenSubList(group, container);
    if (parts == nullptr) {
        RemoveEntity(group, container);
        return;
    }
    for (const OutlinePolygon& polygon : polygons) AddPolygon(parts, text, polygon, pen, matrix);
    EDraw(0, container);
}

bool OpenExplodeFont(const RecordBuffer& text, std::string_view face, ExplodeFont& font) {
    const uint8_t flags = GetU8(text.data(), kTextFlags);
    LOGFONTA logFont{};
    logFont.lfHeight = kFontHeight;
    logFont.lfWidth = kFontWidth;
    logFont.lfWeight = (flags & kTextBold) != 0 ? kWeightBold : kWeightNormal;
    logFont.lfItalic = (flags & kTextItalic) != 0;
    logFont.lfUnderline = (flags & kTextUnderline) != 0;
    logFont.lfStrikeOut = (flags & kTextStrikeOut) != 0;
    logFont.lfOutPrecision = kTrueTypeOnly;
    logFont.lfPitchAndFamily = kVariableSwiss;
    std::memcpy(logFont.lfFaceName, face.data(), std::min(face.size(), sizeof logFont.lfFaceName - 1));

    font = ExplodeFont{};
    font.font = CreateFontIndirectA(&logFont);
    if (font.font == nullptr) return false;
    font.dc = GetDC(GetMainWin());
    font.previous = font.dc != nullptr ? SelectObject(font.dc, font.font) : nullptr;
    if (font.previous == nullptr) {
        if (font.dc != nullptr) ReleaseDC(GetMainWin(), font.dc);
        DeleteObject(font.font);
        font = ExplodeFont{};
        return false;
    }
    return true;
}

void CloseExplodeFont(ExplodeFont& font) {
    SelectObject(font.dc, font.previous);
    ReleaseDC(GetMainWin(), font.dc);
    DeleteObject(font.font);
    font = ExplodeFont{};
}

bool ExplodeWithTrueType(DList* list, const RecordBuffer& text, HDC dc, const double* origin) {
    const RecordBuffer record = BuildGroup();
    EntRec* group = AddEntity(list, record.data());
    if (group == nullptr) return false;
    CopyCStuff(text.data(), group);
    DList* members = OpenSubList(list, group);
    if (members == nullptr) {
        RemoveEntity(list, group);
        return false;
    }
    const double height = GetF32(text.data(), kTextHeight);
    CTMPSH();
    CTMI2();
    CTMS2(height * GetF32(text.data(), kTextWidth) / kScaleAcross, height / kScaleUp);
    CTMR2(GetF32(text.data(), kTextAngle));
    CTMT2(origin[0], origin[1]);
    HostMatrix matrix;
    STCTM(matrix);

    double pen[2] = {0, 0};
    for (const char ch : RecordString(text.data(), kTextString)) {
        ExplodeGlyph(members, dc, static_cast<unsigned char>(ch), text, matrix, pen);
        pen[1] = 0;  // only x accumulates
    }
    EDraw(0, group);
    CTMPOP();
    return true;
}
