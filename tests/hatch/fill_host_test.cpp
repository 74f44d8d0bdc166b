// The fill core against the reference host: border collection, even-odd fills, the
// crossing rule on shared walls and corners, long crossing lists, and the three pattern
// kinds of the family driver.
#include <algorithm>
#include <cstring>
#include <numbers>
#include <tuple>

#include "hatch_test_util.h"

namespace {

using hatchtest::HatchHostTest;
using hatchtest::Segment;
using qlhost::Pt;

constexpr double kTolerance = 1e-9;

bool InBox(double x, double y, double x1, double y1, double x2, double y2, double tol) {
    return x >= x1 - tol && x <= x2 + tol && y >= y1 - tol && y <= y2 + tol;
}

// Every line lies in the ring between the boxes: its ends and points along it.
void ExpectInRing(const std::vector<Segment>& lines, double outer, double inner1, double inner2) {
    for (const Segment& s : lines) {
        for (int k = 0; k <= 8; ++k) {
            const double x = s.x1 + (s.x2 - s.x1) * k / 8, y = s.y1 + (s.y2 - s.y1) * k / 8;
            ASSERT_TRUE(InBox(x, y, 0, 0, outer, outer, kTolerance * outer)) << x << " " << y;
            ASSERT_FALSE(InBox(x, y, inner1, inner1, inner2, inner2, -kTolerance * outer))
                << x << " " << y;
        }
    }
}

TEST_F(HatchHostTest, RectangleWithAnIslandIsHatchedInTheRingOnly) {
    Add(qlhost::MakeBox(0, 0, 40, 40));
    Add(qlhost::MakeBox(12, 12, 28, 28));
    HatchRun run = SimpleRun(kQuarterTurn / 2, 0.2);
    Hatch(run);
    const std::vector<Segment> lines = Lines();
    ASSERT_FALSE(lines.empty());
    ExpectInRing(lines, 40, 12, 28);
    EXPECT_NEAR(TotalLength(lines), (1600.0 - 256.0) / 0.2, 0.01 * (1344 / 0.2));
    for (const Segment& s : lines)
        EXPECT_NEAR(std::atan2(s.y2 - s.y1, s.x2 - s.x1), kQuarterTurn / 2, 1e-6);
}

TEST_F(HatchHostTest, BorderCollectsBoundariesExplodesCurvesAndWalksGroups) {
    Add(qlhost::MakeBox(0, 0, 10, 10));
    Add(qlhost::MakeEllipse(5, 5, 3, 0, 0.5));
    Add(qlhost::MakeText(1, 1, 2.5, 0, 0, 1, "not a boundary"));
    qlhost::Node* group = Add(qlhost::MakeGroup());
    qlhost::HostList* members = Work().Children(group);
    members->Append(qlhost::MakeLine(0, 20, 10, 20).data(), kLineSize);
    Add(qlhost::MakeCircle(50, 50, 1), false);
    const size_t before = Work().count;
    HatchBorder& border = CollectSelection(kQuarterTurn);
    std::vector<int> types;
    for (const qlhost::Node* n = static_cast<qlhost::HostList*>(border.list)->head; n; n = n->next)
        types.push_back(n->type());
    std::sort(types.begin(), types.end());
    EXPECT_EQ(types, (std::vector<int>{ET_LINE, ET_POLYGON, ET_POLYGON}));
    EXPECT_EQ(Work().count, before);  // the exploded parts left the working list again
    EXPECT_NEAR(border.extent.min[0], 0, 1e-9);
    EXPECT_NEAR(border.extent.max[1], 20, 1e-9);
    EXPECT_EQ(qlhost::ValidateDrawing(qlhost::TheDrawing()), "");
}

TEST_F(HatchHostTest, EllipsesAreHatchedAgainstTheirParts) {
    Add(qlhost::MakeEllipse(0, 0, 20, 0, 0.5));
    HatchRun run = SimpleRun(kQuarterTurn, 0.5);
    Hatch(run);
    const std::vector<Segment> lines = Lines();
    ASSERT_FALSE(lines.empty());
    for (const Segment& s : lines) {
        EXPECT_LE(std::hypot(s.x1 / 20, s.y1 / 10), 1 + 1e-9);
        EXPECT_LE(std::hypot(s.x2 / 20, s.y2 / 10), 1 + 1e-9);
    }
    EXPECT_NEAR(TotalLength(lines), std::acos(-1.0) * 200 / 0.5, 0.01 * std::acos(-1.0) * 400);
}

TEST_F(HatchHostTest, TwoRoomsSharingAWallAreBothHatched) {
    Add(qlhost::MakeBox(0, 0, 10, 10));
    Add(qlhost::MakeBox(10, 0, 20, 10));
    HatchRun run = SimpleRun(kQuarterTurn / 2, 0.5);
    run.line.offset[0] = 10;  // family lines through the corners of the shared wall
    Hatch(run);
    const std::vector<Segment> lines = Lines();
    EXPECT_NEAR(TotalLength(lines), 200 / 0.5, 0.01 * 400);
    for (const Segment& s : lines) {
        EXPECT_TRUE(InBox(s.x1, s.y1, 0, 0, 20, 10, kTolerance));
        EXPECT_TRUE(InBox(s.x2, s.y2, 0, 0, 20, 10, kTolerance));
        EXPECT_GT(s.Length(), 0);
    }
}

TEST_F(HatchHostTest, LinesThroughPolygonCornersCountThemOnce) {
    // A diamond crossed through its top and bottom corners by the line at x = 0.
    Add(qlhost::MakePath({{0, -10}, {10, 0}, {0, 10}, {-10, 0}}, true));
    HatchRun run = SimpleRun(kQuarterTurn, 1);
    Hatch(run);
    const std::vector<Segment> lines = Lines();
    ASSERT_EQ(lines.size(), 19u);  // x = -10 only touches a corner, x = 10 is not crossed
    EXPECT_NEAR(TotalLength(lines), 200, 1e-9);
}

TEST_F(HatchHostTest, LinesWithMoreThan511CrossingsAreDrawnWhole) {
    // A comb of 600 teeth, crossed by every horizontal line through the teeth 1200 times.
    std::vector<Pt> comb = {{0, 0}};
    for (int i = 0; i < 600; ++i) {
        comb.push_back({i + 0.25, 0});
        comb.push_back({i + 0.25, 10});
        comb.push_back({i + 0.75, 10});
        comb.push_back({i + 0.75, 0});
    }
    comb.push_back({600, 0});
    comb.push_back({600, -1});
    comb.push_back({0, -1});
    Add(qlhost::MakePath(comb, true));
    HatchRun run = SimpleRun(0, 0.1);
    Hatch(run);
    const std::vector<Segment> lines = Lines();
    EXPECT_NEAR(TotalLength(lines), (600 * 0.5 * 10 + 600) / 0.1, 0.01 * (3600 / 0.1));
    for (const Segment& s : lines) {
        if (s.y1 <= 1e-6) continue;  // the comb's back
        const double mid = (s.x1 + s.x2) / 2;
        EXPECT_GT(mid - std::floor(mid), 0.25);
        EXPECT_LT(mid - std::floor(mid), 0.75);
    }
}

TEST_F(HatchHostTest, NegativeDeltaYDrawsTheMirroredFamily) {
    Add(qlhost::MakeBox(0, 0, 10, 7));
    auto run = [&](const char* name) {
        ThePatLibrary().Parse("*N\n30,0.1,0.2,0.3,-1,0.5,-0.25\n*P\n30,0.1,0.2,-0.3,1,0.5,-0.25\n");
        HatchRun r = PatRun(name);
        Hatch(r);
        std::vector<Segment> lines = Lines();
        std::sort(lines.begin(), lines.end(), [](const Segment& a, const Segment& b) {
            return std::tie(a.x1, a.y1) < std::tie(b.x1, b.y1);
        });
        return lines;
    };
    const std::vector<Segment> negative = run("N");
    const std::vector<Segment> positive = run("P");
    ASSERT_EQ(negative.size(), positive.size());
    ASSERT_GT(negative.size(), 50u);
    for (size_t i = 0; i < negative.size(); ++i) {
        EXPECT_NEAR(negative[i].x1, positive[i].x1, 1e-9);
        EXPECT_NEAR(negative[i].y2, positive[i].y2, 1e-9);
    }
}

// The border turns only for a PAT family more than 0.00001 off the angle it is in: the
// lines of a family within that reach keep the border's angle, and the angle the border
// turned to is the one the next family is measured from.
TEST_F(HatchHostTest, PatFamiliesCloseToTheBordersAngleKeepIt) {
    Add(qlhost::MakeBox(0, 0, 10, 7));
    // Drawn last line first: 0.0003 degrees (5.2e-6), 0.0006 (1.05e-5), 0.0009 (1.57e-5).
    ThePatLibrary().Parse("*T\n0.0009,0,0.7,0,1\n0.0006,0,0.4,0,1\n0.0003,0,0.1,0,1\n");
    HatchRun run = PatRun("T");
    run.line.angle = 0;
    run.options.rotateBy = 0;
    Hatch(run);
    const double turned = 0.0006 * std::numbers::pi / 180;
    int counts[3] = {0, 0, 0};
    for (const Segment& s : Lines()) {
        const double mid = (s.y1 + s.y2) / 2;
        const int family = static_cast<int>(std::lround((mid - std::floor(mid) - 0.1) / 0.3));
        ASSERT_GE(family, 0);
        ASSERT_LE(family, 2);
        ++counts[family];
        const double angle = std::atan2(s.y2 - s.y1, s.x2 - s.x1);
        EXPECT_NEAR(angle, family == 0 ? 0.0 : turned, 1e-7) << "family " << family;
    }
    for (int count : counts) EXPECT_EQ(count, 7);
}

TEST_F(HatchHostTest, ScalablePatternsUseTheirOwnScaleAndTheModifyValues) {
    Add(qlhost::MakeBox(0, 0, 20, 20));
    HatchRun run{DefaultHatchOptions(), DefaultLineSettings()};
    run.options.patternKind = kPatternScalable;
    Hatch(run);
    EXPECT_NEAR(TotalLength(Lines()), 400 / 0.25, 0.01 * 1600);

    std::strcpy(run.options.scalableName, "Large Grid");
    run.options.scaleBy = 1;
    Hatch(run);
    EXPECT_EQ(run.options.scaleBy, 2.5);
    EXPECT_NEAR(TotalLength(Lines()), 2 * 400 / 2.5, 0.01 * 320 + 40);

    run = HatchRun{DefaultHatchOptions(), DefaultLineSettings()};
    run.options.patternKind = kPatternScalable;
    run.options.modify = 1;
    run.options.scaleBy = 2;
    ApplyModifyStep(run);
    Hatch(run);
    EXPECT_NEAR(TotalLength(Lines()), 400 / 0.5, 0.01 * 800);
}

TEST_F(HatchHostTest, UnknownPatternsDrawNothing) {
    Add(qlhost::MakeBox(0, 0, 5, 5));
    HatchRun run{DefaultHatchOptions(), DefaultLineSettings()};
    run.options.patternKind = kPatternScalable;
    std::strcpy(run.options.scalableName, "No such style");
    Hatch(run);
    EXPECT_TRUE(Lines().empty());
    std::strcpy(run.options.scalableName, "Solid");  // a fill style, not a pattern
    Hatch(run);
    EXPECT_TRUE(Lines().empty());
    HatchRun pat = PatRun("No such pattern");
    Hatch(pat);
    EXPECT_TRUE(Lines().empty());
    run.options.patternKind = 7;
    Hatch(run);
    EXPECT_TRUE(Lines().empty());
}

TEST_F(HatchHostTest, DenseOrDegenerateFamiliesAreRefused) {
    Add(qlhost::MakeBox(0, 0, 100, 100));
    ThePatLibrary().Parse("*G\n0,0,0,0,1\n90,0,0,0,1\n");
    HatchRun tiny = PatRun("G", 1e-4);
    EXPECT_TRUE(Hatch(tiny).tooDense);
    EXPECT_TRUE(Lines().empty());
    ThePatLibrary().Parse("*G\n0,0,0,0,1\n");
    HatchRun zero = PatRun("G", 0);
    const ExpandResult result = Hatch(zero);
    EXPECT_FALSE(result.tooDense);
    EXPECT_TRUE(Lines().empty());
    HatchRun flat = SimpleRun(0.5, 0);
    Hatch(flat);
    EXPECT_TRUE(Lines().empty());
}

TEST_F(HatchHostTest, RowsAreDrawnWithTheirOffsetsAndLineStyles) {
    Add(qlhost::MakeBox(0, 0.25, 10, 10.25));
    HatchRun run = SimpleRun(0, 1);
    run.line.rowOn[2] = 1;
    run.line.rowOffset[2] = 0.5;
    std::strcpy(run.line.rowStyle[2], "Dashed");
    Hatch(run);
    int dashed = 0;
    const auto* list = static_cast<const qlhost::HostList*>(target_);
    for (const qlhost::Node* n = list->head; n; n = n->next)
        dashed += GetI16(n->record(), kRecLineStyle) != 0;
    const std::vector<Segment> lines = Lines();
    EXPECT_EQ(lines.size(), 20u);
    EXPECT_EQ(dashed, 10);
    const RowTables rows = BuildRowTables(run.line);
    ASSERT_EQ(rows.count, 2);
    EXPECT_DOUBLE_EQ(rows.step[0], 0.5);
    EXPECT_DOUBLE_EQ(rows.step[1], 0.5);
    EXPECT_EQ(rows.style[0], 0);
    EXPECT_NE(rows.style[1], 0);
}

}  // namespace
