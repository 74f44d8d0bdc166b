// Geometry wrappers, entity end points and the even-odd point in polygon test.
#include "core/geometry.h"

#include <cmath>

#include "core/records.h"

double AngleOf(const double* a, const double* b) { return Angle(a, b); }

double SegmentAngle(const double* segment) { return AngleOf(segment, segment + 2); }

double DistanceOf(const double* a, const double* b) { return Dist2P(a, b); }

double Distance3(const double* a, const double* b) {
    double dx = b[0] - a[0];
    double dy = b[1] - a[1];
    double dz = b[2] - a[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

void PolarPoint(const double* origin, double distance, double angle, double* result) {
    PConv2(origin, distance, angle, result);
}

bool EntityEnds(const EntRec* record, double* start, double* end) {
    uint32_t length = RecordLength(record);
    switch (RecordType(record)) {
        case ET_LINE:
            if (length < kLineSize) return false;
            GetPoint(record, kLineStart, start);
            GetPoint(record, kLineEnd, end);
            return true;
        case ET_PATH: {
            if (length < kPolyVertices) return false;
            uint32_t count = GetU16(record, kPolyCount);
            if (count == 0 || length < PolySize(count)) return false;
            GetPoint(record, PolyVertex(0), start);
            GetPoint(record, PolyVertex(count - 1), end);
            return true;
        }
        case ET_ARC: {
            if (length < kArcSweep + 8) return false;
            double centre[2];
            GetPoint(record, kArcCentre, centre);
            double radius = GetF64(record, kArcRadius);
            double first = GetF64(record, kArcStart);
            double last = first + GetF64(record, kArcSweep);
            start[0] = centre[0] + radius * std::cos(first);
            start[1] = centre[1] + radius * std::sin(first);
            end[0] = centre[0] + radius * std::cos(last);
            end[1] = centre[1] + radius * std::sin(last);
            return true;
        }
        default:
            return false;
    }
}

namespace {

bool PointInVertices(const unsigned char* data, uint32_t count, const double* point) {
    const double px = point[0];
    const double py = point[1];
    bool inside = false;
    if (count == 0) return false;
    double prev[2];
    GetPoint(data, PolyVertex(count - 1) - kPolyCount, prev);
    for (uint32_t i = 0; i < count; ++i) {
        double cur[2];
        GetPoint(data, PolyVertex(i) - kPolyCount, cur);
        const double x1 = prev[0], y1 = prev[1], x2 = cur[0], y2 = cur[1];
        prev[0] = x2;
        prev[1] = y2;
        if (x1 == x2) continue;
        if (px < std::fmin(x1, x2) || px > std::fmax(x1, x2)) continue;
        // A vertex on the point's vertical counts for the edge that leaves it to the right,
        // so an outline passing through it is counted once and a touching tip twice or never.
        if (x1 == px && !(x2 > px)) continue;
        if (x2 == px && !(x1 > px)) continue;
        double height = y1 + (px - x1) * (y2 - y1) / (x2 - x1);
        if (height > py) inside = !inside;
    }
    return inside;
}

}  // namespace

bool PointInPolygon(const unsigned char* polyData, const double* point) {
    return PointInVertices(polyData, GetU16(polyData, 0), point);
}

bool PointInPolygonRecord(const EntRec* record, const double* point) {
    uint32_t length = RecordLength(record);
    if (length < kPolyVertices) return false;
    uint32_t count = GetU16(record, kPolyCount);
    if (length < PolySize(count)) count = (length - kPolyVertices) / kPolyVertexSize;
    return PointInVertices(record + kPolyCount, count, point);
}

void SetRubberOrigin2(const double* point) { SetCursorOrg2(point[0], point[1]); }

void SetRubberOrigin3(const double* point) { SetCursorOrg3(point[0], point[1], point[2]); }

void SymbolMemberMatrix(const EntRec* reference, const double* outer, double* matrix) {
    CTMPSH();
    CTMI3();
    if (reference != nullptr && RecordType(reference) == ET_SYMBOL &&
        RecordLength(reference) >= kSymMatrix + kSymMatrixSize) {
        double symbol[kSymMatrixSize / 8];
        for (size_t i = 0; i < kSymMatrixSize / 8; ++i) symbol[i] = GetF64(reference, kSymMatrix + 8 * i);
        LDSymTM(symbol);
        if (const unsigned char* definition = SymDefAdr(reference))
            CTMT2(-GetF64(definition, kSymDefBaseX), -GetF64(definition, kSymDefBaseY));
    }
    if (outer != nullptr) CTMMUL2(outer);
    STCTM(matrix);
    CTMPOP();
}
