// Boundary pieces, their crossings with scan lines and the sweep over a family's lines.
#include "hatch/engine/crossings.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "hatch/engine/outline.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kFullTurn = 2 * std::numbers::pi;

bool Finite(const double* p) {
    return std::isfinite(p[0]) && std::isfinite(p[1]);
}

// Across-coordinate of the point of the arc at angle t. At the splits between the halves
// (multiples of pi) it is exactly the circle's extreme, so both parts meeting there agree.
double ArcAcross(double cx, double r, double t, bool split, int64_t half) {
    if (split) return half % 2 == 0 ? cx + r : cx - r;
    return cx + r * std::cos(t);
}

// A point as (across, along) for scan lines of one direction.
void AcrossAlong(const double* point, bool vertical, double* out) {
    out[0] = point[0];
    out[1] = point[1];
    if (!vertical) std::swap(out[0], out[1]);
}

}  // namespace

void AppendSegmentPieces(const double* p, const double* q, std::vector<BorderPiece>& pieces) {
    if (!Finite(p) || !Finite(q) || p[0] == q[0]) return;
    BorderPiece piece;
    // The left end first, so a segment shared by two boundaries gives the same crossing
    // whichever way each of them runs.
    const double* left = p[0] < q[0] ? p : q;
    const double* right = p[0] < q[0] ? q : p;
    piece.lo = left[0];
    piece.hi = right[0];
    piece.a[0] = left[0];
    piece.a[1] = left[1];
    piece.b[0] = right[0];
    piece.b[1] = right[1];
    pieces.push_back(piece);
}

void AppendArcPieces(const double* centre, double radius, double start, double sweep,
                     std::vector<BorderPiece>& pieces) {
    if (!Finite(centre) || !std::isfinite(radius) || !(radius > 0) || !std::isfinite(start) ||
        !std::isfinite(sweep) || sweep == 0) {
        return;
    }
    if (sweep < 0) {
        start += sweep;
        sweep = -sweep;
    }
    bool startSplit = false;
    if (sweep >= kFullTurn) {
        start = 0;
        sweep = kFullTurn;
        startSplit = true;
    }
    start = std::fmod(start, kFullTurn);
    if (start < 0) start += kFullTurn;
    const double end = start + sweep;
    // Half k of the circle is the angles from k pi to (k + 1) pi; even halves lie beyond
    // the centre along the line (positive sine), odd ones before it.
    int64_t half = static_cast<int64_t>(std::floor(start / kPi));
    double from = start;
    bool fromSplit = startSplit;
    while (from < end) {
        const double split = static_cast<double>(half + 1) * kPi;
        const bool toSplit = split < end || startSplit;
        const double to = split < end ? split : end;
        const double fromAcross = ArcAcross(centre[0], radius, from, fromSplit, half);
        const double toAcross = ArcAcross(centre[0], radius, to, toSplit, half + 1);
        if (fromAcross != toAcross) {
            BorderPiece piece;
            piece.lo = std::min(fromAcross, toAcross);
            piece.hi = std::max(fromAcross, toAcross);
            piece.a[0] = centre[0];
            piece.a[1] = centre[1];
            piece.radius = radius;
            piece.side = (half % 2 + 2) % 2 == 0 ? 1 : -1;
            pieces.push_back(piece);
        }
        from = to;
        fromSplit = true;
        ++half;
    }
}

void AppendOutlineSegmentPieces(const double* p, const double* q, bool vertical,
                                std::vector<BorderPiece>& pieces) {
    double from[2];
    double to[2];
    AcrossAlong(p, vertical, from);
    AcrossAlong(q, vertical, to);
    AppendSegmentPieces(from, to, pieces);
}

void AppendOutlineArcPieces(const double* centre, double radius, double start, double sweep,
                            bool closed, bool vertical, std::vector<BorderPiece>& pieces) {
    double at[2];
    AcrossAlong(centre, vertical, at);
    // Swapping the coordinates mirrors the arc: angle t becomes a quarter turn - t. A whole
    // circle stays the whole circle.
    if (!vertical && !closed) {
        start = kPi / 2 - start;
        sweep = -sweep;
    }
    AppendArcPieces(at, radius, start, sweep, pieces);
}

bool AppendEntityPieces(const EntRec* record, bool vertical, std::vector<BorderPiece>& pieces) {
    return DecodeOutline(
        record,
        [&](const double* p, const double* q) { AppendOutlineSegmentPieces(p, q, vertical, pieces); },
        [&](const double* centre, double radius, double start, double sweep, bool closed) {
            AppendOutlineArcPieces(centre, radius, start, sweep, closed, vertical, pieces);
        });
}

double PieceCrossing(const BorderPiece& piece, double at) {
    if (piece.side == 0) {
        return piece.a[1] +
               (at - piece.a[0]) / (piece.b[0] - piece.a[0]) * (piece.b[1] - piece.a[1]);
    }
    const double d = at - piece.a[0];
    const double h = std::sqrt(std::max(0.0, piece.radius * piece.radius - d * d));
    return piece.a[1] + piece.side * h;
}

CrossingSweep::CrossingSweep(std::vector<BorderPiece> pieces) : pieces_(std::move(pieces)) {
    std::sort(pieces_.begin(), pieces_.end(),
              [](const BorderPiece& l, const BorderPiece& r) { return l.lo < r.lo; });
}

void CrossingSweep::Collect(double at, std::vector<double>& crossings) {
    if (at < last_) {
        active_.clear();
        next_ = 0;
    }
    last_ = at;
    while (next_ < pieces_.size() && pieces_[next_].lo <= at) {
        active_.push_back(static_cast<uint32_t>(next_));
        ++next_;
    }
    size_t kept = 0;
    for (const uint32_t index : active_) {
        const BorderPiece& piece = pieces_[index];
        if (piece.hi <= at) continue;
        active_[kept++] = index;
        crossings.push_back(PieceCrossing(piece, at));
    }
    active_.resize(kept);
}

void SortCrossings(std::vector<double>& crossings) {
    std::sort(crossings.begin(), crossings.end());
}
