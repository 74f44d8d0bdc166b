// The transform and part commands through the host's prompts: each prompt's kind, cursor,
// flags and extra value, every exit frees the moving set and puts back what was taken out,
// and every exit of the part commands releases the part.
#include "core/commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/records.h"
#include "host/drawing/drawing.h"
#include "host/geometry/records.h"
#include "host/platform/system.h"
#include "host/protocol/protocol.h"
#include "tests/support/command_test.h"
#include "tests/support/temp_path.h"
#include "tests/ui/ui_script.h"
#include "transform/engine.h"

namespace {

namespace fs = std::filesystem;
using qlhost::Node;

const PromptArgs kSelect{REQ_SELECTION, "Select entities:", 1, 0, 0};

class TransformCommands : public HostCommandTest {
protected:
    void SetUp() override {
        UseCommands(
            {"transform test",
             {"QLMOVE", "QLCOPY", "QLROTATE", "QLROTATE2", "QLSCALE", "QLSHEAR", "QLPART",
              "QLPARTM"},
             {nullptr, QLMOVE, QLCOPY, QLROTATE, QLROTATE2, QLSCALE, QLSHEAR, QLPART, QLPARTM}});
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = ql_test::TempPath(std::string("transform_") + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        savedUserDir_ = qlhost::UserDir();
        qlhost::SetUserDir(dir_.string());
        first_ = Add(qlhost::MakeLine(0, 0, 10, 0));
        second_ = Add(qlhost::MakeCircle(5, 5, 2));
    }
    void TearDown() override {
        HostCommandTest::TearDown();
        qlhost::SetUserDir(savedUserDir_);
        fs::remove_all(dir_);
    }

    Node* Add(const qlhost::Record& record) {
        return qlhost::TheDrawing().work->Append(record.data(),
                                                 static_cast<uint32_t>(record.size()));
    }
    void Run(const char* name) {
        ASSERT_TRUE(qlhost::StartCommand(name));
        ASSERT_NE(qlhost::CurrentPrompt(), nullptr);
    }
    void SelectBoth() {
        qlhost::SelectAll();
        qlhost::AnswerSelection();
    }
    // Runs a command up to its drag prompt, with both entities selected.
    void UpToDrag(const char* name) {
        Run(name);
        SelectBoth();
        std::string command = name;
        qlhost::AnswerPoint(0, 0, 0, true);
        if (command == "QLROTATE2" || command == "QLSHEAR") qlhost::AnswerPoint(0, 10, 0, true);
        ASSERT_NE(qlhost::CurrentPrompt(), nullptr);
        ASSERT_TRUE(qlhost::CurrentPrompt()->drag) << name;
        qlhost::MoveCursor(3, 4);
    }
    size_t Temporaries() { return qlhost::TheDrawing().temporaries.size(); }
    void WritePart(const std::string& name) {
        std::ofstream out(dir_ / name);
        out << R"({"format": "quillet-drawing", "version": 1,
                  "entities": [{"type": "line", "p1": [0, 0], "p2": [2, 0]}]})";
    }

    fs::path dir_;
    std::string savedUserDir_;
    Node* first_ = nullptr;
    Node* second_ = nullptr;
};

TEST_F(TransformCommands, EveryCancelAfterCollectingFreesTheSetAndRestores) {
    for (const char* name : {"QLMOVE", "QLCOPY", "QLROTATE", "QLROTATE2", "QLSCALE", "QLSHEAR"}) {
        UpToDrag(name);
        EXPECT_EQ(TheMovingSet().count, 2u) << name;
        qlhost::AnswerPrompt(qlhost::kStatusCancel);
        EXPECT_FALSE(qlhost::CommandRunning()) << name;
        EXPECT_EQ(TheMovingSet().count, 0u) << name;
        EXPECT_EQ(TheMovingSet().head, nullptr) << name;
        ASSERT_EQ(qlhost::TheDrawing().work->count, 2u) << name;
        EXPECT_FALSE(first_->deleted()) << name;
        EXPECT_FALSE(second_->deleted()) << name;
        EXPECT_EQ(GetF64(first_->record(), kLineEnd), 10.0) << name;
    }
}

TEST_F(TransformCommands, EveryApplyFreesTheSetAndKeepsTheEntities) {
    for (const char* name : {"QLMOVE", "QLROTATE", "QLROTATE2", "QLSCALE", "QLSHEAR"}) {
        UpToDrag(name);
        qlhost::AnswerPoint(3, 4, 0, true);
        EXPECT_FALSE(qlhost::CommandRunning()) << name;
        EXPECT_EQ(TheMovingSet().count, 0u) << name;
        // A sheared circle is stored anew as another kind: walk the list, not the old nodes.
        const qlhost::HostList& work = *qlhost::TheDrawing().work;
        ASSERT_EQ(work.count, 2u) << name;
        for (const Node* node = work.head; node != nullptr; node = node->next) {
            EXPECT_TRUE(node->selected()) << name;
            EXPECT_FALSE(node->deleted()) << name;
        }
        EXPECT_EQ(qlhost::ValidateDrawing(qlhost::TheDrawing()), "") << name;
    }
}

TEST_F(TransformCommands, CancelsBeforeCollectingLeaveTheDrawing) {
    for (const char* name : {"QLMOVE", "QLCOPY", "QLROTATE", "QLROTATE2", "QLSCALE", "QLSHEAR"}) {
        Run(name);
        SelectBoth();
        qlhost::AnswerPrompt(qlhost::kStatusCancel);
        EXPECT_FALSE(qlhost::CommandRunning()) << name;
        EXPECT_EQ(TheMovingSet().count, 0u) << name;
        EXPECT_FALSE(first_->deleted()) << name;
    }
}

TEST_F(TransformCommands, EveryPromptHasItsKindCursorFlagsAndExtra) {
    const std::string placeAt = "Place at (CTRL=Scale, SHIFT=15° Rotate, SHIFT+CTRL=Free Rotate):";
    const PromptArgs next{REQ_POINT3, "Next point:", kDrag, 0x22, 723};
    for (const char* name : {"QLMOVE", "QLCOPY"}) {
        bool copy = std::string(name) == "QLCOPY";
        Run(name);
        ExpectPrompt(kSelect);
        SelectBoth();
        ExpectPrompt({REQ_POINT3, copy ? "Copy from point:" : "Base point:", 8, 0, 723});
        qlhost::AnswerPoint(0, 0, 0, true);
        ExpectPrompt({REQ_POINT3, placeAt, kDrag, 0x22, 723});
        qlhost::AnswerNumber(2);
        ExpectPrompt(next);
        if (copy) {
            qlhost::AnswerPoint(5, 5, 0, true);
            ExpectPrompt(next);
        }
        qlhost::AnswerPrompt(qlhost::kStatusCancel);
        EXPECT_FALSE(qlhost::CommandRunning()) << name;
    }

    const std::string rotateTo = "Rotate to (SHIFT = 15° snap): ";
    Run("QLROTATE");
    ExpectPrompt(kSelect);
    SelectBoth();
    ExpectPrompt({REQ_POINT2, "Rotate origin: ", 4, 0, 0});
    qlhost::AnswerPoint(0, 0, 0, false);
    ExpectPrompt({REQ_POINT2, rotateTo, kDrag, 32, 0});
    qlhost::AnswerPrompt(qlhost::kStatusCancel);

    Run("QLROTATE2");
    SelectBoth();
    ExpectPrompt({REQ_POINT2, "Rotate origin: ", 4, 0, 0});
    qlhost::AnswerPoint(0, 0, 0, false);
    ExpectPrompt({REQ_POINT2, "Rotate reference point: ", 5, 0, 0});
    qlhost::AnswerPoint(1, 0, 0, false);
    ExpectPrompt({REQ_POINT2, rotateTo, kDrag, 32, 0});
    qlhost::AnswerPrompt(qlhost::kStatusCancel);

    Run("QLSCALE");
    SelectBoth();
    ExpectPrompt({REQ_POINT3, "Scale origin: ", 8, 0, 0});
    qlhost::AnswerPoint(0, 0, 0, true);
    ExpectPrompt({REQ_POINT3, "Scale (SHIFT = move ref, CTRL = Independent X/Y): ", kDrag, 32, 0});
    qlhost::AnswerPrompt(qlhost::kStatusCancel);

    Run("QLSHEAR");
    SelectBoth();
    ExpectPrompt({REQ_POINT2, "Shear axis - first point: ", 4, 0, 0});
    qlhost::AnswerPoint(0, 0, 0, false);
    ExpectPrompt({REQ_POINT2, "Shear axis - second point: ", 5, 2, 0});
    qlhost::AnswerPoint(10, 0, 0, false);
    ExpectPrompt({REQ_POINT2, "Shear to point: ", kDrag, 0, 0});
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
    EXPECT_FALSE(qlhost::CommandRunning());
}

TEST_F(TransformCommands, PartPromptsAddThePlacedFlagAndDropTheExtraAfterANumber) {
    WritePart("door.cv7");
    const std::string placePart =
        "Place part at (CTRL = scale, SHIFT = rotate, SHIFT+CTRL = free rotate):";
    {
        qlhost::testing::UiScript script;
        script.Add("file", {(dir_ / "door.cv7").string()});
        Run("QLPART");
    }
    const std::string firstPlace = "Place at (CTRL = scale, SHIFT = rotate, SHIFT+CTRL = free Rotate):";
    ExpectPrompt({REQ_POINT3, firstPlace, kDrag, 32, 723});
    qlhost::AnswerNumber(2);
    ExpectPrompt({REQ_POINT3, firstPlace, kDrag, 32, 0});
    qlhost::AnswerPoint(1, 1, 0, true);
    ExpectPrompt({REQ_POINT3, placePart, kDrag, 34, 723});
    qlhost::AnswerPrompt(qlhost::kStatusCancel);

    Run("QLPARTM");
    const qlhost::PromptInfo* open = qlhost::CurrentPrompt();
    EXPECT_EQ(open->kind, REQ_TEXT);
    EXPECT_EQ(open->text, "Filename [" + (dir_ / "door.cv7").string() + "]: ");
    EXPECT_EQ(open->cursor, 1u);
    EXPECT_EQ(open->flags, 1u);
    EXPECT_EQ(open->extra, 0);
    qlhost::AnswerText("#door");
    ExpectPrompt({REQ_POINT3, placePart, kDrag, 32, 723});
    qlhost::AnswerPoint(1, 1, 0, true);
    ExpectPrompt({REQ_POINT3, placePart, kDrag, 34, 723});
    qlhost::AnswerNumber(3);
    ExpectPrompt({REQ_POINT3, placePart, kDrag, 34, 0});
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
    EXPECT_FALSE(qlhost::CommandRunning());
}

TEST_F(TransformCommands, PartmCancelReleasesThePartAfterPlacing) {
    WritePart("door.cv7");
    Run("QLPARTM");
    qlhost::AnswerText("#door");
    ASSERT_TRUE(qlhost::CommandRunning());
    EXPECT_EQ(Temporaries(), 1u);
    qlhost::MoveCursor(20, 20);
    qlhost::AnswerPoint(20, 20, 0, true);
    qlhost::AnswerNumber(2);
    qlhost::AnswerPoint(30, 20, 0, true);
    EXPECT_EQ(qlhost::TheDrawing().work->count, 4u);
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(Temporaries(), 0u);
    EXPECT_EQ(GetF64(qlhost::TheDrawing().work->tail->record(), kLineEnd), 34.0);
}

TEST_F(TransformCommands, PartmThatLoadsNothingHoldsNothing) {
    Run("QLPARTM");
    qlhost::AnswerText("#missing.cv7");
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(Temporaries(), 0u);
    Run("QLPARTM");
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(Temporaries(), 0u);
}

}  // namespace
