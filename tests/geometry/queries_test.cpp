// EGet (points, parameters, lengths), EInfo bits and extents of every curve kind.
#include "tests/geometry/geometry_test_util.h"

using namespace geometry_test;

namespace {
class Queries : public GeometryTest {};
}  // namespace

TEST_F(Queries, ParameterAndPointRoundTripOnEveryKind) {
    for (Sample& s : CurveSamples()) {
        SCOPED_TRACE(s.name);
        for (double t : {0.0, 0.13, 0.5, 0.77, 1.0}) {
            Pt p = PointAt(s.rec, t);
            EXPECT_LT(DistanceTo(s.rec.data(), p), 1e-9);
            Pt q = PointAt(s.rec, ParamAt(s.rec, p));
            EXPECT_NEAR(q.x, p.x, 1e-7);
            EXPECT_NEAR(q.y, p.y, 1e-7);
        }
    }
}

TEST_F(Queries, NearestParameterIsUnclampedForLinesOnly) {
    Record line = qlhost::MakeLine(0, 0, 10, 0);
    EXPECT_NEAR(ParamAt(line, {-5, 3}), -0.5, 1e-12);
    EXPECT_NEAR(ParamAt(line, {15, -1}), 1.5, 1e-12);
    Record path = qlhost::MakePath({{0, 0}, {10, 0}}, false);
    EXPECT_EQ(ParamAt(path, {-5, 3}), 0);
    EXPECT_EQ(ParamAt(path, {15, -1}), 1);
    Record arc = qlhost::MakeArc(0, 0, 1, 0, kPi / 2);
    EXPECT_EQ(ParamAt(arc, {1, -0.1}), 0);
    EXPECT_EQ(ParamAt(arc, {-0.1, 1}), 1);
    EXPECT_NEAR(ParamAt(arc, {2, 2}), 0.5, 1e-12);
}

TEST_F(Queries, PathParameterRunsByArcLength) {
    Record path = qlhost::MakePath({{0, 0}, {10, 0}, {10, 30}}, false);
    Pt p = PointAt(path, 0.25);
    EXPECT_NEAR(p.x, 10, 1e-12);
    EXPECT_NEAR(p.y, 0, 1e-12);
    Record box = qlhost::MakeBox(0, 0, 4, 2);
    p = PointAt(box, 0.5);
    EXPECT_NEAR(p.x, 4, 1e-12);
    EXPECT_NEAR(p.y, 2, 1e-12);
}

TEST_F(Queries, LengthsOfKnownShapes) {
    EXPECT_NEAR(Length(qlhost::MakeLine(1, 1, 4, 5).data()), 5, 1e-12);
    EXPECT_NEAR(Length(qlhost::MakeBox(0, 0, 4, 2).data()), 12, 1e-12);
    EXPECT_NEAR(Length(qlhost::MakePath({{0, 0}, {3, 4}, {3, 0}}, true).data()), 12, 1e-12);
    EXPECT_NEAR(Length(qlhost::MakeCircle(5, 5, 2).data()), 4 * kPi, 1e-12);
    EXPECT_NEAR(Length(qlhost::MakeArc(0, 0, 3, 1, 0.5).data()), 1.5, 1e-12);
    // Ramanujan's approximation is exact to ~1e-10 for this ellipse (a = 5, b = 3).
    double h = 4.0 / 64.0;
    double ramanujan = kPi * 8 * (1 + 3 * h / (10 + std::sqrt(4 - 3 * h)));
    EXPECT_NEAR(Length(qlhost::MakeEllipse(0, 0, 0, 5, 0.6).data()), ramanujan, 1e-8);
    EXPECT_NEAR(Length(qlhost::MakeCurve(26, 1, {{0, 0}, {5, 0}, {10, 0}}).data()), 10, 1e-9);
}

TEST_F(Queries, LengthFailsForEntitiesWithoutOne) {
    double len = -1;
    Record text = qlhost::MakeText(0, 0, 2, 0, 0, 1, "abc");
    Record group = qlhost::MakeGroup();
    Record point = qlhost::MakePoint(1, 1);
    EXPECT_FALSE(EGet(text.data(), 5, nullptr, &len));
    EXPECT_FALSE(EGet(group.data(), 5, nullptr, &len));
    EXPECT_FALSE(EGet(point.data(), 5, nullptr, &len));
    EXPECT_EQ(len, -1);
    Record line = qlhost::MakeLine(0, 0, 1, 0);
    EXPECT_FALSE(EGet(line.data(), 3, nullptr, &len));
}

TEST_F(Queries, MalformedRecordsAreRefused) {
    Record path = qlhost::MakePath({{0, 0}, {1, 1}, {2, 0}}, false);
    qlhost::layout::Put<uint16_t>(path.data(), path.size(), 32, 500);  // count past the record end
    double len;
    EXPECT_FALSE(EGet(path.data(), 5, nullptr, &len));
    Record arc = qlhost::MakeArc(0, 0, 1, 0, NAN);
    EXPECT_FALSE(EGet(arc.data(), 5, nullptr, &len));
    Record shortLine = qlhost::MakeHeader(2, 40);
    EXPECT_FALSE(EGet(shortLine.data(), 5, nullptr, &len));
}

TEST_F(Queries, AbsurdSizesStillFlattenIntoBoundedPolylines) {
    // A tiny radius with an astronomical sweep, and a curve of astronomical size: the step
    // counts stay within the flattening limit instead of overflowing or zigzagging.
    for (const Record& record : {qlhost::MakeArc(0, 0, 1e-9, 0, 1e193),
                                 qlhost::MakeArc(0, 0, 5, 0, INFINITY),
                                 qlhost::MakeCurve(27, 0, {{0, 0}, {1e257, 3}, {-1e257, 7}, {4, 1e250}})}) {
        size_t points = 0;
        for (const std::vector<Pt>& piece : qlhost::FlattenEntity(record.data())) points += piece.size();
        EXPECT_LE(points, 4 * 4097u);
    }
}

TEST_F(Queries, InformationBits) {
    for (Sample& s : CurveSamples()) {
        uint32_t info = EInfo(s.rec.data(), 1);
        EXPECT_TRUE(info & 0x02) << s.name;
        bool closed = s.name == "polygon" || s.name == "box" || s.name == "circle" || s.name == "ellipse" ||
                      s.name.rfind("closed", 0) == 0;
        EXPECT_EQ((info & 0x04) != 0, closed) << s.name;
        EXPECT_FALSE(info & 0x10) << s.name;
    }
    Record text = qlhost::MakeText(0, 0, 2, 0, 0, 1, "x");
    double m[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};
    Record sym = qlhost::MakeSymbolRef(0, m, "S");
    Record dim = qlhost::MakeArcDimension(nullptr, {0, 0}, 1, 0, 1, 1, 1, {0, 0});
    for (Record* r : {&text, &sym, &dim}) EXPECT_EQ(EInfo(r->data(), 1), 0x10u);
    EXPECT_EQ(EInfo(qlhost::MakeGroup().data(), 1), 0u);
    EXPECT_EQ(EInfo(text.data(), 0), 0u);
}

TEST_F(Queries, ExtentsContainEverySampledPoint) {
    for (Sample& s : CurveSamples()) {
        SCOPED_TRACE(s.name);
        ExtentRec e{};
        EXCheck(s.rec.data(), &e);
        ASSERT_TRUE(e.valid);
        for (int k = 0; k <= 200; ++k) {
            Pt p = PointAt(s.rec, k / 200.0);
            EXPECT_GE(p.x, e.min[0] - 1e-9);
            EXPECT_LE(p.x, e.max[0] + 1e-9);
            EXPECT_GE(p.y, e.min[1] - 1e-9);
            EXPECT_LE(p.y, e.max[1] + 1e-9);
        }
    }
}

TEST_F(Queries, ExtentsAccumulateAndArcsAreTight) {
    ExtentRec e{{5, 5, 0}, {800, 800, 0}, 0};
    Record arc = qlhost::MakeArc(0, 0, 2, 0, kPi / 2);
    EXCheck(arc.data(), &e);
    EXPECT_NEAR(e.min[0], 0, 1e-12);
    EXPECT_NEAR(e.min[1], 0, 1e-12);
    EXPECT_NEAR(e.max[0], 2, 1e-12);
    EXPECT_NEAR(e.max[1], 2, 1e-12);
    const double p[2] = {-4, 7};
    GXCheckP2(p, &e);
    EXPECT_EQ(e.min[0], -4);
    EXPECT_EQ(e.max[1], 7);
    EXPECT_EQ(e.max[0], 2);
}

TEST_F(Queries, GroupExtentsCoverTheirMembers) {
    EntRec* g = AddEntity(work, qlhost::MakeGroup().data());
    DList* members = OpenSubList(work, g);
    AddEntity(members, qlhost::MakeLine(-2, 0, 1, 1).data());
    AddEntity(members, qlhost::MakeCircle(10, 10, 1).data());
    ExtentRec e{};
    EXCheck(g, &e);
    ASSERT_TRUE(e.valid);
    EXPECT_EQ(e.min[0], -2);
    EXPECT_EQ(e.max[0], 11);
    EXPECT_EQ(e.max[1], 11);
    ExtentRec empty{};
    EXCheck(qlhost::MakeGroup().data(), &empty);
    EXPECT_FALSE(empty.valid);
}

TEST_F(Queries, SymbolExtentsFollowTheMatrixAndBasePoint) {
    uint32_t def = qlhost::RegisterSymbolDefinition(1, 1, "Box");
    EntRec* ref = AddEntity(work, qlhost::MakeSymbolRef(def, 50, 20, kPi / 2, 2, "Box").data());
    DList* members = OpenSubList(work, ref);
    AddEntity(members, qlhost::MakeLine(0, 0, 1, 0).data());
    ExtentRec e{};
    EXCheck(ref, &e);
    // The line shows at M p - base: (0,0) -> (49, 19), (1,0) -> (49, 21).
    EXPECT_NEAR(e.min[0], 49, 1e-12);
    EXPECT_NEAR(e.min[1], 19, 1e-12);
    EXPECT_NEAR(e.max[1], 21, 1e-12);
    qlhost::ClearSymbolDefinitions();
}

TEST_F(Queries, PickingWithinFourPixels) {
    Record line = qlhost::MakeLine(0, 0, 10, 0);
    double tol = 4 * GetADWin()->viewWidth / GetADWin()->pixelWidth;
    const double near[2] = {5, tol * 0.9}, far[2] = {5, tol * 1.1};
    EXPECT_TRUE(EPick(line.data(), near));
    EXPECT_FALSE(EPick(line.data(), far));
    Record text = qlhost::MakeText(0, 0, 5, 0, 0, 0, "WIDE TEXT");
    const double inside[2] = {3, 2};
    EXPECT_TRUE(EPick(text.data(), inside));
}
