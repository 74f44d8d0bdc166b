// The smart hatch's blocking tests: segment and arc meetings, the horizontal test with the
// crossing rule of the scan lines, and the band index giving the same answers as a walk of
// the whole border.
#include <cmath>
#include <random>

#include "hatch/engine/blocking.h"
#include "hatch_test_util.h"

namespace {

using hatchtest::HatchHostTest;

constexpr double kPi = 3.141592653589793;

TEST(SmartBlockingTest, SegmentsMeetAtPointsWithinBothEndsIncluded) {
    const double p[2] = {0, -1}, q[2] = {0, 1};
    const double a[2] = {-1, 0}, b[2] = {1, 0};
    EXPECT_TRUE(SegmentMeets(p, q, a, b));
    const double touch[2] = {0, 0.5};
    EXPECT_TRUE(SegmentMeets(p, q, a, touch)) << "the connector ends on the wall";
    const double end[2] = {0, 1};
    const double far[2] = {2, 1};
    EXPECT_TRUE(SegmentMeets(p, q, end, far)) << "the wall ends on the connector";
    const double short1[2] = {-1, 0}, short2[2] = {-0.1, 0};
    EXPECT_FALSE(SegmentMeets(p, q, short1, short2));
    const double along1[2] = {0, -0.5}, along2[2] = {0, 0.5};
    EXPECT_FALSE(SegmentMeets(p, q, along1, along2)) << "parallel lines never meet";
}

TEST(SmartBlockingTest, ArcsMeetConnectorsThatCrossThem) {
    const double c[2] = {0, 0};
    const double inside[2] = {0.2, 0.1}, outside[2] = {3, 0.5};
    // One crossing of a closed circle blocks: the connector leaves the area inside it.
    EXPECT_TRUE(ArcMeets(c, 1, 0, 2 * kPi, true, inside, outside));
    const double t1[2] = {-2, 1}, t2[2] = {2, 1};
    EXPECT_FALSE(ArcMeets(c, 1, 0, 2 * kPi, true, t1, t2)) << "a touch is not a crossing";
    const double in2[2] = {-0.2, -0.3};
    EXPECT_FALSE(ArcMeets(c, 1, 0, 2 * kPi, true, inside, in2));
    // The upper half arc: the connector through the lower half misses it.
    const double l1[2] = {-2, -0.5}, l2[2] = {2, -0.5};
    EXPECT_FALSE(ArcMeets(c, 1, 0, kPi, false, l1, l2));
    const double u1[2] = {-2, 0.5}, u2[2] = {2, 0.5};
    EXPECT_TRUE(ArcMeets(c, 1, 0, kPi, false, u1, u2));
    EXPECT_TRUE(ArcMeets(c, 1, kPi, -kPi, false, u1, u2)) << "a negative sweep runs back";
}

class BorderBlocksTest : public HatchHostTest {
protected:
    DList* Border() {
        if (target_ == nullptr) target_ = CreateDList("~HatchBorder.cv7", 2);
        return target_;
    }
    void Put(const qlhost::Record& record) { AddEntity(Border(), record.data()); }
};

TEST_F(BorderBlocksTest, HorizontalTestCountsAWallOnceWherePiecesMeet) {
    // A wall of two segments meeting at y = 0 blocks the connector at y = 0; a V touching
    // from below does not, one touching from above does (twice).
    Put(qlhost::MakeLine(0.5, -5, 0.5, 0));
    Put(qlhost::MakeLine(0.5, 0, 0.5, 5));
    Put(qlhost::MakePath({{2.2, -1}, {2.5, 0}, {2.8, -1}}, false));
    Put(qlhost::MakePath({{4.2, 1}, {4.5, 0}, {4.8, 1}}, false));
    Put(qlhost::MakeLine(6, 0, 7, 0));
    BorderBlocks blocks(Border());
    EXPECT_TRUE(blocks.BlocksAcross(0, 0, 1));
    EXPECT_TRUE(blocks.BlocksAcross(0, 1, 0)) << "either direction";
    EXPECT_FALSE(blocks.BlocksAcross(0, 2, 3));
    EXPECT_TRUE(blocks.BlocksAcross(0, 4, 5));
    EXPECT_FALSE(blocks.BlocksAcross(0, 5.5, 7.5)) << "a wall along the connector";
    EXPECT_TRUE(blocks.BlocksAcross(0, 0.5, 1)) << "the connector ends on the wall";
    const double a[2] = {0, 0}, b[2] = {1, 0};
    EXPECT_TRUE(blocks.Blocks(a, b));
}

TEST_F(BorderBlocksTest, CircleAndArcAcrossTheConnector) {
    Put(qlhost::MakeCircle(0, 0, 1));
    Put(qlhost::MakeArc(5, 0, 1, 0, kPi));
    BorderBlocks blocks(Border());
    EXPECT_TRUE(blocks.BlocksAcross(0.5, 0, 2)) << "leaves the circle";
    EXPECT_FALSE(blocks.BlocksAcross(0.5, -0.5, 0.5));
    EXPECT_TRUE(blocks.BlocksAcross(0.5, 3, 7));
    EXPECT_FALSE(blocks.BlocksAcross(-0.5, 3, 7)) << "below the upper half arc";
    const double a[2] = {0.2, 0}, b[2] = {2, 0.3};
    EXPECT_TRUE(blocks.Blocks(a, b));
    const double c[2] = {3, -0.5}, d[2] = {7, -0.5};
    EXPECT_FALSE(blocks.Blocks(c, d));
}

// Entities the host intersects: a connector that only touches a closed ellipse passes it,
// one that crosses it is blocked; an open elliptical arc touched at its top blocks, except
// in the horizontal test, which skips entities whose extent only reaches the height.
TEST_F(BorderBlocksTest, HostClosedCurveTouchedOnceDoesNotBlock) {
    Put(qlhost::MakeEllipse(0, 0, 2, 0, 0.5));
    Put(qlhost::MakeEllipseArc(10, 0, 2, 0, 0.5, 0, kPi));
    BorderBlocks blocks(Border());
    const double t1[2] = {-3, 1}, t2[2] = {3, 1};
    EXPECT_FALSE(blocks.Blocks(t1, t2)) << "a touch of a closed curve";
    const double c1[2] = {-3, 0.5}, c2[2] = {0, 0.5};
    EXPECT_TRUE(blocks.Blocks(c1, c2)) << "one crossing into the ellipse";
    const double a1[2] = {7, 1}, a2[2] = {13, 1};
    EXPECT_TRUE(blocks.Blocks(a1, a2)) << "the rule is for closed curves only";
    const double across1[2] = {-3, 0.5}, across2[2] = {3, 0.5};
    EXPECT_TRUE(blocks.Blocks(across1, across2));
    // The horizontal test looks only at entities whose extent straddles the height.
    EXPECT_FALSE(blocks.BlocksAcross(1, -3, 3));
    EXPECT_FALSE(blocks.BlocksAcross(1, 7, 13)) << "at the top of the arc's extent";
    EXPECT_TRUE(blocks.BlocksAcross(0.5, 7, 13));
}

// Random walls, polygons, circles and arcs; connectors between neighbouring lines of a
// sweep give the same answers with the band selected as without.
TEST_F(BorderBlocksTest, BandsGiveTheAnswersOfTheWholeBorder) {
    std::mt19937 random(8);
    std::uniform_real_distribution<double> coordinate(0, 20), small(-2, 2), unit(0, 1);
    for (int i = 0; i < 150; ++i) {
        const double x = coordinate(random), y = coordinate(random);
        switch (i % 5) {
            case 0:
            case 1:
                Put(qlhost::MakeLine(x, y, x + small(random), y + small(random)));
                break;
            case 2:
                Put(qlhost::MakePath({{x, y}, {x + small(random), y}, {x, y + small(random)}},
                                     true));
                break;
            case 3:
                Put(qlhost::MakeCircle(x, y, 0.1 + unit(random)));
                break;
            default:
                Put(qlhost::MakeArc(x, y, 0.1 + unit(random), 2 * kPi * unit(random),
                                    kPi * small(random)));
                break;
        }
    }
    BorderBlocks banded(Border());
    BorderBlocks whole(Border());
    int blocked = 0, free = 0;
    for (double x = 0; x < 20; x += 0.3) {
        banded.SelectBand(x, x + 0.3);
        for (int k = 0; k < 60; ++k) {
            const double a[2] = {x, coordinate(random)};
            const double b[2] = {x + 0.3, k % 3 == 0 ? a[1] : coordinate(random)};
            const bool answer = whole.Blocks(a, b);
            ASSERT_EQ(banded.Blocks(a, b), answer) << x << " " << a[1] << " " << b[1];
            ASSERT_EQ(banded.BlocksAcross(a[1], a[0], b[0]), whole.BlocksAcross(a[1], a[0], b[0]));
            (answer ? blocked : free) += 1;
        }
    }
    EXPECT_GT(blocked, 100);
    EXPECT_GT(free, 100);
    // A band to the left of the last one starts over.
    banded.SelectBand(3, 3.3);
    const double a[2] = {3, 0}, b[2] = {3.3, 20};
    EXPECT_EQ(banded.Blocks(a, b), whole.Blocks(a, b));
}

}  // namespace
