// Matching our hatch lines with ezdxf's: each of ours is paired with one of theirs whose ends
// lie within a tolerance (either way round). Two differences of form are allowed and
// counted, not failed:
// - pieces that meet end to start on one line are joined before the second matching round:
//   ezdxf joins a hatch line's pieces where they touch (at a boundary vertex lying on the
//   line, or across a wall shared by two loops), we keep them apart;
// - an unmatched piece shorter than the tolerance (a sliver where a line grazes a vertex);
// - an unmatched piece running along a boundary edge: a hatch line that lies on an edge is
//   drawn there by us when the area lies on its side of greater x in hatch space (a piece
//   counts as crossed at its lower end), by ezdxf by its own rounding; both are fair.
// Dots (zero-length pieces) are matched apart, see MatchDots.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "tests/hatch/ezdxf_compare.h"

namespace ezdxfcompare {

struct Match {
    size_t matched = 0;       // pairs of the first round (ends within the tolerance)
    size_t rematched = 0;     // pairs found after joining touching pieces
    size_t joinedOurs = 0;    // joins made among our unmatched pieces
    size_t joinedTheirs = 0;  // the same among ezdxf's
    size_t slivers = 0;       // unmatched pieces shorter than the tolerance
    size_t alongEdges = 0;    // unmatched pieces lying on a boundary edge
    std::vector<Segment> onlyOurs;
    std::vector<Segment> onlyTheirs;
};

inline bool Near(double x1, double y1, double x2, double y2, double tolerance) {
    return std::hypot(x1 - x2, y1 - y2) <= tolerance;
}

inline bool SameEnds(const Segment& a, const Segment& b, double tolerance) {
    return (Near(a.x1, a.y1, b.x1, b.y1, tolerance) && Near(a.x2, a.y2, b.x2, b.y2, tolerance)) ||
           (Near(a.x1, a.y1, b.x2, b.y2, tolerance) && Near(a.x2, a.y2, b.x1, b.y1, tolerance));
}

// Distance of point p from the line through s.
inline double LineDistance(const Segment& s, double px, double py) {
    const double dx = s.x2 - s.x1, dy = s.y2 - s.y1;
    const double length = std::hypot(dx, dy);
    if (length == 0) return std::hypot(px - s.x1, py - s.y1);
    return std::fabs((px - s.x1) * dy - (py - s.y1) * dx) / length;
}

// Joins a and b when they lie on one line and meet end to start; false otherwise.
inline bool JoinTouching(const Segment& a, const Segment& b, double tolerance, Segment& joined) {
    if (LineDistance(a, b.x1, b.y1) > tolerance || LineDistance(a, b.x2, b.y2) > tolerance)
        return false;
    const double aEnds[2][2] = {{a.x1, a.y1}, {a.x2, a.y2}};
    const double bEnds[2][2] = {{b.x1, b.y1}, {b.x2, b.y2}};
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j) {
            if (!Near(aEnds[i][0], aEnds[i][1], bEnds[j][0], bEnds[j][1], tolerance)) continue;
            const double* farA = aEnds[1 - i];
            const double* farB = bEnds[1 - j];
            const double* meet = aEnds[i];
            if ((farA[0] - meet[0]) * (farB[0] - meet[0]) +
                    (farA[1] - meet[1]) * (farB[1] - meet[1]) >=
                0)
                continue;
            joined = {farA[0], farA[1], farB[0], farB[1]};
            return true;
        }
    }
    return false;
}

// Joins touching pieces until none is left; the number of joins.
inline size_t JoinAll(std::vector<Segment>& pieces, double tolerance) {
    size_t joins = 0;
    for (bool again = true; again;) {
        again = false;
        for (size_t i = 0; i < pieces.size() && !again; ++i) {
            for (size_t j = i + 1; j < pieces.size(); ++j) {
                Segment joined{};
                if (!JoinTouching(pieces[i], pieces[j], tolerance, joined)) continue;
                pieces[i] = joined;
                pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(j));
                ++joins;
                again = true;
                break;
            }
        }
    }
    return joins;
}

// Pairs the pieces of a with those of b; the unmatched ones stay in a and b.
inline size_t PairUp(std::vector<Segment>& a, std::vector<Segment>& b, double tolerance) {
    const double cell = std::max(1e-3, 4 * tolerance);
    auto index = [cell](double v) { return static_cast<int64_t>(std::floor(v / cell)); };
    auto key = [](int64_t ix, int64_t iy) {
        return static_cast<uint64_t>(ix) * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(iy);
    };
    std::unordered_map<uint64_t, std::vector<size_t>> grid;
    for (size_t j = 0; j < b.size(); ++j)
        grid[key(index((b[j].x1 + b[j].x2) / 2), index((b[j].y1 + b[j].y2) / 2))].push_back(j);
    std::vector<bool> usedB(b.size(), false);
    std::vector<Segment> leftA;
    size_t pairs = 0;
    for (const Segment& s : a) {
        const int64_t ix = index((s.x1 + s.x2) / 2), iy = index((s.y1 + s.y2) / 2);
        bool found = false;
        for (int64_t dx = -1; dx <= 1 && !found; ++dx) {
            for (int64_t dy = -1; dy <= 1 && !found; ++dy) {
                auto cellIt = grid.find(key(ix + dx, iy + dy));
                if (cellIt == grid.end()) continue;
                for (const size_t j : cellIt->second) {
                    if (usedB[j] || !SameEnds(s, b[j], tolerance)) continue;
                    usedB[j] = true;
                    found = true;
                    break;
                }
            }
        }
        if (found) {
            ++pairs;
        } else {
            leftA.push_back(s);
        }
    }
    std::vector<Segment> leftB;
    for (size_t j = 0; j < b.size(); ++j)
        if (!usedB[j]) leftB.push_back(b[j]);
    a.swap(leftA);
    b.swap(leftB);
    return pairs;
}

inline size_t DropSlivers(std::vector<Segment>& pieces, double tolerance) {
    const size_t before = pieces.size();
    std::erase_if(pieces, [tolerance](const Segment& s) { return s.Length() < tolerance; });
    return before - pieces.size();
}

// Distance of p from the nearest edge of the loops.
inline double BoundaryDistance(const std::vector<std::vector<qlhost::Pt>>& loops, double px,
                               double py) {
    double nearest = INFINITY;
    for (const auto& loop : loops) {
        for (size_t i = 0; i < loop.size(); ++i) {
            const qlhost::Pt a = loop[i], b = loop[(i + 1) % loop.size()];
            const double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
            double t = length2 > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / length2 : 0;
            t = std::clamp(t, 0.0, 1.0);
            nearest = std::min(nearest, std::hypot(px - (a.x + t * dx), py - (a.y + t * dy)));
        }
    }
    return nearest;
}

// Pairs every segment of ours with one of theirs; what stays unpaired is left in onlyOurs and
// onlyTheirs.
inline Match PairAll(const std::vector<Segment>& ours, const std::vector<Segment>& theirs, double tolerance) {
    Match m;
    m.onlyOurs = ours;
    m.onlyTheirs = theirs;
    m.matched = PairUp(m.onlyOurs, m.onlyTheirs, tolerance);
    return m;
}

// Pairs the dots; an unmatched dot on the boundary is allowed (we draw a dot only strictly
// inside a line's piece, ezdxf also on its ends, and ezdxf reports a line that only touches
// a vertex as a dot). The allowed dots are counted in `slivers`.
inline Match MatchDots(const std::vector<Segment>& ours, const std::vector<Segment>& theirs,
                       const std::vector<std::vector<qlhost::Pt>>& loops, double tolerance) {
    Match m = PairAll(ours, theirs, tolerance);
    for (std::vector<Segment>* dots : {&m.onlyOurs, &m.onlyTheirs}) {
        m.slivers += std::erase_if(*dots, [&](const Segment& d) {
            return BoundaryDistance(loops, d.x1, d.y1) <= tolerance;
        });
    }
    return m;
}

inline Match MatchLines(const std::vector<Segment>& ours, const std::vector<Segment>& theirs,
                        const std::vector<std::vector<qlhost::Pt>>& loops, double tolerance) {
    Match m = PairAll(ours, theirs, tolerance);
    m.joinedOurs = JoinAll(m.onlyOurs, tolerance);
    m.joinedTheirs = JoinAll(m.onlyTheirs, tolerance);
    m.rematched = PairUp(m.onlyOurs, m.onlyTheirs, tolerance);
    m.slivers = DropSlivers(m.onlyOurs, tolerance) + DropSlivers(m.onlyTheirs, tolerance);
    for (std::vector<Segment>* pieces : {&m.onlyOurs, &m.onlyTheirs}) {
        m.alongEdges += std::erase_if(*pieces, [&](const Segment& s) {
            return BoundaryDistance(loops, s.x1, s.y1) <= tolerance &&
                   BoundaryDistance(loops, s.x2, s.y2) <= tolerance &&
                   BoundaryDistance(loops, (s.x1 + s.x2) / 2, (s.y1 + s.y2) / 2) <= tolerance;
        });
    }
    return m;
}

}  // namespace ezdxfcompare
