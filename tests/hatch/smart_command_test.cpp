// QLHATCHSMART through the reference host's prompt protocol: the area around the picked
// point, islands of lines and circles, walls meeting on a connector, copies of one segment
// in merged regions, long hatch lines, the row cycle, ESC and refused distances.
#include <algorithm>
#include <cstring>
#include <set>
#include <tuple>

#include "core/commands.h"
#include "hatch_test_util.h"
#include "host/display/preview.h"
#include "host/platform/hooks.h"
#include "host/protocol/protocol.h"

namespace {

using hatchtest::HatchHostTest;
using hatchtest::Segment;

constexpr double kTolerance = 1e-9;

class SmartCommandTest : public HatchHostTest {
protected:
    void SetUp() override {
        HatchHostTest::SetUp();
        qlhost::ResetSession();
        qlhost::SetCommandTable({"Quillet", {"QLHATCHSMART"}, {nullptr, QLHATCHSMART}});
    }

    void TearDown() override {
        qlhost::SetKeyHeld(VK_ESCAPE, false);
        qlhost::AbandonCommand();
        qlhost::ResetSession();
        qlhost::SetCommandTable({});
        HatchHostTest::TearDown();
    }

    // Stores line settings for the next runs: hatch space is the drawing itself (lines
    // along y at multiples of the distance) unless the angle is changed.
    static void StoreLine(LineSettings line) {
        hatchtest::StoreLineSettings(line);
        TheHatchOptions() = DefaultHatchOptions();
        TheLineSettings() = DefaultLineSettings();
    }

    static LineSettings Upright(double distance) {
        LineSettings line = DefaultLineSettings();
        line.angle = kQuarterTurn;
        line.distance = distance;
        return line;
    }

    // Runs the command on the selection with a picked point; returns the new group's lines
    // (none when no group was added).
    std::vector<Segment> HatchAt(double x, double y) {
        EXPECT_TRUE(qlhost::StartCommand("QLHATCHSMART"));
        qlhost::AnswerSelection();
        const qlhost::PromptInfo* prompt = qlhost::CurrentPrompt();
        EXPECT_NE(prompt, nullptr);
        if (prompt == nullptr) return {};
        qlhost::AnswerPoint(x, y, 0, false);
        EXPECT_FALSE(qlhost::CommandRunning());
        EXPECT_TRUE(qlhost::TheDrawing().temporaries.empty());
        EXPECT_EQ(qlhost::ValidateDrawing(qlhost::TheDrawing()), "");
        std::vector<Segment> lines;
        for (qlhost::Node* node = Work().head; node != nullptr; node = node->next) {
            if (node->type() != ET_GROUP) continue;
            EXPECT_TRUE(node->selected());
            for (const qlhost::Node* m = node->children->head; m != nullptr; m = m->next) {
                const EntRec* r = m->record();
                lines.push_back({GetF64(r, kLineStart), GetF64(r, kLineStart + 8),
                                 GetF64(r, kLineEnd), GetF64(r, kLineEnd + 8)});
            }
        }
        return lines;
    }

    size_t Groups() {
        size_t groups = 0;
        for (qlhost::Node* node = Work().head; node != nullptr; node = node->next)
            groups += node->type() == ET_GROUP;
        return groups;
    }
};

bool StrictlyInBox(double x, double y, double x1, double y1, double x2, double y2) {
    const double e = 1e-9;
    return x > x1 + e && x < x2 - e && y > y1 + e && y < y2 - e;
}

// Points along each line, ends included.
template <typename Check>
void ForPointsOf(const std::vector<Segment>& lines, Check check) {
    for (const Segment& s : lines) {
        for (int k = 0; k <= 16; ++k)
            check(s.x1 + (s.x2 - s.x1) * k / 16, s.y1 + (s.y2 - s.y1) * k / 16);
    }
}

TEST_F(SmartCommandTest, PointBetweenNestedBoxesHatchesTheRingOnce) {
    Add(qlhost::MakeBox(0, 0, 4, 4));
    Add(qlhost::MakeBox(1, 1, 3, 3));
    ASSERT_TRUE(qlhost::StartCommand("QLHATCHSMART"));
    EXPECT_EQ(qlhost::CurrentPrompt()->text, "Smart hatch - pick entities:");
    EXPECT_EQ(qlhost::CurrentPrompt()->kind, REQ_SELECTION);
    EXPECT_EQ(qlhost::CurrentPrompt()->cursor, 4u);
    qlhost::AnswerSelection();
    EXPECT_EQ(qlhost::CurrentPrompt()->text, "Pick point in area to hatch:");
    EXPECT_EQ(qlhost::CurrentPrompt()->kind, REQ_POINT2);
    EXPECT_EQ(qlhost::CurrentPrompt()->cursor, 4u);
    EXPECT_FALSE(qlhost::CurrentPrompt()->drag);
    EXPECT_EQ(qlhost::CurrentPrompt()->flags, 0x400000u);
    qlhost::AbandonCommand();

    const std::vector<Segment> lines = HatchAt(0.5, 2);
    ASSERT_EQ(lines.size(), 44u);
    ForPointsOf(lines, [](double x, double y) {
        ASSERT_FALSE(StrictlyInBox(x, y, 1, 1, 3, 3)) << x << " " << y;
        ASSERT_TRUE(StrictlyInBox(x, y, -1e-6, -1e-6, 4 + 1e-6, 4 + 1e-6)) << x << " " << y;
    });
    EXPECT_EQ(qlhost::Screen().progressText, "Hatching... (press ESC to cancel)");
    EXPECT_EQ(qlhost::Screen().progressDone, 0);
    EXPECT_EQ(qlhost::Screen().progressTotal, 1);
    // The boundary entities are no longer selected; the new group is.
    EXPECT_FALSE(Work().head->selected());
}

TEST_F(SmartCommandTest, CircleIslandKeepsItsInsideApart) {
    Add(qlhost::MakeBox(0, 0, 4, 4));
    Add(qlhost::MakeCircle(2, 2, 1));
    const std::vector<Segment> ring = HatchAt(0.3, 0.3);
    ASSERT_FALSE(ring.empty());
    ForPointsOf(ring, [](double x, double y) {
        ASSERT_GE(std::hypot(x - 2, y - 2), 1 - 1e-9) << x << " " << y;
    });
    qlhost::TheDrawing().Reset();
    Add(qlhost::MakeBox(0, 0, 4, 4));
    Add(qlhost::MakeCircle(2, 2, 1));
    const std::vector<Segment> inside = HatchAt(2, 2);
    ASSERT_FALSE(inside.empty());
    ForPointsOf(inside, [](double x, double y) {
        ASSERT_LE(std::hypot(x - 2, y - 2), 1 + 1e-9) << x << " " << y;
    });
}

TEST_F(SmartCommandTest, WallOfTwoSegmentsMeetingOnTheConnectorKeepsTheSidesApart) {
    // Lines at x = 0 and 1 run from -5 to 5; the horizontal connector between them lies at
    // y = 0, exactly where the two halves of the wall at x = 0.5 meet.
    StoreLine(Upright(1));
    Add(qlhost::MakeBox(-0.4, -5, 1.6, 5));
    Add(qlhost::MakeLine(0.5, -5, 0.5, 0));
    Add(qlhost::MakeLine(0.5, 0, 0.5, 5));
    const std::vector<Segment> lines = HatchAt(0.3, 1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NEAR(lines[0].x1, 0, kTolerance);
    EXPECT_NEAR(lines[0].y1, -5, kTolerance);
    EXPECT_NEAR(lines[0].y2, 5, kTolerance);
}

TEST_F(SmartCommandTest, SegmentSeenFromTwoRegionsIsDrawnOnce) {
    // Line 0 is cut at y = 0 into two regions. Short walls block the horizontal connectors
    // to the segment of line 1, so both regions see it through sight lines and each gets a
    // copy; the segment of line 2 then merges the two regions.
    StoreLine(Upright(1));
    Add(qlhost::MakeBox(-0.5, -5, 2.5, 5));
    Add(qlhost::MakeLine(-0.4, 0, 0.2, 0));
    Add(qlhost::MakeLine(0.5, -2.6, 0.5, -2.4));
    Add(qlhost::MakeLine(0.5, 2.4, 0.5, 2.6));
    std::vector<Segment> lines = HatchAt(1.5, 3);
    std::vector<std::tuple<double, double, double>> found;
    for (const Segment& s : lines) found.emplace_back(s.x1, s.y1, s.y2);
    std::sort(found.begin(), found.end());
    const std::vector<std::tuple<double, double, double>> expected = {
        {0, -5, 0}, {0, 0, 5}, {1, -5, 5}, {2, -5, 5}};
    EXPECT_EQ(found, expected);
}

TEST_F(SmartCommandTest, HatchLinesOfMoreThan512SegmentsAreFollowedUpTo512) {
    // 530 walls across the lines cut each of them into 531 segments; those above the 512th
    // still join regions but are not followed to the next line.
    StoreLine(Upright(1));
    const auto walls = [this] {
        qlhost::TheDrawing().Reset();
        for (int k = 0; k < 530; ++k) Add(qlhost::MakeLine(-0.3, 0.2 * k, 10.3, 0.2 * k));
    };
    walls();
    const std::vector<Segment> low = HatchAt(5.2, 2.1);
    ASSERT_EQ(low.size(), 11u);
    for (const Segment& s : low) {
        EXPECT_NEAR(s.y1, 2.0, kTolerance);
        EXPECT_NEAR(s.y2, 2.2, kTolerance);
    }
    walls();
    EXPECT_TRUE(HatchAt(5.2, 0.2 * 520 + 0.1).empty());
    EXPECT_EQ(Groups(), 0u);
}

TEST_F(SmartCommandTest, LinesFollowTheRowCycleFromAMultipleOfTheDistance) {
    LineSettings line = Upright(1);
    line.rowOn[1] = 1;
    line.rowOffset[1] = 0.25;
    std::strcpy(line.rowStyle[1], "Dashed");
    StoreLine(line);
    Add(qlhost::MakeBox(-0.3, -1, 4.3, 3));
    const std::vector<Segment> lines = HatchAt(2.1, 1);
    std::set<std::pair<double, int>> found;
    for (qlhost::Node* m = Work().tail->children->head; m != nullptr; m = m->next)
        found.emplace(GetF64(m->record(), kLineStart), GetI16(m->record(), kRecLineStyle));
    const std::set<std::pair<double, int>> expected = {{0, 0}, {0.25, 1}, {1, 0}, {1.25, 1},
                                                       {2, 0}, {2.25, 1}, {3, 0}, {3.25, 1},
                                                       {4, 0}, {4.25, 1}};
    EXPECT_EQ(found, expected);
    EXPECT_EQ(lines.size(), expected.size());
}

TEST_F(SmartCommandTest, EscapeHeldDuringTheSweepAddsNothing) {
    Add(qlhost::MakeBox(0, 0, 4, 4));
    qlhost::SetKeyHeld(VK_ESCAPE, true);
    EXPECT_TRUE(HatchAt(1, 1).empty());
    EXPECT_EQ(Groups(), 0u);
    EXPECT_TRUE(Work().head->selected());
    EXPECT_EQ(qlhost::Screen().progressTotal, 1);
}

TEST_F(SmartCommandTest, DistanceOfZeroOrLessNeverStartsASweep) {
    Add(qlhost::MakeBox(0, 0, 4, 4));
    for (const double distance : {0.0, -0.2}) {
        StoreLine(Upright(distance));
        EXPECT_TRUE(HatchAt(1, 1).empty());
    }
    EXPECT_EQ(Groups(), 0u);
}

TEST_F(SmartCommandTest, TooManyLinesAreRefused) {
    StoreLine(Upright(1e-6));
    Add(qlhost::MakeBox(0, 0, 4, 4));
    EXPECT_TRUE(HatchAt(1, 1).empty());
    EXPECT_EQ(Groups(), 0u);
}

TEST_F(SmartCommandTest, SelectionWithoutBorderEntitiesAddsNothing) {
    // The extent keeps its start values; the square from 5 to 800 is not hatched.
    Add(qlhost::MakeText(10, 10, 1, 0, 0, 0, "A"));
    EXPECT_TRUE(HatchAt(100, 100).empty());
    EXPECT_EQ(Groups(), 0u);
}

TEST_F(SmartCommandTest, CancelAtThePointRedrawsTheSelectionAndAddsNothing) {
    Add(qlhost::MakeBox(0, 0, 4, 4));
    ASSERT_TRUE(qlhost::StartCommand("QLHATCHSMART"));
    qlhost::AnswerSelection();
    qlhost::ResetScreenCounters();
    ASSERT_TRUE(qlhost::AnswerPrompt(qlhost::kStatusCancel));
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(qlhost::Screen().draws, 1);
    EXPECT_EQ(qlhost::Screen().progressTotal, 1);
    EXPECT_EQ(Groups(), 0u);
    EXPECT_TRUE(qlhost::TheDrawing().temporaries.empty());
}

TEST_F(SmartCommandTest, RoomOfAPlanGetsTheLinesOfItsOwnRegularHatch) {
    // Six rooms with their own walls and a table each. The smart hatch of one room sweeps
    // the whole plan; its lines are those of the regular hatch of that room alone, less the
    // pieces no longer than a tenth of the distance.
    const auto room = [this](int i, int j) {
        Add(qlhost::MakeBox(i * 5 + 0.1, j * 4 + 0.1, i * 5 + 4.9, j * 4 + 3.9));
        Add(qlhost::MakeBox(i * 5 + 1, j * 4 + 1, i * 5 + 2.5, j * 4 + 2));
    };
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 2; ++j) room(i, j);
    }
    std::vector<Segment> smart = HatchAt(8.5, 1.5);
    qlhost::TheDrawing().Reset();
    room(1, 0);
    HatchRun run = SimpleRun(DefaultLineSettings().angle, DefaultLineSettings().distance);
    Hatch(run);
    std::vector<Segment> regular;
    for (const Segment& s : Lines()) {
        if (s.Length() > run.line.distance / 10) regular.push_back(s);
    }
    const auto order = [](const Segment& a, const Segment& b) {
        return std::tie(a.x1, a.y1) < std::tie(b.x1, b.y1);
    };
    std::sort(smart.begin(), smart.end(), order);
    std::sort(regular.begin(), regular.end(), order);
    ASSERT_EQ(smart.size(), regular.size());
    ASSERT_GT(smart.size(), 30u);
    for (size_t i = 0; i < smart.size(); ++i) {
        EXPECT_NEAR(smart[i].x1, regular[i].x1, kTolerance);
        EXPECT_NEAR(smart[i].y1, regular[i].y1, kTolerance);
        EXPECT_NEAR(smart[i].x2, regular[i].x2, kTolerance);
        EXPECT_NEAR(smart[i].y2, regular[i].y2, kTolerance);
    }
}

}  // namespace
