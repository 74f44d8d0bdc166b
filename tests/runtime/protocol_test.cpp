// The prompt protocol in process: a command table of test procedures, answers by kind and
// status, typed input, posted messages, and the faults the host reports.
#include <gtest/gtest.h>

#include <cstring>

#include "host/platform/hooks.h"
#include "host/protocol/protocol.h"
#include "host/script/run_state.h"

namespace qlhost {
namespace {

double g_point[3];
double g_real;
int32_t g_whole;
char g_text[256];
int g_status = -100;
int g_calls = 0;
int g_drags = 0;

void Done(int status) {
    g_status = status;
    ++g_calls;
    CmdEnd();
}
void AskAgain(int status) {
    g_status = status;
    ++g_calls;
    ReqData(REQ_POINT2, g_point, "Again:", QL_CURSOR(4), Done, REQ_FLAG_NUMBER, 0);
}
void Drag(void*) { ++g_drags; }
void Silent(int) {}

void AskPoint() { ReqData(REQ_POINT2, g_point, "Point:", QL_CURSOR(4), Done, REQ_FLAG_NUMBER, 0); }
void AskPointNoNumber() { ReqData(REQ_POINT3, g_point, "Point 3:", QL_CURSOR(4), Done, 0, 0); }
void AskReal() { ReqData(REQ_REAL, &g_real, "Real:", QL_CURSOR(1), Done, 0, 0); }
void AskWhole() { ReqData(REQ_INTEGER, &g_whole, "Whole:", QL_CURSOR(1), Done, 0, 0); }
void AskText() { ReqData(REQ_TEXT, g_text, "Text:", QL_CURSOR(1), Done, 0, 0); }
void AskTwice() { ReqData(REQ_POINT2, g_point, "First:", QL_CURSOR(4), AskAgain, 0, 0); }
void AskDrag() { ReqData(REQ_POINT2, g_point, "Drag:", QL_DRAG(Drag), Done, 0, 0); }
void EndTwice() {
    CmdEnd();
    CmdEnd();
}
void NoContinuation() { ReqData(REQ_POINT2, g_point, "x", QL_CURSOR(4), nullptr, 0, 0); }
void AskSilent() { ReqData(REQ_POINT2, g_point, "Silent:", QL_CURSOR(4), Silent, 0, 0); }
void About() {}

class Protocol : public ::testing::Test {
protected:
    void SetUp() override {
        CommandTable table;
        table.product = "test";
        table.names = {"POINT", "POINT3", "REAL", "WHOLE", "TEXT", "TWICE", "DRAG", "ENDTWICE", "NOCONT", "SILENT"};
        table.procs = {About,     AskPoint, AskPointNoNumber, AskReal,        AskWhole, AskText,
                       AskTwice, AskDrag,  EndTwice,         NoContinuation, AskSilent};
        SetCommandTable(table);
        ResetSession();
        qlhost::Run().problems.clear();
        qlhost::Run().options.quiet = true;
        g_status = -100;
        g_calls = g_drags = 0;
        std::memset(g_point, 0, sizeof g_point);
    }
    void TearDown() override {
        AbandonCommand();
        ResetSession();
        SetCommandTable(CommandTable{});
        qlhost::Run().problems.clear();
    }
    static size_t Problems() { return qlhost::Run().problems.size(); }
    static std::string LastProblem() { return qlhost::Run().problems.empty() ? "" : qlhost::Run().problems.back(); }

private:
    qlhost::ScopedEventPort port_{qlhost::ScriptEvents()};
};

TEST_F(Protocol, TypedInputIsReadAsThePromptsKind) {
    ASSERT_TRUE(StartCommand("point"));
    ASSERT_NE(CurrentPrompt(), nullptr);
    EXPECT_EQ(CurrentPrompt()->text, "Point:");
    AnswerTyped("3, 4");
    EXPECT_EQ(g_status, 0);
    EXPECT_EQ(g_point[0], 3);
    EXPECT_EQ(g_point[1], 4);
    EXPECT_FALSE(CommandRunning());

    StartCommand("POINT");
    AnswerTyped("-2.5");
    EXPECT_EQ(g_status, 3);
    EXPECT_EQ(g_point[0], -2.5);

    StartCommand("POINT3");
    AnswerTyped("7");  // no flag 0x20: not understood, the prompt stays
    EXPECT_TRUE(CommandRunning());
    AnswerTyped("1,2,3,4");
    EXPECT_TRUE(CommandRunning());
    AnswerTyped("1,2,3");
    EXPECT_EQ(g_point[2], 3);
    EXPECT_FALSE(CommandRunning());
    EXPECT_EQ(Problems(), 0u);
}

TEST_F(Protocol, KeysTypeOnlyWhatThePromptCanRead) {
    StartCommand("REAL");
    for (char c : std::string("1x.5")) TypeIntoPrompt(c);
    EXPECT_EQ(TypedInput(), "1.5");
    SubmitTyped();
    EXPECT_EQ(g_real, 1.5);
    StartCommand("TEXT");
    for (char c : std::string("a b!")) TypeIntoPrompt(c);
    EraseTyped();
    SubmitTyped();
    EXPECT_STREQ(g_text, "a b");
    StartCommand("TEXT");
    SubmitTyped();
    EXPECT_EQ(g_status, 2);
}

TEST_F(Protocol, NumbersFitTheirKinds) {
    StartCommand("WHOLE");
    AnswerNumber(2.5);
    EXPECT_TRUE(CommandRunning());
    EXPECT_NE(LastProblem().find("is not a whole number"), std::string::npos);
    AnswerNumber(-7);
    EXPECT_EQ(g_whole, -7);
    StartCommand("POINT3");
    AnswerNumber(1);
    EXPECT_NE(LastProblem().find("number does not answer the prompt \"Point 3:\""), std::string::npos);
    AnswerText(std::string(300, 'x'));
    EXPECT_TRUE(CommandRunning());
    AnswerPrompt(kStatusCancel);
    EXPECT_EQ(g_status, 1);
}

TEST_F(Protocol, PostedKeysEndThePromptOnceTheStepHasReturned) {
    StartCommand("TWICE");
    EXPECT_EQ(PostHostMessage(FocusWindow(), WM_KEYDOWN, VK_ESCAPE, 0), TRUE);
    EXPECT_TRUE(CommandRunning());
    PumpMessages();
    EXPECT_EQ(g_status, 1);
    ASSERT_NE(CurrentPrompt(), nullptr);
    EXPECT_EQ(CurrentPrompt()->text, "Again:");
    PostHostMessage(MainWindow(), WM_CHAR, VK_RETURN, 0);
    PumpMessages();
    EXPECT_EQ(g_status, 2);
    EXPECT_FALSE(CommandRunning());
    EXPECT_EQ(PostHostMessage(reinterpret_cast<HWND>(uintptr_t{0xBAD}), WM_KEYDOWN, VK_ESCAPE, 0), FALSE);
}

TEST_F(Protocol, DragsFollowMovesAndPostedMouseMoves) {
    StartCommand("DRAG");
    MoveCursor(1, 2);
    MoveCursor(3, 4);
    EXPECT_EQ(g_drags, 2);
    PostHostMessage(FocusWindow(), WM_MOUSEMOVE, 0, 0);
    PumpMessages();
    EXPECT_EQ(g_drags, 3);
    double viewWidth = 0;  // the drag context's doubles sit at offsets that are not 8-aligned
    std::memcpy(&viewWidth, static_cast<unsigned char*>(DragContext()) + QL_DRAG_VIEW_WIDTH, sizeof viewWidth);
    EXPECT_EQ(viewWidth, ViewWidth());
    AnswerPoint(3, 4, 0, false);
    EXPECT_EQ(g_point[0], 3);
    EXPECT_EQ(LiveCursor()[1], 4);
}

TEST_F(Protocol, FaultsOfTheProtocol) {
    StartCommand("ENDTWICE");
    EXPECT_NE(LastProblem().find("CmdEnd called a second time"), std::string::npos);
    StartCommand("NOCONT");
    EXPECT_NE(LastProblem().find("ReqData without a continuation"), std::string::npos);
    EXPECT_FALSE(CommandRunning());
    StartCommand("SILENT");
    AnswerPoint(0, 0, 0, false);
    EXPECT_NE(LastProblem().find("the continuation of SILENT returned without asking again or calling CmdEnd"),
              std::string::npos);
    EXPECT_FALSE(CommandRunning());
    StartCommand("POINT");
    StartCommand("REAL");
    EXPECT_NE(LastProblem().find("run REAL while POINT is running"), std::string::npos);
    EXPECT_EQ(CurrentPrompt()->text, "Point:");
    EXPECT_FALSE(StartCommand("NOSUCH"));
    ReqData(REQ_POINT2, g_point, "x", QL_CURSOR(4), Done, 0, 0);
    EXPECT_EQ(CurrentPrompt()->text, "x");  // a new request replaces the open one
}

}  // namespace
}  // namespace qlhost
