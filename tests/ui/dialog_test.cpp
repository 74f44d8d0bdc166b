// The dialog engine driven by queued script actions, on the test templates.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/host_api.h"
#include "host/ui/resources.h"
#include "host/ui/ui.h"
#include "tests/ui/ui_script.h"

namespace qlhost {
namespace {

using testing::UiScript;

HINSTANCE const kInstance = reinterpret_cast<HINSTANCE>(uintptr_t{0x7E570000});

struct DrawCall {
    UINT msg;
    UINT ctlType;
    UINT id;
    UINT item;
    UINT state;
    RECT rect;
};

// What the procedures below see and change.
struct State {
    int refreshes = 0;
    std::vector<int> calls;  // ids handed to control procedures
    std::vector<DrawCall> draws;
    UINT itemHeight = 20;
    std::vector<const char*> listItems;
    std::function<void()> onRefresh;
    std::function<int(int)> onClick;
} g;

int Refresh() {
    ++g.refreshes;
    if (g.onRefresh) g.onRefresh();
    return 0;
}
int Changed(int id) {
    g.calls.push_back(id);
    return 0;
}
int Click(int id) {
    g.calls.push_back(id);
    return g.onClick ? g.onClick(id) : 0;
}
int Draw(UINT msg, void* item) {
    if (msg == WM_MEASUREITEM) {
        auto* m = static_cast<MEASUREITEMSTRUCT*>(item);
        m->itemHeight = g.itemHeight;
        g.draws.push_back({msg, m->CtlType, m->CtlID, m->itemID, 0, {}});
    } else {
        auto* d = static_cast<DRAWITEMSTRUCT*>(item);
        EXPECT_NE(d->hDC, nullptr);
        g.draws.push_back({msg, d->CtlType, d->CtlID, d->itemID, d->itemState, d->rcItem});
    }
    return 0;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        g = State{};
        SetResourceFolder(kInstance, std::string(QL_SOURCE_DIR) + "/tests/ui/data/dialogs");
    }
    int Run(void* dlg) {
        int result = Dialog(dlg, kInstance, 0);
        RelDlg(dlg);
        return result;
    }
};

TEST_F(DialogTest, EditsShowAndTakeValuesByTheirFormat) {
    UiScript script;
    char name[11] = "wall";
    double value = 2.5, angle = 0, point[2] = {0, 0};
    void* dlg = DefDlg("dlgengine", 0, 0, nullptr, 0, 0);
    EDCTL(dlg, 1000, 0, 0, 10, name, 0);
    EDCTL(dlg, 1001, 0, 10, 25, &value, 0);
    EDCTL(dlg, 1002, 0, 19, 25, &angle, 0);
    EDCTL(dlg, 1003, 0, 12, 35, point, 0);
    script.Dialog({"expect", "1000", "wall"})
        .Dialog({"expect", "1001", "2.5000"})
        .Dialog({"set", "1001", "3.25"})
        .Dialog({"set", "1000", "a much longer name"})
        .Dialog({"set", "1002", "45"})
        .Dialog({"set", "1003", "1.5,-2"})
        .Dialog({"expect", "1003", "1.5,-2"})
        .Dialog({"set", "1001", "abc"})
        .Dialog({"set", "1014", "read only"})
        .Dialog({"click", "1"});
    EXPECT_EQ(Run(dlg), IDOK);
    EXPECT_EQ(value, 3.25);
    EXPECT_STREQ(name, "a much lon");
    EXPECT_NEAR(angle, 0.785398, 1e-6);
    EXPECT_EQ(point[1], -2);
    ASSERT_EQ(script.faults.size(), 2u);
    EXPECT_EQ(script.faults[0], "control 1001 of dialog dlgengine does not take \"abc\"");
    EXPECT_EQ(script.faults[1], "control 1014 of dialog dlgengine is read-only");
    EXPECT_EQ(script.transcript.front(), "dialog dlgengine \"Engine \"test\"\" opened");
    EXPECT_EQ(script.transcript.back(), "dialog dlgengine closed with OK");
}

TEST_F(DialogTest, BindingsTheTemplateDoesNotFitAreRejected) {
    UiScript script;
    char text[8] = "";
    int32_t v = 0;
    void* dlg = DefDlg("DLGENGINE", 0, 0, nullptr, 0, 0);
    EDCTL(dlg, 1008, 0, 0, 7, text, 0);           // a push button
    CHKCTL(dlg, 4242, 0, 0, &v, 1, nullptr);      // no such control
    RBCTL(dlg, 1005, 0, 0, &v, 1, nullptr);       // a check box
    LSTCTL(dlg, 1012, 0, 0, &v, nullptr, nullptr, nullptr);  // a combo box
    EDCTL(dlg, 1000, 0, 0, 0, text, 0);           // text without a length
    script.Dialog({"click", "1"});
    EXPECT_EQ(Run(dlg), IDCANCEL);
    EXPECT_EQ(script.faults.size(), 5u);
    EXPECT_NE(script.faults[0].find("EDCTL binds control 1008, which is a push button"), std::string::npos);
    EXPECT_NE(script.faults[1].find("CHKCTL binds control 4242, which the template does not have"), std::string::npos);
    EXPECT_TRUE(script.transcript.empty());
    EXPECT_EQ(script.actions.size(), 1u);

    void* missing = DefDlg("NOSUCHDIALOG", 0, 0, nullptr, 0, 0);
    EXPECT_EQ(Run(missing), IDCANCEL);
    EXPECT_NE(script.faults.back().find("no such template"), std::string::npos);
    // A null instance is the host's own module: the resources folder beside the executable.
    void* own = DefDlg("NOSUCHDIALOG", 0, 0, nullptr, 0, 0);
    EXPECT_EQ(Dialog(own, nullptr, 0), IDCANCEL);
    RelDlg(own);
    EXPECT_NE(script.faults.back().find("/resources"), std::string::npos);
}

TEST_F(DialogTest, RefreshAndControlProceduresRunAfterChanges) {
    UiScript script;
    uint32_t flags = 1;
    int32_t choice = 2;
    void* dlg = DefDlg("DLGENGINE", 0, 0, Refresh, 0, 0);
    CHKCTL(dlg, 1005, 0, 0, &flags, 4, Changed);
    RBCTL(dlg, 1006, 0, 0, &choice, 1, Changed);
    RBCTL(dlg, 1007, 0, 0, &choice, 2, Changed);
    script.Dialog({"expect-checked", "1005", "off"})
        .Dialog({"expect-checked", "1007", "on"})
        .Dialog({"check", "1005", "on"})
        .Dialog({"check", "1005", "on"})
        .Dialog({"choose", "1006"})
        .Dialog({"expect-checked", "1007", "off"})
        .Dialog({"check", "1006", "on"})
        .Dialog({"check", "1007", "off"})
        .Dialog({"click", "1005"})
        .Add("esc");
    EXPECT_EQ(Run(dlg), IDCANCEL);
    ASSERT_EQ(script.faults.size(), 1u);
    EXPECT_EQ(script.faults[0], "control 1007 of dialog DLGENGINE is a radio button: choose another one instead");
    EXPECT_EQ(flags, 1u);  // on, then clicked off again; other bits kept
    EXPECT_EQ(choice, 1);
    EXPECT_EQ(g.refreshes, 1);
    EXPECT_EQ(g.calls, (std::vector<int>{1005, 1006, 1005}));
}

TEST_F(DialogTest, ClickProcedureReturningTwoClosesWithTheButtonId) {
    UiScript script;
    g.onClick = [](int id) { return id == 1009 ? 2 : 0; };
    void* dlg = DefDlg("DLGENGINE", 0, 0, nullptr, 0, 0);
    BTNCTL(dlg, 1008, 0, 0, Click, nullptr);
    BTNCTL(dlg, 1009, 0, 0, Click, nullptr);
    script.Dialog({"click", "1008"}).Dialog({"click", "1009"}).Dialog({"click", "1"});
    EXPECT_EQ(Run(dlg), 1009);
    EXPECT_EQ(g.calls, (std::vector<int>{1008, 1009}));
    EXPECT_EQ(script.transcript.back(), "dialog DLGENGINE closed with 1009");
    EXPECT_EQ(script.actions.size(), 1u);
}

TEST_F(DialogTest, EndOfScriptCancels) {
    UiScript script;
    void* dlg = DefDlg("DLGENGINE", 0, 0, nullptr, 0, 0);
    EXPECT_EQ(Run(dlg), IDCANCEL);
    EXPECT_EQ(script.transcript.back(), "dialog DLGENGINE closed with Cancel (end of script)");
}

TEST_F(DialogTest, SortedListsCarryIndexTextAndItemData) {
    UiScript script;
    int index = -1, comboIndex = -1;
    char text[256] = "b", comboText[256] = "";
    g.onRefresh = [] {
        for (const char* s : {"b", "A", "c"}) AddLstStr(1010, s);
        SetLstData(1010, 2, 77);
        AddCmbStr(1012, "z");
        EXPECT_EQ(AddCmbStr(1012, "y"), 0);
        UpdCtl(1010);
    };
    void* dlg = DefDlg("DLGENGINE", 0, 0, Refresh, 0, 0);
    LSTCTL(dlg, 1010, 0, 0, &index, text, Changed, nullptr);
    CMBCTL(dlg, 1012, 0, 0, &comboIndex, comboText, Changed, nullptr);
    script.Dialog({"expect-items", "1010", "A", "b", "c"})
        .Dialog({"expect", "1010", "b"})
        .Run([&] {
            EXPECT_EQ(index, 1);  // chosen by its text
            EXPECT_EQ(FndLstStr(1010, "C"), 2);
            EXPECT_EQ(FndLstStr(1010, "d"), -1);
            EXPECT_EQ(GetLstData(1010, 2), 77u);
            EXPECT_EQ(GetLstData(1010, 9), 0u);
            EXPECT_EQ(AddLstStr(1010, "B2"), 2);  // sorted in before "c": the data moves along
            EXPECT_EQ(GetLstData(1010, 3), 77u);
            char buffer[256];
            EXPECT_EQ(GetLstStr(1010, buffer), 1);
            EXPECT_STREQ(buffer, "b");
            EXPECT_EQ(GetCmbStr(1012, buffer), -1);
            EXPECT_STREQ(buffer, "");
        })
        .Dialog({"choose", "1010", "c"})
        .Dialog({"choose", "1012", "y"})
        .Dialog({"choose", "1012", "x"})
        .Dialog({"click", "2"});
    EXPECT_EQ(Run(dlg), IDCANCEL);
    EXPECT_EQ(index, 3);
    EXPECT_STREQ(text, "c");
    EXPECT_EQ(comboIndex, 0);
    EXPECT_STREQ(comboText, "y");
    EXPECT_EQ(g.calls, (std::vector<int>{1010, 1012}));
    ASSERT_EQ(script.faults.size(), 1u);
    EXPECT_EQ(script.faults[0], "control 1012 of dialog DLGENGINE has no item \"x\"");
}

TEST_F(DialogTest, OwnerDrawnListsAreMeasuredAndDrawnWhereVisible) {
    UiScript script;
    int index = 4;
    char text[256] = "";
    g.onRefresh = [] {
        for (const char* s : {"p0", "p1", "p2", "p3", "p4", "p5"}) AddLstStr(1011, s);
        UpdCtl(1011);
    };
    void* dlg = DefDlg("DLGENGINE", 0, 0, Refresh, 0, 0);
    LSTCTL(dlg, 1011, 0, 0, &index, text, Changed, Draw);
    BTNCTL(dlg, 1016, 0, 0, Click, Draw);
    size_t firstPaint = 0;
    script.Run([&] { firstPaint = g.draws.size(); })
        .Run([] { ClrLstStr(1011); })
        .Run([] {})
        .Dialog({"click", "2"});
    EXPECT_EQ(Run(dlg), IDCANCEL);

    // List: 40 units high = 65 pixels less the border; items of 20 pixels; the selection
    // (item 4) scrolled into view.
    std::vector<DrawCall> list, button;
    for (size_t i = 0; i < firstPaint; ++i) (g.draws[i].id == 1011 ? list : button).push_back(g.draws[i]);
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0].msg, static_cast<UINT>(WM_MEASUREITEM));
    EXPECT_EQ(list[0].ctlType, 2u);
    std::vector<UINT> items;
    for (size_t i = 1; i < list.size(); ++i) {
        EXPECT_EQ(list[i].msg, static_cast<UINT>(WM_DRAWITEM));
        items.push_back(list[i].item);
        EXPECT_EQ(list[i].state, list[i].item == 4 ? static_cast<UINT>(ODS_SELECTED) : 0u);
        EXPECT_EQ(list[i].rect.top, static_cast<LONG>(20 * (i - 1)));
        EXPECT_EQ(list[i].rect.right, 148);
    }
    EXPECT_EQ(items, (std::vector<UINT>{2, 3, 4, 5}));
    ASSERT_EQ(button.size(), 1u);
    EXPECT_EQ(button[0].ctlType, 4u);
    EXPECT_EQ(button[0].rect.right, 150);
    // After the list was cleared it was painted again: measured, with no items to draw.
    ASSERT_EQ(g.draws.size(), firstPaint + 1);
    EXPECT_EQ(g.draws.back().msg, static_cast<UINT>(WM_MEASUREITEM));
}

TEST_F(DialogTest, MessagesFromHooksCloseOrPressTheDefaultButton) {
    {
        UiScript script;
        void* dlg = DefDlg("DLGENGINE", 0, 0, nullptr, 0, 0);
        script.Run([] { EXPECT_TRUE(UiHandleMessage(GetDlgWin(), WM_CLOSE, 0, 0)); }).Dialog({"click", "1"});
        EXPECT_EQ(Run(dlg), IDCANCEL);
        EXPECT_EQ(script.actions.size(), 1u);
    }
    {
        UiScript script;
        void* dlg = DefDlg("DLGENGINE", 0, 0, nullptr, 0, 0);
        script.Run([] { EXPECT_TRUE(UiHandleMessage(GetDlgItem(GetDlgWin(), 1000), WM_KEYDOWN, VK_RETURN, 0)); });
        EXPECT_EQ(Run(dlg), IDOK);
        EXPECT_FALSE(UiHandleMessage(GetDlgWin(), WM_CLOSE, 0, 0));  // closed: no longer a host dialog
    }
}

TEST_F(DialogTest, HiddenAndDisabledControls) {
    UiScript script;
    char multi[32] = "";
    g.onRefresh = [] {
        HideCtl(1008);
        DsAbCtl(1009);
    };
    void* dlg = DefDlg("DLGENGINE", 0, 0, Refresh, 0, 0);
    EDCTL(dlg, 1004, 2, 0, 31, multi, 0);
    script.Dialog({"expect-visible", "1008", "off"})
        .Dialog({"expect-enabled", "1009", "off"})
        .Dialog({"expect-visible", "1004", "off"})
        .Dialog({"click", "1008"})
        .Dialog({"click", "1009"})
        .Dialog({"set", "1004", "x"})
        .Dialog({"click", "1013"})
        .Run([] {
            HWND edit = GetDlgItem(GetDlgWin(), 1004);
            EXPECT_EQ(ShowWindow(edit, SW_SHOW), FALSE);
            EXPECT_EQ(ShowWindow(edit, SW_SHOW), TRUE);
            EnAbCtl(1009);
            ShowCtl(1008);
        })
        .Dialog({"set", "1004", "a\nb\r\nc"})
        .Dialog({"expect", "1004", "a\nb\nc"})
        .Dialog({"expect-enabled", "1009", "on"})
        .Dialog({"expect-visible", "1015", "on"})
        .Dialog({"click", "2"});
    EXPECT_EQ(Run(dlg), IDCANCEL);
    EXPECT_STREQ(multi, "a\rb\rc");
    ASSERT_EQ(script.faults.size(), 5u);
    EXPECT_EQ(script.faults[0], "control 1008 of dialog DLGENGINE is hidden");
    EXPECT_EQ(script.faults[1], "control 1009 of dialog DLGENGINE is disabled");
    EXPECT_EQ(script.faults[2], "control 1004 of dialog DLGENGINE is hidden");
    EXPECT_EQ(script.faults[3], "control 1013 of dialog DLGENGINE cannot be clicked");
    EXPECT_EQ(script.faults[4], "control 1015 of dialog DLGENGINE is not visible, expected on");
}

TEST_F(DialogTest, InnerDialogRunsFromAButtonAndCallsActOnTheInnermost) {
    UiScript script;
    static char search[32] = "";
    static HWND outer = nullptr;
    g.onClick = [](int) {
        outer = GetDlgWin();
        void* d = DefDlg("DLGINNER", 0, 0, nullptr, 0, 0);
        EDCTL(d, 1056, 0, 0, 31, search, 0);
        int r = Dialog(d, kInstance, 0);
        RelDlg(d);
        EXPECT_EQ(r, IDOK);
        EXPECT_EQ(GetDlgWin(), outer);
        UpdCtl(1000);
        return 0;
    };
    char name[32] = "n";
    void* dlg = DefDlg("DLGENGINE", 0, 0, nullptr, 0, 0);
    BTNCTL(dlg, 1017, 0, 0, Click, nullptr);
    EDCTL(dlg, 1000, 0, 0, 31, name, 0);
    script.Dialog({"click", "1017"})
        .Dialog({"set", "1056", "wall*"})
        .Dialog({"click", "1000"})
        .Dialog({"click", "1"})
        .Dialog({"click", "1"});
    EXPECT_EQ(Run(dlg), IDOK);
    EXPECT_STREQ(search, "wall*");
    ASSERT_EQ(script.faults.size(), 1u);
    EXPECT_EQ(script.faults[0], "dialog DLGINNER has no control 1000");
    EXPECT_EQ(GetDlgWin(), nullptr);
    EXPECT_TRUE(script.Transcribed("dialog DLGINNER \"Inner\" opened"));
}

TEST_F(DialogTest, NumericNamesReleaseWhileRunningAndCallsWithoutDialog) {
    UiScript script;
    void* dlg = DefDlg(MAKEINTRESOURCEA(101), 0, 0, nullptr, 0, 0);
    static void* self = nullptr;
    self = dlg;
    BTNCTL(dlg, 1, 0, 0, [](int) {
        RelDlg(self);
        return 0;
    }, nullptr);
    script.Dialog({"click", "1"});
    EXPECT_EQ(Dialog(dlg, kInstance, 0), IDOK);
    EXPECT_EQ(script.transcript.front(), "dialog #101 \"Numbered\" opened");

    UpdCtl(5);
    AddLstStr(5, "x");
    EXPECT_EQ(GetDlgWin(), nullptr);
    Dialog(dlg, kInstance, 0);  // released when it closed
    EXPECT_EQ(script.faults.size(), 3u);
}

}  // namespace
}  // namespace qlhost
