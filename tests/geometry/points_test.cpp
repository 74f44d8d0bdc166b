// Plain 2-D calls: IntL2, P2TL2, T2PL2, DistP2L, Angle, Dist2P, PConv2, ANorm, FDNSame2.
#include "tests/geometry/geometry_test_util.h"

using namespace geometry_test;

TEST(GeometryPoints, IntL2MeetsOnTheInfiniteLines) {
    const double s1[4] = {0, 0, 1, 1}, s2[4] = {10, 0, 11, -1};
    double p[2];
    ASSERT_TRUE(IntL2(s1, s2, p));
    EXPECT_NEAR(p[0], 5, 1e-12);
    EXPECT_NEAR(p[1], 5, 1e-12);
}

TEST(GeometryPoints, IntL2ParallelAndDegenerateGiveNothing) {
    const double s1[4] = {0, 0, 10, 1}, s2[4] = {0, 5, 20, 7}, same[4] = {0, 0, 20, 2};
    const double point[4] = {3, 3, 3, 3};
    double p[2] = {-7, -7};
    EXPECT_FALSE(IntL2(s1, s2, p));
    EXPECT_FALSE(IntL2(s1, same, p));
    EXPECT_FALSE(IntL2(s1, point, p));
    EXPECT_EQ(p[0], -7);
}

TEST(GeometryPoints, SegmentParametersRoundTrip) {
    const double seg[4] = {2, 1, 6, 9};
    for (double t : {-0.5, 0.0, 0.3, 1.0, 2.0}) {
        double p[2], back;
        T2PL2(seg, t, p);
        ASSERT_TRUE(P2TL2(seg, p, &back));
        EXPECT_NEAR(back, t, 1e-12);
    }
    const double zero[4] = {1, 1, 1, 1};
    double t;
    EXPECT_FALSE(P2TL2(zero, seg, &t));
}

TEST(GeometryPoints, DistP2LIsPositiveOnTheLeft) {
    const double a[2] = {0, 0}, b[2] = {10, 0};
    const double up[2] = {5, 3}, down[2] = {5, -2}, on[2] = {20, 0};
    EXPECT_NEAR(DistP2L(up, a, b), 3, 1e-12);
    EXPECT_NEAR(DistP2L(down, a, b), -2, 1e-12);
    EXPECT_EQ(DistP2L(on, a, b), 0);
    EXPECT_NEAR(DistP2L(up, b, a), -3, 1e-12);
}

TEST(GeometryPoints, AnglesDistancesAndPolarPoints) {
    const double o[2] = {1, 1}, p[2] = {4, 5}, below[2] = {1, 0};
    EXPECT_NEAR(Dist2P(o, p), 5, 1e-12);
    EXPECT_NEAR(Angle(o, p), std::atan2(4, 3), 1e-12);
    EXPECT_NEAR(Angle(o, below), 1.5 * kPi, 1e-12);
    double q[2];
    PConv2(o, 5, Angle(o, p), q);
    EXPECT_NEAR(q[0], 4, 1e-12);
    EXPECT_NEAR(q[1], 5, 1e-12);
}

TEST(GeometryPoints, ANormFoldsIntoOneTurn) {
    EXPECT_NEAR(ANorm(-kPi / 2), 1.5 * kPi, 1e-12);
    EXPECT_NEAR(ANorm(5 * kPi), kPi, 1e-9);
    EXPECT_EQ(ANorm(0), 0);
    EXPECT_LT(ANorm(2 * kPi), 2 * kPi);
    EXPECT_LT(ANorm(-1e-18), 2 * kPi);
    EXPECT_EQ(ANorm(NAN), 0);
}

TEST(GeometryPoints, FDNSame2UsesTheNamedTolerance) {
    const double a[2] = {1, 2}, near[2] = {1 + qlhost::kSamePointTolerance / 2, 2};
    const double far[2] = {1 + qlhost::kSamePointTolerance * 4, 2};
    EXPECT_TRUE(FDNSame2(a, near));
    EXPECT_FALSE(FDNSame2(a, far));
}
