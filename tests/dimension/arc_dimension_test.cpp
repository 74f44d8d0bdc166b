// QLDIMA: the arc through a point between two leaders, the leader direction from the entity
// at a pick (with the host's end snap separating the point from the raw pick), the centre,
// the outside test, the flags byte while the text is dragged and the record that is added.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "core/commands.h"
#include "core/records.h"
#include "dimension/arc_dimension.h"
#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/drawing/tables.h"
#include "host/geometry/records.h"
#include "host/protocol/protocol.h"
#include "host/protocol/session.h"
#include "tests/support/command_test.h"
#include "tests/ui/ui_script.h"

namespace {

using qlhost::Node;
using qlhost::Record;
using qlhost::testing::UiScript;

constexpr double kPi = 3.14159265358979323846;
constexpr double kTol = 1e-7;  // typed angles, the half and the full turn are taken short

Leader MakeLeader(double x, double y, double direction) { return Leader{{x, y}, direction}; }

TEST(ArcSpan, FollowsThePointBetweenTheLeaders) {
    const double centre[2] = {0, 0};
    const Leader right = MakeLeader(10, 0, kPi), up = MakeLeader(0, 5, 1.5 * kPi);
    const double inside[2] = {3, 3};
    ArcSpan span = ArcThrough(centre, right, up, inside);
    EXPECT_NEAR(span.radius, std::hypot(3, 3), kTol);
    EXPECT_NEAR(span.start, 0, kTol);
    EXPECT_NEAR(span.sweep, kPi / 2, kTol);
    EXPECT_EQ(span.startDistance, 10);
    EXPECT_EQ(span.endDistance, 5);
    // On the other side start and end swap, with their distances, and the arc goes the long way.
    const double outside[2] = {-3, -3};
    span = ArcThrough(centre, right, up, outside);
    EXPECT_NEAR(span.start, kPi / 2, kTol);
    EXPECT_NEAR(span.sweep, 1.5 * kPi, kTol);
    EXPECT_EQ(span.startDistance, 5);
    EXPECT_EQ(span.endDistance, 10);
    // Leaders given the other way round give the same arcs.
    span = ArcThrough(centre, up, right, inside);
    EXPECT_NEAR(span.start, 0, kTol);
    EXPECT_NEAR(span.sweep, kPi / 2, kTol);
    span = ArcThrough(centre, up, right, outside);
    EXPECT_NEAR(span.start, kPi / 2, kTol);
    EXPECT_NEAR(span.sweep, 1.5 * kPi, kTol);
}

TEST(ArcSpan, ALeaderAtTheCentreTakesItsDirectionTurnedHalfATurn) {
    const double centre[2] = {2, 2};
    // The first leader points straight up into the centre: its angle is straight down.
    const Leader atCentre = MakeLeader(2, 2.0005, kPi / 2), right = MakeLeader(12, 2, kPi);
    const double point[2] = {5, 0};
    ArcSpan span = ArcThrough(centre, atCentre, right, point);
    EXPECT_NEAR(span.start, 1.5 * kPi, kTol);
    EXPECT_NEAR(span.sweep, kPi / 2, kTol);
    EXPECT_NEAR(span.startDistance, 0.0005, 1e-12);
    // Just over the limit the leader point's own angle (straight up) counts.
    const Leader offCentre = MakeLeader(2, 2.0011, kPi / 2);
    span = ArcThrough(centre, offCentre, right, point);
    EXPECT_NEAR(span.start, kPi / 2, kTol);
    EXPECT_NEAR(span.sweep, 1.5 * kPi, kTol);
}

TEST(ArcSpan, TextOutsideTheSweptAngle) {
    const double centre[2] = {0, 0};
    const ArcSpan span{5, 1.5 * kPi, kPi / 2, 5, 5};  // from straight down to the right
    const double below[2] = {3, -3}, left[2] = {-3, 3}, onEnd[2] = {4, 0};
    EXPECT_FALSE(TextOutsideArc(centre, span, below));
    EXPECT_TRUE(TextOutsideArc(centre, span, left));
    EXPECT_TRUE(TextOutsideArc(centre, span, onEnd));
}

TEST(ArcCentre, LeadersMeetOrAreParallel) {
    double centre[2];
    ASSERT_TRUE(LeaderCentre(MakeLeader(0, 0, kPi / 2), MakeLeader(20, 10, kPi), centre));
    EXPECT_NEAR(centre[0], 0, 1e-9);
    EXPECT_NEAR(centre[1], 10, 1e-9);
    // The crossing may lie behind a leader point.
    ASSERT_TRUE(LeaderCentre(MakeLeader(0, 0, -kPi / 2), MakeLeader(20, 10, kPi), centre));
    EXPECT_NEAR(centre[1], 10, 1e-9);
    EXPECT_FALSE(LeaderCentre(MakeLeader(0, 0, 0.3), MakeLeader(5, 5, 0.3 + kPi), centre));
    EXPECT_FALSE(LeaderCentre(MakeLeader(0, 0, 1), MakeLeader(5, 5, 1), centre));
}

class ArcDimension : public HostCommandTest {
protected:
    void SetUp() override { UseCommands({"dimension test", {"QLDIMA"}, {nullptr, QLDIMA}}); }

    static Node* Add(const Record& record) {
        return qlhost::TheDrawing().work->Append(record.data(), static_cast<uint32_t>(record.size()));
    }
    // Answers the open point prompt with point P while the raw pick lies at R, as when the
    // host's end snap moved the pick.
    static void AnswerSnapped(double px, double py, double rx, double ry) {
        const qlhost::PromptInfo* prompt = qlhost::CurrentPrompt();
        ASSERT_NE(prompt, nullptr);
        const double point[2] = {px, py};
        std::memcpy(prompt->buffer, point, sizeof point);
        qlhost::SetPickPosition(rx, ry);
        qlhost::AnswerPrompt(ST_OK);
    }
    static bool DirectionAt(double px, double py, double rx, double ry, double* direction) {
        qlhost::SetPickPosition(rx, ry);
        const double pick[2] = {px, py};
        return FindLeaderDirection(pick, direction);
    }
    static Node* OnlyDimension() {
        Node* found = nullptr;
        for (Node* n = qlhost::TheDrawing().work->head; n != nullptr; n = n->next)
            if (n->type() == ET_DIM_ARC) found = n;
        return found;
    }
    // The type-30 record drawn into the last preview frame.
    static const unsigned char* PreviewRecord() {
        for (const qlhost::PreviewPrim& prim : qlhost::CurrentFrame().prims)
            if (prim.kind == qlhost::PreviewPrim::Entity) return prim.record.data();
        return nullptr;
    }
};

TEST_F(ArcDimension, SnappedPickRunsAlongTheEntity) {
    Add(qlhost::MakeLine(0, 0, 20, 0));
    Add(qlhost::MakePath({{30, -20}, {30, -5}, {30, 10}}, false));
    double direction = 0;
    // From the snapped end (0, 0) towards the pick in the middle: along the line.
    ASSERT_TRUE(DirectionAt(0, 0, 10, 0.1, &direction));
    EXPECT_NEAR(direction, 0, 1e-12);
    ASSERT_TRUE(DirectionAt(20, 0, 10, -0.1, &direction));
    EXPECT_NEAR(direction, kPi, 1e-12);
    ASSERT_TRUE(DirectionAt(30, 10, 30.2, -10, &direction));
    EXPECT_NEAR(direction, 1.5 * kPi, 1e-12);
    // Past the end the nearest point is clamped to the end itself.
    ASSERT_TRUE(DirectionAt(25, 0, 20.3, 0, &direction));
    EXPECT_NEAR(direction, kPi, 1e-12);
    EXPECT_FALSE(DirectionAt(25, 0, 20.5, 0, &direction));
    // A pick that is the entity point itself gives no direction.
    EXPECT_FALSE(DirectionAt(10, 0, 10, 0, &direction));
}

TEST_F(ArcDimension, FourPixelsOfTheActiveWindow) {
    Add(qlhost::MakeLine(0, 0, 20, 0));
    double direction = 0;
    EXPECT_TRUE(DirectionAt(0, 0, 10, 0.39, &direction));
    EXPECT_FALSE(DirectionAt(0, 0, 10, 0.41, &direction));
    // A view ten times as wide makes the pixels ten times as large.
    qlhost::SetView(1000, 750);
    EXPECT_TRUE(DirectionAt(0, 0, 10, 3.9, &direction));
    EXPECT_FALSE(DirectionAt(0, 0, 10, 4.1, &direction));
    qlhost::SetView(100, 75);  // the host's view again for the tests after this one
}

TEST_F(ArcDimension, OnlyVisibleLinesAndPolylinesLead) {
    Add(qlhost::MakeCircle(10, 5, 5));
    Add(qlhost::MakeArc(10, 5, 5, 0, kPi));
    double direction = 0;
    EXPECT_FALSE(DirectionAt(0, 0, 10, 0.1, &direction));
    Record hidden = qlhost::MakeLine(0, 0, 20, 0);
    PutU16(hidden.data(), kRecLayer, 3);
    Add(hidden);
    PutU32(qlhost::FindLayer(qlhost::TheDrawing().tables, 3), kLayerFlags, kLayerHidden);
    EXPECT_FALSE(DirectionAt(0, 0, 10, 0.1, &direction));
    Add(qlhost::MakePath({{0, 0}, {20, 0}, {20, 20}}, true));
    EXPECT_TRUE(DirectionAt(0, 0, 10, 0.1, &direction));
}

TEST_F(ArcDimension, DraggingTheTextSetsItsFlagOnce) {
    Add(qlhost::MakeLine(0, 0, 0, 20));
    Add(qlhost::MakeLine(20, 30, 40, 30));
    ASSERT_TRUE(qlhost::StartCommand("QLDIMA"));
    AnswerSnapped(0, 0, 0.1, 10);
    AnswerSnapped(40, 30, 30, 30.1);
    ASSERT_NE(qlhost::CurrentPrompt(), nullptr);
    ASSERT_EQ(qlhost::CurrentPrompt()->text, "Place dimension arc:");
    qlhost::MoveCursor(10, 20);
    const unsigned char* drawn = PreviewRecord();
    ASSERT_NE(drawn, nullptr);
    EXPECT_EQ(GetU8(drawn, 229), 3);
    qlhost::AnswerPoint(10, 20, 0, false);
    for (int move = 0; move < 5; ++move) {
        qlhost::MoveCursor(12 + move, 22);
        drawn = PreviewRecord();
        ASSERT_NE(drawn, nullptr);
        EXPECT_EQ(GetU8(drawn, 229), 7) << move;
    }
    qlhost::AnswerPrompt(ST_DEFAULT);
    Node* dimension = OnlyDimension();
    ASSERT_NE(dimension, nullptr);
    const unsigned char* r = dimension->record();
    EXPECT_EQ(RecordLength(r), 231u);
    EXPECT_EQ(GetU8(r, 229), 3);
    EXPECT_NEAR(GetF64(r, 148), 0, 1e-9);
    EXPECT_NEAR(GetF64(r, 156), 30, 1e-9);
    EXPECT_NEAR(GetF64(r, 164), std::hypot(10, 10), 1e-9);
    EXPECT_NEAR(GetF64(r, 172), 1.5 * kPi, 1e-9);
    EXPECT_NEAR(GetF64(r, 180), kPi / 2, kTol);
    EXPECT_NEAR(GetF64(r, 188), 30, 1e-9);
    EXPECT_NEAR(GetF64(r, 196), 40, 1e-9);
    for (size_t at = 220; at < 228; ++at) EXPECT_EQ(r[at], 0) << at;
    EXPECT_EQ(r[230], 0);
    EXPECT_TRUE(dimension->flags & Node::kSelected);
}

TEST_F(ArcDimension, TakesTheCurrentStyleAndAttributes) {
    qlhost::Tables& tables = qlhost::TheDrawing().tables;
    ASSERT_TRUE(qlhost::SetCurrentEntry(tables.dimStyles, kTblEntries, 2));
    qlhost::SetCurrentColor(tables, 4);
    UiScript script;  // answers the two direction warnings
    ASSERT_TRUE(qlhost::StartCommand("QLDIMA"));
    qlhost::AnswerPoint(0, 0, 0, false);
    qlhost::AnswerNumber(90);
    qlhost::AnswerPoint(20, 10, 0, false);
    qlhost::AnswerNumber(180);
    qlhost::AnswerPoint(5, 5, 0, false);
    qlhost::AnswerPoint(-3, 12, 0, false);
    EXPECT_FALSE(qlhost::CommandRunning());
    Node* dimension = OnlyDimension();
    ASSERT_NE(dimension, nullptr);
    const unsigned char* r = dimension->record();
    const unsigned char* style = qlhost::CurrentEntry(tables.dimStyles, kTblEntries);
    EXPECT_EQ(std::memcmp(r + kDimStyle, style + kEntryData, kDimStyleSize), 0);
    EXPECT_EQ(GetU16(r, kDimStyle), 2);
    EXPECT_EQ(GetU32(r, kRecAttr6), 4u);
    // Placed by a click: the flag keeps the text there, and it lies outside the swept angle.
    EXPECT_EQ(GetU8(r, 229), 7);
    EXPECT_EQ(GetU8(r, 228), 1);
    EXPECT_NEAR(GetF64(r, 204), -3, 1e-12);
    EXPECT_NEAR(GetF64(r, 212), 12, 1e-12);
    EXPECT_TRUE(script.Transcribed("message \"Warning\""));
}

}  // namespace
