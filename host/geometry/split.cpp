// Splitting entity records at a parameter: open entities into two pieces, closed ones opened
// into one entity that runs from the split point round to it.
#include <algorithm>
#include <cmath>

#include "host/drawing/layouts.h"
#include "host/geometry/split.h"

namespace qlhost {
namespace {
using namespace layout;

bool Same(Pt a, Pt b) {
    double tol = kMergeTolerance * (1 + std::max({std::fabs(a.x), std::fabs(a.y)}));
    return std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol;
}

void PushPoint(std::vector<Pt>& v, Pt p) {
    if (v.empty() || !Same(v.back(), p)) v.push_back(p);
}

// Index of the segment of s.poly holding arc length len, and the fraction along it.
size_t SegmentAt(const geo::Shape& s, double len, double& frac) {
    size_t i = std::upper_bound(s.cum.begin(), s.cum.end(), len) - s.cum.begin();
    i = std::clamp<size_t>(i, 1, s.poly.size() - 1) - 1;
    double seg = s.cum[i + 1] - s.cum[i];
    frac = seg > 0 ? std::clamp((len - s.cum[i]) / seg, 0.0, 1.0) : 0;
    return i;
}

std::vector<Pt> CubicPoints(const std::vector<geo::Cubic>& cubics) {
    std::vector<Pt> pts;
    for (size_t i = 0; i < cubics.size(); ++i) {
        if (i == 0) pts.push_back(cubics[i].p[0]);
        pts.insert(pts.end(), {cubics[i].p[1], cubics[i].p[2], cubics[i].p[3]});
    }
    return pts;
}

Record CurveOf(int type, int subtype, const std::vector<Pt>& pts) {
    return type == kBezier ? MakeBezier(pts) : MakeCurve(kCurve, subtype, pts);
}

bool SplitVertices(const geo::Shape& s, double t, std::vector<Pt>& a, std::vector<Pt>& b, bool& opened) {
    if (s.poly.size() < 2 || !(s.cum.back() > 0)) return false;
    double frac;
    size_t i = SegmentAt(s, t * s.cum.back(), frac);
    Pt p = Lerp(s.poly[i], s.poly[i + 1], frac);
    if (s.closed) {
        PushPoint(a, p);
        for (size_t k = i + 1; k < s.poly.size(); ++k) PushPoint(a, s.poly[k]);
        for (size_t k = 1; k <= i; ++k) PushPoint(a, s.poly[k]);
        if (a.size() < 2 || !Same(a.back(), p)) a.push_back(p);
        opened = true;
        return true;
    }
    for (size_t k = 0; k <= i; ++k) PushPoint(a, s.poly[k]);
    PushPoint(a, p);
    b.push_back(p);
    for (size_t k = i + 1; k < s.poly.size(); ++k) PushPoint(b, s.poly[k]);
    return a.size() >= 2 && b.size() >= 2;
}

bool SplitCurve(const geo::Shape& s, int type, double t, Record& a, Record& b, bool& opened) {
    if (s.poly.size() < 2 || s.cubics.empty() || !(s.cum.back() > 0)) return false;
    double frac;
    size_t i = SegmentAt(s, t * s.cum.back(), frac);
    auto [k, u1] = s.at[i + 1];
    auto [k0, u0] = s.at[i];
    if (k0 != k) u0 = 0;
    geo::Cubic left, right;
    geo::SplitCubic(s.cubics[k], u0 + frac * (u1 - u0), left, right);
    std::vector<geo::Cubic> first(s.cubics.begin(), s.cubics.begin() + k);
    first.push_back(left);
    std::vector<geo::Cubic> second{right};
    second.insert(second.end(), s.cubics.begin() + k + 1, s.cubics.end());
    if (s.closed) {
        second.insert(second.end(), first.begin(), first.end());
        a = CurveOf(type, 3, CubicPoints(second));
        opened = true;
        return true;
    }
    a = CurveOf(type, 3, CubicPoints(first));
    b = CurveOf(type, 3, CubicPoints(second));
    return true;
}

}  // namespace

bool SplitRecord(const unsigned char* rec, double t, Record& a, Record& b, bool& opened) {
    a.clear();
    b.clear();
    opened = false;
    if (!(t > 0 && t < 1)) return false;
    geo::Shape s;
    if (!geo::Decode(rec, s)) return false;
    int type = TypeOf(rec);
    switch (type) {
        case kLine: {
            Pt p = geo::PointOn(s, t);
            a = MakeLine(s.pts[0].x, s.pts[0].y, p.x, p.y);
            b = MakeLine(p.x, p.y, s.pts[1].x, s.pts[1].y);
            break;
        }
        case kPath:
        case kPolygon: {
            std::vector<Pt> pa, pb;
            if (!SplitVertices(s, t, pa, pb, opened)) return false;
            a = MakePath(pa, false);
            if (!opened) b = MakePath(pb, false);
            break;
        }
        case kCircle: a = MakeArc(s.c.x, s.c.y, s.r, geo::kTwoPi * t, geo::kTwoPi), opened = true; break;
        case kArc: {
            double mid = s.start + s.sweep * t;
            a = MakeArc(s.c.x, s.c.y, s.r, s.start, s.sweep * t);
            b = MakeArc(s.c.x, s.c.y, s.r, geo::NormAngle(mid), s.sweep * (1 - t));
            break;
        }
        case kEllipse:
        case kEllipseArc: {
            uint32_t n = LengthOf(rec);
            Pt axis{Get<double>(rec, n, kEllAxis), Get<double>(rec, n, kEllAxis + 8)};
            double ratio = Get<double>(rec, n, kEllRatio);
            double mid = s.start + s.sweep * t;
            if (type == kEllipse) {
                a = MakeEllipseArc(s.c.x, s.c.y, axis.x, axis.y, ratio, geo::NormAngle(mid), geo::kTwoPi);
                opened = true;
            } else {
                a = MakeEllipseArc(s.c.x, s.c.y, axis.x, axis.y, ratio, s.start, s.sweep * t);
                b = MakeEllipseArc(s.c.x, s.c.y, axis.x, axis.y, ratio, geo::NormAngle(mid), s.sweep * (1 - t));
            }
            break;
        }
        case kCurve:
        case kClosedCurve:
        case kBezier: {
            if (type != kBezier && rec[kCurveSubtype] == 0) {
                std::vector<Pt> pa, pb;
                if (!SplitVertices(s, t, pa, pb, opened)) return false;
                a = MakeCurve(kCurve, 0, pa);
                if (!opened) b = MakeCurve(kCurve, 0, pb);
                break;
            }
            if (!SplitCurve(s, type, t, a, b, opened)) return false;
            break;
        }
        default: return false;
    }
    CopyHeader(rec, a);
    if (!opened) CopyHeader(rec, b);
    return true;
}

void CopyHeader(const unsigned char* from, Record& to) {
    if (to.size() >= kHeaderSize && LengthOf(from) >= kHeaderSize)
        std::copy(from + kAttr5, from + kHeaderSize, to.begin() + kAttr5);
}

}  // namespace qlhost
