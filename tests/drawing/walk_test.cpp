// ForEachEntity: scopes, stop values, and callbacks that change the list under the walk.
#include <gtest/gtest.h>

#include <functional>

#include "host/drawing/drawing.h"
#include "host/drawing/tables.h"
#include "tests/drawing/drawing_test_util.h"

using namespace drawing_test;
using qlhost::NodeOf;
using qlhost::TheDrawing;

namespace {

using V = std::vector<double>;

class DrawingWalk : public ::testing::Test {
protected:
    void SetUp() override {
        TheDrawing().Reset();
        for (int i = 1; i <= 5; ++i) e[i] = AddTagged(work, i);
    }
    void TearDown() override {
        EXPECT_EQ(qlhost::ValidateDrawing(TheDrawing()), "");
        TheDrawing().Reset();
    }
    DList* work = GetWorkDL();
    EntRec* e[6] = {};
};

void SetLayerFlags(int layer, uint32_t flags) {
    unsigned char* entry = FindLayerID(layer);
    ASSERT_NE(entry, nullptr);
    std::memcpy(entry + qlhost::kLayerFlags, &flags, 4);
}

// A walk whose callback runs a lambda on each entity and records what it saw.
struct Probe {
    std::function<int(DList*, EntRec*)> action;
    V seen;
    static int Call(DList* list, EntRec* entity, void* self, void*) {
        auto* probe = static_cast<Probe*>(self);
        probe->seen.push_back(X1(entity));
        return probe->action ? probe->action(list, entity) : 0;
    }
    int Run(DList* list, uint32_t scope) { return ForEachEntity(list, Call, scope, this); }
};

}  // namespace

TEST_F(DrawingWalk, ScopesSelectInternalVisibleAndSelected) {
    Bytes internal = Record(0, 48);
    PutDouble(internal, 32, 6);
    AddEntity(work, internal.data());
    Bytes onHidden = Line(7, 0, 8, 0, 1);
    AddEntity(work, onHidden.data());
    Bytes onFrozen = Line(8, 0, 9, 0, 2);
    AddEntity(work, onFrozen.data());
    SetLayerFlags(1, qlhost::kLayerHidden);
    SetLayerFlags(2, qlhost::kLayerFrozen);
    DeleteEntity(work, e[5]);
    MarkEntity(work, e[2]);
    MarkEntity(work, e[4]);
    MarkEntity(work, Work().tail->record());  // on the frozen layer

    EXPECT_EQ(Walked(work, 0), (V{1, 2, 3, 4, 7, 8}));
    EXPECT_EQ(Walked(work, SCOPE_WITH_INTERNAL), (V{1, 2, 3, 4, 6, 7, 8}));
    EXPECT_EQ(Walked(work, SCOPE_VISIBLE), (V{1, 2, 3, 4}));
    EXPECT_EQ(Walked(work, SCOPE_SELECTED), (V{2, 4, 8}));
    EXPECT_EQ(Walked(work, 0x10800), (V{2, 4, 8}));
    EXPECT_EQ(Walked(work, 0x11000), (V{2, 4}));
    EXPECT_EQ(Walked(work, 0x1800), (V{1, 2, 3, 4, 6}));
    // A layer missing from the table counts as visible.
    Bytes unlisted = Line(9, 0, 10, 0, 77);
    AddEntity(work, unlisted.data());
    EXPECT_EQ(Walked(work, SCOPE_VISIBLE), (V{1, 2, 3, 4, 9}));
}

TEST_F(DrawingWalk, NonZeroResultStopsAndIsReturned) {
    Probe probe;
    probe.action = [](DList*, EntRec* entity) { return X1(entity) == 3 ? 42 : 0; };
    EXPECT_EQ(probe.Run(work, 0), 42);
    EXPECT_EQ(probe.seen, (V{1, 2, 3}));
    Probe empty;
    TheDrawing().Reset();
    EXPECT_EQ(empty.Run(GetWorkDL(), 0), 0);
    EXPECT_TRUE(empty.seen.empty());
}

TEST_F(DrawingWalk, CallbackGetsTheListTheEntityLivesIn) {
    EntRec* g = AddEntity(work, Group().data());
    DList* members = OpenSubList(work, g);
    AddTagged(members, 10);
    DList* seenList = nullptr;
    ForEachEntity(
        members,
        [](DList* list, EntRec*, void* out, void*) {
            *static_cast<DList**>(out) = list;
            return 0;
        },
        0, &seenList);
    EXPECT_EQ(seenList, members);
}

TEST_F(DrawingWalk, CallbackDeletingOrRemovingTheCurrentEntity) {
    Probe removing;
    removing.action = [](DList* list, EntRec* entity) {
        const double tag = X1(entity);
        if (tag == 2) RemoveEntity(list, entity);
        if (tag == 4) DeleteEntity(list, entity);
        return 0;
    };
    removing.Run(work, 0);
    EXPECT_EQ(removing.seen, (V{1, 2, 3, 4, 5}));
    EXPECT_EQ(Walked(work, 0), (V{1, 3, 5}));
    EXPECT_EQ(Tags(Work()), (V{1, 3, 4, 5}));
}

TEST_F(DrawingWalk, CallbackRemovingTheNextEntity) {
    Probe probe;
    EntRec* third = e[3];
    probe.action = [third](DList* list, EntRec* entity) {
        if (X1(entity) == 2) RemoveEntity(list, third);
        return 0;
    };
    probe.Run(work, 0);
    EXPECT_EQ(probe.seen, (V{1, 2, 4, 5}));
}

TEST_F(DrawingWalk, CallbackRemovingEverything) {
    Probe probe;
    probe.action = [](DList* list, EntRec*) {
        auto& l = *qlhost::ListOf(list);
        while (l.head) l.Free(l.head);
        return 0;
    };
    probe.Run(work, 0);
    EXPECT_EQ(probe.seen, (V{1}));
    EXPECT_EQ(Work().count, 0u);
}

TEST_F(DrawingWalk, EntitiesAddedDuringTheWalkAreNotVisited) {
    Probe probe;
    probe.action = [](DList* list, EntRec* entity) {
        AddTagged(list, 100 + X1(entity));
        CopyEntity(list, entity);
        return 0;
    };
    probe.Run(work, 0);
    EXPECT_EQ(probe.seen, (V{1, 2, 3, 4, 5}));
    EXPECT_EQ(Work().count, 15u);
}

TEST_F(DrawingWalk, MovedEntitiesAreVisitedOnce) {
    // Moving each visited entity to the end, as the front command does.
    Probe front;
    front.action = [](DList* list, EntRec* entity) {
        MoveAfter(list, entity, qlhost::ListOf(list)->tail->record());
        return 0;
    };
    front.Run(work, 0);
    EXPECT_EQ(front.seen, (V{1, 2, 3, 4, 5}));
    EXPECT_EQ(Tags(Work()), (V{1, 2, 3, 4, 5}));

    // Moving a later entity to the front: it is not met again; one moved ahead still is.
    EntRec* five = e[5];
    EntRec* one = e[1];
    Probe shuffle;
    shuffle.action = [five, one](DList* list, EntRec* entity) {
        if (X1(entity) == 2) {
            MoveBefore(list, five, one);
            MoveAfter(list, one, qlhost::ListOf(list)->tail->record());
        }
        return 0;
    };
    shuffle.Run(work, 0);
    EXPECT_EQ(shuffle.seen, (V{1, 2, 3, 4}));
    EXPECT_EQ(Tags(Work()), (V{5, 2, 3, 4, 1}));
}

TEST_F(DrawingWalk, ResizingTheNextEntityKeepsTheWalkOnIt) {
    EntRec* third = e[3];
    Probe probe;
    probe.action = [third](DList* list, EntRec* entity) {
        if (X1(entity) == 2) ResizeEntity(list, third, 5000);
        return 0;
    };
    probe.Run(work, 0);
    EXPECT_EQ(probe.seen, (V{1, 2, 3, 4, 5}));
}

TEST_F(DrawingWalk, NestedWalksOfTheSameList) {
    int inner = 0;
    ForEachEntity(
        work,
        [](DList* list, EntRec* entity, void* count, void*) {
            if (X1(entity) == 1) {
                // The inner walk deletes entity 3; the outer walk then skips it.
                ForEachEntity(
                    list,
                    [](DList* l, EntRec* x, void* n, void*) {
                        ++*static_cast<int*>(n);
                        if (X1(x) == 3) RemoveEntity(l, x);
                        return 0;
                    },
                    0, count);
            }
            return 0;
        },
        0, &inner);
    EXPECT_EQ(inner, 5);
    EXPECT_EQ(Walked(work, 0), (V{1, 2, 4, 5}));
}

TEST_F(DrawingWalk, RemovingTheContainerOfTheWalkedList) {
    EntRec* g = AddEntity(work, Group().data());
    DList* members = OpenSubList(work, g);
    AddTagged(members, 20);
    AddTagged(members, 21);
    Probe probe;
    probe.action = [g](DList*, EntRec*) { return RemoveEntity(GetWorkDL(), g) ? 0 : 1; };
    EXPECT_EQ(probe.Run(members, 0), 0);
    EXPECT_EQ(probe.seen, (V{20}));
    EXPECT_EQ(NodeOf(g), nullptr);
}

TEST_F(DrawingWalk, ReleasingTheWalkedTemporaryList) {
    DList* temp = CreateDList("~Temp.cv7", 2);
    AddTagged(temp, 1);
    AddTagged(temp, 2);
    Probe probe;
    probe.action = [](DList* list, EntRec*) {
        ReleaseList(list);
        return 0;
    };
    probe.Run(temp, 0);
    EXPECT_EQ(probe.seen, (V{1}));
    EXPECT_TRUE(TheDrawing().temporaries.empty());
}
