// Shared helpers over the host: the settings record and stored values, prompt records
// written into a buffer, the dialog shortcuts, the redraw after a cancelled selection and
// the maker's web link.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/dialog_helpers.h"
#include "core/hooks.h"
#include "core/layers.h"
#include "core/prompts.h"
#include "core/registration.h"
#include "core/weblink.h"
#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/fonts/gdi.h"
#include "host/geometry/records.h"
#include "host/platform/hooks.h"
#include "host/ui/paint_dc.h"
#include "host/ui/resources.h"
#include "host/ui/ui.h"
#include "tests/support/temp_path.h"
#include "tests/ui/ui_script.h"

namespace {

using qlhost::testing::UiScript;

HINSTANCE const kDialogs = reinterpret_cast<HINSTANCE>(uintptr_t{0x7E5A0000});
constexpr int kApply = 1008, kNext = 1009, kHidden = 1015, kLink = 1016;

class StoredSettings : public ::testing::Test {
protected:
    void SetUp() override { qlhost::SetRegistryFile(ql_test::TempPath("helpers-registry.reg")); }
    void TearDown() override { qlhost::SetRegistryFile(""); }
};

TEST_F(StoredSettings, RecordNamesTheCurrentUserBranchAndABinaryValue) {
    char keyPath[kKeyPathSize];
    std::memset(keyPath, 'x', sizeof keyPath);
    double data = 0;
    SettingsRec record;
    MakeSettingsRecord(record, keyPath, "QLHatch\\", "Options", &data, sizeof data);
    EXPECT_EQ(record.root, 0x80000001u);
    EXPECT_EQ(record.keyPath, keyPath);
    EXPECT_STREQ(keyPath, "Software\\Tarnwell\\Quillet\\QLHatch\\");
    for (size_t i = std::strlen(keyPath); i < kKeyPathSize; ++i) ASSERT_EQ(keyPath[i], 0) << i;
    EXPECT_STREQ(record.valueName, "Options");
    EXPECT_EQ(record.data, &data);
    EXPECT_EQ(record.dataSize, sizeof data);
    EXPECT_EQ(record.valueType, 3u);
    EXPECT_EQ(record.bufferSize, sizeof data);
    EXPECT_EQ(record.reserved, 0u);

    // A sub-key too long for the buffer is cut, and the path still ends inside it.
    const std::string longKey(400, 'k');
    MakeSettingsRecord(record, keyPath, longKey.c_str(), "Options", &data, sizeof data);
    EXPECT_EQ(keyPath[kKeyPathSize - 1], 0);
    EXPECT_EQ(std::strlen(keyPath), kKeyPathSize - 1);
}

TEST_F(StoredSettings, MissingOrOtherSizedValuesLeaveTheDefaults) {
    int32_t values[2] = {7, 8};
    EXPECT_FALSE(LoadSetting("", "NoSuchValue", values, sizeof values));
    EXPECT_EQ(values[0], 7);
    EXPECT_EQ(values[1], 8);

    const int32_t stored[2] = {1, 2};
    ASSERT_TRUE(SaveSetting("Helpers\\", "Pair", stored, sizeof stored));
    EXPECT_TRUE(LoadSetting("Helpers\\", "Pair", values, sizeof values));
    EXPECT_EQ(values[0], 1);
    EXPECT_EQ(values[1], 2);

    int32_t three[3] = {4, 5, 6};
    EXPECT_FALSE(LoadSetting("Helpers\\", "Pair", three, sizeof three));
    EXPECT_EQ(three[0], 4);
    EXPECT_EQ(three[2], 6);
    // The same name under another key is another value.
    EXPECT_FALSE(LoadSetting("", "Pair", three, sizeof three));
}

TEST(FormattedText, PromptRecordIsWrittenWithinTheBuffer) {
    const double scale = 2.5;
    const char* name = "ANSI31";
    const PromptRec record = MakePrompt("Scale !01 for !02", PromptValue(&scale, PF_DOUBLE, 2),
                                        PromptValue(name, PF_TEXT));
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    FormatInto(record, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "Scale 2.50 for ANSI31");
    for (size_t i = std::strlen(buffer); i < sizeof buffer; ++i) ASSERT_EQ(buffer[i], 0) << i;

    char small[8];
    std::memset(small, 'x', sizeof small);
    FormatInto(record, small, sizeof small);
    EXPECT_STREQ(small, "Scale 2");
}

class HelperDialog : public ::testing::Test {
protected:
    void SetUp() override {
        qlhost::SetResourceFolder(kDialogs, std::string(QL_SOURCE_DIR) + "/tests/ui/data/dialogs");
        qlhost::TakeDrawnTexts();
    }
    void TearDown() override {
        qlhost::SetResourceFolder(PluginInstance(), std::string(QL_SOURCE_DIR) + "/resources");
    }
    static int Run(void* dlg) {
        const int result = Dialog(dlg, kDialogs, 0);
        RelDlg(dlg);
        return result;
    }
};

TEST_F(HelperDialog, ShortcutsShowHideEnableAndFindControls) {
    UiScript script;
    void* dlg = DefDlg("DLGENGINE", 0, 0, nullptr, 0, 0);
    script
        .Run([] {
            ShowControl(kApply, false);
            ShowControl(kHidden, true);
            EnableControl(kNext, false);
            EXPECT_NE(ControlWindow(kApply), nullptr);
            EXPECT_EQ(ControlWindow(kApply), GetDlgItem(GetDlgWin(), kApply));
            EXPECT_NE(ControlWindow(kApply), ControlWindow(kNext));
        })
        .Dialog({"expect-visible", "1008", "off"})
        .Dialog({"expect-visible", "1015", "on"})
        .Dialog({"expect-enabled", "1009", "off"})
        .Run([] {
            ShowControl(kApply, true);
            EnableControl(kNext, true);
        })
        .Dialog({"expect-visible", "1008", "on"})
        .Dialog({"expect-enabled", "1009", "on"})
        .Add("esc");
    EXPECT_EQ(Run(dlg), IDCANCEL);
    EXPECT_TRUE(script.faults.empty()) << script.faults.front();
}

TEST_F(HelperDialog, RightButtonClosesTheDialogAsCancelAndTheHookGoes) {
    qlhost::SetResourceFolder(PluginInstance(), std::string(QL_SOURCE_DIR) + "/tests/ui/data/dialogs");
    UiScript script;
    void* dlg = DefDlg("DLGENGINE", 0, 0, nullptr, 0, 0);
    script
        .Run([] {
            EXPECT_EQ(ClosedByRightButton, 0u);
            EXPECT_EQ(qlhost::InstalledHooks(WH_MOUSE), 1);
            qlhost::DeliverMouse(WM_RBUTTONDOWN, 5, 5);
        })
        .Dialog({"click", "1"});
    EXPECT_EQ(RunDialogClosedByRightButton(dlg), IDCANCEL);
    EXPECT_EQ(ClosedByRightButton, 1u);
    EXPECT_EQ(qlhost::InstalledHooks(WH_MOUSE), 0);
    EXPECT_EQ(script.actions.size(), 1u);  // the OK click never came

    EXPECT_EQ(ShowMessageClosedByRightButton("Done", "Message", MS_MESSAGE), IDOK);
    EXPECT_EQ(ClosedByRightButton, 0u);
    EXPECT_EQ(qlhost::InstalledHooks(WH_MOUSE), 0);
    EXPECT_TRUE(script.Transcribed("message \"Message\""));
}

TEST_F(HelperDialog, WebLinkOpensThePageAndLeavesTheDialogOpen) {
    UiScript script;
    void* dlg = DefDlg("DLGENGINE", 0, 0, nullptr, 0, 0);
    BTNCTL(dlg, kLink, 0, 0, WebLinkClick, WebLinkDraw);
    script.Dialog({"click", "1016"}).Dialog({"click", "1"});
    EXPECT_EQ(Run(dlg), IDOK);
    EXPECT_TRUE(script.Transcribed("shell open \"https://www.tarnwell.com\"")) << script.transcript.back();
    EXPECT_TRUE(script.faults.empty());

    // The button was drawn with the address when the dialog opened.
    const auto drawn = qlhost::TakeDrawnTexts();
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.front().text, "https://www.tarnwell.com");
}

TEST_F(HelperDialog, WebLinkDrawsUnderlinedOnTheMenuColourAndRestoresTheContext) {
    HDC dc = qlhost::CreateHostDC(nullptr);
    HFONT own = CreateFontA(11, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    HGDIOBJ initial = SelectObject(dc, own);
    SetBkColor(dc, 0x00123456);
    const size_t objects = qlhost::LiveGdiObjects();

    DRAWITEMSTRUCT item{};
    item.CtlType = 4;
    item.CtlID = kLink;
    item.hDC = dc;
    item.rcItem = RECT{0, 0, 150, 16};
    EXPECT_EQ(WebLinkDraw(WM_MEASUREITEM, &item), 0);
    EXPECT_TRUE(qlhost::TakeDrawnTexts().empty());
    EXPECT_EQ(WebLinkDraw(WM_DRAWITEM, &item), 0);

    const auto drawn = qlhost::TakeDrawnTexts();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].text, std::string(kMakerAddress, 24));
    EXPECT_EQ(drawn[0].format, 0x1108u);
    EXPECT_EQ(drawn[0].background, GetSysColor(COLOR_MENU));
    EXPECT_EQ(drawn[0].font.lfHeight, 15);
    EXPECT_EQ(drawn[0].font.lfWeight, 400);
    EXPECT_EQ(drawn[0].font.lfUnderline, 1);
    EXPECT_EQ(drawn[0].font.lfItalic, 0);
    EXPECT_EQ(drawn[0].font.lfPitchAndFamily, 0x22);
    EXPECT_STREQ(drawn[0].font.lfFaceName, "");

    // The previous font and background are back, and the link's font is deleted.
    EXPECT_EQ(SelectObject(dc, initial), own);
    EXPECT_EQ(SetBkColor(dc, 0), 0x00123456u);
    EXPECT_EQ(qlhost::LiveGdiObjects(), objects);
    DeleteObject(own);
    qlhost::ReleaseHostDC(dc);
}

TEST(RedrawAfterCancel, SelectedEntitiesAreDrawnNormallyAndShown) {
    qlhost::Drawing& drawing = qlhost::TheDrawing();
    drawing.Reset();
    qlhost::ClearHighlights();  // ids highlighted by an earlier test would be counted
    qlhost::Node* nodes[3];
    for (int i = 0; i < 3; ++i) {
        const auto line = qlhost::MakeLine(0, i, 10, i);
        nodes[i] = drawing.work->Append(line.data(), static_cast<uint32_t>(line.size()));
        EMark(nodes[i]->record());
    }
    nodes[0]->flags |= qlhost::Node::kSelected;
    nodes[2]->flags |= qlhost::Node::kSelected;
    qlhost::ResetScreenCounters();

    RedrawSelection();
    EXPECT_EQ(qlhost::Screen().draws, 2);
    EXPECT_EQ(qlhost::Screen().showChanges, 1);
    // Only the unselected entity keeps its highlight.
    EXPECT_EQ(qlhost::HighlightedIds(), std::vector<uint32_t>{nodes[1]->id});
    qlhost::ClearHighlights();
    drawing.Reset();
}

}  // namespace
