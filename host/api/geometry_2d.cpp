// Plain 2-D geometry calls on points and segments.
#include <cmath>

#include "core/host_api.h"
#include "host/geometry/geometry.h"

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kParallel = 1e-12;  // relative cross product under which lines are parallel

qlhost::Pt P(const double* p) { return {p[0], p[1]}; }
}  // namespace

extern "C" {

int IntL2(const double* segment1, const double* segment2, double* point) {
    if (!segment1 || !segment2 || !point) return 0;
    qlhost::Pt a = P(segment1), b = P(segment1 + 2), c = P(segment2), d = P(segment2 + 2);
    qlhost::Pt r = b - a, s = d - c;
    double denom = qlhost::Cross(r, s);
    if (!(std::fabs(denom) > kParallel * qlhost::Norm(r) * qlhost::Norm(s))) return 0;
    double t = qlhost::Cross(c - a, s) / denom;
    qlhost::Pt x = qlhost::Lerp(a, b, t);
    point[0] = x.x;
    point[1] = x.y;
    return 1;
}

int P2TL2(const double* segment, const double* point, double* t) {
    if (!segment || !point || !t) return 0;
    qlhost::Pt a = P(segment), d = P(segment + 2) - a;
    double l2 = qlhost::Dot(d, d);
    if (!(l2 > 0)) return 0;
    *t = qlhost::Dot(P(point) - a, d) / l2;
    return 1;
}

void T2PL2(const double* segment, double t, double* point) {
    if (!segment || !point) return;
    qlhost::Pt x = qlhost::Lerp(P(segment), P(segment + 2), t);
    point[0] = x.x;
    point[1] = x.y;
}

void TRNP2(double* point, const double* matrix) {
    if (!point) return;
    qlhost::Matrix m = matrix ? qlhost::Matrix::FromHost(matrix) : qlhost::CurrentMatrix();
    qlhost::Pt x = m.Apply(P(point));
    point[0] = x.x;
    point[1] = x.y;
}

void TRNP2M(double* point) { TRNP2(point, nullptr); }

double DistP2L(const double* point, const double* start, const double* end) {
    if (!point || !start || !end) return 0;
    qlhost::Pt d = P(end) - P(start);
    double len = qlhost::Norm(d);
    if (!(len > 0)) return qlhost::Norm(P(point) - P(start));
    return qlhost::Cross(d, P(point) - P(start)) / len;
}

double Angle(const double* from, const double* to) {
    if (!from || !to) return 0;
    double dx = to[0] - from[0], dy = to[1] - from[1];
    if (dx == 0 && dy == 0) return 0;
    return ANorm(std::atan2(dy, dx));
}

double Dist2P(const double* a, const double* b) {
    if (!a || !b) return 0;
    return std::hypot(b[0] - a[0], b[1] - a[1]);
}

void PConv2(const double* origin, double distance, double angle, double* result) {
    if (!origin || !result) return;
    qlhost::Pt x = qlhost::Polar(P(origin), distance, angle);
    result[0] = x.x;
    result[1] = x.y;
}

double ANorm(double angle) {
    if (!std::isfinite(angle)) return 0;
    double a = std::fmod(angle, kTwoPi);
    if (a < 0) a += kTwoPi;
    return a >= kTwoPi ? 0 : a;
}

int FDNSame2(const double* a, const double* b) {
    if (!a || !b) return 0;
    return std::fabs(a[0] - b[0]) <= qlhost::kSamePointTolerance &&
           std::fabs(a[1] - b[1]) <= qlhost::kSamePointTolerance;
}

}  // extern "C"
