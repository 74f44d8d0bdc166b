// The crossing rule: each passage of the boundary through a hatch line counts once, a touch
// counts twice or not at all, and coincident crossings of different entities all count.
#include "hatch/engine/crossings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "core/records.h"

namespace {

constexpr double kPi = std::numbers::pi;

std::vector<double> Cross(const std::vector<const RecordBuffer*>& records, double at,
                          bool vertical = true) {
    std::vector<BorderPiece> pieces;
    for (const RecordBuffer* record : records)
        EXPECT_TRUE(AppendEntityPieces(record->data(), vertical, pieces));
    std::vector<double> found;
    for (const BorderPiece& piece : pieces) {
        if (PieceCrosses(piece, at)) found.push_back(PieceCrossing(piece, at));
    }
    SortCrossings(found);
    return found;
}

RecordBuffer Polygon(std::vector<double> points) {
    return BuildPolygon(points.data(), points.size() / 2);
}

TEST(Crossings, LineThroughAPolygonCornerCountsOnce) {
    // A square standing on its corner, crossed through its top and bottom corners, running
    // either way round; and a triangle crossed through its apex.
    for (bool reversed : {false, true}) {
        std::vector<double> pts = {0, -2, 2, 0, 0, 2, -2, 0};
        if (reversed) pts = {-2, 0, 0, 2, 2, 0, 0, -2};
        RecordBuffer diamond = Polygon(pts);
        std::vector<double> found = Cross({&diamond}, 0);
        ASSERT_EQ(found.size(), 2u) << reversed;
        EXPECT_EQ(found[0], -2);
        EXPECT_EQ(found[1], 2);
    }
    RecordBuffer triangle = Polygon({-1, -2, 0, 0, 1, -2});
    std::vector<double> found = Cross({&triangle}, 0);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], -2);
    EXPECT_EQ(found[1], 0);
}

TEST(Crossings, TouchingCornerCountsTwiceOrNotAtAll) {
    RecordBuffer right = Polygon({-2, -1, 0, 0, -2, 1});  // peak touching x = 0 from the left
    EXPECT_TRUE(Cross({&right}, 0).empty());
    RecordBuffer left = Polygon({2, -1, 0, 0, 2, 1});  // valley touching x = 0 from the right
    std::vector<double> found = Cross({&left}, 0);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], found[1]);
}

TEST(Crossings, CornerJoiningTwoSeparateLinesCountsOnce) {
    const double a[2] = {-1, -1}, corner[2] = {0, 0}, b[2] = {1, 3};
    RecordBuffer first = BuildLine(a, corner);
    RecordBuffer second = BuildLine(b, corner);
    std::vector<double> found = Cross({&first, &second}, 0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], 0);
}

TEST(Crossings, CornerJoiningAnArcAndALineCountsOnce) {
    // Arc leaving the corner (0, 0) to the right, line leaving it to the left; and mirrored.
    const double right[2] = {1, 0}, left[2] = {-1, 0}, corner[2] = {0, 0};
    const double upLeft[2] = {-1, 1}, upRight[2] = {1, 1};
    RecordBuffer arc = BuildArc(right, 1, kPi, kPi / 2);
    RecordBuffer line = BuildLine(corner, upLeft);
    std::vector<double> found = Cross({&arc, &line}, 0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], 0);
    RecordBuffer mirroredArc = BuildArc(left, 1, -kPi / 2, kPi / 2);
    RecordBuffer mirroredLine = BuildLine(corner, upRight);
    EXPECT_EQ(Cross({&mirroredArc, &mirroredLine}, 0).size(), 1u);
}

TEST(Crossings, SharedWallOfTwoBoxesCountsForEach) {
    // Two rooms drawn as separate boxes sharing the wall from (1, 0) to (1, 1), seen in a
    // 45-degree hatch space: the shared wall is crossed by both boxes at the same point.
    auto turned = [](double x, double y) {
        const double c = std::cos(kPi / 4), s = std::sin(kPi / 4);
        return std::vector<double>{c * x - s * y, s * x + c * y};
    };
    auto box = [&](double x1, double x2) {
        std::vector<double> pts;
        for (auto [x, y] : {std::pair{x1, 0.0}, {x2, 0.0}, {x2, 1.0}, {x1, 1.0}, {x1, 0.0}}) {
            auto p = turned(x, y);
            pts.insert(pts.end(), p.begin(), p.end());
        }
        return Polygon(pts);
    };
    RecordBuffer left = box(0, 1), right = box(1, 2);
    const double at = turned(1, 0.5)[0] - 0.1;
    std::vector<double> found = Cross({&left, &right}, at);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[1], found[2]);
}

TEST(Crossings, VerticalAndZeroLengthSegmentsNeverCount) {
    RecordBuffer box = BuildBox(0, 0, 2, 1);  // closing vertex repeats the first
    EXPECT_EQ(Cross({&box}, 0).size(), 2u);
    EXPECT_EQ(Cross({&box}, 1).size(), 2u);
    EXPECT_TRUE(Cross({&box}, 2).empty());
    const double p[2] = {0.5, 0}, q[2] = {0.5, 3};
    RecordBuffer vertical = BuildLine(p, q);
    EXPECT_TRUE(Cross({&vertical}, 0.5).empty());
}

TEST(Crossings, BoundaryRunningAlongTheLineCountsOnce) {
    RecordBuffer shape = Polygon({-1, 0, 0, 0, 0, 2, 1, 2, 1, 3, -1, 3});
    EXPECT_EQ(Cross({&shape}, 0).size(), 2u);
}

TEST(Crossings, CirclesAndArcs) {
    const double c[2] = {1, 2};
    RecordBuffer circle = BuildCircle(c, 1);
    std::vector<double> found = Cross({&circle}, 1.5);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_NEAR(found[0], 2 - std::sqrt(0.75), 1e-12);
    EXPECT_NEAR(found[1], 2 + std::sqrt(0.75), 1e-12);
    EXPECT_TRUE(Cross({&circle}, 2).empty());   // touched on the right: not at all
    EXPECT_EQ(Cross({&circle}, 0).size(), 2u);  // touched on the left: twice
    EXPECT_TRUE(Cross({&circle}, 2.5).empty());

    // Upper half from 0 to pi, clockwise the other way round: one crossing each.
    RecordBuffer upper = BuildArc(c, 1, 0, kPi);
    RecordBuffer lower = BuildArc(c, 1, 0, -kPi);
    found = Cross({&upper}, 0.5);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_GT(found[0], 2);
    found = Cross({&lower}, 0.5);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_LT(found[0], 2);
    // An arc over the leftmost point (angles 3 pi / 4 to 5 pi / 4) crossed twice.
    RecordBuffer left = BuildArc(c, 1, 0.75 * kPi, 0.5 * kPi);
    EXPECT_EQ(Cross({&left}, 0.2).size(), 2u);
    EXPECT_TRUE(Cross({&left}, 0.5).empty());
}

TEST(Crossings, HorizontalLinesSwapTheAxes) {
    RecordBuffer box = BuildBox(0, 0, 2, 1);
    std::vector<double> found = Cross({&box}, 0.5, false);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], 0);
    EXPECT_EQ(found[1], 2);
    const double c[2] = {0, 0};
    RecordBuffer quarter = BuildArc(c, 1, 0, kPi / 2);  // first quadrant
    found = Cross({&quarter}, 0.5, false);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NEAR(found[0], std::sqrt(0.75), 1e-12);
    EXPECT_TRUE(Cross({&quarter}, -0.5, false).empty());
}

TEST(Crossings, OtherTypesAndShortRecordsAreLeftToTheCaller) {
    std::vector<BorderPiece> pieces;
    RecordBuffer group = BuildGroup();
    EXPECT_FALSE(AppendEntityPieces(group.data(), true, pieces));
    // A polygon claiming more vertices than its record holds is read only as far as it goes.
    RecordBuffer box = BuildBox(0, 0, 2, 1);
    PutU16(box.data(), kPolyCount, 60000);
    EXPECT_TRUE(AppendEntityPieces(box.data(), true, pieces));
    EXPECT_EQ(pieces.size(), 2u);  // bottom and top; the sides are parallel to the lines
}

TEST(Crossings, SweepMatchesDirectEvaluation) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-10, 10);
    std::vector<BorderPiece> pieces;
    for (int i = 0; i < 300; ++i) {
        double p[2] = {coordinate(random), coordinate(random)};
        double q[2] = {coordinate(random), coordinate(random)};
        AppendSegmentPieces(p, q, pieces);
        AppendArcPieces(p, std::fabs(q[0]) / 3 + 0.1, q[1], q[0], pieces);
    }
    CrossingSweep sweep(pieces);
    for (double at = -11; at <= 11; at += 0.37) {
        std::vector<double> swept, direct;
        sweep.Collect(at, swept);
        for (const BorderPiece& piece : pieces) {
            if (PieceCrosses(piece, at)) direct.push_back(PieceCrossing(piece, at));
        }
        SortCrossings(swept);
        SortCrossings(direct);
        ASSERT_EQ(swept, direct) << at;
    }
    std::vector<double> again;
    sweep.Collect(0, again);  // going back starts over
    EXPECT_FALSE(again.empty());
}

}  // namespace
