// The reference host's drawing commands that same-as hands its scripts to: script answers
// fill the prompts, each command draws its entity with the current attributes, and bad
// input draws nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

#include "host/commands/commands.h"
#include "host/drawing/drawing.h"
#include "host/drawing/layouts.h"
#include "host/drawing/tables.h"
#include "host/geometry/geometry.h"
#include "host/protocol/protocol.h"
#include "tests/support/command_test.h"

namespace {

using namespace qlhost::layout;
using qlhost::Node;
constexpr double kPi = std::numbers::pi;

class HostCommands : public HostCommandTest {
protected:
    void SetUp() override { UseCommands({"host commands test", {}, {nullptr}}); }

    static const Node* Last() { return qlhost::TheDrawing().work->tail; }
    static size_t Count() { return qlhost::TheDrawing().work->count; }
    static double D(const Node* n, size_t offset) { return Get<double>(n->record(), n->length(), offset); }
    static void Points(std::initializer_list<qlhost::Pt> points) {
        for (const auto& p : points) qlhost::AnswerPoint(p.x, p.y, 0, false);
    }
};

TEST_F(HostCommands, NamesAreFoundWithoutRegardToCase) {
    EXPECT_STREQ(qlhost::FindHostCommand("rpoly"), "RPOLY");
    EXPECT_EQ(qlhost::FindHostCommand("RPOL"), nullptr);
    EXPECT_EQ(qlhost::HostCommandNames().size(), 32u);
}

TEST_F(HostCommands, ScriptAnswersFillThePromptsUpToAnEmptyOne) {
    qlhost::RunScriptText("RPOLY;004;10.00000000,10.00000000;;;");
    ASSERT_NE(qlhost::CurrentPrompt(), nullptr);
    EXPECT_EQ(qlhost::CurrentPrompt()->text, "Corner point:");
    qlhost::AnswerPoint(15, 10, 0, false);
    EXPECT_FALSE(qlhost::CommandRunning());
    const Node* square = Last();
    ASSERT_EQ(square->type(), kPolygon);
    EXPECT_EQ(Get<uint16_t>(square->record(), square->length(), kPolyCount), 5);
    EXPECT_NEAR(D(square, kPolyPoints + 16 * 1), 10, 1e-9);
    EXPECT_NEAR(D(square, kPolyPoints + 16 * 1 + 8), 15, 1e-9);
    EXPECT_EQ(D(square, kPolyPoints + 16 * 4), 15);  // closed by the first point again

    qlhost::RunScriptText("LINE;0,0;10,5");
    ASSERT_NE(qlhost::CurrentPrompt(), nullptr);  // LINE goes on to the next segment
    EXPECT_EQ(qlhost::CurrentPrompt()->text, "Next point (Enter to end):");
    qlhost::AnswerPrompt(ST_DEFAULT);
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(Last()->type(), kLine);
    EXPECT_EQ(D(Last(), kLineEnd + 8), 5);

    qlhost::RunScriptText("NOSUCH;1;2");
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(Count(), 2u);
}

TEST_F(HostCommands, BadInputDrawsNothing) {
    qlhost::RunScriptText("RPOLY;2;0,0;;;");
    EXPECT_FALSE(qlhost::CommandRunning());
    ASSERT_TRUE(qlhost::StartCommand("PATH"));
    Points({{0, 0}});
    qlhost::AnswerPrompt(ST_DEFAULT);
    EXPECT_FALSE(qlhost::CommandRunning());
    ASSERT_TRUE(qlhost::StartCommand("ARCB"));
    Points({{0, 0}, {5, 0}, {10, 0}});  // on one line
    ASSERT_TRUE(qlhost::StartCommand("CIRP"));
    qlhost::AnswerPrompt(ST_DEFAULT);
    EXPECT_FALSE(qlhost::CommandRunning());
    qlhost::RunScriptText("SYMBOL;Nowhere;");
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(Count(), 0u);
}

TEST_F(HostCommands, PathsAndCurvesTakePointsUntilEnter) {
    ASSERT_TRUE(qlhost::StartCommand("POLY"));
    Points({{0, 0}, {10, 0}, {10, 10}});
    qlhost::AnswerPrompt(ST_DEFAULT);
    EXPECT_EQ(Get<uint16_t>(Last()->record(), Last()->length(), kPolyCount), 4);
    ASSERT_TRUE(qlhost::StartCommand("PSPOLY"));
    Points({{0, 0}, {10, 0}, {10, 10}});
    qlhost::AnswerPrompt(ST_DEFAULT);
    EXPECT_EQ(Last()->type(), kClosedCurve);
    EXPECT_EQ(Last()->record()[kCurveSubtype], 2);
    ASSERT_TRUE(qlhost::StartCommand("BEZ"));
    Points({{0, 0}, {1, 1}, {2, 1}, {3, 0}});
    qlhost::AnswerPrompt(ST_DEFAULT);
    EXPECT_EQ(Last()->type(), kBezier);
}

TEST_F(HostCommands, ArcsRunCounterClockwiseWhicheverWayThePointsGo) {
    ASSERT_TRUE(qlhost::StartCommand("ARCB"));
    Points({{10, 0}, {0, 10}, {-10, 0}});
    const Node* ccw = Last();
    EXPECT_NEAR(D(ccw, kArcStart), 0, 1e-9);
    EXPECT_NEAR(D(ccw, kArcSweep), kPi, 1e-9);
    ASSERT_TRUE(qlhost::StartCommand("ARCB"));
    Points({{-10, 0}, {0, 10}, {10, 0}});
    EXPECT_NEAR(D(Last(), kArcStart), 0, 1e-9);
    EXPECT_NEAR(D(Last(), kArcSweep), kPi, 1e-9);
    EXPECT_NEAR(D(Last(), kArcRadius), 10, 1e-9);
}

TEST_F(HostCommands, EllipsesKeepTheLongerAxisAsMajor) {
    ASSERT_TRUE(qlhost::StartCommand("ELIPP"));
    Points({{0, 0}, {2, 0}, {0, 4}});
    const Node* e = Last();
    EXPECT_NEAR(D(e, kEllAxis), 0, 1e-9);
    EXPECT_NEAR(D(e, kEllAxis + 8), 4, 1e-9);
    EXPECT_NEAR(D(e, kEllRatio), 0.5, 1e-9);
    ASSERT_TRUE(qlhost::StartCommand("ELIPA"));
    Points({{0, 0}, {4, 0}, {0, 2}, {0, 2}, {-4, 0}});
    EXPECT_NEAR(D(Last(), kEllStart), kPi / 2, 1e-9);
    EXPECT_NEAR(D(Last(), kEllSweep), kPi / 2, 1e-9);
}

TEST_F(HostCommands, DimensionsTakeTheCurrentStyle) {
    auto& tables = qlhost::TheDrawing().tables;
    ASSERT_TRUE(qlhost::SetCurrentEntry(tables.dimStyles, qlhost::kTableEntries, 2));
    ASSERT_TRUE(qlhost::StartCommand("DIMP"));
    Points({{0, 0}, {10, 0}, {3, 4}});
    const Node* dim = Last();
    ASSERT_EQ(dim->type(), kDimLinear);
    EXPECT_EQ(Get<uint16_t>(dim->record(), dim->length(), kDimStyle), 2);
    EXPECT_EQ(D(dim, kDim28Text), 5);
    EXPECT_EQ(D(dim, kDim28Text + 8), 4);
    EXPECT_EQ(dim->record()[kDim28Flags], 1);
    ASSERT_TRUE(qlhost::StartCommand("DIMAQ"));
    Points({{0, 0}, {5, 0}, {0, 5}, {0, 8}});
    EXPECT_NEAR(D(Last(), kDim30Sweep), kPi / 2, 1e-9);
    EXPECT_NEAR(D(Last(), kDim30Dist1), 8, 1e-9);
}

TEST_F(HostCommands, ArrowCommandsMakePathContainers) {
    auto& settings = qlhost::TheDrawing().tables.attributes;
    Put<float>(settings.data(), settings.size(), qlhost::kAttrArrowLength, 6.5f);
    ASSERT_TRUE(qlhost::StartCommand("ARCAS"));
    Points({{10, 0}, {0, 10}, {-10, 0}});
    const Node* container = Last();
    ASSERT_EQ(container->type(), kPathContainer);
    EXPECT_EQ(Get<uint32_t>(container->record(), container->length(), kPathContFlags), 1u);
    EXPECT_EQ(Get<float>(container->record(), container->length(), 32), 6.5f);
    ASSERT_NE(container->children, nullptr);
    EXPECT_EQ(container->children->head->type(), kArc);
    EXPECT_EQ(qlhost::ValidateDrawing(qlhost::TheDrawing()), "");
}

TEST_F(HostCommands, SymbolsCopyTheMembersOfAPlacedReference) {
    const uint32_t handle = qlhost::RegisterSymbolDefinition(1, 1, "Lamp");
    qlhost::HostList* work = qlhost::TheDrawing().work.get();
    qlhost::Record ref = qlhost::MakeSymbolRef(handle, 5, 5, 0, 1, "Lamp");
    Node* placed = work->Append(ref.data(), static_cast<uint32_t>(ref.size()));
    qlhost::Record circle = qlhost::MakeCircle(1, 1, 0.5);
    placed->owner->Children(placed)->Append(circle.data(), static_cast<uint32_t>(circle.size()));
    qlhost::RunScriptText("SYMBOL;Lamp;");
    ASSERT_NE(qlhost::CurrentPrompt(), nullptr);
    qlhost::AnswerPoint(20, 30, 0, false);
    const Node* drawn = Last();
    ASSERT_NE(drawn, placed);
    EXPECT_EQ(D(drawn, kSymTx), 20);
    EXPECT_EQ(D(drawn, kSymTy), 30);
    ASSERT_NE(drawn->children, nullptr);
    EXPECT_EQ(drawn->children->count, 1u);
    EXPECT_EQ(qlhost::ValidateDrawing(qlhost::TheDrawing()), "");
}

}  // namespace
