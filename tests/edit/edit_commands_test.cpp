// Layer tools and draw order through the host's prompts: layer flags in the host's table,
// picks inside groups, layers missing from the table, filters, and list order after
// QLFRONT and QLBACK in lists, containers and with host-internal entities.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/commands.h"
#include "host/drawing/drawing.h"
#include "host/drawing/layouts.h"
#include "host/drawing/tables.h"
#include "host/geometry/records.h"
#include "host/platform/hooks.h"
#include "host/protocol/protocol.h"
#include "tests/support/command_test.h"

namespace {

using qlhost::Node;

class EditCommands : public HostCommandTest {
protected:
    void SetUp() override {
        UseCommands({"edit test",
                                 {"QLLAYERS", "QLHIDEF", "QLSHOWF", "QLTHAWF", "QLFREEZEF", "QLFRONT", "QLBACK"},
                                 {nullptr, QLLAYERS, QLHIDEF, QLSHOWF, QLTHAWF, QLFREEZEF, QLFRONT, QLBACK}});
    }

    static Node* Add(qlhost::HostList* list, qlhost::Record record, int layer = 0) {
        record[20] = static_cast<unsigned char>(layer);
        return list->Append(record.data(), static_cast<uint32_t>(record.size()));
    }
    static Node* Line(double y, int layer = 0, qlhost::HostList* list = nullptr) {
        return Add(list ? list : qlhost::TheDrawing().work.get(), qlhost::MakeLine(0, y, 10, y), layer);
    }
    static uint32_t Flags(int layer) { return qlhost::LayerFlags(qlhost::TheDrawing().tables, layer); }
    static std::vector<uint32_t> Order(const qlhost::HostList& list) {
        std::vector<uint32_t> ids;
        for (const Node* n = list.head; n; n = n->next) ids.push_back(n->id);
        return ids;
    }
    void Filter(const char* command, const char* pattern) {
        ASSERT_TRUE(qlhost::StartCommand(command));
        qlhost::AnswerText(pattern);
        EXPECT_FALSE(qlhost::CommandRunning());
    }
    void Select(std::initializer_list<const Node*> nodes) {
        std::vector<uint32_t> ids;
        for (const Node* n : nodes) ids.push_back(n->id);
        std::string error;
        qlhost::SelectIds(ids, error);
        ASSERT_EQ(error, "");
    }
    void RunOn(const char* command, std::initializer_list<const Node*> nodes) {
        ASSERT_TRUE(qlhost::StartCommand(command));
        Select(nodes);
        qlhost::AnswerSelection();
        EXPECT_FALSE(qlhost::CommandRunning());
    }

};

TEST_F(EditCommands, PickHidesTheLayerAndAsksAgain) {
    Line(0, 1);
    ASSERT_TRUE(qlhost::StartCommand("QLLAYERS"));
    qlhost::AnswerPick(5, 0);
    EXPECT_EQ(Flags(1) & qlhost::kLayerHidden, qlhost::kLayerHidden);
    ASSERT_NE(qlhost::CurrentPrompt(), nullptr);
    // A pick on nothing without a captured key ends the command.
    qlhost::AnswerPick(50, 50);
    EXPECT_FALSE(qlhost::CommandRunning());
}

TEST_F(EditCommands, GroupPickTakesTheMemberUnderThePoint) {
    Node* group = Add(qlhost::TheDrawing().work.get(), qlhost::MakeGroup());
    qlhost::HostList* members = group->owner->Children(group);
    Line(0, 2, members);
    Line(10, 3, members);
    ASSERT_TRUE(qlhost::StartCommand("QLLAYERS"));
    qlhost::AnswerPick(5, 10);
    EXPECT_EQ(Flags(3) & qlhost::kLayerHidden, qlhost::kLayerHidden);
    EXPECT_EQ(Flags(2), 0u);
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
}

TEST_F(EditCommands, LayerMissingFromTheTableIsIgnored) {
    Line(0, 77);
    ASSERT_TRUE(qlhost::StartCommand("QLLAYERS"));
    qlhost::AnswerPick(5, 0);
    ASSERT_NE(qlhost::CurrentPrompt(), nullptr);
    EXPECT_EQ(qlhost::CurrentPrompt()->kind, REQ_PICK);
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
    EXPECT_FALSE(qlhost::CommandRunning());
}

TEST_F(EditCommands, TabViewInvertsEveryLayerButTheCurrentOneAndBack) {
    auto& tables = qlhost::TheDrawing().tables;
    qlhost::SetCurrentEntry(tables.layers, qlhost::kTableEntries, 2);
    Line(0, 1);
    ASSERT_TRUE(qlhost::StartCommand("QLLAYERS"));
    qlhost::AnswerPick(5, 0);  // hides Walls
    qlhost::DeliverKey(VK_TAB, true);
    qlhost::DeliverKey(VK_TAB, false);
    qlhost::PumpMessages();
    EXPECT_EQ(Flags(1) & qlhost::kLayerHidden, 0u);
    EXPECT_EQ(Flags(2) & qlhost::kLayerHidden, 0u);  // current: never inverted
    EXPECT_EQ(Flags(3) & qlhost::kLayerHidden, qlhost::kLayerHidden);
    ASSERT_NE(qlhost::CurrentPrompt(), nullptr);
    EXPECT_NE(qlhost::CurrentPrompt()->text.find("to SHOW"), std::string::npos);
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(Flags(1) & qlhost::kLayerHidden, qlhost::kLayerHidden);
    EXPECT_EQ(Flags(2) & qlhost::kLayerHidden, 0u);
    EXPECT_EQ(Flags(3) & qlhost::kLayerHidden, 0u);
}

TEST_F(EditCommands, FiltersUseTheHostsPatternsAndSpareTheCurrentLayer) {
    Filter("QLHIDEF", "=D");  // Doors, Dimensions
    EXPECT_EQ(Flags(2), qlhost::kLayerHidden);
    EXPECT_EQ(Flags(5), qlhost::kLayerHidden);
    EXPECT_EQ(Flags(1), 0u);
    Filter("QLFREEZEF", "");  // every name but the current layer 0
    EXPECT_EQ(Flags(0), 0u);
    EXPECT_EQ(Flags(2), qlhost::kLayerHidden | qlhost::kLayerFrozen);
    EXPECT_EQ(Flags(6), qlhost::kLayerFrozen);
    Filter("QLTHAWF", "*s");
    EXPECT_EQ(Flags(2), qlhost::kLayerHidden);
    EXPECT_EQ(Flags(3), qlhost::kLayerFrozen);  // Furniture
    Filter("QLSHOWF", "doors");
    EXPECT_EQ(Flags(2), 0u);
    EXPECT_EQ(Flags(5), qlhost::kLayerHidden);
    ASSERT_TRUE(qlhost::StartCommand("QLHIDEF"));
    qlhost::AnswerPrompt(2);
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(Flags(1), 0u);
}

TEST_F(EditCommands, FrontKeepsOrderAndSkipsNothingSelected) {
    Node* a = Line(0);
    Node* x = Line(1);
    Node* b = Line(2);
    Node* y = Line(3);
    RunOn("QLFRONT", {a, b});
    EXPECT_EQ(Order(*qlhost::TheDrawing().work), (std::vector<uint32_t>{x->id, y->id, a->id, b->id}));
    EXPECT_FALSE(a->selected());
    // The last entity selected alone stays where it is.
    RunOn("QLFRONT", {b});
    EXPECT_EQ(Order(*qlhost::TheDrawing().work), (std::vector<uint32_t>{x->id, y->id, a->id, b->id}));
    RunOn("QLFRONT", {});
    EXPECT_EQ(Order(*qlhost::TheDrawing().work), (std::vector<uint32_t>{x->id, y->id, a->id, b->id}));
}

TEST_F(EditCommands, BackAnchorSkipsHostInternalEntities) {
    Node* internal = Add(qlhost::TheDrawing().work.get(), qlhost::MakeHeader(0, 32));
    Node* x = Line(1);
    Node* a = Line(2);
    RunOn("QLBACK", {a});
    EXPECT_EQ(Order(*qlhost::TheDrawing().work), (std::vector<uint32_t>{internal->id, a->id, x->id}));
    EXPECT_FALSE(a->selected());
}

TEST_F(EditCommands, ContainersReorderTheirMembersOnlyWithFlagTwo) {
    Node* before = Line(0);
    Node* container = Add(qlhost::TheDrawing().work.get(), qlhost::MakeContainer(36, 2));
    qlhost::HostList* inside = container->owner->Children(container);
    Node* m1 = Line(10, 0, inside);
    Node* m2 = Line(11, 0, inside);
    Node* after = Line(20);
    RunOn("QLBACK", {container, m2});
    EXPECT_EQ(Order(*inside), (std::vector<uint32_t>{m2->id, m1->id}));
    EXPECT_EQ(Order(*qlhost::TheDrawing().work), (std::vector<uint32_t>{before->id, container->id, after->id}));
    EXPECT_TRUE(container->selected());
    RunOn("QLFRONT", {container, m2});
    EXPECT_EQ(Order(*inside), (std::vector<uint32_t>{m1->id, m2->id}));
    EXPECT_EQ(Order(*qlhost::TheDrawing().work), (std::vector<uint32_t>{before->id, after->id, container->id}));
    // Flag 2 cleared: the members stay as they are.
    qlhost::layout::Put<uint32_t>(container->record(), container->length(), 32, 0);
    RunOn("QLFRONT", {m1});
    EXPECT_EQ(Order(*inside), (std::vector<uint32_t>{m1->id, m2->id}));
    EXPECT_TRUE(m1->selected());
}

}  // namespace
