// Drawing lists: order, selection, delete/restore/purge, resize, deep copies, lookups.
#include <gtest/gtest.h>

#include "host/drawing/drawing.h"
#include "tests/drawing/drawing_test_util.h"

using namespace drawing_test;
using qlhost::Node;
using qlhost::NodeOf;
using qlhost::TheDrawing;
using qlhost::ValidateDrawing;

namespace {

class DrawingList : public ::testing::Test {
protected:
    void SetUp() override { TheDrawing().Reset(); }
    void TearDown() override {
        EXPECT_EQ(ValidateDrawing(TheDrawing()), "");
        TheDrawing().Reset();
    }
    DList* work = GetWorkDL();
};

using V = std::vector<double>;

}  // namespace

TEST_F(DrawingList, AddCopiesTheRecordAndKeepsOrder) {
    Bytes line = Line(1, 2, 3, 4);
    EntRec* a = AddEntity(work, line.data());
    ASSERT_NE(a, nullptr);
    EXPECT_NE(a, line.data());
    line[32] = 0xff;  // the stored copy does not follow the caller's buffer
    EXPECT_EQ(X1(a), 1.0);
    AddTagged(work, 2);
    AddTagged(work, 3);
    EXPECT_EQ(Tags(Work()), (V{1, 2, 3}));
    EXPECT_EQ(Work().count, 3u);
    EXPECT_NE(NodeOf(a)->id, 0u);
}

TEST_F(DrawingList, AddRefusesBadLengths) {
    Bytes tooShort = Record(2, 31);
    EXPECT_EQ(AddEntity(work, tooShort.data()), nullptr);
    Bytes huge = Record(2, 64);
    const uint32_t absurd = 0xfffffff0u;
    std::memcpy(huge.data(), &absurd, 4);
    EXPECT_EQ(AddEntity(work, huge.data()), nullptr);
    EXPECT_EQ(AddEntity(work, nullptr), nullptr);
    EXPECT_EQ(NewSubEntity(work, 2, 8), nullptr);
    EXPECT_EQ(Work().count, 0u);
}

TEST_F(DrawingList, NewSubEntityIsZeroFilled) {
    EntRec* e = NewSubEntity(work, 3, 34 + 16 * 4);
    ASSERT_NE(e, nullptr);
    uint32_t length;
    std::memcpy(&length, e, 4);
    EXPECT_EQ(length, 98u);
    EXPECT_EQ(e[4], 3);
    for (int i = 5; i < 98; ++i) ASSERT_EQ(e[i], 0) << i;
}

TEST_F(DrawingList, MovesBeforeAndAfter) {
    EntRec* a = AddTagged(work, 1);
    EntRec* b = AddTagged(work, 2);
    EntRec* c = AddTagged(work, 3);
    MoveAfter(work, a, c);
    EXPECT_EQ(Tags(Work()), (V{2, 3, 1}));
    MoveBefore(work, a, b);
    EXPECT_EQ(Tags(Work()), (V{1, 2, 3}));
    MoveBefore(work, c, a);
    EXPECT_EQ(Tags(Work()), (V{3, 1, 2}));
    MoveAfter(work, c, c);  // onto itself: nothing
    EXPECT_EQ(Tags(Work()), (V{3, 1, 2}));
    EXPECT_EQ(Work().head->record(), c);
    EXPECT_EQ(Work().tail->record(), b);
}

TEST_F(DrawingList, MoveAcrossListsIsRefused) {
    EntRec* a = AddTagged(work, 1);
    DList* temp = CreateDList("~Temp.cv7", 2);
    EntRec* t = AddTagged(temp, 9);
    MoveAfter(work, a, t);
    EXPECT_EQ(Tags(Work()), (V{1}));
    EXPECT_EQ(NodeOf(a)->owner, &Work());
    ReleaseList(temp);
}

TEST_F(DrawingList, DeleteHidesRestoreBringsBackPurgeFrees) {
    EntRec* a = AddTagged(work, 1);
    EntRec* b = AddTagged(work, 2);
    AddTagged(work, 3);
    MarkEntity(work, b);
    EXPECT_EQ(DeleteEntity(work, b), 1);
    EXPECT_EQ(DeleteEntity(work, b), 0);
    EXPECT_EQ(IsMarked(work, b), 0);  // a deleted entity leaves the selection
    EXPECT_EQ(Walked(work, 0), (V{1, 3}));
    EXPECT_EQ(RestoreEntity(work, b), 1);
    EXPECT_EQ(RestoreEntity(work, b), 0);
    EXPECT_EQ(Walked(work, 0), (V{1, 2, 3}));

    DeleteEntity(work, a);
    DeleteEntity(work, b);
    RestoreEntity(work, b);
    TheDrawing().PurgeDeleted();
    EXPECT_EQ(Tags(Work()), (V{2, 3}));
    EXPECT_EQ(NodeOf(a), nullptr);
}

TEST_F(DrawingList, LocatingADeletedEntityBringsItBack) {
    EntRec* a = AddTagged(work, 1);
    DeleteEntity(work, a);
    EXPECT_EQ(LocateEntity(work, a), a);
    TheDrawing().PurgeDeleted();
    EXPECT_EQ(Tags(Work()), (V{1}));
}

TEST_F(DrawingList, SelectionMarksAndClears) {
    EntRec* a = AddTagged(work, 1);
    EntRec* b = AddTagged(work, 2);
    EntRec* g = AddEntity(work, Group().data());
    DList* members = OpenSubList(work, g);
    EntRec* m = AddTagged(members, 5);
    MarkEntity(work, a);
    MarkEntity(members, m);
    MarkEntity(members, g);  // marks the entity whatever list is named
    EXPECT_EQ(IsMarked(work, a), 1);
    EXPECT_EQ(IsMarked(work, b), 0);
    EXPECT_EQ(IsMarked(work, g), 1);
    EXPECT_EQ(Walked(work, SCOPE_SELECTED), (V{1, 0}));
    UnmarkEntity(work, a);
    EXPECT_EQ(IsMarked(work, a), 0);
    ClearSelect();
    EXPECT_EQ(IsMarked(work, g), 0);
    EXPECT_EQ(IsMarked(members, m), 0);
}

TEST_F(DrawingList, RemoveFreesEntityAndMembers) {
    EntRec* g = AddEntity(work, Group().data());
    DList* members = OpenSubList(work, g);
    EntRec* inner = AddEntity(members, Group().data());
    AddTagged(OpenSubList(members, inner), 7);
    AddTagged(work, 1);
    const size_t live = TheDrawing().live.size();
    EXPECT_EQ(RemoveEntity(work, g), 1);
    EXPECT_EQ(TheDrawing().live.size(), live - 3);
    EXPECT_EQ(NodeOf(g), nullptr);
    EXPECT_EQ(RemoveEntity(work, g), 0);
    EXPECT_EQ(Tags(Work()), (V{1}));
}

TEST_F(DrawingList, SubListsOnlyForContainers) {
    EntRec* line = AddTagged(work, 1);
    EXPECT_EQ(OpenSubList(work, line), nullptr);
    EXPECT_EQ(SubList(work, line), nullptr);
    for (int type : {10, 12, 13, 34, 36}) {
        Bytes r = Record(type, 48);
        EntRec* c = AddEntity(work, r.data());
        EXPECT_EQ(SubList(work, c), nullptr) << type;
        DList* members = OpenSubList(work, c);
        ASSERT_NE(members, nullptr) << type;
        EXPECT_EQ(OpenSubList(work, c), members);
        EXPECT_EQ(SubList(work, c), members);
    }
}

TEST_F(DrawingList, ResizeInPlaceAndWithMove) {
    Bytes text = Record(5, 106);
    text[104] = 'A';
    EntRec* t = AddEntity(work, text.data());
    AddTagged(work, 2);
    // 106 fits the 112-byte capacity: same place, new byte zero.
    EntRec* same = ResizeEntity(work, t, 110);
    EXPECT_EQ(same, t);
    EXPECT_EQ(t[104], 'A');
    EXPECT_EQ(t[108], 0);

    MarkEntity(work, t);
    EntRec* grown = ResizeEntity(work, t, 4000);
    ASSERT_NE(grown, nullptr);
    EXPECT_NE(grown, t);
    uint32_t length;
    std::memcpy(&length, grown, 4);
    EXPECT_EQ(length, 4000u);
    EXPECT_EQ(grown[104], 'A');
    for (int i = 110; i < 4000; ++i) ASSERT_EQ(grown[i], 0) << i;
    EXPECT_EQ(IsMarked(work, grown), 1);
    EXPECT_EQ(Work().head->record(), grown);  // keeps its place and id
    // The old pointer is no longer an entity, but locating it leads to the new place.
    EXPECT_EQ(NodeOf(t), nullptr);
    EXPECT_EQ(LocateEntity(work, t), grown);
    EXPECT_EQ(ResizeEntity(work, grown, 8), nullptr);
    TheDrawing().PurgeDeleted();
    EXPECT_EQ(LocateEntity(work, t), nullptr);
}

TEST_F(DrawingList, StalePointersFollowRepeatedMoves) {
    EntRec* first = AddTagged(work, 1);
    EntRec* second = ResizeEntity(work, first, 500);
    EntRec* third = ResizeEntity(work, second, 5000);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(LocateEntity(work, first), third);
    EXPECT_EQ(DeleteEntity(work, first), 1);  // acts on the entity at its new place
    EXPECT_EQ(RestoreEntity(work, second), 1);
    EXPECT_EQ(Work().count, 1u);
    EXPECT_EQ(X1(third), 1.0);
}

TEST_F(DrawingList, DeletedThenResizedIsStillPurged) {
    EntRec* a = AddTagged(work, 1);
    DeleteEntity(work, a);
    Node* node = NodeOf(a);
    node->owner->Resize(node, 4000);
    TheDrawing().PurgeDeleted();
    EXPECT_EQ(Work().count, 0u);
}

TEST_F(DrawingList, ResetKeepsTheWorkingListObject) {
    AddTagged(work, 1);
    CreateDList("~Temp.cv7", 2);
    TheDrawing().Reset();
    EXPECT_EQ(GetWorkDL(), work);
    EXPECT_EQ(Work().count, 0u);
    EXPECT_TRUE(TheDrawing().temporaries.empty());
    EXPECT_EQ(NodeOf(AddTagged(work, 2))->id, 1u);
}

TEST_F(DrawingList, ResizedContainerKeepsItsMembers) {
    EntRec* g = AddEntity(work, Group().data());
    DList* members = OpenSubList(work, g);
    AddTagged(members, 4);
    EntRec* moved = ResizeEntity(work, g, 1000);
    ASSERT_NE(moved, g);
    EXPECT_EQ(SubList(work, moved), members);
    EXPECT_EQ(qlhost::ListOf(members)->parentNode, NodeOf(moved));
}

TEST_F(DrawingList, CopyIsDeepAndFresh) {
    EntRec* g = AddEntity(work, Group().data());
    DList* members = OpenSubList(work, g);
    AddTagged(members, 1);
    EntRec* inner = AddEntity(members, Group().data());
    AddTagged(OpenSubList(members, inner), 2);
    EntRec* gone = AddTagged(members, 3);
    DeleteEntity(members, gone);
    MarkEntity(work, g);

    DList* temp = CreateDList("~CopyDL.cv7", 2);
    EntRec* copy = CopyEntity(temp, g);
    ASSERT_NE(copy, nullptr);
    Node* node = NodeOf(copy);
    EXPECT_NE(node->id, NodeOf(g)->id);
    EXPECT_FALSE(node->selected());
    ASSERT_NE(node->children, nullptr);
    EXPECT_NE(node->children, qlhost::ListOf(members));
    EXPECT_EQ(Tags(*node->children), (V{1, 0}));  // the deleted member is not copied
    const Node* innerCopy = node->children->tail;
    ASSERT_NE(innerCopy->children, nullptr);
    EXPECT_EQ(Tags(*innerCopy->children), (V{2}));
    // Changing the copy leaves the source alone.
    copy[20] = 9;
    EXPECT_EQ(g[20], 0);
    ReleaseList(temp);
    EXPECT_EQ(qlhost::ListOf(temp), nullptr);
}

TEST_F(DrawingList, CopyOfAGroupIntoItsOwnMembersEnds) {
    EntRec* g = AddEntity(work, Group().data());
    DList* members = OpenSubList(work, g);
    AddTagged(members, 1);
    EntRec* copy = CopyEntity(members, g);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Work().count, 1u);
    EXPECT_EQ(qlhost::ListOf(members)->count, 2u);
    EXPECT_EQ(NodeOf(copy)->children->count, 1u);
}

TEST_F(DrawingList, NodeOfRejectsForeignPointers) {
    EntRec* a = AddTagged(work, 1);
    Bytes buffer = Line(0, 0, 1, 1);
    EXPECT_EQ(NodeOf(buffer.data()), nullptr);
    EXPECT_EQ(NodeOf(a + 8), nullptr);
    EXPECT_EQ(NodeOf(nullptr), nullptr);
    EXPECT_NE(NodeOf(a), nullptr);
    // Operations on foreign pointers do nothing.
    EXPECT_EQ(DeleteEntity(work, buffer.data()), 0);
    EXPECT_EQ(RemoveEntity(work, a + 8), 0);
    EXPECT_EQ(LocateEntity(work, buffer.data()), nullptr);
    MarkEntity(work, buffer.data());
    EXPECT_EQ(qlhost::ListOf(reinterpret_cast<DList*>(buffer.data())), nullptr);
}

TEST_F(DrawingList, ForeignListPointersAreRefused) {
    Bytes fake(600, 0);
    DList* list = reinterpret_cast<DList*>(fake.data());
    Bytes line = Line(0, 0, 1, 1);
    EXPECT_EQ(work->ops->AddEntity(list, line.data()), nullptr);
    EXPECT_EQ(work->ops->ForEachEntity(
                  list, [](DList*, EntRec*, void*, void*) { return 1; }, 0, nullptr, nullptr),
              0);
    EXPECT_EQ(work->ops->GetTemplate(list, 4), nullptr);
}

TEST_F(DrawingList, TemporaryListsCarryTheirNameAndGoAway) {
    DList* temp = CreateDList("~HatchBorder.cv7", 2);
    ASSERT_NE(temp, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(temp) + QL_DLIST_NAME_OFFSET, "~HatchBorder.cv7");
    EXPECT_EQ(temp->ops, work->ops);
    AddTagged(temp, 1);
    EXPECT_EQ(TheDrawing().temporaries.size(), 1u);
    ReleaseList(temp);
    EXPECT_TRUE(TheDrawing().temporaries.empty());
    ReleaseList(work);  // the working list is never released
    EXPECT_EQ(GetWorkDL(), work);
}

TEST_F(DrawingList, BeginChangeCountsAndTagsAreKept) {
    BeginChange(work);
    BeginChange(work);
    EXPECT_EQ(Work().changes, 2u);
    EntRec* a = AddTagged(work, 1);
    SetNewTag(a);
    EXPECT_TRUE(NodeOf(a)->flags & Node::kNewTag);
}

TEST_F(DrawingList, FindByIdReachesMembers) {
    EntRec* g = AddEntity(work, Group().data());
    EntRec* m = AddTagged(OpenSubList(work, g), 3);
    EXPECT_EQ(TheDrawing().FindById(NodeOf(m)->id), NodeOf(m));
    EXPECT_EQ(TheDrawing().FindById(12345), nullptr);
}

TEST_F(DrawingList, ValidationFindsBrokenLinks) {
    AddTagged(work, 1);
    EntRec* b = AddTagged(work, 2);
    Node* node = NodeOf(b);
    Node* saved = node->prev;
    node->prev = nullptr;
    EXPECT_NE(ValidateDrawing(TheDrawing()), "");
    node->prev = saved;
    const uint32_t bad = 20;
    std::memcpy(b, &bad, 4);
    EXPECT_NE(ValidateDrawing(TheDrawing()).find("record length"), std::string::npos);
    const uint32_t good = 64;
    std::memcpy(b, &good, 4);
}
