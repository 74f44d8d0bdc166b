// The scenario script reader: words, quotes and escapes, comments, headers, numbers and
// errors that name the file and line.
#include <gtest/gtest.h>

#include "host/script/parser.h"

namespace qlhost {
namespace {

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> words;
    std::vector<bool> quoted;
    std::string error;
    EXPECT_TRUE(SplitLine(line, words, quoted, error)) << error;
    return words;
}

std::string SplitError(const std::string& line) {
    std::vector<std::string> words;
    std::vector<bool> quoted;
    std::string error;
    EXPECT_FALSE(SplitLine(line, words, quoted, error));
    return error;
}

TEST(ScriptParser, WordsQuotesAndComments) {
    EXPECT_EQ(Split("point 1 2"), (std::vector<std::string>{"point", "1", "2"}));
    EXPECT_EQ(Split("  \ttext \"two words\"  # a comment"), (std::vector<std::string>{"text", "two words"}));
    EXPECT_EQ(Split("# only a comment"), std::vector<std::string>{});
    EXPECT_EQ(Split("text \"a # is no comment\""), (std::vector<std::string>{"text", "a # is no comment"}));
    EXPECT_EQ(Split("text \"\""), (std::vector<std::string>{"text", ""}));
    EXPECT_EQ(Split("expect preview text=\"a b\""), (std::vector<std::string>{"expect", "preview", "text=a b"}));
    EXPECT_EQ(Split("key Software\\Tarnwell\\"), (std::vector<std::string>{"key", "Software\\Tarnwell\\"}));
}

TEST(ScriptParser, EscapesInsideQuotes) {
    EXPECT_EQ(Split(R"(text "say \"hi\"")")[1], "say \"hi\"");
    EXPECT_EQ(Split(R"(text "back\\slash")")[1], "back\\slash");
    EXPECT_EQ(Split(R"(text "two\nlines")")[1], "two\nlines");
    EXPECT_EQ(SplitError(R"(text "bad \q")"), "unknown escape \\q");
    EXPECT_EQ(SplitError(R"(text "open)"), "a quoted string is not closed");
    EXPECT_EQ(SplitError("text \"ends\\"), "a backslash ends the line");
}

TEST(ScriptParser, QuotedWordsAreNeverOptions) {
    std::vector<std::string> words;
    std::vector<bool> quoted;
    std::string error;
    ASSERT_TRUE(SplitLine("add text 0 0 2 \"x=5\" layer=2 text=\"q\"", words, quoted, error));
    EXPECT_TRUE(quoted[5]);
    EXPECT_FALSE(quoted[6]);
    EXPECT_FALSE(quoted[7]);
}

TEST(ScriptParser, ActionsKeepTheirLines) {
    Script script;
    std::string error;
    ASSERT_TRUE(ParseScript("# expect-fail: line 3: fault\n# plugin: qltestplugin\n\nrun QLMOVE\n  # note\npoint 1 2\n",
                            "a.qls", script, error));
    EXPECT_TRUE(script.expectFail);
    EXPECT_EQ(script.expectFailText, "line 3: fault");
    EXPECT_EQ(script.plugin, "qltestplugin");
    ASSERT_EQ(script.actions.size(), 2u);
    EXPECT_EQ(script.actions[0].action.verb, "run");
    EXPECT_EQ(script.actions[0].action.line, 4);
    EXPECT_EQ(script.actions[1].action.args, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(script.actions[1].action.line, 6);
    EXPECT_EQ(script.actions[1].action.file, "a.qls");
    EXPECT_EQ(script.lineCount, 6);
}

// A byte-order mark that a Windows editor put before the first line is not part of it, in a
// header line as in an action.
TEST(ScriptParser, ByteOrderMarkIsSkipped) {
    Script script;
    std::string error;
    ASSERT_TRUE(ParseScript("\xEF\xBB\xBFrun X\n", "bom.qls", script, error)) << error;
    ASSERT_EQ(script.actions.size(), 1u);
    EXPECT_EQ(script.actions[0].action.verb, "run");
    EXPECT_EQ(script.actions[0].action.line, 1);
    ASSERT_TRUE(ParseScript("\xEF\xBB\xBF# plugin: qltestplugin\nrun X\n", "bom.qls", script, error)) << error;
    EXPECT_EQ(script.plugin, "qltestplugin");
}

TEST(ScriptParser, HeadersOnlyBeforeTheFirstAction) {
    Script script;
    std::string error;
    ASSERT_TRUE(ParseScript("run X\n# pending: later\n", "b.qls", script, error));
    EXPECT_FALSE(script.pending);
    ASSERT_TRUE(ParseScript("# pending: needs the hatch room\nrun X\n", "b.qls", script, error));
    EXPECT_TRUE(script.pending);
    EXPECT_EQ(script.pendingReason, "needs the hatch room");
}

TEST(ScriptParser, ErrorsNameFileAndLine) {
    Script script;
    std::string error;
    EXPECT_FALSE(ParseScript("run X\n\ntext \"unclosed\n", "dir/c.qls", script, error));
    EXPECT_EQ(error, "dir/c.qls:3: a quoted string is not closed");
    EXPECT_FALSE(LoadScript("/nonexistent/d.qls", script, error));
    EXPECT_EQ(error, "/nonexistent/d.qls: cannot read the script");
}

TEST(ScriptParser, Numbers) {
    double v = 0;
    EXPECT_TRUE(ParseNumber("12.5", v));
    EXPECT_EQ(v, 12.5);
    EXPECT_TRUE(ParseNumber("-0.25", v));
    EXPECT_EQ(v, -0.25);
    EXPECT_TRUE(ParseNumber("+3", v));
    EXPECT_EQ(v, 3);
    EXPECT_TRUE(ParseNumber("1e3", v));
    EXPECT_EQ(v, 1000);
    for (const char* bad : {"", "+", "+-1", "1,5", "12abc", " 1", "nan", "inf", "1e999", "0x10"})
        EXPECT_FALSE(ParseNumber(bad, v)) << bad;
    long long w = 0;
    EXPECT_TRUE(ParseWhole("-42", w));
    EXPECT_EQ(w, -42);
    for (const char* bad : {"4.5", "", "99999999999999999999", "7x"}) EXPECT_FALSE(ParseWhole(bad, w)) << bad;
}

}  // namespace
}  // namespace qlhost
