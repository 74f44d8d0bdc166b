// The module definition of the Windows host (host/win/qlhost.def) against the interface
// headers: a function the plug-in may call that qlhost.exe does not export would only show
// as a link failure of the cross build.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

std::string ReadSource(const std::string& relative) {
    std::ifstream in(std::string(QL_SOURCE_DIR) + "/" + relative);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The declarations with C linkage: from `extern "C" {` to the last `#ifdef __cplusplus`,
// which closes the block.
std::string CBlock(const std::string& header) {
    const size_t start = header.find("extern \"C\" {");
    const size_t end = header.rfind("#ifdef __cplusplus");
    if (start == std::string::npos || end == std::string::npos || end < start) return {};
    return header.substr(start, end - start);
}

// Names of the functions declared in a block: an identifier followed by "(" that ends a
// declaration's type (not a function-pointer typedef or a parameter list).
std::set<std::string> DeclaredFunctions(const std::string& block) {
    std::set<std::string> names;
    static const std::regex declaration(R"((?:^|\n)[A-Za-z_][\w \*]*?(?:WINAPI )?\**\b(\w+)\()");
    for (auto it = std::sregex_iterator(block.begin(), block.end(), declaration); it != std::sregex_iterator(); ++it) {
        const std::string name = (*it)[1];
        if (it->str().find("typedef") == std::string::npos) names.insert(name);
    }
    return names;
}

struct Export {
    std::string name;      // the exported name, without the argument-size decoration
    std::string internal;  // the host's own symbol, empty when it is the name itself
};

std::vector<Export> DefExports(const std::string& def) {
    std::vector<Export> exports;
    std::istringstream lines(def);
    std::string line;
    bool inExports = false;
    static const std::regex entry(R"(^\s+(\w+)(?:@\d+)?(?:=(\w+?)(?:@\d+)?)?\s*$)");
    while (std::getline(lines, line)) {
        if (line.rfind("EXPORTS", 0) == 0) {
            inExports = true;
            continue;
        }
        std::smatch m;
        if (inExports && std::regex_match(line, m, entry)) exports.push_back({m[1], m[2]});
    }
    return exports;
}

TEST(ModuleDefinition, ExportsEveryHostFunctionAndWin32SubsetFunction) {
    const std::string def = ReadSource("host/win/qlhost.def");
    ASSERT_NE(def.find("NAME \"qlhost.exe\""), std::string::npos) << "the definition names the executable";
    std::set<std::string> exported;
    for (const Export& e : DefExports(def)) EXPECT_TRUE(exported.insert(e.name).second) << e.name << " twice";

    const std::set<std::string> host = DeclaredFunctions(CBlock(ReadSource("core/host_api.h")));
    ASSERT_GT(host.size(), 100u);
    for (const std::string& name : host) EXPECT_TRUE(exported.count(name)) << name << " is not exported";

    const std::set<std::string> subset = DeclaredFunctions(CBlock(ReadSource("core/win32.h")));
    ASSERT_GT(subset.size(), 30u);
    for (const std::string& name : exported)
        EXPECT_TRUE(host.count(name) || subset.count(name)) << name << " is exported but declared nowhere";
}

TEST(ModuleDefinition, Win32NamesPointAtTheRenamedHostDefinitions) {
    const std::string names = ReadSource("host/win/subset_names.h");
    const std::set<std::string> subset = DeclaredFunctions(CBlock(ReadSource("core/win32.h")));
    for (const Export& e : DefExports(ReadSource("host/win/qlhost.def"))) {
        if (!subset.count(e.name)) {
            EXPECT_TRUE(e.internal.empty()) << e.name;
            continue;
        }
        EXPECT_EQ(e.internal, "Qlw" + e.name);
        EXPECT_NE(names.find("#define " + e.name + " Qlw" + e.name + "\n"), std::string::npos)
            << e.name << " is not renamed in subset_names.h";
    }
}

// The plug-in's key calls go to advapi32 on the real keys of HKEY_CURRENT_USER, and the host
// no longer defines them; every rename keeps the Win32 name after its prefix.
TEST(ModuleDefinition, RegistryKeyCallsComeFromWindowsAndRenamesKeepTheirNames) {
    const std::string names = ReadSource("host/win/subset_names.h");
    const std::string def = ReadSource("host/win/qlhost.def");
    std::set<std::string> exported;
    for (const Export& e : DefExports(def)) exported.insert(e.name);
    for (const char* name : {"RegOpenKeyExA", "RegCloseKey", "RegEnumValueA", "RegDeleteValueA"}) {
        EXPECT_TRUE(DeclaredFunctions(CBlock(ReadSource("core/win32.h"))).count(name)) << name;
        EXPECT_FALSE(exported.count(name)) << name << " is still the host's";
        EXPECT_EQ(names.find(std::string(" ") + name + " "), std::string::npos)
            << name << " is still renamed";
    }
    static const std::regex rename(R"(#define (\w+) Qlw(\w+)\n)");
    int renames = 0;
    for (auto it = std::sregex_iterator(names.begin(), names.end(), rename);
         it != std::sregex_iterator(); ++it) {
        ++renames;
        EXPECT_EQ((*it)[1], (*it)[2]);
    }
    EXPECT_GT(renames, 20);
}

// Hooks, key state, pop-up menus, the cursor and the plug-in's fonts and glyphs are the real
// Windows functions; focus, parent, posted messages and the owner-draw GDI calls stay host forwarders
// for the emulated dialogs and the host's own device contexts.
TEST(ModuleDefinition, InputMenusAndFontsComeFromWindows) {
    std::set<std::string> exported;
    for (const Export& e : DefExports(ReadSource("host/win/qlhost.def"))) exported.insert(e.name);
    for (const char* real : {"SetWindowsHookExA", "CallNextHookEx", "UnhookWindowsHookEx", "GetCurrentThreadId",
                             "GetAsyncKeyState", "GetKeyboardState", "ToAscii", "CreatePopupMenu", "InsertMenuItemA",
                             "TrackPopupMenuEx", "DestroyMenu", "CreateFontIndirectA", "CreateFontA", "GetDC",
                             "ReleaseDC", "GetGlyphOutlineA", "GetCursorPos", "LoadCursorA", "SetCursor"})
        EXPECT_FALSE(exported.count(real)) << real << " is taken from the host instead of Windows";
    for (const char* forwarder : {"GetFocus", "SetFocus", "GetParent", "PostMessageA", "SelectObject", "DeleteObject",
                                  "GetStockObject"})
        EXPECT_TRUE(exported.count(forwarder)) << forwarder << " must reach the host's emulated windows and DCs";
}

}  // namespace
