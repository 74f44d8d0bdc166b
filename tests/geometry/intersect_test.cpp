// FindAllInts: every pair of curve kinds, known counts, tangents, duplicates, order.
#include "tests/geometry/geometry_test_util.h"

using namespace geometry_test;

namespace {

class Intersections : public GeometryTest {};

std::vector<Pt> Find(Record& a, Record& b) {
    double* pts = nullptr;
    int n = FindAllInts(a.data(), b.data(), &pts);
    std::vector<Pt> out;
    for (int i = 0; i < n; ++i) {
        out.push_back({pts[3 * i], pts[3 * i + 1]});
        EXPECT_EQ(pts[3 * i + 2], 0);
    }
    return out;
}

}  // namespace

TEST_F(Intersections, PointsLieOnBothEntitiesForEveryPair) {
    std::vector<Sample> samples = CurveSamples();
    int pairsWithPoints = 0;
    for (Sample& a : samples)
        for (Sample& b : samples) {
            if (&a == &b) continue;
            SCOPED_TRACE(a.name + " x " + b.name);
            std::vector<Pt> pts = Find(a.rec, b.rec);
            pairsWithPoints += !pts.empty();
            for (const Pt& p : pts) {
                EXPECT_LT(DistanceTo(a.rec.data(), p), 2e-4);
                EXPECT_LT(DistanceTo(b.rec.data(), p), 2e-4);
            }
            for (size_t i = 0; i < pts.size(); ++i)
                for (size_t j = i + 1; j < pts.size(); ++j) EXPECT_GT(Norm(pts[i] - pts[j]), 1e-9);
        }
    EXPECT_GT(pairsWithPoints, 200);
}

TEST_F(Intersections, KnownCountsAndPlaces) {
    Record circle = qlhost::MakeCircle(0, 0, 5);
    Record across = qlhost::MakeLine(-10, 3, 10, 3);
    std::vector<Pt> pts = Find(across, circle);
    ASSERT_EQ(pts.size(), 2u);
    for (const Pt& p : pts) EXPECT_NEAR(std::fabs(p.x), 4, 1e-12);

    Record tangent = qlhost::MakeLine(-10, 5, 10, 5);
    pts = Find(tangent, circle);
    ASSERT_EQ(pts.size(), 1u);
    EXPECT_NEAR(pts[0].x, 0, 1e-6);

    Record shortLine = qlhost::MakeLine(-1, 0, 1, 0);
    EXPECT_TRUE(Find(shortLine, circle).empty());

    Record other = qlhost::MakeCircle(8, 0, 5);
    pts = Find(circle, other);
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_NEAR(pts[0].x, 4, 1e-12);
    EXPECT_NEAR(std::fabs(pts[0].y), 3, 1e-12);

    Record ellipse = qlhost::MakeEllipse(0, 0, 6, 0, 0.5);
    Record vertical = qlhost::MakeLine(0, -10, 0, 10);
    pts = Find(vertical, ellipse);
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_NEAR(std::fabs(pts[0].y), 3, 1e-12);
}

TEST_F(Intersections, ArcsOnlyCountWithinTheirSweep) {
    Record arc = qlhost::MakeArc(0, 0, 5, 0, kPi);  // upper half
    Record across = qlhost::MakeLine(-10, -3, 10, -3);
    EXPECT_TRUE(Find(across, arc).empty());
    Record upper = qlhost::MakeLine(-10, 3, 10, 3);
    EXPECT_EQ(Find(upper, arc).size(), 2u);
}

TEST_F(Intersections, ACornerReportedByTwoEdgesCountsOnce) {
    Record box = qlhost::MakeBox(0, 0, 10, 10);
    Record diagonal = qlhost::MakeLine(-5, -5, 15, 15);
    std::vector<Pt> pts = Find(diagonal, box);
    ASSERT_EQ(pts.size(), 2u);
}

TEST_F(Intersections, CollinearOverlapGivesTheOverlapEnds) {
    Record a = qlhost::MakeLine(0, 0, 10, 0);
    Record b = qlhost::MakeLine(5, 0, 15, 0);
    std::vector<Pt> pts = Find(a, b);
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts[0].x, 5);
    EXPECT_EQ(pts[1].x, 10);
}

TEST_F(Intersections, PointsComeInOrderAlongTheSecondEntity) {
    Record trim = qlhost::MakeLine(-1, 0, 20, 0);
    Record zig = qlhost::MakePath({{18, 1}, {16, -1}, {4, 1}, {2, -1}}, false);
    std::vector<Pt> pts = Find(trim, zig);
    ASSERT_EQ(pts.size(), 3u);
    EXPECT_NEAR(pts[0].x, 17, 1e-12);
    EXPECT_NEAR(pts[1].x, 10, 1e-12);
    EXPECT_NEAR(pts[2].x, 3, 1e-12);
}

TEST_F(Intersections, OtherKindsHaveNoneAndTheBufferStaysValid) {
    Record text = qlhost::MakeText(0, 0, 2, 0, 0, 1, "abc");
    Record line = qlhost::MakeLine(-1, -1, 5, 5);
    double* pts = nullptr;
    EXPECT_EQ(FindAllInts(text.data(), line.data(), &pts), 0);
    EXPECT_NE(pts, nullptr);
    EXPECT_EQ(FindAllInts(nullptr, line.data(), &pts), 0);
}
