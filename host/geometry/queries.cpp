// Entity queries: information bits, points and parameters, lengths, intersections,
// distances and flattening.
#include <algorithm>
#include <cmath>

#include "host/drawing/layouts.h"
#include "host/geometry/geometry.h"
#include "host/geometry/shape.h"

namespace qlhost {
namespace {
using namespace layout;

void AddUnique(std::vector<Pt>& out, Pt p) {
    double tol = kMergeTolerance * (1 + std::max(std::fabs(p.x), std::fabs(p.y)));
    for (const Pt& q : out)
        if (std::fabs(q.x - p.x) <= tol && std::fabs(q.y - p.y) <= tol) return;
    out.push_back(p);
}

struct Box {
    double x0, y0, x1, y1;
};

Box PrimBox(const geo::Prim& p) {
    if (p.kind == geo::Prim::kSeg)
        return {std::min(p.a.x, p.b.x), std::min(p.a.y, p.b.y), std::max(p.a.x, p.b.x), std::max(p.a.y, p.b.y)};
    double rx = p.kind == geo::Prim::kArc ? p.r : std::hypot(p.A.x, p.B.x);
    double ry = p.kind == geo::Prim::kArc ? p.r : std::hypot(p.A.y, p.B.y);
    return {p.c.x - rx, p.c.y - ry, p.c.x + rx, p.c.y + ry};
}

bool Overlap(const Box& a, const Box& b, double eps) {
    return a.x0 <= b.x1 + eps && b.x0 <= a.x1 + eps && a.y0 <= b.y1 + eps && b.y0 <= a.y1 + eps;
}

}  // namespace

uint32_t EntityInfo(const unsigned char* rec) {
    switch (TypeOf(rec)) {
        case kLine:
        case kPath:
        case kArc:
        case kEllipseArc:
        case kCurve:
        case kBezier: return kInfoBounds;
        case kPolygon:
        case kCircle:
        case kEllipse:
        case kClosedCurve: return kInfoBounds | kInfoClosed;
        case kText:
        case kTextBearing:
        case kDimLinear:
        case kDimAngular:
        case kDimArc:
        case kDimRadial:
        case kSymbolRef:
        case kAttribute: return kInfoAnnotation;
        default: return 0;
    }
}

bool PointAt(const unsigned char* rec, double t, Pt& out) {
    geo::Shape s;
    if (!std::isfinite(t) || !geo::Decode(rec, s) || s.kind == geo::Shape::kPoint) return false;
    out = geo::PointOn(s, t);
    return true;
}

bool ParamOf(const unsigned char* rec, Pt p, double& t) {
    geo::Shape s;
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !geo::Decode(rec, s) || s.kind == geo::Shape::kPoint)
        return false;
    t = geo::ParamOn(s, p);
    return true;
}

bool LengthOf(const unsigned char* rec, double& length) {
    geo::Shape s;
    if (!geo::Decode(rec, s) || s.kind == geo::Shape::kPoint) return false;
    length = geo::ShapeLength(s);
    return true;
}

std::vector<Pt> Intersections(const unsigned char* a, const unsigned char* b) {
    geo::Shape sa, sb;
    if (!geo::Decode(a, sa) || !geo::Decode(b, sb)) return {};
    std::vector<geo::Prim> pa = geo::Prims(sa), pb = geo::Prims(sb);
    std::vector<Box> boxB;
    boxB.reserve(pb.size());
    double extent = 1;
    for (const geo::Prim& q : pb) {
        boxB.push_back(PrimBox(q));
        extent = std::max({extent, std::fabs(boxB.back().x0), std::fabs(boxB.back().x1),
                           std::fabs(boxB.back().y0), std::fabs(boxB.back().y1)});
    }
    double eps = 1e-9 * extent;
    std::vector<Pt> raw;
    for (const geo::Prim& p : pa) {
        Box bp = PrimBox(p);
        for (size_t j = 0; j < pb.size(); ++j)
            if (Overlap(bp, boxB[j], eps)) geo::IntersectPrims(p, pb[j], raw);
    }
    std::vector<Pt> out;
    for (const Pt& p : raw) AddUnique(out, p);
    // Ordered along b, so that a caller splitting b piece by piece meets them in turn.
    std::vector<std::pair<double, Pt>> keyed;
    for (const Pt& p : out) keyed.push_back({geo::ParamOn(sb, p), p});
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& l, const auto& r) { return l.first < r.first; });
    for (size_t i = 0; i < keyed.size(); ++i) out[i] = keyed[i].second;
    return out;
}

bool DistanceTo(const unsigned char* rec, Pt p, double& distance) {
    geo::Shape s;
    if (!geo::Decode(rec, s)) return false;
    if (s.kind == geo::Shape::kPoint) {
        distance = Norm(s.pts[0] - p);
        return true;
    }
    distance = INFINITY;
    for (const geo::Prim& q : geo::Prims(s)) distance = std::min(distance, geo::DistanceToPrim(q, p));
    if (s.pts.size() == 1 && s.kind != geo::Shape::kArc && s.kind != geo::Shape::kEllipse)
        distance = Norm(s.pts[0] - p);
    return std::isfinite(distance);
}

std::vector<std::vector<Pt>> FlattenEntity(const unsigned char* rec, double tolerance) {
    if (!(tolerance > 0)) tolerance = kFlattenTolerance;
    if (TypeOf(rec) == kDimArc && LengthOf(rec) >= kDim30Length) {
        uint32_t n = LengthOf(rec);
        Record arc = MakeArc(Get<double>(rec, n, kDim30Centre), Get<double>(rec, n, kDim30Centre + 8),
                             Get<double>(rec, n, kDim30Radius), Get<double>(rec, n, kDim30Start),
                             Get<double>(rec, n, kDim30Sweep));
        return FlattenEntity(arc.data(), tolerance);
    }
    geo::Shape s;
    if (!geo::Decode(rec, s)) return {};
    std::vector<Pt> line = geo::Flatten(s, tolerance);
    if (line.empty()) return {};
    return {line};
}

}  // namespace qlhost
