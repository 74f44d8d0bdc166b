// Byte layouts of every entity record the host keeps, and bounds-checked field access.
// Offsets count from the start of the record (the 32-byte header included). Fields are
// packed little-endian; read and write them only through the accessors below.
// docs/entities.md describes every layout in prose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace qlhost::layout {

// ---------------------------------------------------------------------------------------
// Common header

constexpr size_t kLength = 0;       // u32 total record length
constexpr size_t kType = 4;         // u8 type code
constexpr size_t kAttr5 = 5;        // i8 attribute
constexpr size_t kAttr6 = 6;        // u32 attribute
constexpr size_t kAttr10 = 10;      // u32 attribute
constexpr size_t kFillStyle = 14;   // u16
constexpr size_t kLineStyle = 16;   // u16
constexpr size_t kLayer = 20;       // u16
constexpr size_t kAttr22 = 22;      // u32 attribute
constexpr size_t kHostBytes = 26;   // 6 bytes, host's own (kept zero by the builders)
constexpr size_t kHeaderSize = 32;

// Type codes.
enum Type : uint8_t {
    kInternal0 = 0,      // host-internal entity, walked only with SCOPE_WITH_INTERNAL
    kPoint = 1,
    kLine = 2,
    kPath = 3,
    kPolygon = 4,
    kText = 5,
    kCircle = 6,
    kArc = 7,
    kEllipse = 8,        // full ellipse
    kEllipseArc = 9,
    kGroup = 10,
    kMarker = 11,        // host-internal marker
    kSymbolRef = 12,
    kFilledContainer = 13,
    kSymbolDef = 14,     // symbol definition record (never stored in a list)
    kCurve = 26,
    kClosedCurve = 27,
    kDimLinear = 28,
    kDimAngular = 29,
    kDimArc = 30,
    kDimRadial = 31,
    kTextBearing = 33,
    kPathContainer = 34,
    kContainer = 36,
    kAttribute = 37,
    kWall = 38,
    kBezier = 45,
};

// ---------------------------------------------------------------------------------------
// Type-specific parts

// 1 point: x, y.                                               length 48
constexpr size_t kPointX = 32, kPointY = 40, kPointLength = 48;

// 2 line: start, end.                                          length 64
constexpr size_t kLineStart = 32, kLineEnd = 48, kLineLength = 64;

// 3 path, 4 polygon: u16 count, then count points.             length 34 + 16 n
// A box is a polygon of 5 vertices whose last equals the first.
constexpr size_t kPolyCount = 32, kPolyPoints = 34;
constexpr size_t PolyLength(size_t n) { return kPolyPoints + 16 * n; }

// Text data part (72 bytes), shared by texts (at 32), text-bearing entities (at 64) and
// attributes (at 46). Offsets relative to the data part.
constexpr size_t kDataX = 0, kDataY = 8;
constexpr size_t kDataLayout = 48;        // u8
constexpr size_t kDataStyle = 49;         // u16
constexpr size_t kDataHeight = 51;        // float
constexpr size_t kDataWidth = 55;         // float width factor
constexpr size_t kDataAngle = 59;         // float radians
constexpr size_t kDataSpacing = 63;       // float line spacing
constexpr size_t kDataFont = 67;          // u16
constexpr size_t kDataFlags = 69;         // u8: 0x04 outline 0x10 bold 0x20 italic 0x40 underline 0x80 strike-out
constexpr size_t kDataCopied = 70;        // u8
constexpr size_t kDataJustify = 71;       // u8 0..20
constexpr size_t kDataSize = 72;
constexpr size_t kDataString = 72;        // a text's string follows its data part

// 5 text: data part 32..103, string from 104.                  length strlen + 105
constexpr size_t kTextData = 32, kTextString = 104;
constexpr size_t TextLength(size_t n) { return kTextString + n + 1; }

// 6 circle: centre, radius.                                    length 56
constexpr size_t kCircleCentre = 32, kCircleRadius = 48, kCircleLength = 56;

// 7 arc: centre, radius, start angle, sweep angle (> 0, counter-clockwise).   length 72
constexpr size_t kArcCentre = 32, kArcRadius = 48, kArcStart = 56, kArcSweep = 64, kArcLength = 72;

// 8 full ellipse: centre, major semi-axis vector, ratio minor / major (0 < ratio <= 1).
// Point at parameter u: centre + cos u * A + sin u * ratio * perp(A), perp = A turned +90.
constexpr size_t kEllCentre = 32, kEllAxis = 48, kEllRatio = 64, kEllipseLength = 72;
// 9 elliptical arc: as 8, then start parameter and sweep parameter (> 0).      length 88
constexpr size_t kEllStart = 72, kEllSweep = 80, kEllipseArcLength = 88;

// 10 group, 13 filled container: header only (members in a nested list).      length 32
constexpr size_t kGroupLength = 32;

// 11 marker: u32 marker kind.                                  length 36
constexpr size_t kMarkerKind = 32, kMarkerLength = 36;

// 12 symbol reference: u32 definition handle (0 = none), 3 x 4 matrix of doubles,
// row-major, points as columns (translation x at 60, y at 92), name from 132.
// length 133 + strlen(name). Members (nested list) are in definition coordinates; a member
// point p shows at M p - base, base the definition's base point.
constexpr size_t kSymHandle = 32, kSymMatrix = 36, kSymName = 132;
constexpr size_t kSymTx = 60, kSymTy = 92;
constexpr size_t SymbolRefLength(size_t n) { return kSymName + n + 1; }

// 14 symbol definition (kept by the host, found through its handle): u32 handle,
// base point x, y, name from 52.                               length 53 + strlen(name)
constexpr size_t kDefHandle = 32, kDefBaseX = 36, kDefBaseY = 44, kDefName = 52;
constexpr size_t SymbolDefLength(size_t n) { return kDefName + n + 1; }

// 26 curve, 27 closed curve: u8 subtype, u8 steps per span (8), two floats (0),
// double span count (n - 1), u16 count, points.                length 52 + 16 n
// Subtypes: 0 polyline; 1 quadratic B-spline (ends on the curve, inner points are controls
// with implied on-curve midpoints, as TrueType outlines); 2 interpolating spline through
// every point (Catmull-Rom); 3 cubic Bezier runs (P0 C C P1 C C P2 ...).
constexpr size_t kCurveSubtype = 32, kCurveSteps = 33, kCurveF1 = 34, kCurveF2 = 38;
constexpr size_t kCurveSpans = 42, kCurveCount = 50, kCurvePoints = 52;
constexpr size_t CurveLength(size_t n) { return kCurvePoints + 16 * n; }

// 28..31 dimensions: 116-byte style block at 32 (first u16 the style number).
constexpr size_t kDimStyle = 32, kDimStyleSize = 116, kDimGeometry = 148;
// 30 arc dimension.                                            length 231
constexpr size_t kDim30Centre = 148, kDim30Radius = 164, kDim30Start = 172, kDim30Sweep = 180;
constexpr size_t kDim30Dist1 = 188, kDim30Dist2 = 196, kDim30Text = 204;
constexpr size_t kDim30Outside = 228, kDim30Flags = 229, kDim30Length = 231;
// 28 linear: two measured points, a point on the dimension line, text position, reserved
// bytes, u8 flags at 221 (bit 0: drawn by DIMP rather than DIML).
constexpr size_t kDim28P1 = 148, kDim28P2 = 164, kDim28Line = 180, kDim28Text = 196;
constexpr size_t kDim28Flags = 221, kDim28Length = 222;
// 29 angular: vertex, a point on each leg, a point on the arc, text position, reserved
// bytes, u8 flags at 244 (bit 1: drawn by DIMR rather than DIMD).
constexpr size_t kDim29Vertex = 148, kDim29P1 = 164, kDim29P2 = 180, kDim29Arc = 196;
constexpr size_t kDim29Text = 212, kDim29Flags = 244, kDim29Length = 245;
// 31 radial: centre, point on the circle, text position, u8 flags.
constexpr size_t kDim31Centre = 148, kDim31Point = 164, kDim31Text = 180;
constexpr size_t kDim31Flags = 196, kDim31Length = 197;

// 33 text-bearing entity: anchor point at 32, 16 bytes host's, data part 64..135,
// string from 136.                                             length strlen + 137
constexpr size_t kTbAnchor = 32, kTbData = 64, kTbString = 136;
constexpr size_t TextBearingLength(size_t n) { return kTbString + n + 1; }

// 34 container of a path: arrowhead settings at 32 (the 10 bytes of the attribute settings
// at 201: length, height, 2 bytes), u32 flags at 42 (1 arrow at the start, 2 at the end). length 46
constexpr size_t kPathContFlags = 42, kPathContainerLength = 46;
// 36 container: u32 flags at 32 (2: draw order works inside it).              length 36
constexpr size_t kContFlags = 32, kContainerLength = 36;

// 37 attribute: u16 flags (8: position kept as stored under a symbol reference), u32
// offset of the tag text, u32 offset of the prompt text, u32 offset of the value string
// (0 = none), data part 46..117, variable texts from 118 (value, tag, prompt; each NUL
// terminated).
constexpr size_t kAttFlags = 32, kAttPart1 = 34, kAttPart2 = 38, kAttString = 42;
constexpr size_t kAttData = 46, kAttVariable = 118;

// 38 wall: centre line start and end, thickness (double).     length 72
constexpr size_t kWallStart = 32, kWallEnd = 48, kWallThickness = 64, kWallLength = 72;

// 45 Bezier: u16 count, points (cubic runs P0 C C P1 C C P2 ...).             length 34 + 16 n
constexpr size_t kBezCount = 32, kBezPoints = 34;
constexpr size_t BezierLength(size_t n) { return kBezPoints + 16 * n; }

// EInfo (what = 1) bits.
constexpr uint32_t kInfoBounds = 0x02;
constexpr uint32_t kInfoClosed = 0x04;
constexpr uint32_t kInfoAnnotation = 0x10;

// ---------------------------------------------------------------------------------------
// Field access. Reads outside [0, size) give zero; writes outside are ignored.

template <typename T>
inline T Get(const unsigned char* rec, size_t size, size_t off) {
    T v{};
    if (rec && off + sizeof(T) <= size) std::memcpy(&v, rec + off, sizeof(T));
    return v;
}

template <typename T>
inline void Put(unsigned char* rec, size_t size, size_t off, T v) {
    if (rec && off + sizeof(T) <= size) std::memcpy(rec + off, &v, sizeof(T));
}

// The record's own length field (0 for a null record).
inline uint32_t LengthOf(const unsigned char* rec) {
    uint32_t n = 0;
    if (rec) std::memcpy(&n, rec, sizeof n);
    return n;
}

inline int TypeOf(const unsigned char* rec) { return rec ? rec[kType] : -1; }

}  // namespace qlhost::layout
