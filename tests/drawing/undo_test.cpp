// The undo journal: a step of every kind of change goes back and comes again exactly; no
// change makes no step; a new step drops the redo steps; the history stays in its bytes.
#include <gtest/gtest.h>

#include "host/drawing/drawing.h"
#include "host/drawing/tables.h"
#include "host/drawing/undo.h"
#include "tests/drawing/drawing_test_util.h"

using namespace drawing_test;
using qlhost::Drawing;
using qlhost::Node;
using qlhost::TheDrawing;
using qlhost::UndoHistory;
using qlhost::ValidateDrawing;

namespace {

class Undo : public ::testing::Test {
protected:
    void SetUp() override { TheDrawing().Reset(); }
    void TearDown() override {
        EXPECT_EQ(ValidateDrawing(TheDrawing()), "");
        TheDrawing().Reset();
    }
    // The listing with ids, the tables and the name: everything a step must give back.
    static std::string State() {
        const Drawing& d = TheDrawing();
        std::string state = qlhost::DumpList(*d.work) + d.fileName + "|" + std::to_string(d.nextId);
        for (const auto* table : {&d.tables.attributes, &d.tables.layers, &d.tables.fillStyles, &d.tables.lineStyles,
                                  &d.tables.fonts, &d.tables.dimStyles, &d.tables.textStyles})
            state.append(table->begin(), table->end());
        return state;
    }
    Node* Add(double tag) { return NodeOf(AddTagged(GetWorkDL(), tag)); }
    static Node* NodeOf(EntRec* e) { return qlhost::NodeOf(e); }
    UndoHistory history;
    std::string name;
};

}  // namespace

TEST_F(Undo, AStepOfEveryKindOfChangeGoesBackAndComesAgain) {
    Node* a = Add(1);
    Node* b = Add(2);
    Node* c = Add(3);
    Bytes group = Group();
    Node* g = NodeOf(AddEntity(GetWorkDL(), group.data()));
    Bytes member = Line(7, 7, 8, 8);
    AddEntity(OpenSubList(GetWorkDL(), g->record()), member.data());
    const std::string before = State();

    history.Begin(TheDrawing(), "EDIT");
    history.Begin(TheDrawing(), "inner");  // joins the open step
    double moved = 50;
    std::memcpy(a->record() + 32, &moved, sizeof moved);          // changed in place
    Work().Free(b);                                                 // removed
    Add(4);                                                         // added
    Work().LinkBefore(c, a);                                        // reordered
    AddEntity(SubList(GetWorkDL(), g->record()), member.data());   // a member added
    qlhost::Node* grown = Work().Resize(c, 200);                    // moved to a bigger block
    ASSERT_NE(grown, nullptr);
    qlhost::AddLayer(TheDrawing().tables, "Walls", 0);              // a table changed
    TheDrawing().fileName = "Other.cv7";
    EXPECT_FALSE(history.End(TheDrawing()));
    EXPECT_TRUE(history.End(TheDrawing()));
    TheDrawing().PurgeDeleted();
    const std::string after = State();
    ASSERT_NE(before, after);
    EXPECT_EQ(history.UndoCount(), 1u);
    EXPECT_EQ(history.NextUndoName(), "EDIT");

    ASSERT_TRUE(history.Undo(TheDrawing(), name));
    EXPECT_EQ(name, "EDIT");
    EXPECT_EQ(State(), before);
    EXPECT_EQ(ValidateDrawing(TheDrawing()), "");
    ASSERT_TRUE(history.Redo(TheDrawing(), name));
    EXPECT_EQ(State(), after);
    ASSERT_TRUE(history.Undo(TheDrawing(), name));
    EXPECT_EQ(State(), before);
    EXPECT_FALSE(history.Undo(TheDrawing(), name));
}

TEST_F(Undo, NoChangeMakesNoStepAndANewStepDropsTheRedoSteps) {
    Add(1);
    history.Begin(TheDrawing(), "CANCELLED");
    Node* temporary = Add(2);  // added and taken away again: nothing changed
    Work().Free(temporary);
    EXPECT_FALSE(history.End(TheDrawing()));
    EXPECT_EQ(history.UndoCount(), 0u);

    for (double tag : {10.0, 11.0}) {
        history.Begin(TheDrawing(), "ADD");
        Add(tag);
        EXPECT_TRUE(history.End(TheDrawing()));
    }
    ASSERT_TRUE(history.Undo(TheDrawing(), name));
    EXPECT_EQ(history.RedoCount(), 1u);
    history.Begin(TheDrawing(), "OTHER");
    Add(12);
    history.End(TheDrawing());
    EXPECT_EQ(history.RedoCount(), 0u);
    EXPECT_EQ(history.UndoCount(), 2u);
    EXPECT_EQ(Tags(Work()), (std::vector<double>{1, 10, 12}));
    EXPECT_FALSE(history.Redo(TheDrawing(), name));
    // Undo and redo wait while a step is open.
    history.Begin(TheDrawing(), "OPEN");
    EXPECT_FALSE(history.Undo(TheDrawing(), name));
    history.End(TheDrawing());
}

TEST_F(Undo, TheHistoryKeepsItsStepsWithinTheByteLimit) {
    // Ordinary steps: many more than the hundred kept at the least.
    static_assert(qlhost::kUndoMinSteps < 150);
    for (int i = 0; i < 150; ++i) {
        history.Begin(TheDrawing(), "ADD");
        Add(i);
        history.End(TheDrawing());
    }
    EXPECT_EQ(history.UndoCount(), 150u);
    const size_t perStep = history.Bytes() / 150;
    EXPECT_LT(perStep, 1024u);

    // A limit of about 20 steps drops the oldest; undoing everything kept stops there.
    history.SetByteLimit(perStep * 20);
    history.Begin(TheDrawing(), "ADD");
    Add(150);
    history.End(TheDrawing());
    EXPECT_LE(history.Bytes(), perStep * 20);
    EXPECT_GE(history.UndoCount(), 15u);
    EXPECT_LT(history.UndoCount(), 25u);
    // Undoing takes the after side's images, so the oldest steps may go meanwhile.
    const size_t kept = history.UndoCount();
    size_t undone = 0;
    while (history.Undo(TheDrawing(), name)) ++undone;
    EXPECT_LE(undone, kept);
    EXPECT_GE(undone, kept / 2);
    EXPECT_EQ(Work().count, 151u - undone);
    EXPECT_LE(history.Bytes(), perStep * 20 + 1024);
    // The latest step stays even when it alone is over the limit.
    history.SetByteLimit(1);
    history.Begin(TheDrawing(), "ADD");
    Add(1000);
    history.End(TheDrawing());
    EXPECT_EQ(history.UndoCount(), 1u);
    history.Clear();
    EXPECT_EQ(history.Bytes(), 0u);
}
