// Text placement through the host's prompts: request flags, the key echo rule, following the
// current settings, K and D on the settings template, the entry points for other commands,
// and the edit mode of the text edit command.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/commands.h"
#include "core/hooks.h"
#include "host/platform/system.h"
#include "host/ui/resources.h"
#include "tests/text/text_test_util.h"
#include "tests/ui/ui_script.h"
#include "text/place.h"
#include "text/work_record.h"

namespace {

using qlhost::Node;
using qlhost::testing::UiScript;

std::string g_placed;
void PlaceCommand() { PlaceStringAsText(g_placed.c_str()); }

class TextPlacement : public texttest::TextHostTest {
protected:
    void SetUp() override {
        TextHostTest::SetUp();
        saved_ = qlhost::Commands();
        qlhost::SetCommandTable({"text test",
                                 {"QLTEXT", "QLTEDIT", "PLACE"},
                                 {nullptr, QLTEXT, QLTEDIT, PlaceCommand}});
        qlhost::SetResourceFolder(nullptr, std::string(QL_SOURCE_DIR) + "/resources");
        qlhost::ResetClock();
    }
    void TearDown() override {
        TextHostTest::TearDown();
        qlhost::SetCommandTable(saved_);
    }

    // QLTEXT up to the position prompt, with text typed into the dialog.
    void StartText(const std::string& text) {
        UiScript script;
        script.Dialog({"set", "1000", text}).Dialog({"click", "1"});
        ASSERT_TRUE(qlhost::StartCommand("QLTEXT"));
        ASSERT_NE(qlhost::CurrentPrompt(), nullptr);
        ASSERT_EQ(qlhost::CurrentPrompt()->text, "Place text (h = help):");
    }
    // A key press as the runtime delivers it: hooks first, posted messages, then the release.
    static void Key(int vk, bool shift = false) {
        if (shift) qlhost::SetKeyHeld(VK_SHIFT, true);
        qlhost::DeliverKey(vk, true);
        qlhost::PumpMessages();
        qlhost::DeliverKey(vk, false);
        if (shift) qlhost::SetKeyHeld(VK_SHIFT, false);
    }
    static EntRec* Rec() { return TextWorkRecord(); }
    static size_t TopCount() { return qlhost::TheDrawing().work->count; }
    static unsigned char* TemplateBlock() { return CurrentStyleBlock(TextTemplate()); }
    static std::vector<unsigned char>& TextTable() { return qlhost::TheDrawing().tables.textStyles; }

    qlhost::CommandTable saved_;
};

TEST_F(TextPlacement, RequestFlagsGainTwoOnceTheFirstCopyIsPlaced) {
    StartText("copies");
    EXPECT_EQ(qlhost::CurrentPrompt()->flags, 32u);
    for (int i = 0; i < 3; ++i) {
        qlhost::AnswerPoint(10.0 * i, 0, 0, false);
        ASSERT_NE(qlhost::CurrentPrompt(), nullptr);
        EXPECT_EQ(qlhost::CurrentPrompt()->flags, 34u) << i;
    }
    EXPECT_EQ(GetU32(Rec(), kRecLength), TextSize(6));
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(GetU32(Rec(), kRecLength), TextSize(6));
}

TEST_F(TextPlacement, AnEnterRightAfterAKeyIsItsEchoAndEatsTheNextNumber) {
    StartText("echo");
    Key('F');
    qlhost::AdvanceClock(99);
    qlhost::AnswerPrompt(ST_DEFAULT);
    ASSERT_TRUE(qlhost::CommandRunning());
    qlhost::AnswerNumber(7);
    EXPECT_FLOAT_EQ(GetF32(Rec(), kTextHeight), 2.5f);
    qlhost::AnswerNumber(7);
    EXPECT_FLOAT_EQ(GetF32(Rec(), kTextHeight), 7.0f);
    // Later than 100 ms an Enter ends the placement.
    Key('N');
    qlhost::AdvanceClock(100);
    qlhost::AnswerPrompt(ST_DEFAULT);
    EXPECT_FALSE(qlhost::CommandRunning());
}

TEST_F(TextPlacement, ATypedHeightKeepsThePositionAndDropsTheStyleNumber) {
    StartText("typed");
    qlhost::MoveCursor(12, 8);
    ASSERT_EQ(GetU16(Rec(), kTextStyleNumber), 1);
    // A number eaten after a key's echo changes nothing.
    Key(VK_TAB);
    qlhost::AnswerPrompt(ST_DEFAULT);
    qlhost::AnswerNumber(7);
    EXPECT_FLOAT_EQ(GetF32(Rec(), kTextHeight), 2.5f);
    EXPECT_EQ(GetU16(Rec(), kTextStyleNumber), 1);
    // A height typed by hand is the text's own, no longer the style's.
    qlhost::AnswerNumber(-3);
    EXPECT_FLOAT_EQ(GetF32(Rec(), kTextHeight), 3.0f);
    EXPECT_EQ(GetU16(Rec(), kTextStyleNumber), 0);
    EXPECT_EQ(GetF64(Rec(), kTextX), 12);
    EXPECT_EQ(GetF64(Rec(), kTextY), 8);
    qlhost::AnswerPoint(12, 8, 0, false);
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
    ASSERT_EQ(TopCount(), 1u);
    EXPECT_EQ(GetU16(qlhost::TheDrawing().work->head->record(), kTextStyleNumber), 0);
}

TEST_F(TextPlacement, TheTextFollowsChangedCurrentSettingsOnly) {
    StartText("follow");
    qlhost::MoveCursor(10, 10);
    Key('R');
    EXPECT_EQ(Rec()[kTextJustify], 2);
    ASSERT_NE(TemplateBlock(), nullptr);
    PutF32(TemplateBlock(), kSbHeight, 6.0f);
    qlhost::MoveCursor(20, 20);
    EXPECT_FLOAT_EQ(GetF32(Rec(), kTextHeight), 6.0f);
    EXPECT_EQ(Rec()[kTextJustify], 2);
    TemplateBlock()[kSbJustify] = 7;
    qlhost::MoveCursor(25, 20);
    EXPECT_EQ(Rec()[kTextJustify], 7);
    // A move with SHIFT held turns the text and does not look at the settings.
    PutF32(TemplateBlock(), kSbHeight, 9.0f);
    qlhost::SetKeyHeld(VK_SHIFT, true);
    qlhost::MoveCursor(25, 30);
    qlhost::SetKeyHeld(VK_SHIFT, false);
    EXPECT_FLOAT_EQ(GetF32(Rec(), kTextHeight), 6.0f);
    EXPECT_EQ(GetU16(Rec(), kTextStyleNumber), 0);
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
}

TEST_F(TextPlacement, KeepNormalisesTheTemplateAndCopiesTheWholeStyleBlock) {
    ASSERT_TRUE(qlhost::SetCurrentEntry(TextTable(), qlhost::kTableEntries, 2));
    StartText("keep");
    // "Title": height 5, bold, style number 2.
    EXPECT_FLOAT_EQ(GetF32(Rec(), kTextHeight), 5.0f);
    EXPECT_EQ(GetU16(Rec(), kTextStyleNumber), 2);
    // K alone keeps the text's style number too.
    Key('K');
    EXPECT_EQ(GetU16(TextTable().data(), kTblCurrentNumber), 0);
    EXPECT_EQ(GetU32(TextTable().data(), kTblCurrentOffset), kTblEntries);
    const unsigned char* first = TextTable().data() + kTblEntries + kEntryData;
    EXPECT_EQ(std::memcmp(first, Rec() + kTextStyleBlock, kStyleBlockSize), 0);
    EXPECT_EQ(GetU16(first, kSbStyleNumber), 2);
    // F changes the text by hand: its style number, and so the kept one, becomes 0.
    Key('F');
    Key('K');
    EXPECT_EQ(std::memcmp(first, Rec() + kTextStyleBlock, kStyleBlockSize), 0);
    EXPECT_EQ(GetU16(first, kSbStyleNumber), 0);
    EXPECT_EQ(first[kSbJustify], 11);
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
}

TEST_F(TextPlacement, KeepAndDefaultLeaveAnEmptyStyleTableAlone) {
    std::vector<unsigned char> empty(kTblEntries + 4, 0);
    PutU32(empty.data(), 0, static_cast<uint32_t>(empty.size()));
    empty[4] = TPL_TEXT_STYLES;
    PutU32(empty.data(), kTblCurrentOffset, 77);
    TextTable() = empty;
    StartText("nothing");
    Key('K');
    Key('D');
    qlhost::MoveCursor(3, 3);
    EXPECT_EQ(TextTable(), empty);
    qlhost::AnswerPoint(3, 3, 0, false);
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
    EXPECT_EQ(TopCount(), 1u);
}

TEST_F(TextPlacement, PlaceStringAsTextRefusesWhatTheRecordCannotHold) {
    g_placed.assign(kWorkStringCapacity, 'x');
    {
        UiScript script;
        ASSERT_TRUE(qlhost::StartCommand("PLACE"));
        EXPECT_FALSE(qlhost::CommandRunning());
        EXPECT_TRUE(script.Transcribed("| Not enough memory, please restart Corvane."));
    }
    g_placed.pop_back();
    ASSERT_TRUE(qlhost::StartCommand("PLACE"));
    ASSERT_NE(qlhost::CurrentPrompt(), nullptr);
    EXPECT_EQ(WorkStringLength(), kWorkStringCapacity - 1);
    EXPECT_EQ(GetU32(Rec(), kRecLength), TextSize(kWorkStringCapacity - 1));
    qlhost::AnswerPoint(1, 1, 0, false);
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
    ASSERT_EQ(TopCount(), 1u);
    EXPECT_EQ(Text(qlhost::TheDrawing().work->head).size(), kWorkStringCapacity - 1);
}

TEST_F(TextPlacement, AdoptTakesTheStyleAndAStringThatFits) {
    ASSERT_NE(EnsureTextWorkRecord(), nullptr);
    SetWorkString("before", 6);
    Node* text = Add(qlhost::MakeText(0, 0, 3.5, 0.5, 16, 2, "adopted"));
    PutU16(text->record(), kTextStyleNumber, 3);
    text->record()[kTextFlags] = kTextItalic;
    ASSERT_TRUE(qlhost::SetCurrentEntry(TextTable(), qlhost::kTableEntries, 3));
    AdoptTextFromEntity(text->record());
    EXPECT_EQ(GetU16(TextTable().data(), kTblCurrentNumber), 0);
    EXPECT_EQ(GetU32(TextTable().data(), kTblCurrentOffset), kTblEntries);
    const unsigned char* block = TemplateBlock();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GetU16(block, kSbStyleNumber), 0);
    EXPECT_EQ(std::memcmp(block + 2, text->record() + kTextStyleBlock + 2, kStyleBlockSize - 2), 0);
    EXPECT_STREQ(WorkString(), "adopted");

    Node* huge = Add(qlhost::MakeText(0, 0, 2, 0, 0, 1, std::string(kWorkStringCapacity, 'h')));
    AdoptTextFromEntity(huge->record());
    EXPECT_STREQ(WorkString(), "adopted");
}

class TextEditMode : public TextPlacement {
protected:
    // QLTEDIT: picks the text at (10, 10) and leaves the dialog with a new string and a button.
    Node* PickAndClose(const std::string& text, const char* button) {
        Node* node = AddText(10, 10, "abc");
        EXPECT_TRUE(qlhost::StartCommand("QLTEDIT"));
        UiScript script;
        script.Dialog({"set", "1000", text}).Dialog({"click", button});
        qlhost::AnswerPoint(10, 10, 0, false);
        return node;
    }
};

TEST_F(TextEditMode, TheBangKeyDoesNotRewriteAtTheOldPosition) {
    const std::string longer(300, 'z');
    Node* node = PickAndClose(longer, "1009");
    uint32_t id = node->id;
    ASSERT_EQ(qlhost::CurrentPrompt()->text, "Place text (h = help) [use old origin]:");
    Key('1', true);
    ASSERT_TRUE(qlhost::CommandRunning());
    EXPECT_EQ(Text(node), "abc");
    // The click moves the cursor there first, with SHIFT released.
    qlhost::MoveCursor(50, 40);
    qlhost::AnswerPoint(50, 40, 0, false);
    EXPECT_FALSE(qlhost::CommandRunning());
    Node* moved = qlhost::TheDrawing().FindById(id);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(Text(moved), longer);
    EXPECT_EQ(GetF64(moved->record(), kTextX), 50);
    EXPECT_EQ(GetF64(moved->record(), kTextY), 40);
    EXPECT_EQ(moved->length(), TextSize(300));
    EXPECT_EQ(qlhost::ValidateDrawing(qlhost::TheDrawing()), "");
}

TEST_F(TextEditMode, EscapeLeavesTheTextUnchangedAndUnmarked) {
    Node* node = PickAndClose("changed", "1009");
    EXPECT_NE(node->flags & Node::kHighlighted, 0u);
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(Text(node), "abc");
    EXPECT_EQ(node->flags & Node::kHighlighted, 0u);
}

TEST_F(TextEditMode, CancelAndOkLeaveThePickedTextUnmarkedAndAskForTheNext) {
    Node* node = PickAndClose("cancelled", "2");
    ASSERT_NE(qlhost::CurrentPrompt(), nullptr);
    EXPECT_EQ(qlhost::CurrentPrompt()->text, "Select text to edit: ");
    EXPECT_EQ(Text(node), "abc");
    EXPECT_EQ(node->flags & Node::kHighlighted, 0u);
    {
        UiScript script;
        script.Dialog({"set", "1000", "kept in place"}).Dialog({"click", "1"});
        qlhost::AnswerPoint(10, 10, 0, false);
    }
    ASSERT_NE(qlhost::CurrentPrompt(), nullptr);
    EXPECT_EQ(qlhost::CurrentPrompt()->text, "Select text to edit: ");
    Node* rewritten = qlhost::TheDrawing().FindById(node->id);
    ASSERT_NE(rewritten, nullptr);
    EXPECT_EQ(Text(rewritten), "kept in place");
    EXPECT_EQ(GetF64(rewritten->record(), kTextX), 10);
    EXPECT_EQ(rewritten->flags & Node::kHighlighted, 0u);
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
    EXPECT_FALSE(qlhost::CommandRunning());
}

TEST_F(TextEditMode, ATextTooLongForTheWorkRecordGoesToTheHostsEditor) {
    Node* huge = AddText(0, 0, std::string(kWorkStringCapacity, 'q'));
    EXPECT_EQ(TextEditDialog(huge->record()), kEditNotText);
    Node* line = Add(qlhost::MakeLine(0, 0, 1, 1));
    EXPECT_EQ(TextEditDialog(line->record()), kEditNotText);
    Node* fits = AddText(0, 0, std::string(kWorkStringCapacity - 1, 'q'));
    UiScript script;
    script.Dialog({"click", "2"});
    EXPECT_EQ(TextEditDialog(fits->record()), IDCANCEL);
    EXPECT_EQ(WorkStringLength(), kWorkStringCapacity - 1);
}

}  // namespace
