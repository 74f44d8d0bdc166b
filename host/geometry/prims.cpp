// Intersections and distances of primitive pieces: segments, circular arcs, elliptical arcs.
#include <algorithm>
#include <cmath>

#include "host/geometry/geometry.h"
#include "host/geometry/shape.h"

namespace qlhost::geo {
namespace {

constexpr double kParamEps = 1e-9;   // segment fractions this far outside [0, 1] still count
constexpr double kAngleEps = 1e-9;   // radians beyond an arc's ends that still count

Pt ArcPoint(const Prim& p, double angle) {
    if (p.kind == Prim::kArc) return Polar(p.c, p.r, angle);
    return p.c + p.A * std::cos(angle) + p.B * std::sin(angle);
}

void SegSeg(const Prim& p, const Prim& q, std::vector<Pt>& out) {
    Pt r = p.b - p.a, s = q.b - q.a, qp = q.a - p.a;
    double denom = Cross(r, s);
    double scale = std::max(Dot(r, r), Dot(s, s));
    if (std::fabs(denom) > 1e-12 * scale) {
        double t = Cross(qp, s) / denom, u = Cross(qp, r) / denom;
        if (t >= -kParamEps && t <= 1 + kParamEps && u >= -kParamEps && u <= 1 + kParamEps)
            out.push_back(Lerp(p.a, p.b, std::clamp(t, 0.0, 1.0)));
        return;
    }
    // Parallel: collinear overlaps give the end points lying on the other segment.
    double lr = Norm(r), ls = Norm(s);
    double off = lr > 0 ? std::fabs(Cross(qp, r)) / lr : (ls > 0 ? std::fabs(Cross(qp, s)) / ls : Norm(qp));
    double tol = 1e-9 * (1 + std::sqrt(scale));
    if (off > tol) return;
    auto onSeg = [tol](Pt a, Pt b, Pt x) {
        Pt d = b - a;
        double l2 = Dot(d, d);
        if (!(l2 > 0)) return Norm(x - a) <= tol;
        double t = Dot(x - a, d) / l2;
        return t >= -kParamEps && t <= 1 + kParamEps;
    };
    for (Pt x : {q.a, q.b})
        if (onSeg(p.a, p.b, x)) out.push_back(x);
    for (Pt x : {p.a, p.b})
        if (onSeg(q.a, q.b, x)) out.push_back(x);
}

// Segment against the unit circle in a local frame; angles returned.
void SegUnitCircle(Pt a, Pt b, std::vector<std::pair<double, double>>& hits) {
    Pt d = b - a;
    double A = Dot(d, d), B = 2 * Dot(a, d), C = Dot(a, a) - 1;
    if (!(A > 0)) return;
    double disc = B * B - 4 * A * C;
    double tolDisc = 1e-12 * B * B + 1e-14 * A;
    if (disc < -tolDisc) return;
    if (disc < tolDisc) {
        hits.push_back({-B / (2 * A), 0});
        return;
    }
    double sq = std::sqrt(disc);
    double q = B < 0 ? -0.5 * (B - sq) : -0.5 * (B + sq);
    double t1 = q / A, t2 = q != 0 ? C / q : -B / A - t1;
    hits.push_back({t1, 0});
    hits.push_back({t2, 0});
}

void SegArc(const Prim& s, const Prim& arc, std::vector<Pt>& out) {
    // Into the frame where the arc is the unit circle.
    Pt ea, eb;
    if (arc.kind == Prim::kArc) {
        if (!(arc.r > 0)) return;
        ea = (s.a - arc.c) * (1 / arc.r);
        eb = (s.b - arc.c) * (1 / arc.r);
    } else {
        double det = Cross(arc.A, arc.B);
        if (!(std::fabs(det) > 1e-300)) return;
        auto local = [&](Pt p) {
            Pt d = p - arc.c;
            return Pt{Cross(d, arc.B) / det, Cross(arc.A, d) / det};
        };
        ea = local(s.a);
        eb = local(s.b);
    }
    std::vector<std::pair<double, double>> hits;
    SegUnitCircle(ea, eb, hits);
    for (auto& h : hits) {
        double t = h.first;
        if (t < -kParamEps || t > 1 + kParamEps) continue;
        Pt l = Lerp(ea, eb, std::clamp(t, 0.0, 1.0));
        double angle = std::atan2(l.y, l.x);
        if (AngleInSpan(angle, arc.start, arc.sweep, kAngleEps)) out.push_back(ArcPoint(arc, angle));
    }
}

void ArcArc(const Prim& p, const Prim& q, std::vector<Pt>& out) {
    Pt d = q.c - p.c;
    double dist = Norm(d);
    if (!(dist > 1e-12 * (1 + p.r + q.r))) return;  // concentric: none or infinitely many
    double a = (p.r * p.r - q.r * q.r + dist * dist) / (2 * dist);
    double h2 = p.r * p.r - a * a;
    double tol = 1e-12 * (p.r * p.r + q.r * q.r);
    if (h2 < -tol) return;
    Pt m = p.c + d * (a / dist);
    std::vector<Pt> cand;
    if (h2 <= tol) {
        cand.push_back(m);
    } else {
        Pt off = Perp(d) * (std::sqrt(h2) / dist);
        cand.push_back(m + off);
        cand.push_back(m - off);
    }
    for (Pt x : cand) {
        double ap = std::atan2(x.y - p.c.y, x.x - p.c.x), aq = std::atan2(x.y - q.c.y, x.x - q.c.x);
        if (AngleInSpan(ap, p.start, p.sweep, kAngleEps) && AngleInSpan(aq, q.start, q.sweep, kAngleEps))
            out.push_back(x);
    }
}

double SegDistance(Pt a, Pt b, Pt q) {
    Pt d = b - a;
    double l2 = Dot(d, d);
    double t = l2 > 0 ? std::clamp(Dot(q - a, d) / l2, 0.0, 1.0) : 0;
    return Norm(Lerp(a, b, t) - q);
}

}  // namespace

bool AngleInSpan(double angle, double start, double sweep, double eps) {
    if (sweep >= kTwoPi - eps) return true;
    double rel = NormAngle(angle - start);
    return rel <= sweep + eps || rel >= kTwoPi - eps;
}

std::vector<Prim> FlattenPrim(const Prim& p, double tol) {
    if (p.kind == Prim::kSeg) return {p};
    double radius = p.kind == Prim::kArc ? p.r : std::max(Norm(p.A), Norm(p.B));
    size_t n = ArcSteps(radius, p.sweep, tol);
    std::vector<Prim> out(n);
    Pt prev = ArcPoint(p, p.start);
    for (size_t k = 1; k <= n; ++k) {
        Pt next = ArcPoint(p, p.start + p.sweep * k / n);
        out[k - 1].a = prev;
        out[k - 1].b = next;
        prev = next;
    }
    return out;
}

void IntersectPrims(const Prim& p, const Prim& q, std::vector<Pt>& out) {
    if (p.kind == Prim::kSeg && q.kind == Prim::kSeg) return SegSeg(p, q, out);
    if (p.kind == Prim::kSeg) return SegArc(p, q, out);
    if (q.kind == Prim::kSeg) return SegArc(q, p, out);
    if (p.kind == Prim::kArc && q.kind == Prim::kArc) return ArcArc(p, q, out);
    // An elliptical arc against a curved piece: the elliptical one becomes fine segments.
    const Prim& ell = p.kind == Prim::kEArc ? p : q;
    const Prim& other = p.kind == Prim::kEArc ? q : p;
    for (const Prim& s : FlattenPrim(ell, kFlattenTolerance)) IntersectPrims(s, other, out);
}

double DistanceToPrim(const Prim& p, Pt q) {
    if (p.kind == Prim::kSeg) return SegDistance(p.a, p.b, q);
    if (p.kind == Prim::kArc) {
        double angle = std::atan2(q.y - p.c.y, q.x - p.c.x);
        if (AngleInSpan(angle, p.start, p.sweep, 0)) return std::fabs(Norm(q - p.c) - p.r);
        return std::min(Norm(q - ArcPoint(p, p.start)), Norm(q - ArcPoint(p, p.start + p.sweep)));
    }
    Shape e;
    e.kind = Shape::kEllipse;
    e.c = p.c, e.A = p.A, e.B = p.B, e.start = p.start, e.sweep = p.sweep;
    e.closed = p.sweep >= kTwoPi;
    return Norm(PointOn(e, ParamOn(e, q)) - q);
}

}  // namespace qlhost::geo
