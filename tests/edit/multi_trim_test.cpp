// QLMTRIM through the host's prompts: closed entities opened at their first crossing, the
// pieces on the other side removed at once, entities on hidden layers and entities that do
// not cross left alone, and a trim line without length.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/commands.h"
#include "core/records.h"
#include "host/drawing/drawing.h"
#include "host/drawing/tables.h"
#include "host/geometry/geometry.h"
#include "host/geometry/records.h"
#include "host/protocol/protocol.h"
#include "tests/support/command_test.h"

namespace {

using qlhost::Node;
using qlhost::Record;

class MultiTrim : public HostCommandTest {
protected:
    void SetUp() override { UseCommands({"trim test", {"QLMTRIM"}, {nullptr, QLMTRIM}}); }

    static qlhost::HostList& Work() { return *qlhost::TheDrawing().work; }
    static Node* Add(const Record& record) {
        Node* node = Work().Append(record.data(), static_cast<uint32_t>(record.size()));
        node->flags |= Node::kSelected;
        return node;
    }
    static void Trim(double x1, double y1, double x2, double y2, double kx, double ky) {
        ASSERT_TRUE(qlhost::StartCommand("QLMTRIM"));
        qlhost::AnswerSelection();
        qlhost::AnswerPoint(x1, y1, 0, true);
        qlhost::AnswerPoint(x2, y2, 0, true);
        qlhost::AnswerPoint(kx, ky, 0, true);
        EXPECT_FALSE(qlhost::CommandRunning());
        EXPECT_EQ(qlhost::ValidateDrawing(qlhost::TheDrawing()), "");
    }
    static std::vector<Node*> Nodes() {
        std::vector<Node*> nodes;
        for (Node* n = Work().head; n != nullptr; n = n->next) nodes.push_back(n);
        return nodes;
    }
};

TEST_F(MultiTrim, ABoxIsOpenedAndKeepsTheHalfOnTheKeptSide) {
    Add(qlhost::MakeBox(0, 0, 10, 4));
    Trim(6, -10, 6, 10, 1, 1);
    std::vector<Node*> nodes = Nodes();
    ASSERT_EQ(nodes.size(), 1u);
    const EntRec* path = nodes[0]->record();
    ASSERT_EQ(RecordType(path), ET_PATH);
    uint32_t count = GetU16(path, kPolyCount);
    ASSERT_GE(count, 2u);
    for (uint32_t i = 0; i < count; ++i) EXPECT_LE(GetF64(path, PolyVertex(i)), 6.0 + 1e-9);
    double start[2], end[2];
    GetPoint(path, PolyVertex(0), start);
    GetPoint(path, PolyVertex(count - 1), end);
    EXPECT_NEAR(start[0], 6, 1e-9);
    EXPECT_NEAR(end[0], 6, 1e-9);
    EXPECT_NEAR(std::fabs(start[1] - end[1]), 4, 1e-9);
}

TEST_F(MultiTrim, HiddenLayersTextsAndMissesAreLeftAlone) {
    Node* hidden = Add(qlhost::MakeLine(0, 1, 10, 1));
    PutU16(hidden->record(), kRecLayer, 1);
    unsigned char* layer = qlhost::FindLayer(qlhost::TheDrawing().tables, 1);
    ASSERT_NE(layer, nullptr);
    PutU32(layer, qlhost::kLayerFlags, 1);
    Node* text = Add(qlhost::MakeText(5, 2, 2.5, 0, 0, 1, "across"));
    Node* miss = Add(qlhost::MakeLine(0, 5, 4, 5));
    Trim(6, -10, 6, 10, 1, 1);
    ASSERT_EQ(Nodes().size(), 3u);
    EXPECT_TRUE(hidden->selected());
    EXPECT_EQ(GetF64(hidden->record(), kLineEnd), 10.0);
    EXPECT_FALSE(text->selected());
    EXPECT_FALSE(miss->selected());
}

TEST_F(MultiTrim, ATrimLineWithoutLengthCutsNothing) {
    Node* line = Add(qlhost::MakeLine(0, 0, 10, 0));
    Trim(5, 0, 5, 0, 1, 1);
    ASSERT_EQ(Nodes().size(), 1u);
    EXPECT_EQ(GetF64(line->record(), kLineEnd), 10.0);
    EXPECT_FALSE(line->selected());
}

TEST_F(MultiTrim, PiecesOnTheOtherSideAreRemovedAtOnce) {
    // An arc of almost a full turn crosses twice: its middle goes, both ends stay.
    Add(qlhost::MakeArc(0, 0, 3, 0.1, 6.0));
    Trim(1, -10, 1, 10, 8, 0);
    std::vector<Node*> nodes = Nodes();
    ASSERT_EQ(nodes.size(), 2u);
    for (Node* n : nodes) {
        EXPECT_FALSE(n->deleted());
        EXPECT_EQ(n->type(), ET_ARC);
        double half = 0.5, middle[2];
        ASSERT_TRUE(EGet(n->record(), 0, &half, middle));
        EXPECT_LE(middle[0], 3.0);
        EXPECT_GT(middle[0], 1.0);
    }
}

}  // namespace
