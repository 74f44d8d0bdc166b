// ETran: every kind, inverse round trips, layout changes, texts, groups, symbols, dimensions.
#include "tests/geometry/geometry_test_util.h"

using namespace geometry_test;
namespace lay = qlhost::layout;

namespace {

class Transforms : public GeometryTest {};

qlhost::Matrix Skewed() {
    qlhost::Matrix m = qlhost::Matrix::Identity();
    m.m[0] = 1.5, m.m[1] = 0.4, m.m[3] = 7;
    m.m[4] = -0.3, m.m[5] = 0.8, m.m[7] = -2;
    return m;
}

void ExpectSameShape(Record& a, Record& b, double tol) {
    for (int k = 0; k <= 20; ++k) {
        Pt p = PointAt(a, k / 20.0);
        EXPECT_LT(DistanceTo(b.data(), p), tol) << "t " << k / 20.0;
    }
}

}  // namespace

TEST_F(Transforms, MatrixThenInverseGivesEveryKindBack) {
    const std::pair<qlhost::Matrix, bool> matrices[] = {
        {qlhost::Then(qlhost::Matrix::Rotation(0.8), qlhost::Matrix::Translation(3, -4)), true},
        {qlhost::Then(qlhost::Matrix::Scaling(-1, 1), qlhost::Matrix::Rotation(0.3)), true},
        {qlhost::Matrix::Scaling(2.5, 2.5), true},
        {Skewed(), false},
    };
    for (const auto& [m, similar] : matrices) {
        qlhost::Matrix inv;
        ASSERT_TRUE(m.Inverse(inv));
        double fwd[16], back[16];
        HostMatrixOf(m, fwd);
        HostMatrixOf(inv, back);
        for (Sample& s : CurveSamples()) {
            // Outside a list a circle or arc cannot become an ellipse form.
            if (!similar && (s.name == "circle" || s.name == "arc")) continue;
            SCOPED_TRACE(s.name);
            Record copy = s.rec;
            EntRec* r = ETran(copy.data(), fwd);
            ASSERT_EQ(r, copy.data());
            ETran(r, back);
            ExpectSameShape(s.rec, copy, 1e-9);
            ExpectSameShape(copy, s.rec, 1e-9);
        }
    }
}

TEST_F(Transforms, SimilaritiesKeepCirclesAndArcs) {
    double m[16];
    HostMatrixOf(qlhost::Then(qlhost::Matrix::Scaling(-2, 2), qlhost::Matrix::Translation(1, 1)), m);
    Record arc = qlhost::MakeArc(0, 0, 1, 0, kPi / 2);  // (1,0) round to (0,1)
    ETran(arc.data(), m);
    EXPECT_EQ(lay::TypeOf(arc.data()), 7);
    EXPECT_NEAR(D(arc.data(), 48), 2, 1e-12);
    EXPECT_GT(D(arc.data(), 64), 0);
    // Mirrored: the sweep stays positive and the ends swap.
    Pt start = PointAt(arc, 0), end = PointAt(arc, 1);
    EXPECT_NEAR(start.x, 1, 1e-12);
    EXPECT_NEAR(start.y, 3, 1e-12);
    EXPECT_NEAR(end.x, -1, 1e-12);
    EXPECT_NEAR(end.y, 1, 1e-12);
}

TEST_F(Transforms, StoredCircleUnderNonUniformScaleBecomesAnEllipse) {
    EntRec* c = AddEntity(work, qlhost::MakeCircle(1, 2, 3).data());
    double m[16];
    HostMatrixOf(qlhost::Matrix::Scaling(2, 1), m);
    EntRec* e = ETran(c, m);
    ASSERT_NE(qlhost::NodeOf(e), nullptr);
    EXPECT_EQ(lay::TypeOf(e), 8);
    EXPECT_EQ(lay::LengthOf(e), 72u);
    ExtentRec x{};
    EXCheck(e, &x);
    EXPECT_NEAR(x.min[0], -4, 1e-9);
    EXPECT_NEAR(x.max[0], 8, 1e-9);
    EXPECT_NEAR(x.max[1], 5, 1e-9);
    EXPECT_TRUE(qlhost::ValidateDrawing(qlhost::TheDrawing()).empty());
}

TEST_F(Transforms, CircleOutsideAListKeepsItsLayout) {
    Record c = qlhost::MakeCircle(0, 0, 1);
    double m[16];
    HostMatrixOf(qlhost::Matrix::Scaling(4, 1), m);
    EXPECT_EQ(ETran(c.data(), m), c.data());
    EXPECT_EQ(lay::TypeOf(c.data()), 6);
    EXPECT_NEAR(D(c.data(), 48), 2, 1e-12);  // radius times the root of the determinant
}

TEST_F(Transforms, TextsTurnAndScaleAlongAndAcross) {
    Record t = qlhost::MakeText(1, 0, 2, 0, 0, 1, "Hi");
    double m[16];
    HostMatrixOf(qlhost::Then(qlhost::Matrix::Scaling(3, 1.5), qlhost::Matrix::Rotation(kPi / 2)), m);
    ETran(t.data(), m);
    EXPECT_NEAR(D(t.data(), 32), 0, 1e-12);
    EXPECT_NEAR(D(t.data(), 40), 3, 1e-12);
    EXPECT_NEAR(F(t.data(), 91), kPi / 2, 1e-6);
    EXPECT_NEAR(F(t.data(), 83), 3, 1e-6);   // height by the scale across the text
    EXPECT_NEAR(F(t.data(), 87), 2, 1e-6);   // width factor by along / across
    EXPECT_STREQ(reinterpret_cast<const char*>(t.data() + 104), "Hi");
}

TEST_F(Transforms, CurrentMatrixIsUsedWithoutOne) {
    Record line = qlhost::MakeLine(0, 0, 1, 0);
    CTMI2();
    CTMT2(5, 5);
    ETran(line.data(), nullptr);
    EXPECT_EQ(D(line.data(), 32), 5);
    EXPECT_EQ(D(line.data(), 48), 6);
}

TEST_F(Transforms, StoredGroupsTransformTheirMembers) {
    EntRec* g = AddEntity(work, qlhost::MakeGroup().data());
    DList* members = OpenSubList(work, g);
    EntRec* line = AddEntity(members, qlhost::MakeLine(0, 0, 1, 0).data());
    EntRec* inner = AddEntity(members, qlhost::MakeGroup().data());
    EntRec* deep = AddEntity(OpenSubList(members, inner), qlhost::MakePoint(2, 2).data());
    double m[16];
    HostMatrixOf(qlhost::Matrix::Translation(10, 0), m);
    EXPECT_EQ(ETran(g, m), g);
    EXPECT_EQ(D(line, 32), 10);
    EXPECT_EQ(D(deep, 32), 12);
}

TEST_F(Transforms, SymbolReferencesComposeAndKeepTheirMembers) {
    uint32_t def = qlhost::RegisterSymbolDefinition(2, 0, "Pin");
    EntRec* ref = AddEntity(work, qlhost::MakeSymbolRef(def, 5, 5, 0, 1, "Pin").data());
    EntRec* member = AddEntity(OpenSubList(work, ref), qlhost::MakeLine(2, 0, 3, 0).data());
    qlhost::Matrix before = qlhost::SymbolToWorld(ref);
    qlhost::Matrix m = qlhost::Then(qlhost::Matrix::Rotation(kPi / 2), qlhost::Matrix::Scaling(2, 2));
    double hm[16];
    HostMatrixOf(m, hm);
    ETran(ref, hm);
    EXPECT_EQ(D(member, 32), 2);
    qlhost::Matrix after = qlhost::SymbolToWorld(ref);
    for (Pt p : {Pt{2, 0}, Pt{3, 0}, Pt{-1, 4}}) {
        Pt expect = m.Apply(before.Apply(p)), got = after.Apply(p);
        EXPECT_NEAR(got.x, expect.x, 1e-12);
        EXPECT_NEAR(got.y, expect.y, 1e-12);
    }
    qlhost::ClearSymbolDefinitions();
}

TEST_F(Transforms, ArcDimensionsMoveTheirGeometry) {
    Record dim = qlhost::MakeArcDimension(nullptr, {1, 1}, 2, 0.5, 1, 3, 4, {2, 5});
    double m[16];
    HostMatrixOf(qlhost::Then(qlhost::Matrix::Rotation(kPi / 2), qlhost::Matrix::Scaling(2, 2)), m);
    ETran(dim.data(), m);
    EXPECT_NEAR(D(dim.data(), 148), -2, 1e-12);
    EXPECT_NEAR(D(dim.data(), 156), 2, 1e-12);
    EXPECT_NEAR(D(dim.data(), 164), 4, 1e-12);
    EXPECT_NEAR(D(dim.data(), 172), 0.5 + kPi / 2, 1e-12);
    EXPECT_NEAR(D(dim.data(), 180), 1, 1e-12);
    EXPECT_NEAR(D(dim.data(), 188), 6, 1e-12);
    EXPECT_NEAR(D(dim.data(), 204), -10, 1e-12);
    EXPECT_NEAR(D(dim.data(), 212), 4, 1e-12);
}

TEST_F(Transforms, TruncatedRecordsAreLeftAlone) {
    Record line = qlhost::MakeLine(1, 2, 3, 4);
    qlhost::layout::Put<uint32_t>(line.data(), line.size(), 0, 40);
    double m[16];
    HostMatrixOf(qlhost::Matrix::Translation(1, 1), m);
    ETran(line.data(), m);
    EXPECT_EQ(D(line.data(), 32), 1);
    qlhost::layout::Put<uint32_t>(line.data(), line.size(), 0, 64);
    EXPECT_EQ(D(line.data(), 48), 3);
}

TEST_F(Transforms, StoredArcUnderSkewBecomesAnEllipticalArcOnTheMappedCurve) {
    Record source = qlhost::MakeArc(1, 1, 2, 0.4, 2.0);
    EntRec* arc = AddEntity(work, source.data());
    qlhost::Matrix m = Skewed();
    double hm[16];
    HostMatrixOf(m, hm);
    EntRec* e = ETran(arc, hm);
    EXPECT_EQ(lay::TypeOf(e), 9);
    for (int k = 0; k <= 10; ++k) EXPECT_LT(DistanceTo(e, m.Apply(PointAt(source, k / 10.0))), 1e-9);
    Record result(e, e + lay::LengthOf(e));
    Pt start = PointAt(result, 0), end = PointAt(result, 1);
    Pt mappedStart = m.Apply(PointAt(source, 0)), mappedEnd = m.Apply(PointAt(source, 1));
    EXPECT_LT(std::min(Norm(start - mappedStart), Norm(start - mappedEnd)), 1e-9);
    EXPECT_LT(std::min(Norm(end - mappedStart), Norm(end - mappedEnd)), 1e-9);
}

TEST_F(Transforms, OtherKindsComeBackUnderTheInverse) {
    qlhost::TextStyle style;
    style.height = 3;
    style.angle = 0.4;
    double m12[12] = {1, 0, 0, 2, 0, 1, 0, 3, 0, 0, 1, 0};
    std::vector<Record> records = {
        qlhost::MakePoint(3, 4),
        qlhost::MakeText(1, 2, style, "Text"),
        qlhost::MakeTextBearing(1, 2, style, "Tag"),
        qlhost::MakeAttribute(4, 5, style, std::string("V1"), "TAG"),
        qlhost::MakeSymbolRef(0, m12, "S"),
        qlhost::MakeWall(0, 0, 10, 0, 0.5),
        qlhost::MakeArcDimension(nullptr, {1, 1}, 3, 0.2, 1.1, 2, 2, {4, 4}),
    };
    qlhost::Matrix m = qlhost::Then(qlhost::Matrix::Scaling(-2, 2), qlhost::Matrix::Rotation(0.7)), inv;
    ASSERT_TRUE(m.Inverse(inv));
    double fwd[16], back[16];
    HostMatrixOf(m, fwd);
    HostMatrixOf(inv, back);
    for (Record& r : records) {
        SCOPED_TRACE(lay::TypeOf(r.data()));
        ExtentRec before{}, after{}, moved{};
        EXCheck(r.data(), &before);
        ETran(r.data(), fwd);
        EXCheck(r.data(), &moved);
        ETran(r.data(), back);
        EXCheck(r.data(), &after);
        ASSERT_TRUE(before.valid);
        for (int i = 0; i < 2; ++i) {
            EXPECT_NEAR(after.min[i], before.min[i], 1e-5);
            EXPECT_NEAR(after.max[i], before.max[i], 1e-5);
        }
    }
}
