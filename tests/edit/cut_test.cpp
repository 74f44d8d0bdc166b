// QLCUT: the connecting lines of a detail enlargement, the extent and inside tests, and cuts
// through the host's prompts: crossings met in any order reach the piece that holds them, a
// bent path is cut only where it crosses, many crossings, and the copy list is released on
// every exit.
#include "edit/cut.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/commands.h"
#include "core/records.h"
#include "host/drawing/drawing.h"
#include "host/geometry/geometry.h"
#include "host/geometry/records.h"
#include "host/protocol/protocol.h"
#include "host/ui/resources.h"
#include "tests/support/command_test.h"
#include "tests/ui/ui_script.h"

namespace {

using qlhost::Node;
using qlhost::Pt;
using qlhost::Record;
using qlhost::testing::UiScript;

constexpr double kTol = 1e-9;

EntRec* Rec(Record& r) {
    return r.data();
}

double Cross(const double* o, const double* a, const double* b) {
    return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
}

// A line is tangent to a circle at p when p is on the circle and the line is square to the
// radius there.
void ExpectTangent(const double* line, const double* p, double cx, double cy, double r) {
    double rx = p[0] - cx, ry = p[1] - cy;
    EXPECT_NEAR(std::hypot(rx, ry), r, 1e-9);
    double dx = line[2] - line[0], dy = line[3] - line[1];
    // The quarter turn is taken as 1.570796325, a little short of pi / 2.
    EXPECT_NEAR((rx * dx + ry * dy) / (r * std::hypot(dx, dy)), 0.0, 1e-8);
}

TEST(CutLines, TheTwoOuterTangentsTouchBothCircles) {
    const double cases[][5] = {
        {0, 0, 1, 3, 2}, {0, 0, 3, 1, 2}, {5, 5, 2, 2, 1}, {-3, 4, 1, 12, 3}};
    for (const auto& c : cases) {
        Record a = qlhost::MakeCircle(c[0], c[1], c[2]);
        double x2 = c[0] + 20, y2 = c[1] - 10 * c[4];
        Record b = qlhost::MakeCircle(x2, y2, c[3]);
        double lines[2][4];
        ASSERT_EQ(ConnectingLines(Rec(a), Rec(b), lines), 2);
        for (auto& line : lines) {
            ExpectTangent(line, line, c[0], c[1], c[2]);
            ExpectTangent(line, line + 2, x2, y2, c[3]);
        }
        // Outer tangents: both circles lie on the same side of each line.
        double c1[2] = {c[0], c[1]}, c2[2] = {x2, y2};
        for (auto& line : lines)
            EXPECT_GT(Cross(line, line + 2, c1) * Cross(line, line + 2, c2), 0);
    }
}

TEST(CutLines, CirclesWithoutOuterTangentsGetNoLines) {
    Record a = qlhost::MakeCircle(0, 0, 2);
    Record same = qlhost::MakeCircle(0, 0, 6);
    Record holding = qlhost::MakeCircle(1, 0, 6);   // |r2 - r1| = 4 > d = 1
    Record touching = qlhost::MakeCircle(4, 0, 6);  // |r2 - r1| = d: internally tangent
    double lines[2][4];
    EXPECT_EQ(ConnectingLines(Rec(a), Rec(same), lines), 0);
    EXPECT_EQ(ConnectingLines(Rec(a), Rec(holding), lines), 0);
    EXPECT_EQ(ConnectingLines(Rec(a), Rec(touching), lines), 0);
    EXPECT_EQ(ConnectingLines(Rec(a), Rec(a), lines), 0);
}

Record Polygon(const std::vector<Pt>& points) {
    return qlhost::MakePath(points, true);
}

// Every vertex of the source polygon other than the line's own lies on one side of it.
void ExpectExtreme(const double* line, const Record& polygon) {
    uint32_t n = GetU16(polygon.data(), kPolyCount);
    int left = 0, right = 0;
    for (uint32_t j = 0; j < n; ++j) {
        double v[2];
        GetPoint(polygon.data(), PolyVertex(j), v);
        double side = Cross(line, line + 2, v);
        if (side > 1e-9) ++left;
        if (side < -1e-9) ++right;
    }
    EXPECT_TRUE(left == 0 || right == 0) << left << " left, " << right << " right";
}

TEST(CutLines, BoxLinesJoinTheOuterCorners) {
    Record a = qlhost::MakeBox(0, 0, 10, 10);
    Record b = qlhost::MakeBox(35, -10, 65, 20);
    double lines[2][4];
    ASSERT_EQ(ConnectingLines(Rec(a), Rec(b), lines), 2);
    for (auto& line : lines) ExpectExtreme(line, a);
    EXPECT_NEAR(lines[0][1] + lines[1][1], 10.0, kTol);  // the bottom and the top corner
    EXPECT_NEAR(lines[0][0], 0.0, kTol);
    EXPECT_NEAR(lines[1][0], 0.0, kTol);
}

TEST(CutLines, APolygonWithoutTheClosingRepeatUsesEveryVertex) {
    Record a = Polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    Record b = Polygon({{-10, -55}, {20, -55}, {20, -25}, {-10, -25}});
    double lines[2][4];
    ASSERT_EQ(ConnectingLines(Rec(a), Rec(b), lines), 2);
    for (auto& line : lines) {
        ExpectExtreme(line, a);
        EXPECT_NEAR(line[1], 10.0, kTol);  // the two upper corners, the last one included
    }
}

TEST(CutLines, AVertexThatStaysInPlaceGivesNoLine) {
    // Scaled about its corner (0, 0): that corner's line would have no direction.
    Record a = qlhost::MakeBox(0, 0, 4, 2);
    Record b = qlhost::MakeBox(0, 0, 12, 6);
    double lines[2][4];
    int count = ConnectingLines(Rec(a), Rec(b), lines);
    ASSERT_EQ(count, 2);
    for (int i = 0; i < count; ++i) {
        EXPECT_FALSE(lines[i][0] == lines[i][2] && lines[i][1] == lines[i][3]);
        for (double v : lines[i]) EXPECT_TRUE(std::isfinite(v));
    }
    EXPECT_EQ(ConnectingLines(Rec(a), Rec(a), lines), 0);
}

TEST(CutLines, OtherKindsOrMismatchedCopiesGetNoLines) {
    Record box = qlhost::MakeBox(0, 0, 4, 2);
    Record triangle = Polygon({{0, 0}, {4, 0}, {2, 3}});
    Record circle = qlhost::MakeCircle(0, 0, 1);
    Record line = qlhost::MakeLine(0, 0, 1, 1);
    double lines[2][4];
    EXPECT_EQ(ConnectingLines(Rec(box), Rec(triangle), lines), 0);
    EXPECT_EQ(ConnectingLines(Rec(box), Rec(circle), lines), 0);
    EXPECT_EQ(ConnectingLines(Rec(line), Rec(line), lines), 0);
}

ExtentRec Extent(double x0, double y0, double x1, double y1) {
    ExtentRec e{};
    e.min[0] = x0;
    e.min[1] = y0;
    e.max[0] = x1;
    e.max[1] = y1;
    e.valid = 1;
    return e;
}

TEST(CutTests, ExtentsTouchingAlongAnEdgeOrAtACornerDoNotOverlap) {
    ExtentRec boundary = Extent(0, 0, 10, 10);
    EXPECT_TRUE(ExtentsOverlap(boundary, Extent(9, 9, 20, 20)));
    EXPECT_TRUE(ExtentsOverlap(boundary, Extent(2, 2, 3, 3)));
    EXPECT_FALSE(ExtentsOverlap(boundary, Extent(10, -5, 14, 5)));
    EXPECT_FALSE(ExtentsOverlap(boundary, Extent(-4, 10, 4, 12)));
    EXPECT_FALSE(ExtentsOverlap(boundary, Extent(10, 10, 11, 11)));
    EXPECT_FALSE(ExtentsOverlap(boundary, Extent(10, 3, 10, 4)));
}

TEST(CutTests, InsideAStrictCircleOrByTheEvenOddRule) {
    Record circle = qlhost::MakeCircle(0, 0, 5);
    const double on[2] = {5, 0}, in[2] = {4.9, 0}, out[2] = {5.1, 0};
    EXPECT_FALSE(InsideBoundary(Rec(circle), on));
    EXPECT_TRUE(InsideBoundary(Rec(circle), in));
    EXPECT_FALSE(InsideBoundary(Rec(circle), out));
    Record ell = Polygon({{0, 0}, {10, 0}, {10, 4}, {4, 4}, {4, 10}, {0, 10}});
    const double arm[2] = {2, 8}, notch[2] = {8, 8};
    EXPECT_TRUE(InsideBoundary(Rec(ell), arm));
    EXPECT_FALSE(InsideBoundary(Rec(ell), notch));
    Record line = qlhost::MakeLine(0, 0, 10, 10);
    EXPECT_FALSE(InsideBoundary(Rec(line), in));
    // A polygon record shorter than its vertex count says is read only as far as it goes.
    Record cut = Polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    PutU16(cut.data(), kPolyCount, 400);
    EXPECT_TRUE(InsideBoundary(Rec(cut), arm));
}

class CutHost : public HostCommandTest {
protected:
    void SetUp() override {
        UseCommands({"cut test", {"QLCUT"}, {nullptr, QLCUT}});
        qlhost::SetResourceFolder(nullptr, std::string(QL_SOURCE_DIR) + "/resources");
        qlhost::ResetMatrixStack();
        TheCutSettings() = CutSettings{};
    }
    void TearDown() override {
        HostCommandTest::TearDown();
        TheCutSettings() = CutSettings{};
    }

    static qlhost::HostList& Work() { return *qlhost::TheDrawing().work; }
    static Node* Add(const Record& record, bool selected = true) {
        Node* node = Work().Append(record.data(), static_cast<uint32_t>(record.size()));
        if (selected) node->flags |= Node::kSelected;
        return node;
    }
    // QLCUT with the current settings, up to the first boundary request.
    static void StartCut() {
        UiScript script;
        script.Dialog({"click", "1"});
        ASSERT_TRUE(qlhost::StartCommand("QLCUT"));
        qlhost::AnswerSelection();
        ASSERT_NE(qlhost::CurrentPrompt(), nullptr);
    }
    static void CutByBox(double x1, double y1, double x2, double y2) {
        TheCutSettings().boundaryKind = kBoundaryBox;
        StartCut();
        qlhost::AnswerPoint(x1, y1, 0, false);
        qlhost::AnswerPoint(x2, y2, 0, false);
    }
    static void CutByCircle(double cx, double cy, double r) {
        TheCutSettings().boundaryKind = kBoundaryCircle;
        StartCut();
        qlhost::AnswerPoint(cx, cy, 0, false);
        qlhost::AnswerNumber(r);
    }
    // The live entities of a type in the working list, in list order.
    static std::vector<Node*> Live(int type) {
        std::vector<Node*> nodes;
        for (Node* n = Work().head; n != nullptr; n = n->next)
            if (!n->deleted() && n->type() == type) nodes.push_back(n);
        return nodes;
    }
    static size_t Temporaries() { return qlhost::TheDrawing().temporaries.size(); }
};

TEST_F(CutHost, TestPointsOfTextsSymbolsCurvesAndGroups) {
    double point[2];
    Node* text = Add(qlhost::MakeText(3, 4, 2.5, 0, 2, 1, "label"));
    ASSERT_TRUE(CutTestPoint(text->record(), point));
    EXPECT_EQ(point[0], 3);
    EXPECT_EQ(point[1], 4);
    Node* symbol = Add(qlhost::MakeSymbolRef(0, 7, 8, 0.5, 2, "S"));
    ASSERT_TRUE(CutTestPoint(symbol->record(), point));
    EXPECT_EQ(point[0], 7);
    EXPECT_EQ(point[1], 8);
    Node* path = Add(qlhost::MakePath({{0, 0}, {10, 0}, {10, 30}}, false));
    ASSERT_TRUE(CutTestPoint(path->record(), point));
    EXPECT_NEAR(point[0], 10, kTol);
    EXPECT_NEAR(point[1], 10, kTol);
    // A group has no point halfway along: the centre of its members' extent decides.
    Node* group = Add(qlhost::MakeGroup());
    qlhost::HostList* members = Work().Children(group);
    members->Append(qlhost::MakeLine(0, 0, 2, 0).data(), kLineSize);
    members->Append(qlhost::MakeLine(20, 6, 22, 6).data(), kLineSize);
    ASSERT_TRUE(CutTestPoint(group->record(), point));
    EXPECT_NEAR(point[0], 11, kTol);
    EXPECT_NEAR(point[1], 3, kTol);
}

TEST_F(CutHost, BothCrossingsOfALineAreCutWhicheverWayItRuns) {
    TheCutSettings().keep = kKeepInside;
    TheCutSettings().drawBoundary = 0;
    for (bool reversed : {false, true}) {
        qlhost::TheDrawing().Reset();
        Add(reversed ? qlhost::MakeLine(10, 0, 0, 0) : qlhost::MakeLine(0, 0, 10, 0));
        CutByCircle(5, 0, 2);
        EXPECT_FALSE(qlhost::CommandRunning());
        std::vector<Node*> lines = Live(ET_LINE);
        ASSERT_EQ(lines.size(), 1u) << reversed;
        double a[2], b[2];
        GetPoint(lines[0]->record(), kLineStart, a);
        GetPoint(lines[0]->record(), kLineEnd, b);
        EXPECT_NEAR(std::fmin(a[0], b[0]), 3, 1e-9);
        EXPECT_NEAR(std::fmax(a[0], b[0]), 7, 1e-9);
        EXPECT_TRUE(lines[0]->selected());
    }
}

TEST_F(CutHost, AHairpinIsCutOnlyWhereItCrosses) {
    // The upper leg's crossing at (2.35, 1) lies straight above the lower leg's first piece,
    // which must not be cut there.
    TheCutSettings().drawBoundary = 0;
    Add(qlhost::MakePath({{0, 0}, {10, 0}, {10, 1}, {0, 1}}, false));
    CutByCircle(5, 2, std::sqrt(8.0));
    std::vector<Node*> paths = Live(ET_PATH);
    ASSERT_EQ(paths.size(), 3u);
    double b = std::sqrt(7.0);
    const double ends[3][4] = {{0, 0, 3, 0}, {7, 0, 5 + b, 1}, {5 - b, 1, 0, 1}};
    for (int i = 0; i < 3; ++i) {
        const EntRec* p = paths[i]->record();
        uint32_t n = GetU16(p, kPolyCount);
        double a[2], z[2];
        GetPoint(p, PolyVertex(0), a);
        GetPoint(p, PolyVertex(n - 1), z);
        EXPECT_NEAR(a[0], ends[i][0], 1e-9) << i;
        EXPECT_NEAR(a[1], ends[i][1], 1e-9) << i;
        EXPECT_NEAR(z[0], ends[i][2], 1e-9) << i;
        EXPECT_NEAR(z[1], ends[i][3], 1e-9) << i;
    }
}

TEST_F(CutHost, ManyCrossingsOfOneEntity) {
    // A zigzag crossing the top edge of the box 400 times.
    std::vector<Pt> points;
    constexpr int kTeeth = 200;
    for (int i = 0; i <= 2 * kTeeth; ++i) points.push_back({i * 0.5, i % 2 == 0 ? 9.0 : 11.0});
    TheCutSettings().keep = kKeepOutside;
    TheCutSettings().drawBoundary = 0;
    Add(qlhost::MakePath(points, false));
    CutByBox(-1, 0, 300, 10);
    EXPECT_FALSE(qlhost::CommandRunning());
    std::vector<Node*> pieces = Live(ET_PATH);
    ASSERT_EQ(pieces.size(), static_cast<size_t>(kTeeth));
    for (Node* p : pieces) {
        double v[2];
        GetPoint(p->record(), PolyVertex(1), v);
        EXPECT_EQ(v[1], 11.0);
    }
    EXPECT_EQ(qlhost::ValidateDrawing(qlhost::TheDrawing()), "");
}

TEST_F(CutHost, TheCopyListIsReleasedOnEveryExit) {
    TheCutSettings().operation = kCutCopy;
    Add(qlhost::MakeLine(0, 0, 10, 0));
    for (int exit = 0; exit < 2; ++exit) {
        CutByCircle(5, 0, 2);
        ASSERT_TRUE(qlhost::CommandRunning());
        EXPECT_EQ(Temporaries(), 1u);
        ASSERT_EQ(qlhost::CurrentPrompt()->text, "Place at (CTRL = scale):");
        qlhost::MoveCursor(40, 20);
        EXPECT_EQ(Temporaries(), 1u);
        if (exit == 0) {
            qlhost::AnswerPrompt(qlhost::kStatusCancel);
        } else {
            qlhost::AnswerPoint(40, 20, 0, false);
        }
        EXPECT_FALSE(qlhost::CommandRunning());
        EXPECT_EQ(Temporaries(), 0u);
    }
    // The source stays whole; the placed copy is the 4 long middle piece scaled by 3.
    std::vector<Node*> lines = Live(ET_LINE);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(GetF64(lines[0]->record(), kLineEnd), 10.0);
    double a[2], b[2];
    GetPoint(lines[1]->record(), kLineStart, a);
    GetPoint(lines[1]->record(), kLineEnd, b);
    EXPECT_NEAR(std::hypot(b[0] - a[0], b[1] - a[1]), 12.0, 1e-9);
    EXPECT_NEAR((a[0] + b[0]) / 2, 40.0, 1e-9);
}

TEST_F(CutHost, ATypedScaleAboveTheLimitIsTakenAndKept) {
    TheCutSettings().operation = kCutCopy;
    Add(qlhost::MakeLine(0, 0, 10, 0));
    CutByCircle(5, 0, 2);
    for (double typed : {0.0, 0.0001, -2.0}) {
        qlhost::AnswerNumber(typed);
        EXPECT_EQ(TheCutSettings().defaultScale, 3.0) << typed;
    }
    qlhost::AnswerNumber(0.5);
    EXPECT_EQ(TheCutSettings().defaultScale, 0.5);
    ASSERT_TRUE(qlhost::CommandRunning());
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
    EXPECT_EQ(TheCutSettings().defaultScale, 0.5);
    EXPECT_TRUE(CutScaleAccepted(0.00011));
    EXPECT_FALSE(CutScaleAccepted(std::nan("")));
}

}  // namespace
