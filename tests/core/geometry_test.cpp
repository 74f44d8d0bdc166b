// Entity end points and the even-odd point in polygon test.
#include "core/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/records.h"

namespace {

bool Inside(const std::vector<double>& points, double x, double y) {
    RecordBuffer polygon = BuildPolygon(points.data(), points.size() / 2);
    const double p[2] = {x, y};
    bool viaData = PointInPolygon(polygon.data() + kPolyCount, p);
    EXPECT_EQ(viaData, PointInPolygonRecord(polygon.data(), p));
    return viaData;
}

}  // namespace

TEST(PointInPolygon, SquareInsideAndOutside) {
    std::vector<double> square = {0, 0, 10, 0, 10, 10, 0, 10};
    EXPECT_TRUE(Inside(square, 5, 5));
    EXPECT_FALSE(Inside(square, 15, 5));
    EXPECT_FALSE(Inside(square, -1, 5));
    EXPECT_FALSE(Inside(square, 5, 11));
    EXPECT_FALSE(Inside(square, 5, -1));
}

TEST(PointInPolygon, VerticalEdgesNeverFlip) {
    // The point lies on the vertical line of the left and right edges.
    std::vector<double> square = {0, 0, 10, 0, 10, 10, 0, 10};
    EXPECT_FALSE(Inside(square, 0, 20));
    EXPECT_FALSE(Inside(square, 10, -5));
    // A closed box record (last vertex repeats the first) behaves the same.
    RecordBuffer box = BuildBox(0, 0, 10, 10);
    const double in[2] = {3, 3}, out[2] = {0, 20};
    EXPECT_TRUE(PointInPolygonRecord(box.data(), in));
    EXPECT_FALSE(PointInPolygonRecord(box.data(), out));
}

TEST(PointInPolygon, VertexStraightAboveIsCountedOnce) {
    // A diamond: the top vertex (5, 10) lies straight above the point.
    std::vector<double> diamond = {5, 0, 10, 5, 5, 10, 0, 5};
    EXPECT_TRUE(Inside(diamond, 5, 5));
    EXPECT_TRUE(Inside(diamond, 5, 1));
    EXPECT_FALSE(Inside(diamond, 5, -1));
    // The outline passes downwards through a notch vertex straight above the point.
    std::vector<double> notch = {0, 0, 10, 0, 10, 10, 5, 4, 0, 10};
    EXPECT_TRUE(Inside(notch, 5, 2));
    EXPECT_FALSE(Inside(notch, 5, 6));
    // A tip that only touches the point's vertical: counted twice (pointing left) or never
    // (pointing right), so the point stays outside.
    std::vector<double> leftTip = {5, 10, 10, 0, 10, 20};
    EXPECT_FALSE(Inside(leftTip, 5, 0));
    EXPECT_TRUE(Inside(leftTip, 8, 10));
    std::vector<double> rightTip = {5, 10, 0, 0, 0, 20};
    EXPECT_FALSE(Inside(rightTip, 5, 0));
    EXPECT_TRUE(Inside(rightTip, 2, 10));
}

TEST(PointInPolygon, ConcavePolygon) {
    // A U shape open at the top between x 3 and 7.
    std::vector<double> u = {0, 0, 10, 0, 10, 10, 7, 10, 7, 3, 3, 3, 3, 10, 0, 10};
    EXPECT_TRUE(Inside(u, 1, 5));
    EXPECT_TRUE(Inside(u, 9, 8));
    EXPECT_TRUE(Inside(u, 5, 1));
    EXPECT_FALSE(Inside(u, 5, 5));
    EXPECT_FALSE(Inside(u, 5, 12));
    // The point's vertical passes through the inner corners (x 3 and 7).
    EXPECT_TRUE(Inside(u, 3, 2));
    EXPECT_TRUE(Inside(u, 7, 1));
}

TEST(PointInPolygon, DegenerateVertexLists) {
    EXPECT_FALSE(Inside({}, 0, 0));
    EXPECT_FALSE(Inside({1, 1}, 1, 0));
    // A record claiming more vertices than it holds is read only within its length.
    RecordBuffer polygon = BuildPolygon(std::vector<double>{0, 0, 10, 0, 10, 10, 0, 10}.data(), 4);
    PutU16(polygon.data(), kPolyCount, 400);
    const double p[2] = {5, 5};
    EXPECT_TRUE(PointInPolygonRecord(polygon.data(), p));
}

TEST(EntityEnds, LinePathArc) {
    double s[2], e[2];
    const double a[2] = {1, 2}, b[2] = {5, 6};
    RecordBuffer line = BuildLine(a, b);
    ASSERT_TRUE(EntityEnds(line.data(), s, e));
    EXPECT_EQ(s[0], 1);
    EXPECT_EQ(e[1], 6);

    std::vector<double> pts = {0, 0, 4, 0, 4, 4, 8, 9};
    RecordBuffer path = BuildPath(pts.data(), 4);
    ASSERT_TRUE(EntityEnds(path.data(), s, e));
    EXPECT_EQ(s[0], 0);
    EXPECT_EQ(s[1], 0);
    EXPECT_EQ(e[0], 8);
    EXPECT_EQ(e[1], 9);

    const double c[2] = {10, 10};
    RecordBuffer arc = BuildArc(c, 2, 0, M_PI / 2);
    ASSERT_TRUE(EntityEnds(arc.data(), s, e));
    EXPECT_NEAR(s[0], 12, 1e-12);
    EXPECT_NEAR(s[1], 10, 1e-12);
    EXPECT_NEAR(e[0], 10, 1e-12);
    EXPECT_NEAR(e[1], 12, 1e-12);
}

TEST(EntityEnds, OtherTypesAndBrokenPathsGiveNothing) {
    double s[2] = {-1, -1}, e[2] = {-1, -1};
    const double c[2] = {0, 0};
    EXPECT_FALSE(EntityEnds(BuildCircle(c, 1).data(), s, e));
    EXPECT_FALSE(EntityEnds(BuildTextAt(0, 0, 1, 0, 0, 0, "T").data(), s, e));
    EXPECT_FALSE(EntityEnds(BuildBox(0, 0, 1, 1).data(), s, e));
    EXPECT_FALSE(EntityEnds(BuildPath(c, 0).data(), s, e));
    RecordBuffer path = BuildPath(c, 1);
    PutU16(path.data(), kPolyCount, 9);
    EXPECT_FALSE(EntityEnds(path.data(), s, e));
    EXPECT_EQ(s[0], -1);
}

TEST(Geometry, Distance3) {
    const double a[3] = {1, 2, 3}, b[3] = {4, 6, 15};
    EXPECT_DOUBLE_EQ(Distance3(a, b), 13.0);
}
