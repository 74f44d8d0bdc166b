// Decoding entity records into shapes, and the parameter, point and length queries on them.
#include <algorithm>
#include <cmath>

#include "host/drawing/layouts.h"
#include "host/geometry/geometry.h"
#include "host/geometry/shape.h"

namespace qlhost::geo {
namespace {

using namespace layout;

Pt ReadPt(const unsigned char* rec, size_t size, size_t off) {
    return {Get<double>(rec, size, off), Get<double>(rec, size, off + 8)};
}

bool ReadPoints(const unsigned char* rec, size_t size, size_t countOff, size_t first, std::vector<Pt>& out) {
    if (size < first) return false;
    size_t n = Get<uint16_t>(rec, size, countOff);
    if (first + 16 * n > size) return false;
    out.resize(n);
    for (size_t i = 0; i < n; ++i) out[i] = ReadPt(rec, size, first + 16 * i);
    return n > 0;
}

bool Finite(Pt p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// Nearest point of segment a-b to p as a fraction of the segment.
double SegmentFraction(Pt a, Pt b, Pt p) {
    Pt d = b - a;
    double l2 = Dot(d, d);
    if (!(l2 > 0)) return 0;
    return std::clamp(Dot(p - a, d) / l2, 0.0, 1.0);
}

double PolyParam(const Shape& s, Pt p) {
    double total = s.cum.empty() ? 0 : s.cum.back();
    if (s.poly.size() < 2 || !(total > 0)) return 0;
    double best = INFINITY, bestLen = 0;
    for (size_t i = 0; i + 1 < s.poly.size(); ++i) {
        double u = SegmentFraction(s.poly[i], s.poly[i + 1], p);
        double d = Norm(Lerp(s.poly[i], s.poly[i + 1], u) - p);
        if (d < best) {
            best = d;
            bestLen = s.cum[i] + u * (s.cum[i + 1] - s.cum[i]);
        }
    }
    return std::clamp(bestLen / total, 0.0, 1.0);
}

Pt PolyPoint(const Shape& s, double t) {
    if (s.poly.empty()) return {};
    double total = s.cum.back();
    if (!(total > 0)) return s.poly.front();
    double len = std::clamp(t, 0.0, 1.0) * total;
    size_t i = std::upper_bound(s.cum.begin(), s.cum.end(), len) - s.cum.begin();
    if (i == 0) return s.poly.front();
    if (i >= s.poly.size()) return s.poly.back();
    double seg = s.cum[i] - s.cum[i - 1];
    return seg > 0 ? Lerp(s.poly[i - 1], s.poly[i], (len - s.cum[i - 1]) / seg) : s.poly[i];
}

Pt EllipseTangent(const Shape& s, double u) { return s.A * -std::sin(u) + s.B * std::cos(u); }

// Newton steps towards a stationary point of the distance, kept within [lo, hi].
double RefineEllipse(const Shape& s, Pt p, double u, double lo, double hi) {
    for (int i = 0; i < 12; ++i) {
        Pt q = EllipsePoint(s, u), d1 = EllipseTangent(s, u), d2 = s.c - q;
        double f = Dot(q - p, d1), df = Dot(d1, d1) + Dot(q - p, d2);
        if (!(std::fabs(df) > 1e-300)) break;
        double next = std::clamp(u - f / df, lo, hi);
        if (std::fabs(next - u) < 1e-15) break;
        u = next;
    }
    return u;
}

double EllipseParam(const Shape& s, Pt p) {
    constexpr int kSamples = 72;
    double bestU = s.start, best = INFINITY;
    for (int k = 0; k <= kSamples; ++k) {
        double u = s.start + s.sweep * k / kSamples;
        double d = Norm(EllipsePoint(s, u) - p);
        if (d < best) best = d, bestU = u;
    }
    double lo = s.closed ? -INFINITY : s.start, hi = s.closed ? INFINITY : s.start + s.sweep;
    double u = RefineEllipse(s, p, bestU, lo, hi);
    if (Norm(EllipsePoint(s, u) - p) > best) u = bestU;
    double rel = s.closed ? NormAngle(u - s.start) : u - s.start;
    return std::clamp(rel / s.sweep, 0.0, 1.0);
}

double ArcParam(const Shape& s, Pt p) {
    Pt d = p - s.c;
    if (d.x == 0 && d.y == 0) return 0;
    double rel = NormAngle(std::atan2(d.y, d.x) - s.start);
    if (s.closed) return rel / kTwoPi;
    if (rel <= s.sweep) return rel / s.sweep;
    return (rel - s.sweep) < (kTwoPi - rel) ? 1.0 : 0.0;
}

double EllipseLength(const Shape& s) {
    static const double x[5] = {-0.906179845938664, -0.538469310105683, 0, 0.538469310105683, 0.906179845938664};
    static const double w[5] = {0.236926885056189, 0.478628670499366, 0.568888888888889, 0.478628670499366,
                                0.236926885056189};
    constexpr int kParts = 64;
    double h = s.sweep / kParts, sum = 0;
    for (int i = 0; i < kParts; ++i) {
        double mid = s.start + h * (i + 0.5);
        for (int k = 0; k < 5; ++k) sum += w[k] * Norm(EllipseTangent(s, mid + x[k] * h / 2)) * h / 2;
    }
    return sum;
}

}  // namespace

double NormAngle(double a) {
    if (!std::isfinite(a)) return 0;
    a = std::fmod(a, kTwoPi);
    if (a < 0) a += kTwoPi;
    return a >= kTwoPi ? 0 : a;
}

Pt EllipsePoint(const Shape& s, double u) { return s.c + s.A * std::cos(u) + s.B * std::sin(u); }

bool Decode(const unsigned char* rec, Shape& s) {
    s = Shape{};
    uint32_t size = layout::LengthOf(rec);
    if (size < kHeaderSize) return false;
    switch (TypeOf(rec)) {
        case kPoint:
            if (size < kPointLength) return false;
            s.kind = Shape::kPoint;
            s.pts = {ReadPt(rec, size, kPointX)};
            break;
        case kLine:
        case kWall:
            if (size < kLineLength) return false;
            s.kind = Shape::kLine;
            s.pts = {ReadPt(rec, size, kLineStart), ReadPt(rec, size, kLineEnd)};
            s.poly = s.pts;
            BuildLengths(s);
            break;
        case kPath:
        case kPolygon:
            if (!ReadPoints(rec, size, kPolyCount, kPolyPoints, s.pts)) return false;
            s.kind = Shape::kPolyline;
            s.closed = TypeOf(rec) == kPolygon;
            s.poly = s.pts;
            if (s.closed) s.poly.push_back(s.pts.front());
            BuildLengths(s);
            break;
        case kCircle:
        case kArc: {
            bool circle = TypeOf(rec) == kCircle;
            if (size < (circle ? kCircleLength : kArcLength)) return false;
            s.kind = Shape::kArc;
            s.c = ReadPt(rec, size, kCircleCentre);
            s.r = std::fabs(Get<double>(rec, size, kCircleRadius));
            s.closed = circle;
            s.start = circle ? 0 : Get<double>(rec, size, kArcStart);
            s.sweep = circle ? kTwoPi : Get<double>(rec, size, kArcSweep);
            if (s.sweep < 0) s.start += s.sweep, s.sweep = -s.sweep;
            if (!(s.sweep > 0) || !std::isfinite(s.start) || !std::isfinite(s.r)) return false;
            break;
        }
        case kEllipse:
        case kEllipseArc: {
            bool full = TypeOf(rec) == kEllipse;
            if (size < (full ? kEllipseLength : kEllipseArcLength)) return false;
            s.kind = Shape::kEllipse;
            s.c = ReadPt(rec, size, kEllCentre);
            s.A = ReadPt(rec, size, kEllAxis);
            s.B = Perp(s.A) * Get<double>(rec, size, kEllRatio);
            s.closed = full;
            s.start = full ? 0 : Get<double>(rec, size, kEllStart);
            s.sweep = full ? kTwoPi : Get<double>(rec, size, kEllSweep);
            if (s.sweep < 0) s.start += s.sweep, s.sweep = -s.sweep;
            if (!(s.sweep > 0) || !std::isfinite(s.start) || !Finite(s.A) || !Finite(s.B)) return false;
            break;
        }
        case kCurve:
        case kClosedCurve:
        case kBezier: {
            bool bezier = TypeOf(rec) == kBezier;
            if (!bezier && !ReadPoints(rec, size, kCurveCount, kCurvePoints, s.pts)) return false;
            if (bezier && !ReadPoints(rec, size, kBezCount, kBezPoints, s.pts)) return false;
            s.kind = Shape::kCurve;
            s.closed = TypeOf(rec) == kClosedCurve;
            s.cubics = CurvePieces(bezier ? 3 : rec[kCurveSubtype], s.closed, s.pts);
            if (s.cubics.empty()) {
                s.poly = {s.pts.front()};
                BuildLengths(s);
            } else {
                double size = 0;
                for (const Pt& p : s.pts) size = std::max({size, std::fabs(p.x), std::fabs(p.y)});
                FlattenCurve(s, std::max(kFlattenTolerance, kRelativeFlattenTolerance * size));
            }
            break;
        }
        default:
            return false;
    }
    for (const Pt& p : s.pts)
        if (!Finite(p)) return false;
    return Finite(s.c);
}

Pt PointOn(const Shape& s, double t) {
    switch (s.kind) {
        case Shape::kPoint: return s.pts[0];
        case Shape::kLine: return Lerp(s.pts[0], s.pts[1], t);
        case Shape::kPolyline:
        case Shape::kCurve: return PolyPoint(s, t);
        case Shape::kArc: return Polar(s.c, s.r, s.start + s.sweep * t);
        case Shape::kEllipse: return EllipsePoint(s, s.start + s.sweep * t);
        default: return {};
    }
}

double ParamOn(const Shape& s, Pt p) {
    switch (s.kind) {
        case Shape::kLine: {
            Pt d = s.pts[1] - s.pts[0];
            double l2 = Dot(d, d);
            return l2 > 0 ? Dot(p - s.pts[0], d) / l2 : 0;
        }
        case Shape::kPolyline:
        case Shape::kCurve: return PolyParam(s, p);
        case Shape::kArc: return ArcParam(s, p);
        case Shape::kEllipse: return EllipseParam(s, p);
        default: return 0;
    }
}

double ShapeLength(const Shape& s) {
    switch (s.kind) {
        case Shape::kLine:
        case Shape::kPolyline:
        case Shape::kCurve: return s.cum.empty() ? 0 : s.cum.back();
        case Shape::kArc: return s.r * s.sweep;
        case Shape::kEllipse: return EllipseLength(s);
        default: return 0;
    }
}

std::vector<Prim> Prims(const Shape& s) {
    std::vector<Prim> out;
    switch (s.kind) {
        case Shape::kLine:
        case Shape::kPolyline:
        case Shape::kCurve:
            for (size_t i = 0; i + 1 < s.poly.size(); ++i) {
                Prim p;
                p.a = s.poly[i];
                p.b = s.poly[i + 1];
                out.push_back(p);
            }
            break;
        case Shape::kArc: {
            Prim p;
            p.kind = Prim::kArc;
            p.c = s.c, p.r = s.r, p.start = s.start, p.sweep = s.sweep;
            out.push_back(p);
            break;
        }
        case Shape::kEllipse: {
            Prim p;
            p.kind = Prim::kEArc;
            p.c = s.c, p.A = s.A, p.B = s.B, p.start = s.start, p.sweep = s.sweep;
            out.push_back(p);
            break;
        }
        default: break;
    }
    return out;
}

std::vector<Pt> Flatten(const Shape& s, double tol) {
    switch (s.kind) {
        case Shape::kPoint: return s.pts;
        case Shape::kLine:
        case Shape::kPolyline: return s.poly;
        case Shape::kCurve: {
            if (tol == kFlattenTolerance || s.cubics.empty()) return s.poly;
            Shape copy = s;
            FlattenCurve(copy, tol);
            return copy.poly;
        }
        case Shape::kArc:
        case Shape::kEllipse: {
            double radius = s.kind == Shape::kArc ? s.r : std::max(Norm(s.A), Norm(s.B));
            size_t n = ArcSteps(radius, s.sweep, tol);
            std::vector<Pt> out;
            out.reserve(n + 1);
            for (size_t k = 0; k <= n; ++k) out.push_back(k == n && s.closed ? out.front() : PointOn(s, double(k) / n));
            return out;
        }
        default: return {};
    }
}

}  // namespace qlhost::geo
