// ESplit and EExplode on stored entities.
#include "tests/geometry/geometry_test_util.h"

using namespace geometry_test;
namespace lay = qlhost::layout;

namespace {

class Splits : public GeometryTest {};

Pt Start(EntRec* e) {
    double t = 0, xy[2];
    EXPECT_TRUE(EGet(e, 0, &t, xy));
    return {xy[0], xy[1]};
}

Pt End(EntRec* e) {
    double t = 1, xy[2];
    EXPECT_TRUE(EGet(e, 0, &t, xy));
    return {xy[0], xy[1]};
}

void ExpectNear(Pt a, Pt b, double tol) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
}

std::vector<Record> parts;
int Collect(EntRec* part) {
    parts.emplace_back(part, part + lay::LengthOf(part));
    return 0;
}

}  // namespace

TEST_F(Splits, PiecesJoinBackIntoTheOriginal) {
    for (Sample& s : CurveSamples()) {
        bool closed = EInfo(s.rec.data(), 1) & 0x04;
        // Curves are measured along their flattened form; split points lie on the curve itself.
        bool curve = s.name.find("curve") != std::string::npos || s.name == "bezier";
        double tol = curve ? 2 * qlhost::kFlattenTolerance : 1e-6;
        for (double t : {0.2, 0.5, 0.9}) {
            SCOPED_TRACE(s.name + " at " + std::to_string(t));
            qlhost::TheDrawing().Reset();
            work = GetWorkDL();
            EntRec* e = AddEntity(work, s.rec.data());
            Pt split = PointAt(s.rec, t);
            double total = Length(e);
            EntRec *a = nullptr, *b = nullptr;
            ASSERT_TRUE(ESplit(e, t, &a, &b));
            ASSERT_NE(qlhost::NodeOf(a), nullptr);
            if (closed) {
                EXPECT_EQ(a, b);
                EXPECT_FALSE(EInfo(a, 1) & 0x04);
                EXPECT_NEAR(Length(a), total, 1e-6 * total);
                ExpectNear(Start(a), split, tol);
                ExpectNear(End(a), split, tol);
            } else {
                ASSERT_NE(a, b);
                EXPECT_NEAR(Length(a) + Length(b), total, 1e-6 * total);
                ExpectNear(Start(a), PointAt(s.rec, 0), 1e-9);
                ExpectNear(End(a), split, tol);
                ExpectNear(Start(b), split, tol);
                ExpectNear(End(a), Start(b), 1e-9);
                ExpectNear(End(b), PointAt(s.rec, 1), 1e-9);
                EXPECT_EQ(qlhost::NodeOf(a)->next, qlhost::NodeOf(b));
            }
            EXPECT_TRUE(qlhost::ValidateDrawing(qlhost::TheDrawing()).empty());
        }
    }
}

TEST_F(Splits, ParametersOutsideTheOpenIntervalDoNotSplit) {
    EntRec* e = AddEntity(work, qlhost::MakeLine(0, 0, 10, 0).data());
    EntRec *a = nullptr, *b = nullptr;
    for (double t : {0.0, 1.0, -0.5, 1.5, double(NAN)}) EXPECT_FALSE(ESplit(e, t, &a, &b)) << t;
    EXPECT_EQ(a, nullptr);
    Record loose = qlhost::MakeLine(0, 0, 10, 0);
    EXPECT_FALSE(ESplit(loose.data(), 0.5, &a, &b));
    EntRec* text = AddEntity(work, qlhost::MakeText(0, 0, 1, 0, 0, 1, "t").data());
    EXPECT_FALSE(ESplit(text, 0.5, &a, &b));
}

TEST_F(Splits, CircleOpensIntoAFullArcAtTheParameter) {
    EntRec* c = AddEntity(work, qlhost::MakeCircle(0, 0, 2).data());
    EntRec *a, *b;
    ASSERT_TRUE(ESplit(c, 0.25, &a, &b));
    EXPECT_EQ(a, b);
    EXPECT_EQ(lay::TypeOf(a), 7);
    EXPECT_NEAR(D(a, 56), kPi / 2, 1e-12);
    EXPECT_NEAR(D(a, 64), 2 * kPi, 1e-12);
    // A second split of the opened arc gives two arcs.
    EntRec *a2, *b2;
    ASSERT_TRUE(ESplit(a, 0.5, &a2, &b2));
    EXPECT_NE(a2, b2);
    EXPECT_NEAR(D(a2, 64) + D(b2, 64), 2 * kPi, 1e-12);
}

TEST_F(Splits, PieceKeepsAttributesAndSelection) {
    Record line = qlhost::MakeLine(0, 0, 10, 0);
    lay::Put<uint16_t>(line.data(), line.size(), 20, 7);
    EntRec* e = AddEntity(work, line.data());
    MarkEntity(work, e);
    EntRec *a, *b;
    ASSERT_TRUE(ESplit(e, 0.3, &a, &b));
    EXPECT_EQ(lay::Get<uint16_t>(b, 64, 20), 7);
    EXPECT_TRUE(IsMarked(work, b));
    EXPECT_TRUE(qlhost::ValidateDrawing(qlhost::TheDrawing()).empty());
}

TEST_F(Splits, SplittingInsideAGroupStaysInTheGroup) {
    EntRec* g = AddEntity(work, qlhost::MakeGroup().data());
    DList* members = OpenSubList(work, g);
    EntRec* e = AddEntity(members, qlhost::MakePath({{0, 0}, {5, 0}, {5, 5}}, false).data());
    EntRec *a, *b;
    ASSERT_TRUE(ESplit(e, 0.5, &a, &b));
    EXPECT_EQ(qlhost::NodeOf(b)->owner, static_cast<qlhost::HostList*>(members));
    ExpectNear(End(a), {5, 0}, 1e-12);
    EXPECT_EQ(lay::Get<uint16_t>(a, lay::LengthOf(a), 32), 2);
}

TEST_F(Splits, ExplodeAddsSimplePartsToTheWorkingList) {
    std::vector<Record> sources = {qlhost::MakeEllipse(0, 0, 5, 0, 0.5), qlhost::MakeEllipseArc(0, 0, 5, 0, 0.5, 0, 2),
                                   qlhost::MakeCurve(26, 1, {{0, 0}, {5, 5}, {10, 0}}),
                                   qlhost::MakeCurve(27, 0, {{0, 0}, {5, 5}, {10, 0}}),
                                   qlhost::MakeBezier({{0, 0}, {1, 3}, {4, 3}, {5, 0}})};
    const int expectedType[] = {4, 3, 3, 4, 3};
    for (size_t i = 0; i < sources.size(); ++i) {
        SCOPED_TRACE(i);
        parts.clear();
        ASSERT_TRUE(EExplode(sources[i].data(), Collect));
        ASSERT_EQ(parts.size(), 1u);
        EXPECT_EQ(lay::TypeOf(parts[0].data()), expectedType[i]);
        EXPECT_NEAR(Length(parts[0].data()), Length(sources[i].data()), 2e-3 * Length(sources[i].data()));
        for (int k = 0; k <= 10; ++k) EXPECT_LT(DistanceTo(sources[i].data(), PointAt(parts[0], k / 10.0)), 1e-2);
    }
    EXPECT_EQ(qlhost::TheDrawing().work->count, sources.size());
    Record circular = qlhost::MakeEllipseArc(1, 1, 0, 3, 1, 0, 1);
    parts.clear();
    ASSERT_TRUE(EExplode(circular.data(), Collect));
    EXPECT_EQ(lay::TypeOf(parts[0].data()), 7);
    EXPECT_NEAR(D(parts[0].data(), 56), kPi / 2, 1e-12);
    Record line = qlhost::MakeLine(0, 0, 1, 1);
    EXPECT_FALSE(EExplode(line.data(), Collect));
}
