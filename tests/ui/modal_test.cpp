// Pop-up menus, the file dialog, the text settings dialog and the shell.
#include <gtest/gtest.h>

#include <cstring>

#include "core/host_api.h"
#include "host/ui/modal.h"
#include "tests/ui/ui_script.h"

namespace qlhost {
namespace {

using testing::UiScript;

void AddItem(HMENU menu, UINT position, const char* label, UINT id) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_TYPE | MIIM_ID;
    info.fType = label ? MFT_STRING : MFT_SEPARATOR;
    info.dwTypeData = const_cast<char*>(label);
    info.wID = id;
    EXPECT_TRUE(InsertMenuItemA(menu, position, TRUE, &info));
}

HMENU SampleMenu() {
    HMENU menu = CreatePopupMenu();
    AddItem(menu, 0, "&Walls", 11);
    AddItem(menu, 1, nullptr, 0);
    AddItem(menu, 2, "Doors", 22);
    AddItem(menu, 1, "First", 33);
    return menu;
}

TEST(PopupMenuTest, ItemsInOrderAndTheChosenId) {
    UiScript script;
    HMENU menu = SampleMenu();
    EXPECT_EQ(MenuLabels(menu), "&Walls|First|-|Doors");
    script.Add("menu", {"Walls"}).Add("menu", {"none"}).Add("esc").Add("menu", {"Roof"});
    EXPECT_EQ(TrackPopupMenuEx(menu, 0x182, 0, 0, nullptr, nullptr), 11);
    EXPECT_EQ(TrackPopupMenuEx(menu, 0x182, 0, 0, nullptr, nullptr), 0);
    EXPECT_EQ(TrackPopupMenuEx(menu, 0x182, 0, 0, nullptr, nullptr), 0);
    EXPECT_EQ(TrackPopupMenuEx(menu, 0x182, 0, 0, nullptr, nullptr), 0);
    EXPECT_EQ(TrackPopupMenuEx(menu, 0x182, 0, 0, nullptr, nullptr), 0);  // script ended
    ASSERT_EQ(script.faults.size(), 1u);
    EXPECT_EQ(script.faults[0], "the popup menu has no item \"Roof\"");
    std::vector<std::string> first(script.transcript.begin(), script.transcript.begin() + 6);
    EXPECT_EQ(first, (std::vector<std::string>{"popup menu", "| &Walls", "| First", "| -", "| Doors",
                                               "popup menu chose \"&Walls\""}));
    EXPECT_TRUE(DestroyMenu(menu));
    EXPECT_FALSE(DestroyMenu(menu));
    EXPECT_EQ(TrackPopupMenuEx(menu, 0x182, 0, 0, nullptr, nullptr), 0);
    EXPECT_EQ(script.faults.size(), 2u);
}

TEST(PopupMenuTest, InsertByIdentifier) {
    HMENU menu = SampleMenu();
    MENUITEMINFOA info{};
    info.fMask = MIIM_TYPE | MIIM_ID;
    info.dwTypeData = const_cast<char*>("Before doors");
    info.wID = 44;
    EXPECT_TRUE(InsertMenuItemA(menu, 22, FALSE, &info));
    EXPECT_FALSE(InsertMenuItemA(menu, 99, FALSE, &info));
    EXPECT_TRUE(InsertMenuItemA(menu, 100, TRUE, &info));  // past the end: appended
    EXPECT_EQ(MenuLabels(menu), "&Walls|First|-|Before doors|Doors|Before doors");
    DestroyMenu(menu);
}

TEST(FileDialogTest, ChosenPathFitsTheBuffer) {
    UiScript script;
    char name[8] = "old";
    OpenFNRec rec{name, name, "PAT", "AutoCAD Pattern files (*.PAT)\0*.PAT\0", sizeof name, 2048, 1, 0};
    script.Add("file", {"/tmp/a-long-name.pat"}).Add("file", {"cancel"}).Add("menu", {"x"}).Add("esc");
    EXPECT_EQ(GetOpenFN("Add pattern file", &rec), 1);
    EXPECT_STREQ(name, "/tmp/a-");
    EXPECT_EQ(GetOpenFN("Add pattern file", &rec), 0);
    EXPECT_EQ(GetOpenFN("Add pattern file", &rec), 0);
    EXPECT_STREQ(name, "/tmp/a-");
    EXPECT_EQ(script.faults.size(), 1u);
    EXPECT_EQ(script.transcript.front(), "file dialog \"Add pattern file\"");
    EXPECT_EQ(script.transcript[1], "file dialog chose \"/tmp/a-\"");
    rec.bufferSize = 0;
    EXPECT_EQ(GetOpenFN("x", &rec), 0);
    EXPECT_EQ(script.faults.size(), 2u);
}

TEST(TextSettingsTest, HeightChangesOnlyWithOk) {
    UiScript script;
    unsigned char block[23] = {};
    float height = 1.0f;
    std::memcpy(block + 2, &height, sizeof height);
    script.Dialog({"set", "height", "2.5"}).Dialog({"click", "2"});
    script.Dialog({"set", "height", "-1"}).Dialog({"set", "height", "3.5"}).Dialog({"click", "1"});
    EXPECT_EQ(TSpecDialog(block, 2), 0);
    std::memcpy(&height, block + 2, sizeof height);
    EXPECT_EQ(height, 1.0f);
    EXPECT_EQ(TSpecDialog(block, 2), 1);
    std::memcpy(&height, block + 2, sizeof height);
    EXPECT_EQ(height, 3.5f);
    EXPECT_EQ(script.faults.size(), 1u);
    EXPECT_EQ(script.transcript.front(), "dialog TSPECDLG \"Text Settings\" opened");
    EXPECT_EQ(script.transcript.back(), "dialog TSPECDLG closed with OK");
}

TEST(ShellTest, OpenIsRecorded) {
    UiScript script;
    EXPECT_EQ(ShellExecuteA(nullptr, "open", "https://example.com/", nullptr, nullptr, 1),
              reinterpret_cast<HINSTANCE>(uintptr_t{42}));
    EXPECT_EQ(script.transcript.back(), "shell open \"https://example.com/\"");
}

}  // namespace
}  // namespace qlhost
