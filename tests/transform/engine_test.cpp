// The moving set against the reference host's drawing: taking out, restoring, applying in
// place and as copies, the preview's scratch copies, and the placement and shear matrices.
#include "transform/engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/records.h"
#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/geometry/geometry.h"
#include "host/geometry/records.h"
#include "host/protocol/session.h"
#include "transform/drag_helpers.h"
#include "transform/shear.h"

namespace {

using qlhost::Node;

constexpr double kHalfTurn = 3.14159265358979323846;

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        qlhost::TheDrawing().Reset();
        qlhost::ResetMatrixStack();
        FreeMovingSet();
    }
    void TearDown() override { FreeMovingSet(); }

    qlhost::HostList& Work() { return *qlhost::TheDrawing().work; }

    Node* Add(const qlhost::Record& record, bool selected) {
        Node* node = Work().Append(record.data(), static_cast<uint32_t>(record.size()));
        if (selected) node->flags |= Node::kSelected;
        return node;
    }

    static void Translation(double dx, double dy, double* matrix) {
        CTMI3();
        CTMT3(dx, dy, 0);
        STCTM(matrix);
        CTMI3();
    }

    static std::vector<unsigned char> Bytes(const Node* node) {
        return {node->record(), node->record() + node->length()};
    }

    size_t LiveCount() {
        size_t n = 0;
        for (Node* node = Work().head; node != nullptr; node = node->next) n += !node->deleted();
        return n;
    }
};

TEST_F(EngineTest, TakeOutAndRestoreGivesBackTheSameEntities) {
    Node* a = Add(qlhost::MakeLine(0, 0, 10, 0), true);
    Node* b = Add(qlhost::MakeCircle(5, 5, 2), true);
    Node* c = Add(qlhost::MakeLine(0, 1, 10, 1), false);
    auto bytesA = Bytes(a), bytesB = Bytes(b), bytesC = Bytes(c);

    ASSERT_TRUE(CollectSelection(true));
    EXPECT_EQ(TheMovingSet().count, 2u);
    EXPECT_TRUE(a->deleted());
    EXPECT_TRUE(b->deleted());
    EXPECT_FALSE(c->deleted());

    RestoreMoving();
    FreeMovingSet();
    qlhost::TheDrawing().PurgeDeleted();
    ASSERT_EQ(Work().count, 3u);
    EXPECT_EQ(Bytes(Work().head), bytesA);
    EXPECT_EQ(Bytes(Work().head->next), bytesB);
    EXPECT_EQ(Bytes(Work().tail), bytesC);
    EXPECT_EQ(LiveCount(), 3u);
    EXPECT_EQ(qlhost::ValidateDrawing(qlhost::TheDrawing()), "");
}

TEST_F(EngineTest, ApplyInPlacePutsTakenOutEntitiesBackTransformedAndSelected) {
    Node* a = Add(qlhost::MakeLine(0, 0, 10, 0), true);
    Add(qlhost::MakeLine(0, 1, 10, 1), false);
    ASSERT_TRUE(CollectSelection(true));
    HostMatrix m;
    Translation(5, 2, m);
    BeginChange(GetWorkDL());
    ApplyInPlace(m);
    FreeMovingSet();
    // What the end of a command does with entities still deleted.
    qlhost::TheDrawing().PurgeDeleted();

    ASSERT_EQ(Work().count, 2u);
    Node* moved = Work().head;
    EXPECT_EQ(moved, a);
    EXPECT_FALSE(moved->deleted());
    EXPECT_TRUE(moved->selected());
    EXPECT_DOUBLE_EQ(GetF64(moved->record(), kLineStart), 5.0);
    EXPECT_DOUBLE_EQ(GetF64(moved->record(), kLineStart + 8), 2.0);
    EXPECT_DOUBLE_EQ(GetF64(moved->record(), kLineEnd), 15.0);
    EXPECT_EQ(qlhost::ValidateDrawing(qlhost::TheDrawing()), "");
}

TEST_F(EngineTest, ApplyInPlaceUsesTheRecordTheTransformReturns) {
    Add(qlhost::MakeCircle(0, 0, 1), true);
    ASSERT_TRUE(CollectSelection(true));
    HostMatrix m;
    CTMI3();
    CTMS3(3, 1, 1);
    STCTM(m);
    CTMI3();
    ApplyInPlace(m);
    const EntRec* after = TheMovingSet().head->entity;
    ASSERT_NE(qlhost::NodeOf(after), nullptr);
    EXPECT_EQ(qlhost::NodeOf(after)->record(), after);
    EXPECT_NE(RecordType(after), ET_CIRCLE);  // a circle scaled unevenly is no circle
    EXPECT_EQ(qlhost::ValidateDrawing(qlhost::TheDrawing()), "");
}

TEST_F(EngineTest, CopiesFollowTheirSourcesSelectedAndTagged) {
    Node* a = Add(qlhost::MakeLine(0, 0, 1, 0), true);
    Node* b = Add(qlhost::MakeLine(0, 5, 1, 5), false);
    Node* c = Add(qlhost::MakeLine(0, 9, 1, 9), true);
    ASSERT_TRUE(CollectSelection(false));
    EXPECT_FALSE(a->deleted());
    HostMatrix m;
    Translation(0, 100, m);
    ApplyAsCopies(m);
    ApplyAsCopies(m);

    ASSERT_EQ(Work().count, 7u);
    std::vector<Node*> order;
    for (Node* n = Work().head; n != nullptr; n = n->next) order.push_back(n);
    EXPECT_EQ(order[0], a);
    EXPECT_EQ(order[3], b);
    EXPECT_EQ(order[4], c);
    for (int i : {1, 2, 5, 6}) {
        EXPECT_TRUE(order[i]->selected()) << i;
        EXPECT_TRUE(order[i]->flags & Node::kNewTag) << i;
        EXPECT_DOUBLE_EQ(GetF64(order[i]->record(), kLineStart + 8), i < 4 ? 100.0 : 109.0) << i;
    }

    UnmarkMoving();
    EXPECT_FALSE(a->selected());
    EXPECT_FALSE(c->selected());
    EXPECT_TRUE(order[1]->selected());
}

TEST_F(EngineTest, EmptySelectionChangesNothing) {
    Add(qlhost::MakeLine(0, 0, 1, 0), false);
    ASSERT_TRUE(CollectSelection(true));
    EXPECT_EQ(TheMovingSet().count, 0u);
    HostMatrix m;
    Translation(1, 1, m);
    ApplyInPlace(m);
    EXPECT_DOUBLE_EQ(GetF64(Work().head->record(), kLineStart), 0.0);
    EXPECT_FALSE(Work().head->selected());
}

TEST_F(EngineTest, PreviewDrawsEachEntityAndLeavesNoScratchCopy) {
    Add(qlhost::MakeLine(0, 0, 1, 0), true);
    Add(qlhost::MakeCircle(3, 3, 1), true);
    ASSERT_TRUE(CollectSelection(true));
    HostMatrix m;
    Translation(10, 0, m);
    qlhost::BeginFrame(100, 75);
    DrawMovingPreview(qlhost::DragContext(), m);
    const auto& prims = qlhost::CurrentFrame().prims;
    ASSERT_EQ(prims.size(), 2u);
    EXPECT_EQ(prims[0].kind, qlhost::PreviewPrim::Entity);
    EXPECT_DOUBLE_EQ(GetF64(prims[0].record.data(), kLineStart), 10.0);
    EXPECT_DOUBLE_EQ(GetF64(prims[1].record.data(), kCircleCentre), 13.0);
    EXPECT_EQ(Work().count, 2u);
    RestoreMoving();
}

TEST_F(EngineTest, PlacementMatrixCarriesBaseToTargetTurnedAndScaled) {
    PlacementDragState state;
    const double base[3] = {1, 2, 0};
    ResetPlacement(state, PlacementKind::Selection, base);
    state.angle = kHalfTurn / 2;
    state.scale = 2;
    const double target[3] = {10, 10, 0};
    HostMatrix m;
    PlacementMatrix(state, target, m);
    double p[2] = {1, 2};
    TRNP2(p, m);
    EXPECT_NEAR(p[0], 10, 1e-12);
    EXPECT_NEAR(p[1], 10, 1e-12);
    double q[2] = {2, 2};
    TRNP2(q, m);
    EXPECT_NEAR(q[0], 10, 1e-12);
    EXPECT_NEAR(q[1], 12, 1e-12);
}

TEST_F(EngineTest, PartMatrixKeepsTheCurrentMatrix) {
    PlacementDragState state;
    const double origin[3] = {0, 0, 0};
    ResetPlacement(state, PlacementKind::Part, origin);
    state.scale = 3;
    CTMI2();
    CTMT2(7, 7);
    const double target[3] = {1, 1, 0};
    HostMatrix m;
    PlacementMatrix(state, target, m);
    double p[2] = {1, 0};
    TRNP2(p, m);
    EXPECT_NEAR(p[0], 4, 1e-12);
    EXPECT_NEAR(p[1], 1, 1e-12);
    double q[2] = {0, 0};
    TRNP2(q, nullptr);
    EXPECT_NEAR(q[0], 7, 1e-12);
    CTMI2();
}

TEST_F(EngineTest, ShearTakesThePerpendicularPointToTheChosenPoint) {
    // A slanted axis: from (0, 0) to (10, 10); its left normal is (-1, 1) / sqrt 2.
    const double axis[4] = {0, 0, 10, 10};
    const double chosen[2] = {7, 15};
    HostMatrix m;
    ShearMatrix(axis, chosen, m);
    // The chosen point lies at distance d from the axis; the perpendicular point through
    // the second axis point at that distance goes to it.
    double d = (chosen[1] - chosen[0]) / std::sqrt(2.0);
    double q[2] = {10 - d / std::sqrt(2.0), 10 + d / std::sqrt(2.0)};
    TRNP2(q, m);
    EXPECT_NEAR(q[0], chosen[0], 1e-9);
    EXPECT_NEAR(q[1], chosen[1], 1e-9);
    // Points on the axis stay.
    double r[2] = {3, 3};
    TRNP2(r, m);
    EXPECT_NEAR(r[0], 3, 1e-9);
    EXPECT_NEAR(r[1], 3, 1e-9);
}

TEST_F(EngineTest, ShearWithThePointOnASlantedAxisIsTheExactIdentity) {
    const double axis[4] = {1, 2, 4.3, 9.7};
    const double onAxis[2] = {1 + 3.3 * 2.5, 2 + 7.7 * 2.5};
    HostMatrix m;
    ShearMatrix(axis, onAxis, m);
    HostMatrix identity;
    CTMI2();
    STCTM(identity);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], identity[i]) << i;
}

class StatusLabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        PutF64(ctx_, QL_DRAG_VIEW_WIDTH, 100);
        PutF64(ctx_, QL_DRAG_VIEW_HEIGHT, 75);
        qlhost::BeginFrame(100, 75);
    }
    // The texts drawn into the frame.
    static std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (const auto& prim : qlhost::CurrentFrame().prims) {
            if (prim.kind == qlhost::PreviewPrim::Text) texts.push_back(prim.text);
        }
        return texts;
    }
    const double cursor_[2] = {12.5, -3};
    alignas(16) unsigned char ctx_[qlhost::kDragContextSize] = {};
};

TEST_F(StatusLabelTest, ScaleLabelShowsTwoDecimalsBesideTheCursor) {
    double scale = 2;
    DrawDragStatus(ctx_, cursor_, DS_SCALE, &scale, nullptr, nullptr);
    ASSERT_EQ(Texts(), std::vector<std::string>{"Scale 2.00"});
    const auto& data = qlhost::CurrentFrame().prims.back().record;
    ASSERT_GE(data.size(), kTdString);
    EXPECT_EQ(GetF64(data.data(), kTdX), 12.5);
    EXPECT_EQ(GetF64(data.data(), kTdY), -3.0);
    EXPECT_EQ(GetF32(data.data(), kTdHeight), 75.0f / 20);
    EXPECT_EQ(GetF32(data.data(), kTdSpacing), 150.0f);
    EXPECT_EQ(GetU8(data.data(), kTdJustify), 9);
}

TEST_F(StatusLabelTest, DifferentScalesShowXAndY) {
    double x = 2, y = 0.5, same = 2;
    DrawDragStatus(ctx_, cursor_, DS_SCALE, &x, &y, nullptr);
    DrawDragStatus(ctx_, cursor_, DS_SCALE, &x, &same, nullptr);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"X: 2.00 Y: 0.50", "Scale 2.00"}));
}

TEST_F(StatusLabelTest, AngleAndHeightLabels) {
    double quarter = kHalfTurn / 2;
    float eighth = static_cast<float>(kHalfTurn / 4);
    float height = 2.5f;
    DrawDragStatus(ctx_, cursor_, DS_ANGLE, &quarter, nullptr, nullptr);
    DrawDragStatus(ctx_, cursor_, DS_ANGLE, nullptr, nullptr, &eighth);
    DrawDragStatus(ctx_, cursor_, DS_HEIGHT, nullptr, nullptr, &height);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Angle: 90.0", "Angle: 45.0", "Height: 2.5"}));
}

TEST_F(StatusLabelTest, MissingValuesAndUnknownModesDrawNothing) {
    double value = 1;
    DrawDragStatus(ctx_, cursor_, DS_SCALE, nullptr, &value, nullptr);
    DrawDragStatus(ctx_, cursor_, DS_ANGLE, nullptr, &value, nullptr);
    DrawDragStatus(ctx_, cursor_, DS_HEIGHT, &value, nullptr, nullptr);
    DrawDragStatus(ctx_, cursor_, DS_NONE, &value, nullptr, nullptr);
    DrawDragStatus(ctx_, cursor_, 7, &value, nullptr, nullptr);
    EXPECT_TRUE(qlhost::CurrentFrame().prims.empty());
}

}  // namespace
