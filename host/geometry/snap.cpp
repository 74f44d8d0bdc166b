// Object snaps over entity records: the points each kind offers, intersections between the
// entities near the cursor, and the nearest point on a curve.
#include "host/geometry/snap.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/geometry/geometry.h"
#include "host/drawing/layouts.h"

namespace qlhost {
namespace {
using namespace layout;

Pt At(const unsigned char* rec, size_t n, size_t off) { return {Get<double>(rec, n, off), Get<double>(rec, n, off + 8)}; }

void Add(std::vector<SnapHit>& out, unsigned modes, unsigned mode, Pt p) {
    if ((modes & mode) && std::isfinite(p.x) && std::isfinite(p.y)) out.push_back({p, mode});
}

// Corners and segment midpoints of a polyline.
void Polyline(const std::vector<Pt>& points, unsigned modes, std::vector<SnapHit>& out) {
    for (size_t i = 0; i < points.size(); ++i) {
        Add(out, modes, kSnapEnd, points[i]);
        if (i + 1 < points.size()) Add(out, modes, kSnapMid, Lerp(points[i], points[i + 1], 0.5));
    }
}

// Ends and middle of a curve by its parameter.
void CurveEnds(const unsigned char* rec, unsigned modes, std::vector<SnapHit>& out) {
    Pt p;
    if (PointAt(rec, 0, p)) Add(out, modes, kSnapEnd, p);
    if (PointAt(rec, 1, p)) Add(out, modes, kSnapEnd, p);
    if (PointAt(rec, 0.5, p)) Add(out, modes, kSnapMid, p);
}

double SegmentNearest(Pt a, Pt b, Pt p, Pt& q) {
    const Pt d = b - a;
    const double l2 = Dot(d, d);
    q = Lerp(a, b, l2 > 0 ? std::clamp(Dot(p - a, d) / l2, 0.0, 1.0) : 0.0);
    return Norm(q - p);
}

// The nearest point of a record to p: by its parameter where it has one, else on its
// outline as the host flattens it.
bool Nearest(const unsigned char* rec, Pt p, Pt& q) {
    double t;
    if (ParamOf(rec, p, t) && PointAt(rec, std::clamp(t, 0.0, 1.0), q)) return true;
    double best = INFINITY;
    for (const auto& line : FlattenEntity(rec))
        for (size_t i = 0; i + 1 < line.size(); ++i) {
            Pt c;
            const double d = SegmentNearest(line[i], line[i + 1], p, c);
            if (d < best) {
                best = d;
                q = c;
            }
        }
    return std::isfinite(best);
}

}  // namespace

const char* SnapModeName(unsigned mode) {
    switch (mode) {
        case kSnapEnd: return "end";
        case kSnapMid: return "mid";
        case kSnapCentre: return "centre";
        case kSnapIntersection: return "intersection";
        case kSnapNearest: return "nearest";
        default: return "";
    }
}

unsigned SnapModeByName(const char* name) {
    static const struct {
        const char* name;
        unsigned mode;
    } names[] = {{"end", kSnapEnd},         {"endpoint", kSnapEnd},     {"mid", kSnapMid},
                 {"midpoint", kSnapMid},    {"centre", kSnapCentre},    {"center", kSnapCentre},
                 {"intersection", kSnapIntersection}, {"int", kSnapIntersection}, {"nearest", kSnapNearest}};
    for (const auto& n : names)
        if (std::strcmp(n.name, name) == 0) return n.mode;
    return 0;
}

void SnapPoints(const unsigned char* rec, unsigned modes, std::vector<SnapHit>& out) {
    const size_t n = LengthOf(rec);
    if (n < kHeaderSize) return;
    switch (TypeOf(rec)) {
        case kPoint:
            Add(out, modes, kSnapEnd, At(rec, n, kPointX));
            break;
        case kLine:
            Polyline({At(rec, n, kLineStart), At(rec, n, kLineEnd)}, modes, out);
            break;
        case kPath:
        case kPolygon: {
            const size_t count = Get<uint16_t>(rec, n, kPolyCount);
            if (kPolyPoints + 16 * count > n) return;
            std::vector<Pt> points;
            for (size_t i = 0; i < count; ++i) points.push_back(At(rec, n, kPolyPoints + 16 * i));
            Polyline(points, modes, out);
            break;
        }
        case kCircle:
            Add(out, modes, kSnapCentre, At(rec, n, kCircleCentre));
            break;
        case kEllipse:
            Add(out, modes, kSnapCentre, At(rec, n, kEllCentre));
            break;
        case kArc:
            Add(out, modes, kSnapCentre, At(rec, n, kArcCentre));
            CurveEnds(rec, modes, out);
            break;
        case kEllipseArc:
            Add(out, modes, kSnapCentre, At(rec, n, kEllCentre));
            CurveEnds(rec, modes, out);
            break;
        case kCurve:
        case kBezier:
            CurveEnds(rec, modes, out);
            break;
        case kWall: {
            // A wall is drawn as a band of its thickness about its centre line: its corners
            // and the ends of the centre line.
            if (n < kWallLength) return;
            const Pt a = At(rec, n, kWallStart), b = At(rec, n, kWallEnd);
            const double length = Norm(b - a);
            Polyline({a, b}, modes, out);
            if (length == 0) return;
            const Pt side = Perp(b - a) * (Get<double>(rec, n, kWallThickness) / 2 / length);
            Polyline({a + side, b + side, b - side, a - side, a + side}, modes, out);
            break;
        }
        default:
            break;
    }
}

bool FindSnap(const std::vector<Record>& records, Pt cursor, double tolerance, unsigned modes, SnapHit& hit) {
    std::vector<SnapHit> points;
    for (const Record& r : records) SnapPoints(r.data(), modes, points);
    if (modes & kSnapIntersection)
        for (size_t i = 0; i < records.size(); ++i)
            for (size_t j = i + 1; j < records.size(); ++j)
                for (Pt p : Intersections(records[i].data(), records[j].data()))
                    Add(points, modes, kSnapIntersection, p);
    double best = tolerance;
    bool found = false;
    for (const SnapHit& p : points) {
        const double d = Norm(p.at - cursor);
        if (d <= best) {
            best = d;
            hit = p;
            found = true;
        }
    }
    if (found || !(modes & kSnapNearest)) return found;
    best = tolerance;
    for (const Record& r : records) {
        Pt q;
        if (!Nearest(r.data(), cursor, q)) continue;
        const double d = Norm(q - cursor);
        if (d <= best) {
            best = d;
            hit = {q, kSnapNearest};
            found = true;
        }
    }
    return found;
}

}  // namespace qlhost
