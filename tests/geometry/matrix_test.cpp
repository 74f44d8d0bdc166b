// The current transformation matrix: composition order, stack, symbol matrices, points.
#include "tests/geometry/geometry_test_util.h"

using namespace geometry_test;

namespace {

Pt Through(double x, double y) {
    double p[2] = {x, y};
    TRNP2M(p);
    return {p[0], p[1]};
}

class Matrices : public GeometryTest {};

}  // namespace

TEST_F(Matrices, NewestOperationActsLastOnPoints) {
    CTMI2();
    CTMT2(10, 0);
    CTMR2(kPi / 2);
    // Translate first, then rotate: (1, 0) -> (11, 0) -> (0, 11).
    Pt p = Through(1, 0);
    EXPECT_NEAR(p.x, 0, 1e-12);
    EXPECT_NEAR(p.y, 11, 1e-12);

    CTMI2();
    CTMS2(2, 3);
    CTMT2(1, 1);
    p = Through(1, 1);
    EXPECT_NEAR(p.x, 3, 1e-12);
    EXPECT_NEAR(p.y, 4, 1e-12);
}

TEST_F(Matrices, StoredMatrixIsRowMajorWithPointsAsColumns) {
    CTMI2();
    CTMT3(5, 6, 7);
    double m[16];
    STCTM(m);
    EXPECT_EQ(m[3], 5);
    EXPECT_EQ(m[7], 6);
    EXPECT_EQ(m[11], 7);
    EXPECT_EQ(m[0], 1);
    EXPECT_EQ(m[15], 1);
}

TEST_F(Matrices, PushPopRestoresAndAnEmptyPopKeepsTheMatrix) {
    CTMI2();
    CTMT2(1, 2);
    CTMPSH();
    CTMS2(5, 5);
    CTMPOP();
    Pt p = Through(0, 0);
    EXPECT_EQ(p.x, 1);
    EXPECT_EQ(p.y, 2);
    CTMPOP();
    p = Through(0, 0);
    EXPECT_EQ(p.x, 1);
    EXPECT_EQ(p.y, 2);
}

TEST_F(Matrices, MultiplyComposesAfterTheCurrentOperations) {
    CTMI2();
    CTMT2(1, 0);
    double scale[16];
    HostMatrixOf(qlhost::Matrix::Scaling(2, 2), scale);
    CTMMUL2(scale);
    Pt p = Through(1, 0);
    EXPECT_NEAR(p.x, 4, 1e-12);
}

TEST_F(Matrices, SymbolMatrixAndBasePointAsTheTextCommandsComposeThem) {
    Record ref = qlhost::MakeSymbolRef(0, 100, 50, kPi / 2, 2, "S");
    CTMI2();
    double sym[12];
    for (int i = 0; i < 12; ++i) sym[i] = D(ref.data(), 36 + 8 * i);
    LDSymTM(sym);
    CTMT2(-3, -4);
    Pt p = Through(1, 0);
    EXPECT_NEAR(p.x, 100 - 3, 1e-12);
    EXPECT_NEAR(p.y, 50 + 2 - 4, 1e-12);
    EXPECT_EQ(D(ref.data(), 60), 100);
    EXPECT_EQ(D(ref.data(), 92), 50);
}

TEST_F(Matrices, TransformPointByAGivenMatrixOrTheCurrentOne) {
    CTMI2();
    CTMT2(1, 1);
    double m[16];
    HostMatrixOf(qlhost::Matrix::Rotation(kPi), m);
    double p[2] = {1, 0};
    TRNP2(p, m);
    EXPECT_NEAR(p[0], -1, 1e-12);
    EXPECT_NEAR(p[1], 0, 1e-12);
    TRNP2(p, nullptr);
    EXPECT_NEAR(p[0], 0, 1e-12);
    EXPECT_NEAR(p[1], 1, 1e-12);
}

TEST_F(Matrices, InverseUndoesAndSingularHasNone) {
    qlhost::Matrix m = qlhost::Then(qlhost::Then(qlhost::Matrix::Scaling(2, -3), qlhost::Matrix::Rotation(0.7)),
                                    qlhost::Matrix::Translation(4, 5));
    qlhost::Matrix inv;
    ASSERT_TRUE(m.Inverse(inv));
    Pt p = inv.Apply(m.Apply({1.5, -2.5}));
    EXPECT_NEAR(p.x, 1.5, 1e-12);
    EXPECT_NEAR(p.y, -2.5, 1e-12);
    EXPECT_FALSE(qlhost::Matrix::Scaling(0, 1, 1).Inverse(inv));
}
