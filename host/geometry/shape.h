// The geometry of one entity record decoded into a form the queries work on: polylines,
// circular arcs, elliptical arcs and cubic Bezier pieces. Internal to the geometry room.
#pragma once

#include <utility>
#include <vector>

#include "host/geometry/vec2.h"

namespace qlhost::geo {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;
constexpr size_t kMaxFlattenSteps = 4096;  // per circle, ellipse or curve piece
// A curve's chord height grows with its size beyond 1e5 units, so that a curve of absurd
// size (a hostile file) gets a polyline of sane length instead of thousands of zigzags.
constexpr double kRelativeFlattenTolerance = 1e-9;

struct Cubic {
    Pt p[4];
};

// Primitive pieces for intersections and distances.
struct Prim {
    enum Kind { kSeg, kArc, kEArc } kind = kSeg;
    Pt a, b;                                   // segment
    Pt c;                                      // arc / elliptical arc centre
    double r = 0;                              // arc radius
    Pt A, B;                                   // elliptical arc: c + cos u A + sin u B
    double start = 0, sweep = 0;               // arcs: parameter span (sweep > 0)
};

struct Shape {
    enum Kind { kNone, kPoint, kLine, kPolyline, kArc, kEllipse, kCurve } kind = kNone;
    bool closed = false;          // polygon, circle, full ellipse, closed curve
    std::vector<Pt> pts;          // point / line ends / polyline vertices as stored
    Pt c;                         // arc and ellipse centre
    double r = 0;                 // arc radius
    Pt A, B;                      // ellipse conjugate semi-axes (B = ratio * perp(A))
    double start = 0, sweep = 0;  // arc and ellipse span (full forms: 0, 2 pi)
    std::vector<Cubic> cubics;    // curve pieces in order

    // Arc-length form of polylines and curves: vertices (closing vertex repeated), running
    // lengths, and for curves the (piece, u) of each vertex.
    std::vector<Pt> poly;
    std::vector<double> cum;
    std::vector<std::pair<int, double>> at;
};

// Decodes a record (points, lines, paths, polygons, circles, arcs, ellipses, curves,
// Bezier, walls by their centre line). False for anything else or a malformed record.
bool Decode(const unsigned char* rec, Shape& s);

Pt PointOn(const Shape& s, double t);
double ParamOn(const Shape& s, Pt p);   // lines unclamped, others within [0, 1]
double ShapeLength(const Shape& s);
std::vector<Prim> Prims(const Shape& s);
// Polylines within a chord tolerance (closed forms repeat their first point at the end).
std::vector<Pt> Flatten(const Shape& s, double tol);
Pt EllipsePoint(const Shape& s, double u);

// Curves and circles.
size_t ArcSteps(double radius, double sweep, double tol);
std::vector<Cubic> CurvePieces(int subtype, bool closed, const std::vector<Pt>& pts);
Pt CubicPoint(const Cubic& c, double u);
void SplitCubic(const Cubic& c, double u, Cubic& left, Cubic& right);
size_t CubicSteps(const Cubic& c, double tol);
// Fills s.poly / s.at from s.cubics, then s.cum.
void FlattenCurve(Shape& s, double tol);
void BuildLengths(Shape& s);

// Primitive geometry.
void IntersectPrims(const Prim& p, const Prim& q, std::vector<Pt>& out);
std::vector<Prim> FlattenPrim(const Prim& p, double tol);
double DistanceToPrim(const Prim& p, Pt q);
bool AngleInSpan(double angle, double start, double sweep, double eps);
double NormAngle(double a);

}  // namespace qlhost::geo
