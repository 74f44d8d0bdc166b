// Where a boundary crosses a scan line. The boundary is cut into pieces that are monotone
// across the scan lines (straight segments, and arc parts lying within one half of their
// circle); a piece is crossed by the line at position `at` when exactly one of its ends lies
// beyond it, that is when lo <= at < hi. So a boundary passing through a hatch line counts
// once wherever the pieces meet, a touch counts twice or not at all, and coincident
// crossings of different boundary entities all count.
//
// Coordinates are given as (across, along): for vertical scan lines (x = at) a point is
// (x, y); for horizontal ones (y = at) the builders swap the coordinates.
#pragma once

#include <cstdint>
#include <vector>

#include "core/host_api.h"

struct BorderPiece {
    double lo = 0;         // across-coordinate of the end nearer the start of the sweep
    double hi = 0;         // across-coordinate of the other end; lo < hi
    double a[2] = {0, 0};  // segment: the end at lo; arc part: the centre
    double b[2] = {0, 0};  // segment: the end at hi
    double radius = 0;     // arc part only
    int8_t side = 0;       // 0 segment; +1 arc part beyond its centre along the line, -1 before
};

// Adds the pieces of a segment (zero-length and parallel segments have none).
void AppendSegmentPieces(const double* p, const double* q, std::vector<BorderPiece>& pieces);
// Adds the pieces of an arc from start through sweep (radians, either sign; a sweep of a
// full turn or more is the whole circle).
void AppendArcPieces(const double* centre, double radius, double start, double sweep,
                     std::vector<BorderPiece>& pieces);

// Adds the pieces of one segment or arc of an outline, in drawing coordinates as
// DecodeOutline gives them, for vertical scan lines or (swapped) horizontal ones.
void AppendOutlineSegmentPieces(const double* p, const double* q, bool vertical,
                                std::vector<BorderPiece>& pieces);
void AppendOutlineArcPieces(const double* centre, double radius, double start, double sweep,
                            bool closed, bool vertical, std::vector<BorderPiece>& pieces);

// Adds the pieces of a line (2), path (3), polygon (4), circle (6) or arc (7) record (its
// DecodeOutline outline), for vertical scan lines or (swapped) horizontal ones. False for
// any other type, which the caller asks the host about.
bool AppendEntityPieces(const EntRec* record, bool vertical, std::vector<BorderPiece>& pieces);

inline bool PieceCrosses(const BorderPiece& piece, double at) {
    return piece.lo <= at && at < piece.hi;
}
// The along-coordinate where the line at `at` crosses the piece (lo <= at < hi).
double PieceCrossing(const BorderPiece& piece, double at);

// Crossings of a sweep of lines at non-decreasing positions with a fixed set of pieces; the
// pieces are kept in order of lo and only those spanning the current line are visited.
class CrossingSweep {
public:
    explicit CrossingSweep(std::vector<BorderPiece> pieces);
    // Appends the along-coordinates of the crossings with the line at `at`.
    void Collect(double at, std::vector<double>& crossings);
    bool Empty() const { return pieces_.empty(); }

private:
    std::vector<BorderPiece> pieces_;
    std::vector<uint32_t> active_;
    size_t next_ = 0;
    double last_ = 0;
};

// Ascending order. Equal values stay: each is a crossing of its own.
void SortCrossings(std::vector<double>& crossings);
