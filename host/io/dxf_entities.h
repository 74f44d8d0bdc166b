// DXF entities that the host reads and writes itself rather than through dxflib: hatches
// (boundary paths, pattern definition lines), the fill styles they stand for, and the
// entity's own group codes as the importer sees them. No dxflib types here: the Windows build,
// which has no dxflib, compiles this file too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/drawing/drawing.h"
#include "host/geometry/geometry.h"

namespace qlhost::io {

// One group of a DXF entity: its code and value as the file holds it.
struct DxfPair {
    int code;
    std::string value;
};

// An entity's groups from its "0 TYPE" up to the next code 0.
struct DxfChunk {
    std::string type;
    std::vector<DxfPair> pairs;

    // The first value of a code (fallback when there is none or it is not a number).
    std::string Text(int code, const std::string& fallback = {}) const;
    double Real(int code, double fallback = 0) const;
    long long Whole(int code, long long fallback = 0) const;
    // The values of every group of an application's extended data ("1001 APP" up to the next
    // 1001), or none.
    std::vector<DxfPair> ExtendedData(const std::string& app) const;
};

// A group to be written: text, real or whole number.
struct DxfGroup {
    enum Kind { kText, kReal, kWhole } kind;
    int code;
    std::string text;
    double real = 0;
    long long whole = 0;
};

// ---------------------------------------------------------------------------------------
// Hatches

struct HatchEdge {
    enum Kind { kLine = 1, kArc = 2, kEllipse = 3, kSpline = 4 } kind = kLine;
    Pt a, b;              // line: start and end; arc and ellipse: centre in a; ellipse: major axis end in b
    double radius = 0;    // arc radius; ellipse: ratio minor / major
    double start = 0, end = 0;  // degrees
    bool counterClockwise = true;
    std::vector<Pt> controls;  // spline control points (drawn as their polygon)
};

struct HatchPath {
    uint32_t flags = 0;      // 2: polyline path
    bool closed = true;      // polyline paths
    std::vector<Pt> points;  // polyline paths
    std::vector<double> bulges;
    std::vector<HatchEdge> edges;  // edge paths

    bool Polyline() const { return (flags & 2) != 0; }
};

// One pattern definition line, in drawing units (scale and angle of the hatch applied).
struct PatternLine {
    double angle = 0;  // degrees
    Pt base, offset;
    std::vector<double> dashes;
};

struct DxfHatch {
    std::string pattern;
    bool solid = false;
    double scale = 1, angle = 0;  // degrees
    int patternType = 1;          // 0 user-defined, 1 predefined, 2 custom
    std::vector<HatchPath> paths;
    std::vector<PatternLine> lines;
};

// Reads the HATCH entity's groups; false when the paths are malformed (counts that do not
// match what follows).
bool ParseHatch(const DxfChunk& chunk, DxfHatch& hatch);
// The HATCH groups after the common entity groups (from "100 AcDbHatch" on).
std::vector<DxfGroup> HatchGroups(const DxfHatch& hatch);

// The outline of a path as a closed polygon (bulges and edges flattened), or, for a path that
// is exactly one full circle or ellipse, that entity; the record carries no attributes.
Record PathRecord(const HatchPath& path);

// The corners of a record's outline as a polyline shows it: a polygon's stored points, a
// wall's four corners, other records flattened (one piece only); a repeat of the first point at
// the end left out. Empty when there is no single outline.
std::vector<Pt> OutlineCorners(const unsigned char* record);

// ---------------------------------------------------------------------------------------
// Fill styles <-> hatch patterns

// The pattern definition lines of a host fill style entry (kind 3) at its own scale; empty
// for other kinds.
std::vector<PatternLine> FillStyleLines(const unsigned char* entry);
// A fill style entry's name and kind (kFillNone when absent).
std::string FillStyleName(const unsigned char* entry);
// A pattern entry's own scale (1 for other entries).
double FillStyleScale(const unsigned char* entry);
int FillStyleKind(const unsigned char* entry);

// Fill styles a DXF import adds: a pattern that is not in the drawing (or is there with other
// lines) becomes a new entry; the entries are added at the end, after the import succeeded.
class FillStyleIndex {
public:
    explicit FillStyleIndex(Tables& tables) : tables_(tables) {}
    // The fill style number for a hatch (solid: the solid style).
    int Number(const DxfHatch& hatch);
    void Apply() const;

private:
    struct Added {
        int number;
        std::string name;
        std::vector<PatternLine> lines;
    };
    Tables& tables_;
    std::vector<Added> added_;
};

// ---------------------------------------------------------------------------------------
// Host records carried in extended data, so that a record DXF has no exact form for (a
// dimension) comes back as it was: "1001 QUILLET", "1000 RECORD", then 1004 chunks.
constexpr char kQuilletApp[] = "QUILLET";
// "1001 QUILLET", "1000 CORNERS": a closed polyline whose last vertex is not its first one
// again, as the host stored it (the import adds the repeat to other closed polylines).
constexpr char kCornersAsStored[] = "CORNERS";
// "1001 QUILLET", "1000 ARROWHEAD": a SOLID that draws a path container's arrowhead for other
// programs; the container's own record brings it back.
constexpr char kArrowhead[] = "ARROWHEAD";
std::vector<DxfGroup> RecordGroups(const unsigned char* record, uint32_t length);
// The record of a chunk's QUILLET extended data, or an empty record.
Record RecordFromChunk(const DxfChunk& chunk);

}  // namespace qlhost::io
