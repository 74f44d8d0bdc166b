// The outline of an entity record as straight segments and circular arcs, read from the
// record's own bytes: the one decoder behind the border pieces of the scan lines and the
// smart hatch's blocking tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <numbers>

#include "core/host_api.h"
#include "core/records.h"

// The sweep of a circle given as an arc.
constexpr double kOutlineFullTurn = 2 * std::numbers::pi;

// Passes the outline of a line (2), path (3), polygon (4), circle (6) or arc (7) record to
// segment (p, q) and arc (centre, radius, start, sweep, closed), in drawing coordinates:
// - a line is one segment, start to end;
// - a path is its segments in vertex order; a polygon gives its closing segment (last vertex
//   to first) before them;
// - a circle is the closed arc from 0 through a full turn; an arc is open, start and sweep
//   (radians, either sign) as stored.
// Values are passed as stored, not checked (zero lengths, non-finite numbers): each user has
// its own rules for those. A record too short for its type gives nothing, vertex counts
// beyond the record's length are cut, and fewer than two vertices give nothing. False for any
// other type, which the caller asks the host about.
template <typename Segment, typename Arc>
bool DecodeOutline(const EntRec* record, Segment&& segment, Arc&& arc) {
    const uint32_t length = RecordLength(record);
    const int type = RecordType(record);
    double p[2];
    double q[2];
    switch (type) {
        case ET_LINE:
            if (length < kLineSize) return true;
            GetPoint(record, kLineStart, p);
            GetPoint(record, kLineEnd, q);
            segment(static_cast<const double*>(p), static_cast<const double*>(q));
            return true;
        case ET_PATH:
        case ET_POLYGON: {
            if (length < kPolyVertices) return true;
            const uint32_t fits = (length - kPolyVertices) / kPolyVertexSize;
            const uint32_t count = std::min<uint32_t>(GetU16(record, kPolyCount), fits);
            if (count < 2) return true;
            if (type == ET_POLYGON) {
                GetPoint(record, PolyVertex(count - 1), p);
                GetPoint(record, PolyVertex(0), q);
                segment(static_cast<const double*>(p), static_cast<const double*>(q));
            }
            GetPoint(record, PolyVertex(0), p);
            for (uint32_t i = 1; i < count; ++i) {
                GetPoint(record, PolyVertex(i), q);
                segment(static_cast<const double*>(p), static_cast<const double*>(q));
                p[0] = q[0];
                p[1] = q[1];
            }
            return true;
        }
        case ET_CIRCLE:
            if (length < kCircleSize) return true;
            GetPoint(record, kCircleCentre, p);
            arc(static_cast<const double*>(p), GetF64(record, kCircleRadius), 0.0,
                kOutlineFullTurn, true);
            return true;
        case ET_ARC:
            if (length < kArcSize) return true;
            GetPoint(record, kArcCentre, p);
            arc(static_cast<const double*>(p), GetF64(record, kArcRadius), GetF64(record, kArcStart),
                GetF64(record, kArcSweep), false);
            return true;
        default:
            return false;
    }
}
