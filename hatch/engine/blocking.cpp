// The smart hatch's blocking tests against the border, with the border indexed by extents.
#include "hatch/engine/blocking.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "core/records.h"
#include "hatch/engine/outline.h"

namespace {

constexpr double kFullTurn = 2 * std::numbers::pi;
// Lines whose cross product is below this share of their lengths' product are parallel.
constexpr double kParallel = 1e-12;
// A point this close in angle to an arc's end lies on the arc.
constexpr double kArcEndAngle = 1e-12;
// Boxes grow by this share of their largest coordinate, so rounding never drops a candidate.
constexpr double kBoxMargin = 1e-9;
constexpr double kUnbounded = std::numeric_limits<double>::infinity();
constexpr uint32_t kInfoClosed = 0x04;  // EInfo (entity, 1): a closed curve

bool Finite(const double* p) {
    return std::isfinite(p[0]) && std::isfinite(p[1]);
}

BlockBox Widened(BlockBox box) {
    const double size =
        1 + std::max({std::fabs(box.x0), std::fabs(box.x1), std::fabs(box.y0), std::fabs(box.y1)});
    const double margin = std::isfinite(size) ? kBoxMargin * size : 0;
    box.x0 -= margin;
    box.x1 += margin;
    box.y0 -= margin;
    box.y1 += margin;
    return box;
}

BlockBox BoxOf(const double* a, const double* b) {
    return {std::min(a[0], b[0]), std::max(a[0], b[0]), std::min(a[1], b[1]), std::max(a[1], b[1])};
}

// A closed curve touched at one point is not crossed. The host meets lines only within
// them, so a connector ending inside the curve meets it once as well: the curve is touched
// only when the connector's line, carried across the curve's whole extent, meets it once.
bool TouchesClosedCurve(EntRec* entity, const double* a, const double* b) {
    const double d[2] = {b[0] - a[0], b[1] - a[1]};
    const double length = std::hypot(d[0], d[1]);
    ExtentRec extent;
    ResetExtent(extent);
    EXCheck(entity, &extent);
    if (!(length > 0) || extent.valid == 0) return true;
    const double reach = std::hypot(extent.max[0] - extent.min[0], extent.max[1] - extent.min[1]) +
                         std::hypot(a[0] - extent.min[0], a[1] - extent.min[1]) + length;
    if (!std::isfinite(reach)) return true;
    const double from[2] = {a[0] - d[0] / length * reach, a[1] - d[1] / length * reach};
    const double to[2] = {b[0] + d[0] / length * reach, b[1] + d[1] / length * reach};
    RecordBuffer line = BuildLine(from, to);
    double* points = nullptr;
    return FindAllInts(line.data(), entity, &points) == 1;
}

bool OnArc(double start, double sweep, double angle) {
    double along = std::fmod(angle - start, kFullTurn);
    if (along < 0) along += kFullTurn;
    return along <= sweep + kArcEndAngle || along >= kFullTurn - kArcEndAngle;
}

}  // namespace

bool SegmentMeets(const double* p, const double* q, const double* a, const double* b) {
    const double r[2] = {q[0] - p[0], q[1] - p[1]};
    const double s[2] = {b[0] - a[0], b[1] - a[1]};
    const double denom = r[0] * s[1] - r[1] * s[0];
    if (denom == 0) return false;
    const double w[2] = {a[0] - p[0], a[1] - p[1]};
    const double t = (w[0] * s[1] - w[1] * s[0]) / denom;
    const double u = (w[0] * r[1] - w[1] * r[0]) / denom;
    if (!(t >= 0 && t <= 1 && u >= 0 && u <= 1)) return false;
    return std::fabs(denom) >
           kParallel * std::sqrt(r[0] * r[0] + r[1] * r[1]) * std::sqrt(s[0] * s[0] + s[1] * s[1]);
}

bool ArcMeets(const double* centre, double radius, double start, double sweep, bool closed,
              const double* a, const double* b) {
    if (sweep < 0) {
        start += sweep;
        sweep = -sweep;
    }
    const double d[2] = {b[0] - a[0], b[1] - a[1]};
    const double f[2] = {a[0] - centre[0], a[1] - centre[1]};
    const double qa = d[0] * d[0] + d[1] * d[1];
    if (!(qa > 0)) return false;
    const double qb = 2 * (f[0] * d[0] + f[1] * d[1]);
    const double qc = f[0] * f[0] + f[1] * f[1] - radius * radius;
    const double disc = qb * qb - 4 * qa * qc;
    // A closed curve touched at one point is not crossed.
    if (disc < 0 || (disc == 0 && closed)) return false;
    const double root = std::sqrt(disc);
    for (const double t : {(-qb - root) / (2 * qa), (-qb + root) / (2 * qa)}) {
        if (!(t >= 0 && t <= 1)) continue;
        const double x = a[0] + t * d[0] - centre[0];
        const double y = a[1] + t * d[1] - centre[1];
        if (closed || OnArc(start, sweep, std::atan2(y, x))) return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------
// BandIndex

void BandIndex::Add(const BlockBox& box) {
    boxes_.push_back(box);
}

void BandIndex::Finish() {
    byX_.resize(boxes_.size());
    for (uint32_t i = 0; i < byX_.size(); ++i) byX_[i] = i;
    std::sort(byX_.begin(), byX_.end(),
              [&](uint32_t l, uint32_t r) { return boxes_[l].x0 < boxes_[r].x0; });
}

void BandIndex::SelectBand(double x0, double x1) {
    if (!banded_ || x0 < bandX0_) {
        active_.clear();
        next_ = 0;
    }
    banded_ = true;
    bandX0_ = x0;
    bandX1_ = x1;
    while (next_ < byX_.size() && boxes_[byX_[next_]].x0 <= x1) active_.push_back(byX_[next_++]);
    std::erase_if(active_, [&](uint32_t item) { return boxes_[item].x1 < x0; });
    band_ = active_;
    bandHeight_ = 0;
    for (const uint32_t item : band_)
        bandHeight_ = std::max(bandHeight_, boxes_[item].y1 - boxes_[item].y0);
    std::sort(band_.begin(), band_.end(),
              [&](uint32_t l, uint32_t r) { return boxes_[l].y0 < boxes_[r].y0; });
}

// ---------------------------------------------------------------------------------------
// BorderBlocks

BorderBlocks::BorderBlocks(DList* border) {
    if (border != nullptr) ForEachEntity(border, Collect, SCOPE_ALL, this);
    generalIndex_.Finish();
    acrossIndex_.Finish();
}

int BorderBlocks::Collect(DList*, EntRec* entity, void* user1, void*) {
    static_cast<BorderBlocks*>(user1)->AddEntity(entity);
    return 0;
}

void BorderBlocks::AddItem(std::vector<Item>& items, BandIndex& index, Kind kind, uint32_t at,
                           BlockBox box) {
    items.push_back({kind, at});
    index.Add(Widened(box));
}

void BorderBlocks::AddEntity(EntRec* entity) {
    // Each segment and arc goes into the general index as it is, and its pieces for
    // horizontal lines (across is y, along is x) into the across index.
    const auto addPieces = [&](size_t first) {
        for (size_t i = first; i < pieces_.size(); ++i) {
            const BorderPiece& piece = pieces_[i];
            const double reach = piece.side == 0 ? 0 : piece.radius;
            const double along0 = piece.side == 0 ? std::min(piece.a[1], piece.b[1]) : piece.a[1];
            const double along1 = piece.side == 0 ? std::max(piece.a[1], piece.b[1]) : piece.a[1];
            AddItem(across_, acrossIndex_, Kind::kPiece, static_cast<uint32_t>(i),
                    {along0 - reach, along1 + reach, piece.lo, piece.hi});
        }
    };
    const auto addSegment = [&](const double* p, const double* q) {
        if (Finite(p) && Finite(q) && !(p[0] == q[0] && p[1] == q[1])) {
            segments_.push_back({{p[0], p[1]}, {q[0], q[1]}});
            AddItem(general_, generalIndex_, Kind::kSegment,
                    static_cast<uint32_t>(segments_.size() - 1), BoxOf(p, q));
        }
        const size_t first = pieces_.size();
        AppendOutlineSegmentPieces(p, q, false, pieces_);
        addPieces(first);
    };
    const auto addArc = [&](const double* centre, double radius, double start, double sweep,
                            bool closed) {
        if (Finite(centre) && radius > 0 && std::isfinite(radius) && std::isfinite(start) &&
            std::isfinite(sweep) && sweep != 0) {
            arcs_.push_back({{centre[0], centre[1]}, radius, start, sweep, closed});
            AddItem(general_, generalIndex_, Kind::kArc, static_cast<uint32_t>(arcs_.size() - 1),
                    {centre[0] - radius, centre[0] + radius, centre[1] - radius, centre[1] + radius});
        }
        const size_t first = pieces_.size();
        AppendOutlineArcPieces(centre, radius, start, sweep, closed, false, pieces_);
        addPieces(first);
    };
    if (DecodeOutline(entity, addSegment, addArc)) return;

    ExtentRec extent;
    ResetExtent(extent);
    EXCheck(entity, &extent);
    BlockBox box{-kUnbounded, kUnbounded, -kUnbounded, kUnbounded};
    if (extent.valid != 0) box = {extent.min[0], extent.max[0], extent.min[1], extent.max[1]};
    hosts_.push_back(entity);
    hostBoxes_.push_back(box);
    const auto at = static_cast<uint32_t>(hosts_.size() - 1);
    AddItem(general_, generalIndex_, Kind::kHost, at, box);
    AddItem(across_, acrossIndex_, Kind::kHost, at, box);
}

void BorderBlocks::SelectBand(double x1, double x2) {
    generalIndex_.SelectBand(std::min(x1, x2), std::max(x1, x2));
    acrossIndex_.SelectBand(std::min(x1, x2), std::max(x1, x2));
}

bool BorderBlocks::HostMeets(EntRec* entity, const double* a, const double* b) const {
    RecordBuffer line = BuildLine(a, b);
    double* points = nullptr;
    const int count = FindAllInts(line.data(), entity, &points);
    if (count <= 0 || points == nullptr) return false;
    if (count == 1 && (EInfo(entity, 1) & kInfoClosed) != 0) {
        // Read the point first: the host's next FindAllInts (the touch test) reuses its array.
        double point[2];
        IntersectionPoint(points, 0, point);
        if (TouchesClosedCurve(entity, a, b)) return false;
        double onConnector = -1;
        const double segment[4] = {a[0], a[1], b[0], b[1]};
        return P2TL2(segment, point, &onConnector) != 0 && onConnector >= 0 && onConnector <= 1;
    }
    const double segment[4] = {a[0], a[1], b[0], b[1]};
    for (int i = 0; i < count; ++i) {
        double point[2];
        IntersectionPoint(points, i, point);
        double onEntity = -1, onConnector = -1;
        if (EGet(entity, 2, point, &onEntity) != 0 && onEntity >= 0 && onEntity <= 1 &&
            P2TL2(segment, point, &onConnector) != 0 && onConnector >= 0 && onConnector <= 1) {
            return true;
        }
    }
    return false;
}

bool BorderBlocks::Blocks(const double* a, const double* b) const {
    return generalIndex_.Any(BoxOf(a, b), [&](uint32_t at) {
        const Item& item = general_[at];
        switch (item.kind) {
            case Kind::kSegment: {
                const Segment& s = segments_[item.index];
                return SegmentMeets(s.a, s.b, a, b);
            }
            case Kind::kArc: {
                const Arc& arc = arcs_[item.index];
                return ArcMeets(arc.centre, arc.radius, arc.start, arc.sweep, arc.closed, a, b);
            }
            default:
                return HostMeets(hosts_[item.index], a, b);
        }
    });
}

bool BorderBlocks::BlocksAcross(double y, double x1, double x2) const {
    const double from = std::min(x1, x2);
    const double to = std::max(x1, x2);
    return acrossIndex_.Any({from, to, y, y}, [&](uint32_t at) {
        const Item& item = across_[at];
        if (item.kind == Kind::kHost) {
            // As scan lines test other entities: only one whose extent straddles the height.
            const BlockBox& box = hostBoxes_[item.index];
            if (!((box.y0 < y && box.y1 > y) || (box.y0 >= y && box.y1 <= y))) return false;
            const double a[2] = {from, y};
            const double b[2] = {to, y};
            return HostMeets(hosts_[item.index], a, b);
        }
        const BorderPiece& piece = pieces_[item.index];
        if (!PieceCrosses(piece, y)) return false;
        const double x = PieceCrossing(piece, y);
        return x >= from && x <= to;
    });
}
