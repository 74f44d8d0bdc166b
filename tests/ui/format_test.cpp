// Format codes, prompt records, FormSt and message boxes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

#include "core/host_api.h"
#include "host/ui/format.h"
#include "host/ui/messages.h"
#include "host/ui/ui.h"
#include "tests/ui/ui_script.h"

namespace qlhost {
namespace {

using testing::UiScript;

TEST(FormatValueTest, EachCodeWithDefaultAndGivenPrecision) {
    int32_t six = 6, minus = -5;
    float f = 2.5f;
    double third = 1.0 / 3.0, point[2] = {1.5, -2.0}, quarter = std::numbers::pi / 2;
    EXPECT_EQ(FormatValue("abc", 0, 255), "abc");
    EXPECT_EQ(FormatValue(&six, 3, 255), "6");
    EXPECT_EQ(FormatValue(&six, 3, 3), "006");
    EXPECT_EQ(FormatValue(&minus, 5, 3), "-005");
    EXPECT_EQ(FormatValue(&f, 9, 255), "2.5000");
    EXPECT_EQ(FormatValue(&f, 9, 1), "2.5");
    EXPECT_EQ(FormatValue(&third, 10, 255), "0.3333");
    EXPECT_EQ(FormatValue(&third, 10, 10), "0.3333333333");
    EXPECT_EQ(FormatValue(&third, 10, 0), "0");
    EXPECT_EQ(FormatValue(&third, 16, 2), "0.33");
    EXPECT_EQ(FormatValue(point, 12, 255), "1.5000,-2.0000");
    EXPECT_EQ(FormatValue(point, 12, 8), "1.50000000,-2.00000000");
    EXPECT_EQ(FormatValue(&quarter, 17, 255), "90.0000");
    EXPECT_EQ(FormatValue(&quarter, 19, 1), "90.0");
}

TEST(FormatValueTest, LimitsAndOddValues) {
    double tiny = -0.00001, third = 1.0 / 3.0, huge = 1e300;
    EXPECT_EQ(FormatValue(&tiny, 10, 255), "0.0000");  // no "-0.0000"
    EXPECT_EQ(FormatValue(&third, 10, 40).size(), 34u);  // at most 32 decimals
    EXPECT_EQ(FormatValue(&huge, 10, 2).size(), 304u);
    int32_t lowest = INT32_MIN;
    EXPECT_EQ(FormatValue(&lowest, 3, 255), "-2147483648");
    std::string text;
    EXPECT_FALSE(FormatValueChecked(&third, 11, 255, text));
    EXPECT_EQ(FormatValue(&third, 11, 255), "");
    EXPECT_EQ(FormatValue(nullptr, 10, 255), "");
}

TEST(ParseValueTest, ReadsEachCode) {
    int32_t i = 0;
    float f = 0;
    double d = 0, p[2] = {0, 0};
    EXPECT_TRUE(ParseValue(" +42 ", 3, &i));
    EXPECT_EQ(i, 42);
    EXPECT_TRUE(ParseValue("-7", 5, &i));
    EXPECT_EQ(i, -7);
    EXPECT_TRUE(ParseValue("2.25", 9, &f));
    EXPECT_FLOAT_EQ(f, 2.25f);
    EXPECT_TRUE(ParseValue("1e-3", 10, &d));
    EXPECT_DOUBLE_EQ(d, 0.001);
    EXPECT_TRUE(ParseValue("3, -4.5", 12, p));
    EXPECT_DOUBLE_EQ(p[0], 3);
    EXPECT_DOUBLE_EQ(p[1], -4.5);
    EXPECT_TRUE(ParseValue("5 6", 12, p));
    EXPECT_DOUBLE_EQ(p[1], 6);
    EXPECT_TRUE(ParseValue("90", 19, &d));
    EXPECT_DOUBLE_EQ(d, std::numbers::pi / 2);
    char text[8];
    EXPECT_TRUE(ParseValue("abc", 0, text));
    EXPECT_STREQ(text, "abc");
}

TEST(ParseValueTest, RejectsBadTextAndLeavesTheValue) {
    int32_t i = 11;
    float f = 1.5f;
    double d = 9, p[2] = {1, 2};
    for (const char* bad : {"", "  ", "12a", "1.5", "3000000000", "--1"}) {
        EXPECT_FALSE(ParseValue(bad, 3, &i)) << bad;
        EXPECT_EQ(i, 11);
    }
    for (const char* bad : {"x", "1e999", "nan", "inf", "1.0.0"}) {
        EXPECT_FALSE(ParseValue(bad, 10, &d)) << bad;
        EXPECT_EQ(d, 9);
    }
    EXPECT_FALSE(ParseValue("1e39", 9, &f));
    EXPECT_EQ(f, 1.5f);
    EXPECT_FALSE(ParseValue("1", 12, p));
    EXPECT_FALSE(ParseValue("1,", 12, p));
    EXPECT_FALSE(ParseValue("1,2,3", 12, p));
    EXPECT_EQ(p[0], 1);
    EXPECT_FALSE(ParseValue("1", 11, &d));
}

struct ThreeFields {
    const char* text;
    PromptField field[3];
};

TEST(PromptRecordTest, FillsPlaceholdersInOrder) {
    double x = 1.25, y = -2;
    PromptRec two{"X: !01 Y: !02", {{&x, 10, 0, 5, 2}, {&y, 10, 0, 5, 2}}};
    EXPECT_EQ(FormatPrompt(&two, REQ_FLAG_RECORD), "X: 1.25 Y: -2.00");
    int32_t n = 6;
    double centre[2] = {1, 2};
    ThreeFields three{"RPOLY;!01;!02;;;!03!", {{&n, 3, 0, 5, 3}, {centre, 12, 0, 5, 8}, {"end", 0, 0, 5, 255}}};
    std::string error;
    EXPECT_EQ(FillPromptRecord(&three, error), "RPOLY;006;1.00000000,2.00000000;;;end!");
    EXPECT_TRUE(error.empty());
    // Only !01 to !09 are placeholders; a field is read only when its placeholder appears.
    double seven = 7;
    PromptRec literal{"!1 !0 !!10 !010", {{&seven, 10, 0, 5, 1}, {nullptr, 0, 0, 5, 255}}};
    EXPECT_EQ(FillPromptRecord(&literal, error), "!1 !0 !!10 7.00");
}

TEST(PromptRecordTest, UnknownFormatCodeIsReported) {
    double x = 1;
    PromptRec bad{"[!01]", {{&x, 42, 0, 5, 255}, {nullptr, 0, 0, 5, 255}}};
    std::string error;
    EXPECT_EQ(FillPromptRecord(&bad, error), "[]");
    EXPECT_NE(error.find("42"), std::string::npos);
    UiScript script;
    FormatPrompt(&bad, REQ_FLAG_RECORD);
    EXPECT_EQ(script.faults.size(), 1u);
}

TEST(PromptRecordTest, HostNumbersAndTexts) {
    EXPECT_EQ(FormatPrompt(QL_PROMPT_NUMBER(0x1065), 0), "Select entities:");
    EXPECT_EQ(FormatPrompt(QL_PROMPT_NUMBER(0x108d), 0), "Base point:");
    EXPECT_EQ(FormatPrompt(QL_PROMPT_NUMBER(0x108e), 0), "Next point:");
    EXPECT_EQ(FormatPrompt(QL_PROMPT_NUMBER(0x10ac), 0), "Copy from point:");
    EXPECT_EQ(FormatPrompt(QL_PROMPT_NUMBER(0x1234), 0), "[host prompt 0x1234]");
    EXPECT_EQ(FormatPrompt("Pick text:", 0), "Pick text:");
    EXPECT_EQ(FormatPrompt(nullptr, 0), "");
}

TEST(FormStTest, WritesAtMostTheGivenSize) {
    double v = 123.456;
    PromptRec rec{"Value !01 and more text", {{&v, 10, 0, 5, 1}, {nullptr, 0, 0, 5, 255}}};
    char small[12];
    std::memset(small, '#', sizeof small);
    EXPECT_EQ(FormSt(&rec, 8, nullptr, reinterpret_cast<uintptr_t>(small)), 7);
    EXPECT_STREQ(small, "Value 1");
    EXPECT_EQ(small[8], '#');

    std::string longText(300, 'a');
    PromptRec big{longText.c_str(), {{nullptr, 0, 0, 5, 255}, {nullptr, 0, 0, 5, 255}}};
    char buffer[300];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(FormSt(&big, 0, nullptr, reinterpret_cast<uintptr_t>(buffer)), 255);
    EXPECT_EQ(std::strlen(buffer), 255u);
    EXPECT_EQ(buffer[256], '#');
}

TEST(FormStTest, BadCallsAreFaults) {
    UiScript script;
    double v = 1;
    PromptRec rec{"!01", {{&v, 10, 0, 5, 255}, {nullptr, 0, 0, 5, 255}}};
    EXPECT_EQ(FormSt(&rec, 0, nullptr, 0), 0);
    EXPECT_EQ(FormSt(nullptr, -1, "Error", 0x24), 0);
    EXPECT_EQ(FormSt(&rec, -3, nullptr, 0), 0);
    EXPECT_EQ(script.faults.size(), 3u);
}

TEST(MessageBoxTest, CaptionLinesAndAnswer) {
    UiScript script;
    EXPECT_EQ(FormSt("Error: Couldn't create temporary drawing list 1\n\nExiting...", -1, "Error", 0x24), IDOK);
    std::vector<std::string> want = {"message \"Error\"", "| Error: Couldn't create temporary drawing list 1", "|",
                                     "| Exiting...", "message closed with OK"};
    EXPECT_EQ(script.transcript, want);
}

TEST(MessageBoxTest, QuestionsTakeTheNextAnswerOnly) {
    UiScript script;
    script.Add("answer", {"no"}).Dialog({"click", "1"});
    EXPECT_EQ(FormSt("Are sure you want to delete:\n\nA", -1, "", 0x05), IDNO);
    // The next action is no answer: Enter's default, and the action stays for its window.
    EXPECT_EQ(FormSt("Again?", -1, "", 0x05), IDYES);
    EXPECT_EQ(script.actions.size(), 1u);
    EXPECT_EQ(FormSt("Plain", -1, "Message", 0x21), IDOK);
    EXPECT_TRUE(script.faults.empty());
    EXPECT_TRUE(script.Transcribed("message closed with No"));
    EXPECT_TRUE(script.Transcribed("message closed with Yes"));
}

TEST(MessageBoxTest, AnswerThatDoesNotFitIsAFault) {
    UiScript script;
    script.Add("answer", {"yes"}).Add("answer", {"ok"});
    EXPECT_EQ(FormSt("Done", -1, "Message", 0x21), IDOK);
    EXPECT_EQ(FormSt("Sure?", -1, "", 0x05), IDYES);
    EXPECT_EQ(script.faults.size(), 2u);
}

TEST(MessageBoxTest, RecordShownAsMessage) {
    UiScript script;
    PromptRec rec{"Layer: !01", {{"Walls", 0, 0, 5, 255}, {nullptr, 0, 0, 5, 255}}};
    EXPECT_EQ(FormSt(&rec, 0, nullptr, QL_FORM_SHOW), IDOK);
    std::vector<std::string> want = {"message \"Message\"", "| Layer: Walls", "message closed with OK"};
    EXPECT_EQ(script.transcript, want);
}

}  // namespace
}  // namespace qlhost
