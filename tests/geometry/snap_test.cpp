// Object snaps over every kind that offers snap points, each mode alone and in the order the
// modes win; and the points typed at a point prompt (absolute, relative, polar).
#include <numbers>

#include "host/geometry/snap.h"
#include "host/protocol/interact.h"
#include "tests/geometry/geometry_test_util.h"

using namespace geometry_test;

namespace {

class Snap : public GeometryTest {};

constexpr double kTolerance = 0.5;
constexpr double kHalfPi = std::numbers::pi / 2;

struct SnapCase {
    const char* name;
    std::vector<Record> records;
    Pt cursor;
    unsigned modes;
    bool found;
    Pt at;
    unsigned mode;
};

TEST_F(Snap, EachKindAndMode) {
    using namespace qlhost;
    const Record line = MakeLine(0, 0, 10, 0);
    const Record cross = MakeLine(0, 10, 10, 0), diagonal = MakeLine(0, 0, 10, 10);
    const std::vector<SnapCase> cases = {
        {"line end", {line}, {9.8, 0.2}, kSnapEnd, true, {10, 0}, kSnapEnd},
        {"line end needs its mode", {line}, {9.8, 0.2}, kSnapMid | kSnapCentre, false, {}, 0},
        {"line midpoint", {line}, {5.1, 0.1}, kSnapMid, true, {5, 0}, kSnapMid},
        {"outside the tolerance", {line}, {5, 0.6}, kSnapAll & ~kSnapNearest, false, {}, 0},
        {"box corner", {MakeBox(0, 0, 10, 5)}, {10.2, 4.9}, kSnapEnd, true, {10, 5}, kSnapEnd},
        {"box side midpoint", {MakeBox(0, 0, 10, 5)}, {10.1, 2.4}, kSnapAll, true, {10, 2.5}, kSnapMid},
        {"path vertex", {MakePath({{0, 0}, {5, 5}, {10, 0}}, false)}, {5.1, 4.8}, kSnapEnd, true, {5, 5}, kSnapEnd},
        {"wall corner", {MakeWall(0, 0, 10, 0, 1)}, {10.2, 0.4}, kSnapEnd, true, {10, 0.5}, kSnapEnd},
        {"circle centre", {MakeCircle(5, 5, 2)}, {5.2, 4.9}, kSnapCentre, true, {5, 5}, kSnapCentre},
        {"arc end", {MakeArc(0, 0, 5, 0, kHalfPi)}, {0.1, 4.9}, kSnapEnd, true, {0, 5}, kSnapEnd},
        {"arc midpoint", {MakeArc(0, 0, 5, 0, 2 * kHalfPi)}, {0.2, 4.9}, kSnapMid, true, {0, 5}, kSnapMid},
        {"arc centre", {MakeArc(1, 1, 5, 0, kHalfPi)}, {1.1, 0.9}, kSnapCentre, true, {1, 1}, kSnapCentre},
        {"ellipse centre", {MakeEllipse(3, 4, 6, 0, 0.5)}, {3.3, 4.2}, kSnapCentre, true, {3, 4}, kSnapCentre},
        {"intersection", {diagonal, cross}, {5.2, 4.9}, kSnapIntersection, true, {5, 5}, kSnapIntersection},
        {"no intersection without its mode", {diagonal, cross}, {5.2, 4.9}, kSnapEnd, false, {}, 0},
        {"nearest on a line", {line}, {3.3, 0.2}, kSnapNearest, true, {3.3, 0}, kSnapNearest},
        {"nearest on a circle", {MakeCircle(0, 0, 5)}, {0.1, 5.3}, kSnapNearest, true,
         {5 * 0.1 / std::hypot(0.1, 5.3), 5 * 5.3 / std::hypot(0.1, 5.3)}, kSnapNearest},
        {"an end point wins over nearest", {line}, {9.9, 0.1}, kSnapEnd | kSnapNearest, true, {10, 0}, kSnapEnd},
        {"the closest point wins", {line, MakeLine(10, 0.3, 20, 0.3)}, {10.05, 0.25}, kSnapEnd, true, {10, 0.3}, kSnapEnd},
        {"texts offer nothing", {MakeText(0, 0, 2, 0, 0, 0, "A")}, {0, 0}, kSnapAll & ~kSnapNearest, false, {}, 0},
    };
    for (const SnapCase& c : cases) {
        SCOPED_TRACE(c.name);
        SnapHit hit;
        ASSERT_EQ(FindSnap(c.records, c.cursor, kTolerance, c.modes, hit), c.found);
        if (!c.found) continue;
        EXPECT_NEAR(hit.at.x, c.at.x, 1e-9);
        EXPECT_NEAR(hit.at.y, c.at.y, 1e-9);
        EXPECT_EQ(hit.mode, c.mode);
    }
}

TEST(SnapModes, NamesRoundTrip) {
    using namespace qlhost;
    for (unsigned bit = 1; bit <= kSnapNearest; bit <<= 1) EXPECT_EQ(SnapModeByName(SnapModeName(bit)), bit);
    EXPECT_EQ(SnapModeByName("center"), kSnapCentre);
    EXPECT_EQ(SnapModeByName("corner"), 0u);
}

TEST(PointInput, AbsoluteRelativeAndPolar) {
    struct Case {
        const char* text;
        bool haveLast;
        bool ok;
        Pt point;
        bool hasZ;
    };
    const Pt last{10, 10};
    const std::vector<Case> cases = {
        {"3,4", false, true, {3, 4}, false},
        {" -1.5 , 2e1 ", false, true, {-1.5, 20}, false},
        {"3,4,5", false, true, {3, 4}, true},
        {"@2,-1", true, true, {12, 9}, false},
        {"@ 2 , 3", true, true, {12, 13}, false},
        {"@5<90", true, true, {10, 15}, false},
        {"@4<180", true, true, {6, 10}, false},
        {"@2<-45", true, true, {10 + std::sqrt(2.0), 10 - std::sqrt(2.0)}, false},
        {"@2,1", false, false, {}, false},       // relative without a last point
        {"5<30", true, false, {}, false},        // polar is relative
        {"7", true, false, {}, false},
        {"a,b", true, false, {}, false},
        {"1,2,3,4", true, false, {}, false},
        {"@3<x", true, false, {}, false},
        {"@", true, false, {}, false},
        {"1,,2", true, false, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Pt point;
        double z = -1;
        bool hasZ = false;
        ASSERT_EQ(qlhost::ParsePointInput(c.text, c.haveLast, last, point, z, hasZ), c.ok);
        if (!c.ok) continue;
        EXPECT_NEAR(point.x, c.point.x, 1e-12);
        EXPECT_NEAR(point.y, c.point.y, 1e-12);
        EXPECT_EQ(hasZ, c.hasZ);
        EXPECT_EQ(z, c.hasZ ? 5 : 0);
    }
}

}  // namespace
