// Extents of entities, members of stored groups, containers and symbol references included.
#include <cmath>
#include <cstring>

#include "host/drawing/drawing.h"
#include "host/drawing/layouts.h"
#include "host/geometry/geometry.h"
#include "host/geometry/shape.h"
#include "host/geometry/shown.h"

namespace qlhost {
namespace {
using namespace layout;


Pt At(const unsigned char* rec, size_t n, size_t off) { return {Get<double>(rec, n, off), Get<double>(rec, n, off + 8)}; }

// Extremes in x and y of c + cos u A + sin u B over the span, end points included.
void AddEllipseSpan(ExtentRec& e, Pt c, Pt A, Pt B, double start, double sweep) {
    auto at = [&](double u) { return c + A * std::cos(u) + B * std::sin(u); };
    Pt p0 = at(start), p1 = at(start + sweep);
    ExtentAddPoint(e, p0.x, p0.y);
    ExtentAddPoint(e, p1.x, p1.y);
    double candidates[4] = {std::atan2(B.x, A.x), std::atan2(B.x, A.x) + geo::kPi, std::atan2(B.y, A.y),
                            std::atan2(B.y, A.y) + geo::kPi};
    for (double u : candidates)
        if (geo::AngleInSpan(u, start, sweep, 0)) {
            Pt p = at(u);
            ExtentAddPoint(e, p.x, p.y);
        }
}

bool TextExtent(const unsigned char* rec, size_t n, size_t data, const char* text, ExtentRec& e) {
    if (data + kDataSize > n) return false;
    Pt corners[4];
    if (!TextCorners(rec + data, text, corners)) {
        Pt p = At(rec, n, data + kDataX);
        ExtentAddPoint(e, p.x, p.y);
        return true;
    }
    for (const Pt& c : corners) ExtentAddPoint(e, c.x, c.y);
    return true;
}

// A bounded copy of the string at off (empty when off is outside the record).
std::string StringAt(const unsigned char* rec, size_t n, size_t off) {
    if (off == 0 || off >= n) return {};
    const char* s = reinterpret_cast<const char*>(rec + off);
    return std::string(s, strnlen(s, n - off));
}

bool OwnExtent(const unsigned char* rec, ExtentRec& e) {
    size_t n = LengthOf(rec);
    if (n < kHeaderSize) return false;
    switch (TypeOf(rec)) {
        case kText: return TextExtent(rec, n, kTextData, StringAt(rec, n, kTextString).c_str(), e);
        case kTextBearing: return TextExtent(rec, n, kTbData, StringAt(rec, n, kTbString).c_str(), e);
        case kAttribute:
            return TextExtent(rec, n, kAttData, StringAt(rec, n, Get<uint32_t>(rec, n, kAttString)).c_str(), e);
        case kDimLinear:
        case kDimAngular:
        case kDimRadial: {
            if (n < kDimGeometry + 16) return false;
            for (size_t off = kDimGeometry; off + 16 <= n && off < kDimGeometry + 80; off += 16) {
                Pt p = At(rec, n, off);
                if (std::isfinite(p.x) && std::isfinite(p.y)) ExtentAddPoint(e, p.x, p.y);
            }
            return true;
        }
        case kDimArc: {
            if (n < kDim30Length) return false;
            double r = Get<double>(rec, n, kDim30Radius);
            AddEllipseSpan(e, At(rec, n, kDim30Centre), {r, 0}, {0, r}, Get<double>(rec, n, kDim30Start),
                           Get<double>(rec, n, kDim30Sweep));
            Pt t = At(rec, n, kDim30Text);
            ExtentAddPoint(e, t.x, t.y);
            return true;
        }
        case kSymbolRef: {
            // The insertion point; the members add their own extents.
            if (n < kSymName) return false;
            ExtentAddPoint(e, Get<double>(rec, n, kSymTx), Get<double>(rec, n, kSymTy));
            return true;
        }
        case kWall: {
            if (n < kWallLength) return false;
            double h = std::fabs(Get<double>(rec, n, kWallThickness)) / 2;
            for (size_t off : {kWallStart, kWallEnd}) {
                Pt p = At(rec, n, off);
                ExtentAddPoint(e, p.x - h, p.y - h);
                ExtentAddPoint(e, p.x + h, p.y + h);
            }
            return true;
        }
        default: break;
    }
    geo::Shape s;
    if (!geo::Decode(rec, s)) return false;
    switch (s.kind) {
        case geo::Shape::kArc: AddEllipseSpan(e, s.c, {s.r, 0}, {0, s.r}, s.start, s.sweep); break;
        case geo::Shape::kEllipse: AddEllipseSpan(e, s.c, s.A, s.B, s.start, s.sweep); break;
        case geo::Shape::kCurve:
            for (const Pt& p : s.poly) ExtentAddPoint(e, p.x, p.y);
            break;
        default:
            for (const Pt& p : s.pts) ExtentAddPoint(e, p.x, p.y);
            break;
    }
    return true;
}

bool ExtentUnder(const unsigned char* rec, ExtentRec& e) {
    bool any = false;
    VisitShown(rec, nullptr, [&](const unsigned char* shown) { any = OwnExtent(shown, e) || any; });
    return any;
}

}  // namespace

void ExtentAddPoint(ExtentRec& extent, double x, double y, double z) {
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return;
    if (!extent.valid) {
        extent.min[0] = extent.max[0] = x;
        extent.min[1] = extent.max[1] = y;
        extent.min[2] = extent.max[2] = z;
        extent.valid = 1;
        return;
    }
    const double v[3] = {x, y, z};
    for (int i = 0; i < 3; ++i) {
        if (v[i] < extent.min[i]) extent.min[i] = v[i];
        if (v[i] > extent.max[i]) extent.max[i] = v[i];
    }
}

bool EntityExtent(const unsigned char* rec, ExtentRec& extent) {
    if (LengthOf(rec) < kHeaderSize) return false;
    return ExtentUnder(rec, extent);
}

}  // namespace qlhost
