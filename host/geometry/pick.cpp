// Distance from a point to an entity for picking: curves by their geometry, texts by their
// box, dimensions by their arc and points, groups and symbols by their nearest member.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "host/drawing/drawing.h"
#include "host/drawing/layouts.h"
#include "host/geometry/geometry.h"
#include "host/geometry/pick.h"
#include "host/geometry/shown.h"

namespace qlhost {
namespace {
using namespace layout;


double SegDist(Pt a, Pt b, Pt p) {
    Pt d = b - a;
    double l2 = Dot(d, d);
    double t = l2 > 0 ? std::clamp(Dot(p - a, d) / l2, 0.0, 1.0) : 0;
    return Norm(Lerp(a, b, t) - p);
}

double BoxDistance(const Pt c[4], Pt p) {
    bool inside = true;
    double best = INFINITY;
    for (int i = 0; i < 4; ++i) {
        Pt a = c[i], b = c[(i + 1) % 4];
        if (Cross(b - a, p - a) < 0) inside = false;
        best = std::min(best, SegDist(a, b, p));
    }
    return inside ? 0 : best;
}

double TextDistance(const unsigned char* rec, size_t n, size_t data, size_t stringOff, Pt p) {
    if (data + kDataSize > n) return INFINITY;
    std::string text;
    if (stringOff > 0 && stringOff < n) {
        const char* s = reinterpret_cast<const char*>(rec + stringOff);
        text.assign(s, strnlen(s, n - stringOff));
    }
    Pt corners[4];
    if (TextCorners(rec + data, text.c_str(), corners)) return BoxDistance(corners, p);
    return Norm(Pt{Get<double>(rec, n, data), Get<double>(rec, n, data + 8)} - p);
}

double OwnDistance(const unsigned char* rec, Pt p) {
    size_t n = LengthOf(rec);
    switch (TypeOf(rec)) {
        case kText: return TextDistance(rec, n, kTextData, kTextString, p);
        case kTextBearing: return TextDistance(rec, n, kTbData, kTbString, p);
        case kAttribute: return TextDistance(rec, n, kAttData, Get<uint32_t>(rec, n, kAttString), p);
        case kDimLinear:
        case kDimAngular:
        case kDimArc:
        case kDimRadial: {
            double best = INFINITY;
            for (const auto& line : FlattenEntity(rec))
                for (size_t i = 0; i + 1 < line.size(); ++i) best = std::min(best, SegDist(line[i], line[i + 1], p));
            for (size_t off = kDimGeometry; off + 16 <= n && off < kDimGeometry + 80; off += 16) {
                Pt q{Get<double>(rec, n, off), Get<double>(rec, n, off + 8)};
                if (std::isfinite(q.x) && std::isfinite(q.y)) best = std::min(best, Norm(q - p));
            }
            return best;
        }
        default: {
            double d;
            return DistanceTo(rec, p, d) ? d : INFINITY;
        }
    }
}

double DistanceUnder(const unsigned char* rec, Pt p) {
    double best = std::numeric_limits<double>::infinity();
    VisitShown(rec, nullptr, [&](const unsigned char* shown) { best = std::min(best, OwnDistance(shown, p)); });
    return best;
}

}  // namespace

double PickDistance(const unsigned char* rec, Pt p) {
    if (LengthOf(rec) < kHeaderSize) return INFINITY;
    return DistanceUnder(rec, p);
}

}  // namespace qlhost
