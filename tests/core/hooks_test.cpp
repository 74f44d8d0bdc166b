// The keyboard and right-button hooks, run through the host's hook chain and prompt protocol.
#include "core/hooks.h"

#include <gtest/gtest.h>

#include "core/host_api.h"
#include "host/platform/hooks.h"
#include "host/protocol/protocol.h"
#include "tests/support/command_test.h"

namespace {

constexpr int kOpen = -1;
int g_status = kOpen;
double g_point[2];
int g_passedOn = 0;

void PointAnswered(int status) {
    g_status = status;
    CmdEnd();
}

void AskPoint() { ReqData(REQ_POINT2, g_point, "Point:", QL_CURSOR(1), PointAnswered, 0, 0); }

LRESULT CALLBACK CountingHook(int code, WPARAM key, LPARAM info) {
    ++g_passedOn;
    return 0;
}

// One command that asks for a point, so posted ESCAPE and ENTER end a real prompt.
class HookTest : public HostCommandTest {
protected:
    void SetUp() override {
        UseCommands({"hook test", {"ASKPOINT"}, {nullptr, AskPoint}});
        g_status = kOpen;
        g_passedOn = 0;
        counting_ = SetWindowsHookExA(WH_KEYBOARD, CountingHook, nullptr, GetCurrentThreadId());
    }
    void TearDown() override {
        RemoveKeyHook();
        RemoveRightCloseHook();
        UnhookWindowsHookEx(counting_);
        HostCommandTest::TearDown();
    }
    // Presses and releases a key while the prompt is open, then lets the host handle what
    // the hook posted.
    void Press(int vk) {
        qlhost::DeliverKey(vk, true);
        qlhost::DeliverKey(vk, false);
        qlhost::PumpMessages();
    }
    void Ask() { ASSERT_TRUE(qlhost::StartCommand("ASKPOINT")); }

    HHOOK counting_ = nullptr;
};

}  // namespace

TEST_F(HookTest, HotKeyLetterEndsThePromptWithEscape) {
    InstallKeyHook();
    EXPECT_EQ(LettersAreText, 0);
    Ask();
    Press('T');
    EXPECT_EQ(g_status, qlhost::kStatusCancel);
    EXPECT_EQ(PromptKey, 84);
    EXPECT_EQ(g_passedOn, 2);  // press and release both passed on
}

TEST_F(HookTest, TextModeLetsLettersThrough) {
    InstallTextKeyHook();
    EXPECT_EQ(LettersAreText, 1);
    Ask();
    Press('T');
    EXPECT_EQ(g_status, kOpen);
    EXPECT_EQ(PromptKey, 0);
    EXPECT_EQ(g_passedOn, 2);
    Press(VK_TAB);
    EXPECT_EQ(g_status, qlhost::kStatusCancel);
    EXPECT_EQ(PromptKey, VK_TAB);
}

TEST_F(HookTest, SpecialKeysEndThePromptInBothModes) {
    for (int vk : {VK_TAB, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_DELETE, VK_ADD, VK_SUBTRACT}) {
        for (bool text : {false, true}) {
            text ? InstallTextKeyHook() : InstallKeyHook();
            g_status = kOpen;
            Ask();
            Press(vk);
            EXPECT_EQ(g_status, qlhost::kStatusCancel) << vk;
            EXPECT_EQ(PromptKey, vk);
        }
    }
}

TEST_F(HookTest, OtherLettersAndDigitsPassUnchanged) {
    InstallKeyHook();
    Ask();
    for (int vk : {'A', 'E', 'G', 'J', 'P', 'Q', 'V', 'W', 'X', 'Y', 'Z', '1'}) Press(vk);
    EXPECT_EQ(g_status, kOpen);
    EXPECT_EQ(PromptKey, 0);
}

TEST_F(HookTest, ExclamationMarkEndsThePromptWithEnter) {
    InstallKeyHook();
    Ask();
    qlhost::DeliverKey(VK_SHIFT, true);
    qlhost::DeliverKey('1', true);
    qlhost::PumpMessages();
    EXPECT_EQ(g_status, ST_DEFAULT);
    EXPECT_EQ(PromptKey, '!');
}

TEST_F(HookTest, KeyReleaseChangesNothing) {
    InstallKeyHook();
    Ask();
    qlhost::SetKeyHeld('T', true);
    qlhost::DeliverKey('T', false);
    qlhost::DeliverKey(VK_TAB, false);
    qlhost::PumpMessages();
    EXPECT_EQ(g_status, kOpen);
    EXPECT_EQ(PromptKey, 0);
    EXPECT_EQ(g_passedOn, 2);
}

TEST_F(HookTest, RemovedHookChangesNothing) {
    InstallKeyHook();
    InstallKeyHook();  // installing again replaces the hook
    EXPECT_EQ(qlhost::InstalledHooks(WH_KEYBOARD), 2);
    RemoveKeyHook();
    EXPECT_EQ(qlhost::InstalledHooks(WH_KEYBOARD), 1);
    Ask();
    Press('T');
    Press(VK_TAB);
    EXPECT_EQ(g_status, kOpen);
    EXPECT_EQ(PromptKey, 0);
    RemoveKeyHook();
}

TEST_F(HookTest, RightButtonSetsTheFlag) {
    ClosedByRightButton = 1;
    InstallRightCloseHook();
    EXPECT_EQ(ClosedByRightButton, 0u);
    EXPECT_EQ(qlhost::InstalledHooks(WH_MOUSE), 1);
    qlhost::DeliverMouse(WM_LBUTTONDOWN, 10, 10);
    qlhost::DeliverMouse(WM_LBUTTONUP, 10, 10);
    EXPECT_EQ(ClosedByRightButton, 0u);
    for (UINT message : {WM_NCRBUTTONDOWN, WM_RBUTTONDOWN, WM_RBUTTONUP}) {
        ClosedByRightButton = 0;
        qlhost::DeliverMouse(message, 10, 10);
        EXPECT_EQ(ClosedByRightButton, 1u) << message;
    }
    qlhost::DiscardMessages();
    RemoveRightCloseHook();
    EXPECT_EQ(qlhost::InstalledHooks(WH_MOUSE), 0);
}
