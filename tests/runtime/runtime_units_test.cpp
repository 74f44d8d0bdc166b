// Runtime pieces without a plug-in: the registration check, keys and the US layout, hook
// chains, file resolution and the fields of entity dump lines.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "host/platform/hooks.h"
#include "host/platform/system.h"
#include "host/protocol/loader.h"
#include "host/script/entity_fields.h"

namespace qlhost {
namespace {

void Proc0() {}
void Proc1() {}

TEST(RuntimeRegistration, AcceptsAWellFormedRecord) {
    const CmdProc procs[] = {Proc0, Proc1, Proc1, nullptr};
    const XPRecord record = {0, 0, "Product", "ONE\0TWO\0", procs, 0, 0};
    CommandTable table;
    std::string error;
    ASSERT_TRUE(CheckRegistration(&record, table, error)) << error;
    EXPECT_EQ(table.product, "Product");
    EXPECT_EQ(table.names, (std::vector<std::string>{"ONE", "TWO"}));
    EXPECT_EQ(table.procs.size(), 3u);
}

TEST(RuntimeRegistration, RejectsMalformedRecords) {
    const CmdProc procs[] = {Proc0, Proc1, Proc1, nullptr};
    const CmdProc shortProcs[] = {Proc0, Proc1, nullptr, nullptr};
    const CmdProc longProcs[] = {Proc0, Proc1, Proc1, Proc1, nullptr};
    const CmdProc noAbout[] = {nullptr, Proc1, Proc1, nullptr};
    CommandTable table;
    std::string error;
    EXPECT_FALSE(CheckRegistration(nullptr, table, error));
    EXPECT_NE(error.find("XPRegister"), std::string::npos);
    XPRecord record = {0, 0, "", "ONE\0TWO\0", procs, 0, 0};
    EXPECT_FALSE(CheckRegistration(&record, table, error));
    EXPECT_EQ(error, "the registration record has no product text");
    record = {0, 0, "P", "\0", procs, 0, 0};
    EXPECT_FALSE(CheckRegistration(&record, table, error));
    EXPECT_EQ(error, "the registration record names no commands");
    record = {0, 0, "P", "ONE\0TWO\0", shortProcs, 0, 0};
    EXPECT_FALSE(CheckRegistration(&record, table, error));
    EXPECT_EQ(error, "the procedure table ends at entry 2 but 2 commands are named");
    record = {0, 0, "P", "ONE\0TWO\0", longProcs, 0, 0};
    EXPECT_FALSE(CheckRegistration(&record, table, error));
    EXPECT_NE(error.find("more procedures than names"), std::string::npos);
    record = {0, 0, "P", "ONE\0TWO\0", noAbout, 0, 0};
    EXPECT_FALSE(CheckRegistration(&record, table, error));
    EXPECT_EQ(error, "entry 0 (About) of the procedure table is null");
    record = {0, 0, "P", nullptr, procs, 0, 0};
    EXPECT_FALSE(CheckRegistration(&record, table, error));
    record = {0, 0, "P", "ONE\0", nullptr, 0, 0};
    EXPECT_FALSE(CheckRegistration(&record, table, error));
}

TEST(RuntimeKeys, NamesAndTheUsLayout) {
    EXPECT_EQ(VirtualKeyByName("t"), 'T');
    EXPECT_EQ(VirtualKeyByName("ESC"), VK_ESCAPE);
    EXPECT_EQ(VirtualKeyByName("escape"), VK_ESCAPE);
    EXPECT_EQ(VirtualKeyByName("CTRL"), VK_CONTROL);
    EXPECT_EQ(VirtualKeyByName("F12"), 0x7B);
    EXPECT_EQ(VirtualKeyByName("NUMPAD7"), 0x67);
    EXPECT_EQ(VirtualKeyByName("F0"), 0);
    EXPECT_EQ(VirtualKeyByName("NOSUCHKEY"), 0);
    BYTE state[256] = {};
    EXPECT_EQ(CharOfKey('1', state), '1');
    EXPECT_EQ(CharOfKey('T', state), 't');
    EXPECT_EQ(CharOfKey(VK_ADD, state), '+');
    EXPECT_EQ(CharOfKey(VK_LEFT, state), 0);
    state[VK_SHIFT] = 0x80;
    EXPECT_EQ(CharOfKey('1', state), '!');
    EXPECT_EQ(CharOfKey('T', state), 'T');
    EXPECT_EQ(CharOfKey(0xBF, state), '?');
    state[VK_SHIFT] = 0;
    state[VK_CONTROL] = 0x80;
    EXPECT_EQ(CharOfKey('A', state), 1);
    int vk = 0;
    bool shift = false;
    ASSERT_TRUE(KeyOfChar('!', vk, shift));
    EXPECT_EQ(vk, '1');
    EXPECT_TRUE(shift);
    ASSERT_TRUE(KeyOfChar(',', vk, shift));
    EXPECT_EQ(vk, 0xBC);
    EXPECT_FALSE(shift);
    EXPECT_FALSE(KeyOfChar('\x01', vk, shift));
}

std::vector<std::string> g_calls;
HHOOK g_first = nullptr;

LRESULT CALLBACK Older(int code, WPARAM w, LPARAM l) {
    g_calls.push_back("older");
    return CallNextHook(code, w, l);
}
LRESULT CALLBACK Newer(int code, WPARAM w, LPARAM l) {
    g_calls.push_back("newer");
    return CallNextHook(code, w, l);
}
LRESULT CALLBACK Swallow(int, WPARAM, LPARAM) {
    g_calls.push_back("swallow");
    return 1;
}
LRESULT CALLBACK RemovesItself(int code, WPARAM w, LPARAM l) {
    g_calls.push_back("removes");
    RemoveHook(g_first);
    return CallNextHook(code, w, l);
}

TEST(RuntimeHooks, ChainsRunNewestFirstAndPassOn) {
    RemoveAllHooks();
    g_calls.clear();
    HHOOK older = InstallHook(WH_KEYBOARD, Older);
    HHOOK newer = InstallHook(WH_KEYBOARD, Newer);
    ASSERT_TRUE(older && newer);
    EXPECT_EQ(InstalledHooks(WH_KEYBOARD), 2);
    EXPECT_EQ(InstallHook(3, Older), nullptr);
    EXPECT_TRUE(DeliverKey('A', true));
    EXPECT_TRUE(KeyHeld('A'));
    DeliverKey('A', false);
    EXPECT_FALSE(KeyHeld('A'));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"newer", "older", "newer", "older"}));
    // Mouse events do not reach keyboard hooks.
    g_calls.clear();
    DeliverMouse(WM_LBUTTONDOWN, 1, 1);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_TRUE(KeyHeld(VK_LBUTTON));
    DeliverMouse(WM_LBUTTONUP, 1, 1);
    // A hook that handles the event stops the chain and swallows the key.
    InstallHook(WH_KEYBOARD, Swallow);
    g_calls.clear();
    EXPECT_FALSE(DeliverKey('B', true));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"swallow"}));
    EXPECT_TRUE(RemoveHook(newer));
    EXPECT_FALSE(RemoveHook(newer));
    RemoveAllHooks();
    ReleaseAllKeys();
}

TEST(RuntimeHooks, AHookRemovedDuringTheEventIsSkipped) {
    RemoveAllHooks();
    g_calls.clear();
    g_first = InstallHook(WH_MOUSE, Older);
    InstallHook(WH_MOUSE, RemovesItself);
    DeliverMouse(WM_RBUTTONDOWN, 0, 0);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"removes"}));
    EXPECT_EQ(InstalledHooks(WH_MOUSE), 1);
    RemoveAllHooks();
    ReleaseAllKeys();
}

TEST(RuntimeHooks, WindowsParentsAndFocus) {
    EXPECT_EQ(ParentWindow(DrawingWindow()), MainWindow());
    EXPECT_EQ(ParentWindow(MainWindow()), nullptr);
    HWND dialog = reinterpret_cast<HWND>(uintptr_t{0x7000});
    HWND control = reinterpret_cast<HWND>(uintptr_t{0x7001});
    RegisterWindow(dialog, MainWindow());
    RegisterWindow(control, dialog);
    SetFocusWindow(control);
    EXPECT_EQ(ParentWindow(FocusWindow()), dialog);
    UnregisterWindow(control);
    EXPECT_EQ(FocusWindow(), DrawingWindow());
    EXPECT_FALSE(KnownWindow(control));
    UnregisterWindow(dialog);
}

TEST(RuntimeFiles, HashNamesAndHostBlocks) {
    namespace fs = std::filesystem;
    const fs::path user = fs::temp_directory_path() / "qlhost-runtime-test-user";
    const fs::path data = fs::temp_directory_path() / "qlhost-runtime-test-data";
    fs::create_directories(user);
    fs::create_directories(data / "fonts");
    std::ofstream(user / "menu.txt") << "A:B\n";
    std::ofstream(data / "fonts" / "Simplex.fnt") << "font";
    SetUserDir(user.string());
    SetHostDataDir(data.string());
    EXPECT_EQ(FullName("#log.txt"), (user / "log.txt").string());
    EXPECT_EQ(FullName("plain.txt"), "plain.txt");
    EXPECT_EQ(FindLoadFile("#menu.txt"), (user / "menu.txt").string());
    EXPECT_EQ(FindLoadFile("#Simplex"), (data / "fonts" / "Simplex.fnt").string());
    EXPECT_EQ(FindLoadFile("#missing"), "");
    EXPECT_EQ(FindLoadFile("#"), "");
    char* text = nullptr;
    uint32_t size = 0;
    ASSERT_TRUE(LoadHostFile("#menu.txt", &text, &size));
    EXPECT_EQ(size, 4u);
    EXPECT_STREQ(text, "A:B\n");
    EXPECT_EQ(LiveHostBlocks(), 1u);
    char other = 0;
    EXPECT_FALSE(ReleaseHostBlock(&other));
    EXPECT_TRUE(ReleaseHostBlock(text));
    EXPECT_EQ(LiveHostBlocks(), 0u);
    EXPECT_FALSE(LoadHostFile("#missing", &text, &size));
    SetUserDir(".");
    SetHostDataDir("hostdata");
    fs::remove_all(user);
    fs::remove_all(data);
}

TEST(RuntimeFields, DecodesDumpLines) {
    auto line = DecodeDumpFields("#5 line layer=2 sel (1,2) (3.5,-4)");
    EXPECT_EQ(line["id"], "5");
    EXPECT_EQ(line["type"], "line");
    EXPECT_EQ(line["layer"], "2");
    EXPECT_EQ(line["sel"], "1");
    EXPECT_EQ(line["x1"], "1");
    EXPECT_EQ(line["y2"], "-4");
    EXPECT_EQ(line["x"], "1");
    auto circle = DecodeDumpFields("#6 circle layer=0 c=(5,6) r=2");
    EXPECT_EQ(circle["cx"], "5");
    EXPECT_EQ(circle["cy"], "6");
    EXPECT_EQ(circle["r"], "2");
    auto text = DecodeDumpFields(R"(#7 text layer=0 (1,1) h=2.5 a=0 font=1 just=0 "say \"a b\"\r2")");
    EXPECT_EQ(text["text"], "say \"a b\"\r2");
    EXPECT_EQ(text["h"], "2.5");
    auto attribute = DecodeDumpFields(R"(#8 attrib layer=0 (0,0) value="v 1" tag="T")");
    EXPECT_EQ(attribute["value"], "v 1");
    EXPECT_EQ(attribute["tag"], "T");
}

}  // namespace
}  // namespace qlhost
