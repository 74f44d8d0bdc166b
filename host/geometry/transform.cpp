// Transforming entity records by a matrix, kind by kind.
#include <algorithm>
#include <cmath>

#include "host/drawing/layouts.h"
#include "host/geometry/geometry.h"
#include "host/geometry/shape.h"

namespace qlhost {
namespace {
using namespace layout;

constexpr double kSimilarityTolerance = 1e-9;  // relative: a matrix keeps circles circles

struct Rec {
    unsigned char* p;
    size_t n;
    Pt pt(size_t off) const { return {Get<double>(p, n, off), Get<double>(p, n, off + 8)}; }
    void set(size_t off, Pt v) const {
        Put<double>(p, n, off, v.x);
        Put<double>(p, n, off + 8, v.y);
    }
    double d(size_t off) const { return Get<double>(p, n, off); }
    void setD(size_t off, double v) const { Put<double>(p, n, off, v); }
    void movePt(size_t off, const Matrix& m) const {
        if (off + 16 <= n) set(off, m.Apply(pt(off)));
    }
    void movePoints(size_t countOff, size_t first, const Matrix& m) const {
        size_t count = Get<uint16_t>(p, n, countOff);
        for (size_t i = 0; i < count && first + 16 * (i + 1) <= n; ++i) movePt(first + 16 * i, m);
    }
};

double AngleOfVec(Pt v) { return std::atan2(v.y, v.x); }

// Scale of a matrix that is a similarity (rotation or mirror with one uniform scale), or -1.
double SimilarityScale(const Matrix& m) {
    Pt ex = m.ApplyVector({1, 0}), ey = m.ApplyVector({0, 1});
    double sx = Norm(ex), sy = Norm(ey);
    double tol = kSimilarityTolerance * std::max(sx, sy);
    if (std::fabs(sx - sy) > tol || std::fabs(Dot(ex, ey)) > tol * std::max(sx, sy)) return -1;
    return sx;
}

// Principal axes of the ellipse c + cos u P + sin u Q; returns the parameter shift u0 so that
// the old parameter u maps to the new one as (u - u0) (or -(u - u0) when mirrored).
void Principal(Pt P, Pt Q, Pt& major, double& ratio, double& u0, bool& mirrored) {
    double u = 0.5 * std::atan2(2 * Dot(P, Q), Dot(P, P) - Dot(Q, Q));
    Pt a = P * std::cos(u) + Q * std::sin(u);
    Pt b = P * -std::sin(u) + Q * std::cos(u);
    if (Norm(b) > Norm(a)) {
        u += geo::kPi / 2;
        Pt t = a;
        a = b;
        b = t * -1;
    }
    major = a;
    double la = Norm(a);
    ratio = la > 0 ? Norm(b) / la : 1;
    u0 = u;
    mirrored = Cross(a, b) < 0;
}

void TransformEllipse(const Rec& r, bool arc, const Matrix& m) {
    Pt c = r.pt(kEllCentre), A = r.pt(kEllAxis);
    double ratio = r.d(kEllRatio);
    Pt P = m.ApplyVector(A), Q = m.ApplyVector(Perp(A) * ratio);
    Pt major;
    double newRatio, u0;
    bool mirrored;
    Principal(P, Q, major, newRatio, u0, mirrored);
    r.set(kEllCentre, m.Apply(c));
    r.set(kEllAxis, major);
    r.setD(kEllRatio, newRatio);
    if (!arc) return;
    double start = r.d(kEllStart), sweep = r.d(kEllSweep);
    double ns = mirrored ? -(start + sweep - u0) : start - u0;
    r.setD(kEllStart, geo::NormAngle(ns));
}

void TransformCircleArc(const Rec& r, bool arc, const Matrix& m, Record* grown, bool& moved) {
    Pt c = r.pt(kCircleCentre);
    double radius = r.d(kCircleRadius);
    double s = SimilarityScale(m);
    if (s < 0 && grown) {
        // A non-uniform scale turns the circle or arc into an ellipse form.
        double start = arc ? r.d(kArcStart) : 0, sweep = arc ? r.d(kArcSweep) : 0;
        Record e = arc ? MakeEllipseArc(c.x, c.y, radius, 0, 1, start, sweep) : MakeEllipse(c.x, c.y, radius, 0, 1);
        std::copy(r.p + kAttr5, r.p + kHeaderSize, e.begin() + kAttr5);
        Rec er{e.data(), e.size()};
        TransformEllipse(er, arc, m);
        *grown = std::move(e);
        moved = true;
        return;
    }
    double scale = s >= 0 ? s : std::sqrt(std::fabs(m.Det2()));
    Pt nc = m.Apply(c);
    r.set(kCircleCentre, nc);
    r.setD(kCircleRadius, radius * scale);
    if (!arc) return;
    double start = r.d(kArcStart), sweep = r.d(kArcSweep);
    Pt a0 = m.ApplyVector(Pt{std::cos(start), std::sin(start)});
    Pt a1 = m.ApplyVector(Pt{std::cos(start + sweep), std::sin(start + sweep)});
    r.setD(kArcStart, geo::NormAngle(AngleOfVec(m.Det2() < 0 ? a1 : a0)));
}

void TransformTextData(const Rec& r, size_t base, const Matrix& m) {
    if (base + kDataSize > r.n) return;
    r.movePt(base + kDataX, m);
    double angle = Get<float>(r.p, r.n, base + kDataAngle);
    double height = Get<float>(r.p, r.n, base + kDataHeight);
    double width = Get<float>(r.p, r.n, base + kDataWidth);
    Pt along = m.ApplyVector({std::cos(angle), std::sin(angle)});
    Pt up = m.ApplyVector({-std::sin(angle), std::cos(angle)});
    double sAlong = Norm(along);
    if (!(sAlong > 0)) return;
    double sAcross = std::fabs(Cross(along, up)) / sAlong;
    Put<float>(r.p, r.n, base + kDataAngle, static_cast<float>(geo::NormAngle(AngleOfVec(along))));
    Put<float>(r.p, r.n, base + kDataHeight, static_cast<float>(height * sAcross));
    if (sAcross > 0) Put<float>(r.p, r.n, base + kDataWidth, static_cast<float>(width * sAlong / sAcross));
}

void TransformSymbol(const Rec& r, const Matrix& m) {
    if (r.n < kSymName) return;
    // Members show at M p - b; keep that form: M' = m M + (b - m b).
    double m12[12];
    for (int i = 0; i < 12; ++i) m12[i] = r.d(kSymMatrix + 8 * i);
    Matrix composed = Then(Matrix::FromSymbol(m12), m);
    Pt b{};
    if (const unsigned char* def = FindSymbolDefinition(Get<uint32_t>(r.p, r.n, kSymHandle))) {
        uint32_t dn = LengthOf(def);
        b = {Get<double>(def, dn, kDefBaseX), Get<double>(def, dn, kDefBaseY)};
    }
    Pt mb = m.ApplyVector(b);
    composed.m[3] += b.x - mb.x;
    composed.m[7] += b.y - mb.y;
    for (int i = 0; i < 12; ++i) r.setD(kSymMatrix + 8 * i, composed.m[i]);
}

void TransformArcDimension(const Rec& r, const Matrix& m) {
    double scale = std::sqrt(std::fabs(m.Det2()));
    double start = r.d(kDim30Start), sweep = r.d(kDim30Sweep);
    Pt a0 = m.ApplyVector(Pt{std::cos(start), std::sin(start)});
    Pt a1 = m.ApplyVector(Pt{std::cos(start + sweep), std::sin(start + sweep)});
    r.movePt(kDim30Centre, m);
    r.setD(kDim30Radius, r.d(kDim30Radius) * scale);
    r.setD(kDim30Dist1, r.d(kDim30Dist1) * scale);
    r.setD(kDim30Dist2, r.d(kDim30Dist2) * scale);
    if (m.Det2() < 0) {
        r.setD(kDim30Start, geo::NormAngle(AngleOfVec(a1)));
        double d1 = r.d(kDim30Dist1);
        r.setD(kDim30Dist1, r.d(kDim30Dist2));
        r.setD(kDim30Dist2, d1);
    } else {
        r.setD(kDim30Start, geo::NormAngle(AngleOfVec(a0)));
    }
    r.movePt(kDim30Text, m);
}

}  // namespace

bool TransformRecord(unsigned char* rec, const Matrix& m, Record* grown) {
    Rec r{rec, LengthOf(rec)};
    if (r.n < kHeaderSize) return true;
    bool moved = false;
    switch (TypeOf(rec)) {
        case kPoint: r.movePt(kPointX, m); break;
        case kLine: r.movePt(kLineStart, m), r.movePt(kLineEnd, m); break;
        case kWall:
            r.movePt(kWallStart, m), r.movePt(kWallEnd, m);
            if (r.n >= kWallLength) r.setD(kWallThickness, r.d(kWallThickness) * std::sqrt(std::fabs(m.Det2())));
            break;
        case kPath:
        case kPolygon: r.movePoints(kPolyCount, kPolyPoints, m); break;
        case kCurve:
        case kClosedCurve: r.movePoints(kCurveCount, kCurvePoints, m); break;
        case kBezier: r.movePoints(kBezCount, kBezPoints, m); break;
        case kCircle:
            if (r.n >= kCircleLength) TransformCircleArc(r, false, m, grown, moved);
            break;
        case kArc:
            if (r.n >= kArcLength) TransformCircleArc(r, true, m, grown, moved);
            break;
        case kEllipse:
            if (r.n >= kEllipseLength) TransformEllipse(r, false, m);
            break;
        case kEllipseArc:
            if (r.n >= kEllipseArcLength) TransformEllipse(r, true, m);
            break;
        case kText: TransformTextData(r, kTextData, m); break;
        case kTextBearing:
            r.movePt(kTbAnchor, m);
            TransformTextData(r, kTbData, m);
            break;
        case kAttribute: TransformTextData(r, kAttData, m); break;
        case kSymbolRef: TransformSymbol(r, m); break;
        case kDimLinear:
            for (size_t off : {kDim28P1, kDim28P2, kDim28Line, kDim28Text}) r.movePt(off, m);
            break;
        case kDimAngular:
            for (size_t off : {kDim29Vertex, kDim29P1, kDim29P2, kDim29Arc, kDim29Text}) r.movePt(off, m);
            break;
        case kDimArc:
            if (r.n >= kDim30Length) TransformArcDimension(r, m);
            break;
        case kDimRadial:
            for (size_t off : {kDim31Centre, kDim31Point, kDim31Text}) r.movePt(off, m);
            break;
        default: break;
    }
    return !moved;
}

}  // namespace qlhost
