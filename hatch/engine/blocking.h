// The smart hatch's blocking tests: whether the border stands between two hatch segments of
// neighbouring hatch lines. The border entities are split once into segments, arcs and
// entities left to the host, and indexed by their extents, so a connector is tested only
// against what can reach it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/host_api.h"
#include "hatch/engine/crossings.h"

// An axis-parallel box, closed on every side.
struct BlockBox {
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
};

// Boxes of items, with the items reaching one band x0..x1 kept in order of their lowest y.
// Bands are usually chosen left to right; a band to the left of the last starts over.
class BandIndex {
public:
    void Add(const BlockBox& box);
    // Call once after the last Add.
    void Finish();
    void SelectBand(double x0, double x1);
    // Calls test (item) for the items whose boxes meet the query box until one returns true.
    // Queries inside the selected band look only at its items.
    template <typename Test>
    bool Any(const BlockBox& query, Test test) const;

private:
    static bool Meet(const BlockBox& a, const BlockBox& b) {
        return a.x0 <= b.x1 && b.x0 <= a.x1 && a.y0 <= b.y1 && b.y0 <= a.y1;
    }

    std::vector<BlockBox> boxes_;
    std::vector<uint32_t> byX_;     // items in order of x0
    std::vector<uint32_t> active_;  // items reaching the band, in order of x0
    std::vector<uint32_t> band_;    // the same, in order of y0
    size_t next_ = 0;
    bool banded_ = false;
    double bandX0_ = 0, bandX1_ = 0;
    double bandHeight_ = 0;  // the greatest height of an item in the band
};

template <typename Test>
bool BandIndex::Any(const BlockBox& query, Test test) const {
    if (banded_ && query.x0 >= bandX0_ && query.x1 <= bandX1_) {
        // No item starting lower than its height below the query reaches it.
        const double lowest = query.y0 - bandHeight_;
        auto from = std::lower_bound(band_.begin(), band_.end(), lowest,
                                     [&](uint32_t item, double y) { return boxes_[item].y0 < y; });
        for (; from != band_.end(); ++from) {
            const uint32_t item = *from;
            const BlockBox& box = boxes_[item];
            if (box.y0 > query.y1) break;
            if (Meet(box, query) && test(item)) return true;
        }
        return false;
    }
    for (uint32_t item = 0; item < boxes_.size(); ++item) {
        if (Meet(boxes_[item], query) && test(item)) return true;
    }
    return false;
}

class BorderBlocks {
public:
    explicit BorderBlocks(DList* border);
    BorderBlocks(const BorderBlocks&) = delete;
    BorderBlocks& operator=(const BorderBlocks&) = delete;

    // The band between two hatch lines, where the next connectors lie.
    void SelectBand(double x1, double x2);
    // The general test: a border entity meets the connector a-b at a point lying within both
    // (a tangent touch of a circle does not count).
    bool Blocks(const double* a, const double* b) const;
    // The horizontal test: a border piece crosses the height y (lo <= y < hi, as scan lines
    // are crossed) at an x from x1 to x2 inclusive.
    bool BlocksAcross(double y, double x1, double x2) const;

private:
    struct Segment {
        double a[2], b[2];
    };
    struct Arc {
        double centre[2], radius, start, sweep;
        bool closed;
    };
    enum class Kind : uint8_t { kSegment, kArc, kHost, kPiece };
    struct Item {
        Kind kind;
        uint32_t index;
    };

    static int Collect(DList* list, EntRec* entity, void* user1, void* user2);
    void AddEntity(EntRec* entity);
    void AddItem(std::vector<Item>& items, BandIndex& index, Kind kind, uint32_t at, BlockBox box);
    bool HostMeets(EntRec* entity, const double* a, const double* b) const;

    std::vector<Segment> segments_;
    std::vector<Arc> arcs_;
    std::vector<EntRec*> hosts_;
    std::vector<BlockBox> hostBoxes_;  // their extents
    std::vector<BorderPiece> pieces_;  // horizontal pieces: across is y, along is x
    std::vector<Item> general_, across_;
    BandIndex generalIndex_, acrossIndex_;
};

// The general test of a connector a-b against one segment p-q, and against one arc.
bool SegmentMeets(const double* p, const double* q, const double* a, const double* b);
bool ArcMeets(const double* centre, double radius, double start, double sweep, bool closed,
              const double* a, const double* b);
