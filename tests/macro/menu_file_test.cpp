// Menu file parsing of QLCMENU: labels, separators, script offsets, bounds.
#include "macro/menu_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ScriptOf(const std::string& text, const MenuItem& item) {
    if (item.scriptOffset == kNoScript) return "<none>";
    return std::string(MenuScriptAt(text.data(), text.size() + 1, item.scriptOffset));
}

}  // namespace

TEST(MenuFile, LabelsScriptsAndSeparators) {
    std::string text = "Draw line:LINE 0,0 10,10\r\n-\r\n\r\nNo script\r\nEmpty:\r\n:orphan\r\nLast:ZOOM";
    auto items = ParseMenuFile(text.c_str(), text.size() + 1);
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].label, "Draw line");
    EXPECT_EQ(ScriptOf(text, items[0]), "LINE 0,0 10,10");
    EXPECT_TRUE(items[1].separator);
    EXPECT_EQ(items[2].label, "No script");
    EXPECT_EQ(items[2].scriptOffset, kNoScript);
    EXPECT_EQ(items[3].label, "Empty");
    EXPECT_EQ(ScriptOf(text, items[3]), "");
    // ":orphan" has an empty label and adds nothing.
    EXPECT_EQ(items[4].label, "Last");
    EXPECT_EQ(ScriptOf(text, items[4]), "ZOOM");
}

TEST(MenuFile, ScriptKeepsLaterColonsAndOffsetsPointAfterTheColon) {
    std::string text = "A:SETVAR X \"a:b\"\n";
    auto items = ParseMenuFile(text.c_str(), text.size());
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].scriptOffset, 2u);
    EXPECT_EQ(ScriptOf(text, items[0]), "SETVAR X \"a:b\"");
}

TEST(MenuFile, LineFeedOnlyFilesEndLabelsAtTheLineEnd) {
    std::string text = "Plain\nRun:GO\n";
    auto items = ParseMenuFile(text.c_str(), text.size());
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].label, "Plain");
    EXPECT_EQ(items[0].scriptOffset, kNoScript);
    EXPECT_EQ(items[1].label, "Run");
    EXPECT_EQ(ScriptOf(text, items[1]), "GO");
}

TEST(MenuFile, WalkStaysWithinTheSizeAndStopsAtNul) {
    // No final newline and no NUL: the size alone ends the walk and the script.
    std::string text = "A:one\nB:two";
    auto items = ParseMenuFile(text.data(), text.size());
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(MenuScriptAt(text.data(), text.size(), items[1].scriptOffset), "two");
    // A size that ends right after a label.
    items = ParseMenuFile(text.data(), 7);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].label, "B");
    EXPECT_EQ(items[1].scriptOffset, kNoScript);
    // A NUL inside ends the text.
    std::string withNul("A:one\nB:t\0wo\nC:three\n", 21);
    items = ParseMenuFile(withNul.data(), withNul.size());
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(MenuScriptAt(withNul.data(), withNul.size(), items[1].scriptOffset), "t");
    EXPECT_EQ(MenuScriptAt(withNul.data(), withNul.size(), 99), "");
    EXPECT_TRUE(ParseMenuFile(withNul.data(), 0).empty());
}

TEST(MenuFile, LongFilesKeepOffsetsBeyond64KiB) {
    std::string text(70000, ' ');
    text += "\nFar:FAR SCRIPT\n";
    std::string longScript(5000, 'x');
    text += "Long:" + longScript + "\n";
    auto items = ParseMenuFile(text.data(), text.size());
    ASSERT_EQ(items.size(), 3u);
    EXPECT_GT(items[1].scriptOffset, 0xFFFFu);
    EXPECT_EQ(MenuScriptAt(text.data(), text.size(), items[1].scriptOffset), "FAR SCRIPT");
    EXPECT_EQ(MenuScriptAt(text.data(), text.size(), items[2].scriptOffset), longScript);
}
