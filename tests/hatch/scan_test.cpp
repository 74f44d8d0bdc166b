// QLHATCHSCAN: the painted-line list, and the command driven like a user with button
// presses, cursor moves and releases through the reference host: painting once per line,
// lines without a crossing on one side, the row cycle, rows with a step 0 of zero or less,
// running out of memory, and button-up over a non-client area.
#include "hatch/scan.h"

#include <cstring>
#include <utility>
#include <vector>

#include "core/commands.h"
#include "hatch_test_util.h"
#include "host/platform/hooks.h"
#include "host/protocol/protocol.h"

namespace {

using hatchtest::HatchHostTest;

EntRec* Fake(uintptr_t n) {
    return reinterpret_cast<EntRec*>(n);
}

PaintedRecord* NoMemory() {
    return nullptr;
}

TEST(PaintedListTest, FindsByKindPositionAndRange) {
    PaintedList list;
    ASSERT_TRUE(list.Remember(Fake(1), 1.0, 0, 5, false));
    ASSERT_TRUE(list.Remember(Fake(2), 1.0, 0, 5, true));
    ASSERT_TRUE(list.Remember(Fake(3), 1.0, 6, 9, false));
    EXPECT_EQ(list.Find(1.09, 2, false, 0.2), Fake(1));
    EXPECT_EQ(list.Find(1.0, 2, true, 0.2), Fake(2));
    EXPECT_EQ(list.Find(1.0, 7, false, 0.2), Fake(3));
    EXPECT_EQ(list.Find(1.0, 5, false, 0.2), Fake(1)) << "range ends included";
    EXPECT_EQ(list.Find(1.1, 2, false, 0.2), nullptr) << "half the step away is another line";
    EXPECT_EQ(list.Find(1.0, 5.5, false, 0.2), nullptr);
}

TEST(PaintedListTest, ForgettingKeepsTheOrderAndTheTail) {
    PaintedList list;
    for (uintptr_t n = 1; n <= 3; ++n) ASSERT_TRUE(list.Remember(Fake(n), 0, 0, 1, false));
    list.Forget(Fake(3));
    ASSERT_TRUE(list.Remember(Fake(4), 0, 0, 1, false));
    list.Forget(Fake(1));
    EXPECT_EQ(list.Size(), 2u);
    EXPECT_EQ(list.Find(0, 0.5, false, 1), Fake(2));
    list.Forget(Fake(2));
    list.Forget(Fake(9));
    EXPECT_EQ(list.Find(0, 0.5, false, 1), Fake(4));
    list.Forget(Fake(4));
    EXPECT_EQ(list.Size(), 0u);
    ASSERT_TRUE(list.Remember(Fake(5), 0, 0, 1, false));
    EXPECT_EQ(list.Find(0, 0.5, false, 1), Fake(5));
}

TEST(PaintedListTest, OutOfMemoryRemembersNothingAndKeepsTheList) {
    PaintedList list;
    ASSERT_TRUE(list.Remember(Fake(1), 0, 0, 1, false));
    list.SetAllocator(NoMemory);
    EXPECT_FALSE(list.Remember(Fake(2), 2, 0, 1, false));
    EXPECT_EQ(list.Size(), 1u);
    list.SetAllocator(PaintedList::AllocateRecord);
    ASSERT_TRUE(list.Remember(Fake(3), 4, 0, 1, false));
    EXPECT_EQ(list.Find(4, 0.5, false, 1), Fake(3));
}

class ScanCommandTest : public HatchHostTest {
protected:
    void SetUp() override {
        HatchHostTest::SetUp();
        qlhost::ResetSession();
        qlhost::SetCommandTable({"Quillet", {"QLHATCHSCAN"}, {nullptr, QLHATCHSCAN}});
    }

    void TearDown() override {
        ThePaintedList().SetAllocator(PaintedList::AllocateRecord);
        qlhost::ReleaseAllKeys();
        qlhost::AbandonCommand();
        qlhost::ResetSession();
        qlhost::RemoveAllHooks();
        qlhost::SetCommandTable({});
        HatchHostTest::TearDown();
    }

    // Hatch space is the drawing: vertical lines at multiples of the distance.
    static void StoreUpright(double distance, double rowOffset = 0) {
        LineSettings line = DefaultLineSettings();
        line.angle = kQuarterTurn;
        line.distance = distance;
        if (rowOffset != 0) {
            line.rowOn[1] = 1;
            line.rowOffset[1] = rowOffset;
            std::strcpy(line.rowStyle[1], "Dashed");
        }
        hatchtest::StoreLineSettings(line);
    }

    void Start() {
        ASSERT_TRUE(qlhost::StartCommand("QLHATCHSCAN"));
        EXPECT_EQ(qlhost::CurrentPrompt()->text, "Scan hatch - pick entities:");
        EXPECT_EQ(qlhost::CurrentPrompt()->kind, REQ_SELECTION);
        EXPECT_EQ(qlhost::CurrentPrompt()->cursor, 8u);
        qlhost::AnswerSelection();
        ASSERT_NE(qlhost::CurrentPrompt(), nullptr);
        EXPECT_EQ(qlhost::CurrentPrompt()->text,
                  "Drag over areas to hatch (CTRL = remove, SHIFT = crosshatch):");
        EXPECT_TRUE(qlhost::CurrentPrompt()->drag);
        EXPECT_EQ(qlhost::CurrentPrompt()->kind, REQ_POINT2);
        EXPECT_EQ(qlhost::CurrentPrompt()->flags, 0x400000u);
    }

    static void Down(double x, double y) {
        qlhost::MoveCursor(x, y);
        qlhost::DeliverMouse(WM_LBUTTONDOWN, 0, 0);
        qlhost::AnswerPoint(x, y, 0, false);
        qlhost::PumpMessages();
    }

    static void Up(double x, double y, UINT message = WM_LBUTTONUP) {
        qlhost::MoveCursor(x, y);
        qlhost::DeliverMouse(message, 0, 0);
        qlhost::PumpMessages();
    }

    // A press at the first point, moves through the others, a release at the last.
    static void Stroke(std::vector<std::pair<double, double>> points) {
        Down(points.front().first, points.front().second);
        for (size_t i = 1; i < points.size(); ++i)
            qlhost::MoveCursor(points[i].first, points[i].second);
        Up(points.back().first, points.back().second);
    }

    void Finish() {
        ASSERT_TRUE(qlhost::AnswerPrompt(qlhost::kStatusCancel));
        EXPECT_FALSE(qlhost::CommandRunning());
        EXPECT_EQ(qlhost::InstalledHooks(WH_MOUSE), 0);
        EXPECT_EQ(ThePaintedList().Size(), 0u);
        EXPECT_TRUE(qlhost::TheDrawing().temporaries.empty());
        EXPECT_EQ(qlhost::ValidateDrawing(qlhost::TheDrawing()), "");
    }

    // x, style and y range of the painted lines in painting order.
    struct Painted {
        double x;
        int style;
        double y1, y2;
    };
    std::vector<Painted> Lines() {
        std::vector<Painted> lines;
        qlhost::Node* group = Work().tail;
        EXPECT_EQ(group->type(), ET_GROUP);
        for (qlhost::Node* m = group->children->head; m != nullptr; m = m->next) {
            const EntRec* r = m->record();
            lines.push_back({GetF64(r, kLineStart), GetI16(r, kRecLineStyle),
                             GetF64(r, kLineStart + 8), GetF64(r, kLineEnd + 8)});
        }
        return lines;
    }
};

TEST_F(ScanCommandTest, SweepingBackAndForthPaintsEachLineOnce) {
    StoreUpright(0.5);
    Add(qlhost::MakeBox(0, 0, 4, 2));
    Start();
    EXPECT_EQ(Work().count, 2u) << "the group is there from the start";
    Stroke({{0.9, 1}, {2.2, 1}, {0.6, 1}, {2.2, 1.5}});
    EXPECT_EQ(qlhost::InstalledHooks(WH_MOUSE), 0) << "idle again after the release";
    Stroke({{1.9, 0.5}, {0.1, 0.5}});
    Finish();
    std::vector<double> xs;
    for (const Painted& line : Lines()) {
        xs.push_back(line.x);
        EXPECT_EQ(line.y1, 0);
        EXPECT_EQ(line.y2, 2);
    }
    EXPECT_EQ(xs, (std::vector<double>{1, 1.5, 2, 0.5}));
    EXPECT_TRUE(Work().tail->selected());
    EXPECT_FALSE(Work().head->selected());
}

TEST_F(ScanCommandTest, LineWithoutACrossingOnOneSideIsNotPainted) {
    // An open U: above its arms the lines have no crossing above the cursor.
    StoreUpright(0.5);
    Add(qlhost::MakePath({{0, 2}, {0, 0}, {4, 0}, {4, 2}}, false));
    Add(qlhost::MakeLine(0, 3, 4, 3), false);
    Start();
    Stroke({{0.9, 1}, {2.1, 1}});
    Finish();
    EXPECT_EQ(Work().tail->children->count, 0u);
}

TEST_F(ScanCommandTest, QuickSweepPaintsEveryLineInTheRowCycle) {
    StoreUpright(1, 0.25);
    Add(qlhost::MakeBox(-0.5, -1, 10.5, 1));
    Start();
    Stroke({{0.1, 0}, {3.1, 0}});
    Finish();
    std::vector<std::pair<double, int>> found;
    for (const Painted& line : Lines()) found.emplace_back(line.x, line.style);
    const std::vector<std::pair<double, int>> expected = {{0.25, 1}, {1, 0},    {1.25, 1},
                                                          {2, 0},    {2.25, 1}, {3, 0}};
    EXPECT_EQ(found, expected);
}

TEST_F(ScanCommandTest, RowsWithStepZeroBelowZeroFindTheirLinesAgain) {
    // A row offset of 1.5 distances: step 0 is -0.5 and the lines lie 0.5 apart.
    StoreUpright(1, 1.5);
    Add(qlhost::MakeBox(-0.2, -1, 10.5, 1));
    Start();
    Stroke({{0.1, 0}, {3.1, 0}, {0.1, 0}, {3.1, 0}});
    Finish();
    std::vector<double> xs;
    for (const Painted& line : Lines()) xs.push_back(line.x);
    std::sort(xs.begin(), xs.end());
    EXPECT_EQ(xs, (std::vector<double>{0.5, 1, 1.5, 2, 2.5, 3}));
}

TEST_F(ScanCommandTest, RowOffsetOfAWholeDistanceStillFindsLines) {
    // Step 0 is zero: the rows share their positions; CTRL still takes the lines away.
    StoreUpright(1, 1);
    Add(qlhost::MakeBox(-0.2, -1, 10.5, 1));
    Start();
    Stroke({{0.1, 0}, {3.1, 0}, {0.1, 0}});
    EXPECT_EQ(Work().tail->children->count, 3u);
    qlhost::SetKeyHeld(VK_CONTROL, true);
    Stroke({{0.1, 0}, {3.1, 0}});
    qlhost::SetKeyHeld(VK_CONTROL, false);
    Finish();
    EXPECT_EQ(Work().tail->children->count, 0u);
}

TEST_F(ScanCommandTest, OutOfMemoryLeavesTheLineDrawnButNotRemembered) {
    StoreUpright(0.5);
    Add(qlhost::MakeBox(0, 0, 4, 2));
    Start();
    ThePaintedList().SetAllocator(NoMemory);
    Stroke({{0.9, 1}, {1.6, 1}});
    EXPECT_EQ(Work().tail->children->count, 2u);
    EXPECT_EQ(ThePaintedList().Size(), 0u);
    // Not remembered, so found no more: sweeping again paints them again.
    Stroke({{0.9, 1}, {1.6, 1}});
    EXPECT_EQ(Work().tail->children->count, 4u);
    Finish();
}

TEST_F(ScanCommandTest, ButtonUpOverANonClientAreaEndsTheDrag) {
    StoreUpright(0.5);
    Add(qlhost::MakeBox(0, 0, 4, 2));
    Start();
    Down(0.9, 1);
    EXPECT_EQ(qlhost::InstalledHooks(WH_MOUSE), 1);
    Up(1.6, 1, WM_NCLBUTTONUP);
    EXPECT_EQ(qlhost::InstalledHooks(WH_MOUSE), 0);
    ASSERT_NE(qlhost::CurrentPrompt(), nullptr) << "asks again, idle";
    qlhost::MoveCursor(3.6, 1);
    EXPECT_EQ(Work().tail->children->count, 2u) << "moves paint nothing while idle";
    Finish();
}

TEST_F(ScanCommandTest, AnAbandonedRunLeavesNothingForTheNext) {
    StoreUpright(0.5);
    Add(qlhost::MakeBox(0, 0, 4, 2));
    Start();
    Down(0.9, 1);
    qlhost::MoveCursor(1.6, 1);
    qlhost::AbandonCommand();
    qlhost::ResetSession();
    qlhost::RemoveAllHooks();
    qlhost::TheDrawing().Reset();
    Add(qlhost::MakeBox(0, 0, 4, 2));
    Start();
    EXPECT_EQ(ThePaintedList().Size(), 0u);
    Stroke({{0.9, 1}, {1.6, 1}});
    Finish();
    EXPECT_EQ(Work().tail->children->count, 2u);
}

}  // namespace
