// The prompts of the editing commands as the host receives them: kind, text, cursor or drag
// procedure, flags and extra value, step by step through each command and boundary kind.
#include <gtest/gtest.h>

#include <string>

#include "core/commands.h"
#include "edit/cut.h"
#include "host/drawing/drawing.h"
#include "host/geometry/records.h"
#include "host/protocol/protocol.h"
#include "host/ui/resources.h"
#include "tests/support/command_test.h"
#include "tests/ui/ui_script.h"

namespace {

void Cancel() {
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
    EXPECT_FALSE(qlhost::CommandRunning());
}

class EditPrompts : public HostCommandTest {
protected:
    void SetUp() override {
        UseCommands({"edit prompts",
                     {"QLCUT", "QLMTRIM", "QLLAYERS", "QLHIDEF", "QLFRONT", "QLBACK"},
                     {nullptr, QLCUT, QLMTRIM, QLLAYERS, QLHIDEF, QLFRONT, QLBACK}});
        qlhost::SetResourceFolder(nullptr, std::string(QL_SOURCE_DIR) + "/resources");
        TheCutSettings() = CutSettings{};
        qlhost::TheDrawing().work->Append(qlhost::MakeLine(0, 0, 10, 0).data(), kLineSize);
    }
    void TearDown() override {
        HostCommandTest::TearDown();
        TheCutSettings() = CutSettings{};
    }
    // QLCUT through its dialog (OK) and the selection of everything.
    static void StartCut(int operation, int boundaryKind) {
        TheCutSettings().operation = operation;
        TheCutSettings().boundaryKind = boundaryKind;
        qlhost::testing::UiScript script;
        script.Dialog({"click", "1"});
        ASSERT_TRUE(qlhost::StartCommand("QLCUT"));
        ExpectPrompt({REQ_SELECTION, "Pick entities (h = help): ", 11, 0, 0});
        qlhost::SelectAll();
        qlhost::AnswerSelection();
    }
};

TEST_F(EditPrompts, CutAsksForEachBoundaryKindAndThePlace) {
    StartCut(kCutCopy, kBoundaryCircle);
    ExpectPrompt({REQ_POINT2, "Circle center:", 4, 0, 0});
    qlhost::AnswerPoint(5, 0, 0, false);
    ExpectPrompt({REQ_POINT2, "Point on circle (SHIFT = move center) or enter radius:", kDrag, 0x20, 0});
    qlhost::AnswerNumber(2);
    ExpectPrompt({REQ_POINT2, "Place at (CTRL = scale):", kDrag, 0x20, 723});
    qlhost::AnswerNumber(2);
    ExpectPrompt({REQ_POINT2, "Place at (CTRL = scale):", kDrag, 0x20, 723});
    Cancel();

    StartCut(kCutDelete, kBoundaryBox);
    ExpectPrompt({REQ_POINT2, "First corner:", 4, 0, 0});
    qlhost::AnswerPoint(0, 0, 0, false);
    ExpectPrompt({REQ_POINT2, "Opposite corner:", 6, 0, 0});
    Cancel();

    StartCut(kCutSelect, kBoundaryExisting);
    ExpectPrompt({REQ_PICK, "Pick a closed boundary entity:", 7, 0, 0});
    Cancel();
}

TEST_F(EditPrompts, TrimLayersAndDrawOrderPrompts) {
    ASSERT_TRUE(qlhost::StartCommand("QLMTRIM"));
    ExpectPrompt({REQ_SELECTION, "Multi trim - pick entities:", 7, 0, 0});
    qlhost::AnswerSelection();
    ExpectPrompt({REQ_POINT3, "Start of trim line:", 4, 0, 0});
    qlhost::AnswerPoint(0, 0, 0, true);
    ExpectPrompt({REQ_POINT3, "End of trim line:", 5, 0, 0});
    qlhost::AnswerPoint(0, 10, 0, true);
    ExpectPrompt({REQ_POINT3, "Keep side:", 1, 0, 0});
    Cancel();

    ASSERT_TRUE(qlhost::StartCommand("QLLAYERS"));
    ExpectPrompt({REQ_PICK,
                  "Pick entity on layer to HIDE (CTRL = Display, SHIFT = Set current, TAB = Show "
                  "hidden layers): ",
                  7, 0x40000c, 0});
    Cancel();

    ASSERT_TRUE(qlhost::StartCommand("QLHIDEF"));
    ExpectPrompt({REQ_TEXT, "Layer filter:", 1, 0, 0});
    Cancel();

    for (const char* name : {"QLFRONT", "QLBACK"}) {
        ASSERT_TRUE(qlhost::StartCommand(name));
        ExpectPrompt({REQ_SELECTION, "Select entities:", 1, 0, 0});
        Cancel();
    }
}

}  // namespace
