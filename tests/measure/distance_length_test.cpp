// QLDIST and QLLENGTH: the measured values, the selection walk with its ignored entities,
// and the length dialog's ignored count and right-button hook through the host.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/commands.h"
#include "core/records.h"
#include "host/drawing/drawing.h"
#include "host/drawing/tables.h"
#include "host/geometry/records.h"
#include "host/platform/hooks.h"
#include "host/protocol/protocol.h"
#include "host/protocol/session.h"
#include "host/ui/resources.h"
#include "measure/distance_length.h"
#include "tests/ui/ui_script.h"
#include "tests/support/command_test.h"

namespace {

using qlhost::Node;
using qlhost::Record;
using qlhost::testing::UiScript;

constexpr double kPi = 3.14159265358979323846;

TEST(DistanceValues, DifferencesAndDirection) {
    const double a[2] = {1, 1}, b[2] = {4, 5}, below[2] = {4, -3};
    DistanceValues v = MeasureBetween(a, b);
    EXPECT_DOUBLE_EQ(v.distance, 5);
    EXPECT_DOUBLE_EQ(v.dx, 3);
    EXPECT_DOUBLE_EQ(v.dy, 4);
    EXPECT_DOUBLE_EQ(v.angle, std::atan2(4.0, 3.0));
    v = MeasureBetween(a, below);
    EXPECT_DOUBLE_EQ(v.dy, -4);
    EXPECT_DOUBLE_EQ(v.angle, 2 * kPi + std::atan2(-4.0, 3.0));
    v = MeasureBetween(a, a);
    EXPECT_EQ(v.distance, 0);
    EXPECT_EQ(v.angle, 0);
}

class LengthCommands : public HostCommandTest {
protected:
    void SetUp() override {
        qlhost::SetResourceFolder(nullptr, std::string(QL_SOURCE_DIR) + "/resources");
        UseCommands({"measure test", {"QLLENGTH", "QLDIST"}, {nullptr, QLLENGTH, QLDIST}});
    }

    static Node* Add(const Record& record, bool selected = true) {
        Node* node = qlhost::TheDrawing().work->Append(record.data(), static_cast<uint32_t>(record.size()));
        if (selected) node->flags |= Node::kSelected;
        return node;
    }
    static bool Selected(const Node* node) { return (node->flags & Node::kSelected) != 0; }

};

TEST_F(LengthCommands, SelectionAddsLengthsAndDropsTheRest) {
    Node* line = Add(qlhost::MakeLine(0, 0, 3, 4));
    Node* circle = Add(qlhost::MakeCircle(0, 0, 1));
    Node* path = Add(qlhost::MakePath({{0, 0}, {0, 2}, {2, 2}}, false));
    Node* text = Add(qlhost::MakeText(5, 5, 2.5, 0, 0, 1, "A"));
    Node* group = Add(qlhost::MakeGroup());
    Node* unselected = Add(qlhost::MakeLine(0, 0, 100, 0), false);
    SelectionLength measured = MeasureSelection(GetWorkDL());
    EXPECT_NEAR(measured.total, 5 + 2 * kPi + 4, 1e-9);
    EXPECT_EQ(measured.ignored, 2);
    EXPECT_TRUE(Selected(line) && Selected(circle) && Selected(path));
    EXPECT_FALSE(Selected(text));
    EXPECT_FALSE(Selected(group));
    EXPECT_FALSE(Selected(unselected));
}

TEST_F(LengthCommands, HiddenLayersAreNotMeasured) {
    Add(qlhost::MakeLine(0, 0, 10, 0));
    Record hidden = qlhost::MakeText(5, 5, 2.5, 0, 0, 1, "A");
    PutU16(hidden.data(), kRecLayer, 2);
    Node* text = Add(hidden);
    PutU32(qlhost::FindLayer(qlhost::TheDrawing().tables, 2), kLayerFlags, kLayerHidden);
    SelectionLength measured = MeasureSelection(GetWorkDL());
    EXPECT_DOUBLE_EQ(measured.total, 10);
    EXPECT_EQ(measured.ignored, 0);
    EXPECT_TRUE(Selected(text));
    EXPECT_EQ(MeasureSelection(nullptr).ignored, 0);
}

TEST_F(LengthCommands, DialogShowsTheIgnoredCount) {
    Add(qlhost::MakeLine(0, 0, 0, 7));
    Add(qlhost::MakeText(5, 5, 2.5, 0, 0, 1, "A"));
    Add(qlhost::MakeText(9, 9, 2.5, 0, 0, 1, "B"));
    UiScript script;
    script.Dialog({"expect", "1038", "7.0000"});
    script.Dialog({"expect", "1058", "2"});
    script.Dialog({"expect-visible", "1058", "on"});
    script.Dialog({"expect", "1061", "entities was ignored!"});
    script.Run([] { EXPECT_EQ(qlhost::InstalledHooks(WH_MOUSE), 1); });
    script.Dialog({"click", "1"});
    ASSERT_TRUE(qlhost::StartCommand("QLLENGTH"));
    qlhost::AnswerPrompt(ST_DEFAULT);
    qlhost::AnswerSelection();
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_TRUE(script.faults.empty()) << script.faults.front();
    EXPECT_TRUE(script.actions.empty());
    EXPECT_EQ(qlhost::InstalledHooks(WH_MOUSE), 0);
}

TEST_F(LengthCommands, APickWithoutLengthShowsTheErrorAndEnds) {
    Add(qlhost::MakeText(5, 5, 2.5, 0, 0, 1, "A"), false);
    UiScript script;
    ASSERT_TRUE(qlhost::StartCommand("QLLENGTH"));
    qlhost::AnswerPick(5.5, 5.5);
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_TRUE(script.Transcribed("| Picked entity does not support length calculation"));
    EXPECT_EQ(qlhost::InstalledHooks(WH_MOUSE), 0);
}

}  // namespace
