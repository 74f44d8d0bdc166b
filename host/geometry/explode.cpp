// Exploding ellipse forms, curves and Bezier entities into lines, paths, polygons, arcs and
// circles.
#include <algorithm>
#include <cmath>

#include "host/drawing/layouts.h"
#include "host/geometry/split.h"

namespace qlhost {
namespace {
using namespace layout;

constexpr size_t kMaxPathPoints = 0xFFFF;
constexpr double kCircularRatio = 1e-12;  // an ellipse this close to ratio 1 is a circle

// One path (or polygon) per run of at most kMaxPathPoints points.
void AddPolyline(std::vector<Pt> pts, bool closed, std::vector<Record>& out) {
    if (closed && pts.size() > 1 && pts.back().x == pts.front().x && pts.back().y == pts.front().y)
        pts.pop_back();
    if (pts.size() < 2) return;
    if (pts.size() == 2 && !closed) {
        out.push_back(MakeLine(pts[0].x, pts[0].y, pts[1].x, pts[1].y));
        return;
    }
    if (pts.size() <= kMaxPathPoints) {
        out.push_back(MakePath(pts, closed));
        return;
    }
    if (closed) pts.push_back(pts.front());
    for (size_t i = 0; i + 1 < pts.size(); i += kMaxPathPoints - 1) {
        size_t end = std::min(pts.size(), i + kMaxPathPoints);
        out.push_back(MakePath(std::vector<Pt>(pts.begin() + i, pts.begin() + end), false));
    }
}

double Size(const std::vector<Pt>& pts) {
    double lo = INFINITY, hi = -INFINITY;
    for (const Pt& p : pts) {
        lo = std::min({lo, p.x, p.y});
        hi = std::max({hi, p.x, p.y});
    }
    return hi > lo ? hi - lo : 0;
}

}  // namespace

std::vector<Record> ExplodeRecord(const unsigned char* rec) {
    std::vector<Record> out;
    int type = TypeOf(rec);
    if (type != kEllipse && type != kEllipseArc && type != kCurve && type != kClosedCurve && type != kBezier)
        return out;
    geo::Shape s;
    if (!geo::Decode(rec, s)) return out;
    if (s.kind == geo::Shape::kEllipse) {
        double major = Norm(s.A);
        if (std::fabs(Norm(s.B) - major) <= kCircularRatio * major) {
            double start = s.start + std::atan2(s.A.y, s.A.x);
            out.push_back(s.closed ? MakeCircle(s.c.x, s.c.y, major)
                                   : MakeArc(s.c.x, s.c.y, major, geo::NormAngle(start), s.sweep));
        } else {
            double tol = std::max(kFlattenTolerance, kExplodeTolerance * major);
            AddPolyline(geo::Flatten(s, tol), s.closed, out);
        }
    } else if (type != kBezier && rec[kCurveSubtype] == 0) {
        AddPolyline(s.pts, s.closed, out);
    } else {
        double tol = std::max(kFlattenTolerance, kExplodeTolerance * Size(s.poly));
        AddPolyline(geo::Flatten(s, tol), s.closed, out);
    }
    for (Record& r : out) CopyHeader(rec, r);
    return out;
}

}  // namespace qlhost
