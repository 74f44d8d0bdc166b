// Builders of entity records in the host's layouts (host/drawing/layouts.h). Every builder
// returns the whole record with its true length at offset 0 and the rest of the header zero
// (attributes are the drawing's business: SetCStuff / CopyCStuff).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/geometry/vec2.h"

namespace qlhost {

using Record = std::vector<unsigned char>;

// Text settings shared by texts, text-bearing entities and attributes.
struct TextStyle {
    double height = 2.5;
    double angle = 0;          // radians
    int justification = 0;     // 0..20
    int font = 1;
    double widthFactor = 1;
    double lineSpacing = 150;
    int flags = 0;             // 0x10 bold, 0x20 italic, ...
};

Record MakeHeader(int type, uint32_t length);

Record MakePoint(double x, double y);
Record MakeLine(double x1, double y1, double x2, double y2);
// Type 4 when closed (polygon), else type 3 (path).
Record MakePath(const std::vector<Pt>& points, bool closed);
// Polygon (x1,y1) (x1,y2) (x2,y2) (x2,y1) (x1,y1).
Record MakeBox(double x1, double y1, double x2, double y2);
Record MakeCircle(double cx, double cy, double r);
Record MakeArc(double cx, double cy, double r, double start, double sweep);
// Full ellipse (type 8): centre, major semi-axis vector, ratio minor / major.
Record MakeEllipse(double cx, double cy, double axisX, double axisY, double ratio);
// Elliptical arc (type 9): as above with start and sweep parameters.
Record MakeEllipseArc(double cx, double cy, double axisX, double axisY, double ratio, double start,
                      double sweep);
// Curve (type 26) or closed curve (27) of a subtype 0..3.
Record MakeCurve(int type, int subtype, const std::vector<Pt>& points);
Record MakeBezier(const std::vector<Pt>& points);
Record MakeText(double x, double y, double height, double angle, int justification, int font,
                const std::string& text);
Record MakeText(double x, double y, const TextStyle& style, const std::string& text);
Record MakeTextBearing(double x, double y, const TextStyle& style, const std::string& text);
Record MakeGroup();
// Containers: 13 filled container, 34 container of a path (flags at 42), 36 container
// (flags at 32).
Record MakeContainer(int type, uint32_t flags);
Record MakeMarker(uint32_t kind);
Record MakeWall(double x1, double y1, double x2, double y2, double thickness);
// Attribute: value none = no string; tag and prompt are its two variable parts.
Record MakeAttribute(double x, double y, const TextStyle& style, const std::optional<std::string>& value,
                     const std::string& tag, const std::string& prompt = "", uint16_t flags = 0);
// Symbol reference: definition handle (0 none), 3 x 4 matrix (12 doubles, row-major), name.
Record MakeSymbolRef(uint32_t definition, const double* matrix12, const std::string& name);
// Symbol reference placed at (x, y), rotated and uniformly scaled.
Record MakeSymbolRef(uint32_t definition, double x, double y, double angle, double scale,
                     const std::string& name);
Record MakeSymbolDef(uint32_t handle, double baseX, double baseY, const std::string& name);
// Arc dimension (type 30) with the given 116-byte style block (null: zeros).
Record MakeArcDimension(const unsigned char* styleBlock, Pt centre, double radius, double start,
                        double sweep, double dist1, double dist2, Pt textPos);

}  // namespace qlhost
