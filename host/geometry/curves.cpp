// Curve pieces: every curve subtype becomes a run of cubic Bezier pieces, which are
// evaluated, split and flattened here; circles get their step counts here too.
#include <algorithm>
#include <cmath>

#include "host/geometry/shape.h"

namespace qlhost::geo {
namespace {

Cubic LinePiece(Pt a, Pt b) { return {{a, Lerp(a, b, 1.0 / 3), Lerp(a, b, 2.0 / 3), b}}; }

Cubic QuadPiece(Pt a, Pt c, Pt b) { return {{a, Lerp(a, c, 2.0 / 3), Lerp(b, c, 2.0 / 3), b}}; }

// Catmull-Rom span from p1 to p2 with neighbours p0 and p3.
Cubic RomPiece(Pt p0, Pt p1, Pt p2, Pt p3) {
    return {{p1, p1 + (p2 - p0) * (1.0 / 6), p2 - (p3 - p1) * (1.0 / 6), p2}};
}

Pt Mid(Pt a, Pt b) { return Lerp(a, b, 0.5); }

std::vector<Cubic> Polyline(const std::vector<Pt>& p, bool closed) {
    std::vector<Cubic> out;
    for (size_t i = 0; i + 1 < p.size(); ++i) out.push_back(LinePiece(p[i], p[i + 1]));
    if (closed && p.size() > 2) out.push_back(LinePiece(p.back(), p.front()));
    return out;
}

std::vector<Cubic> QuadSpline(const std::vector<Pt>& p, bool closed) {
    size_t n = p.size();
    std::vector<Cubic> out;
    if (closed) {
        if (n < 3) return Polyline(p, true);
        for (size_t i = 0; i < n; ++i) {
            Pt a = p[i], b = p[(i + 1) % n], c = p[(i + 2) % n];
            out.push_back(QuadPiece(Mid(a, b), b, Mid(b, c)));
        }
        return out;
    }
    if (n < 3) return Polyline(p, false);
    for (size_t i = 1; i + 1 < n; ++i) {
        Pt from = i == 1 ? p[0] : Mid(p[i - 1], p[i]);
        Pt to = i + 2 == n ? p[n - 1] : Mid(p[i], p[i + 1]);
        out.push_back(QuadPiece(from, p[i], to));
    }
    return out;
}

std::vector<Cubic> Interpolating(const std::vector<Pt>& p, bool closed) {
    size_t n = p.size();
    std::vector<Cubic> out;
    if (n < 3) return Polyline(p, closed);
    if (closed) {
        for (size_t i = 0; i < n; ++i)
            out.push_back(RomPiece(p[(i + n - 1) % n], p[i], p[(i + 1) % n], p[(i + 2) % n]));
        return out;
    }
    for (size_t i = 0; i + 1 < n; ++i) {
        Pt p0 = i == 0 ? p[0] * 2 - p[1] : p[i - 1];
        Pt p3 = i + 2 == n ? p[n - 1] * 2 - p[n - 2] : p[i + 2];
        out.push_back(RomPiece(p0, p[i], p[i + 1], p3));
    }
    return out;
}

std::vector<Cubic> BezierRuns(const std::vector<Pt>& p, bool closed) {
    std::vector<Cubic> out;
    size_t i = 0;
    for (; i + 3 < p.size(); i += 3) out.push_back({{p[i], p[i + 1], p[i + 2], p[i + 3]}});
    for (; i + 1 < p.size(); ++i) out.push_back(LinePiece(p[i], p[i + 1]));
    if (closed && p.size() > 1 && (p.back().x != p.front().x || p.back().y != p.front().y))
        out.push_back(LinePiece(p.back(), p.front()));
    return out;
}

}  // namespace

std::vector<Cubic> CurvePieces(int subtype, bool closed, const std::vector<Pt>& pts) {
    switch (subtype) {
        case 1: return QuadSpline(pts, closed);
        case 2: return Interpolating(pts, closed);
        case 3: return BezierRuns(pts, closed);
        default: return Polyline(pts, closed);
    }
}

Pt CubicPoint(const Cubic& c, double u) {
    double v = 1 - u;
    double b0 = v * v * v, b1 = 3 * v * v * u, b2 = 3 * v * u * u, b3 = u * u * u;
    return {b0 * c.p[0].x + b1 * c.p[1].x + b2 * c.p[2].x + b3 * c.p[3].x,
            b0 * c.p[0].y + b1 * c.p[1].y + b2 * c.p[2].y + b3 * c.p[3].y};
}

void SplitCubic(const Cubic& c, double u, Cubic& left, Cubic& right) {
    Pt a = Lerp(c.p[0], c.p[1], u), b = Lerp(c.p[1], c.p[2], u), d = Lerp(c.p[2], c.p[3], u);
    Pt ab = Lerp(a, b, u), bd = Lerp(b, d, u);
    Pt m = Lerp(ab, bd, u);
    left = {{c.p[0], a, ab, m}};
    right = {{m, bd, d, c.p[3]}};
}

namespace {

// A step count in [least, kMaxFlattenSteps]; NaN gives the least.
size_t BoundedSteps(double n, double least) {
    if (!(n >= least)) return static_cast<size_t>(least);
    return static_cast<size_t>(std::min(n, static_cast<double>(kMaxFlattenSteps)));
}

}  // namespace

size_t CubicSteps(const Cubic& c, double tol) {
    // The chord error of n uniform steps is at most 3/4 * max second difference / n^2.
    double d1 = Norm(c.p[0] - c.p[1] * 2 + c.p[2]);
    double d2 = Norm(c.p[1] - c.p[2] * 2 + c.p[3]);
    double dd = std::max(d1, d2);
    if (!(dd > 0)) return 1;
    return BoundedSteps(std::ceil(std::sqrt(0.75 * dd / tol)), 1.0);
}

size_t ArcSteps(double radius, double sweep, double tol) {
    radius = std::fabs(radius);
    if (!(radius > tol)) return BoundedSteps(std::ceil(std::fabs(sweep) / (kPi / 4)), 1.0);
    double step = 2 * std::acos(1 - tol / radius);
    return BoundedSteps(std::ceil(std::fabs(sweep) / step), 4.0);
}

void FlattenCurve(Shape& s, double tol) {
    s.poly.clear();
    s.at.clear();
    for (size_t i = 0; i < s.cubics.size(); ++i) {
        const Cubic& c = s.cubics[i];
        size_t n = CubicSteps(c, tol);
        if (i == 0) {
            s.poly.push_back(c.p[0]);
            s.at.push_back({0, 0.0});
        }
        for (size_t k = 1; k <= n; ++k) {
            double u = static_cast<double>(k) / n;
            s.poly.push_back(k == n ? c.p[3] : CubicPoint(c, u));
            s.at.push_back({static_cast<int>(i), u});
        }
    }
    BuildLengths(s);
}

void BuildLengths(Shape& s) {
    s.cum.assign(s.poly.size(), 0.0);
    for (size_t i = 1; i < s.poly.size(); ++i) s.cum[i] = s.cum[i - 1] + Norm(s.poly[i] - s.poly[i - 1]);
}

}  // namespace qlhost::geo
