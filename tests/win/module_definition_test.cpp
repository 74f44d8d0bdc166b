// The module definition of Corvane's executable (host/win/plv7.def), from which the plug-in's
// import library is made and through which the Windows host PLV7.exe exports the host
// interface, and the host's list of the plug-in's Win32 imports it answers itself
// (host/win/import_redirects.cpp), against the interface headers.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
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

std::set<std::string> DefExports(const std::string& def) {
    std::set<std::string> exports;
    std::istringstream lines(def);
    std::string line;
    bool inExports = false;
    static const std::regex entry(R"(^\s+(\S+)\s*$)");
    while (std::getline(lines, line)) {
        if (line.rfind("EXPORTS", 0) == 0) {
            inExports = true;
            continue;
        }
        std::smatch m;
        if (inExports && std::regex_match(line, m, entry)) {
            EXPECT_TRUE(exports.insert(m[1]).second) << m[1] << " twice";
        }
    }
    return exports;
}

// The entries {"MODULE.dll", "Name", ...} of the redirect table, as name -> module.
std::map<std::string, std::string> Redirects() {
    const std::string source = ReadSource("host/win/import_redirects.cpp");
    std::map<std::string, std::string> redirects;
    static const std::regex entry(R"re(\{"(\w+\.dll)", "(\w+)", reinterpret_cast<void\*>\(&(\w+)\)\})re");
    for (auto it = std::sregex_iterator(source.begin(), source.end(), entry); it != std::sregex_iterator(); ++it) {
        EXPECT_EQ((*it)[2], (*it)[3]) << "the entry of " << (*it)[2] << " points at another function";
        redirects[(*it)[2]] = (*it)[1];
    }
    return redirects;
}

// The plug-in binds exactly the host interface to PLV7.exe: no Win32 name, nothing missing.
TEST(ModuleDefinition, NamesCorvanesExecutableAndExportsExactlyTheHostInterface) {
    const std::string def = ReadSource("host/win/plv7.def");
    ASSERT_NE(def.find("NAME \"PLV7.exe\""), std::string::npos) << "the definition names Corvane's executable";
    const std::set<std::string> exported = DefExports(def);
    const std::set<std::string> host = DeclaredFunctions(CBlock(ReadSource("core/host_api.h")));
    ASSERT_GT(host.size(), 100u);
    EXPECT_EQ(exported, host);
}

// Each redirected import is a function of the host's Win32 subset, renamed for the host's own
// definition, and comes from the system DLL that exports it.
TEST(ModuleDefinition, RedirectedImportsAreTheHostsRenamedSubsetFunctions) {
    const std::string names = ReadSource("host/win/subset_names.h");
    const std::set<std::string> subset = DeclaredFunctions(CBlock(ReadSource("core/win32.h")));
    const std::map<std::string, std::string> redirects = Redirects();
    ASSERT_EQ(redirects.size(), 20u);
    for (const auto& [name, module] : redirects) {
        EXPECT_TRUE(subset.count(name)) << name << " is not declared in core/win32.h";
        EXPECT_NE(names.find("#define " + name + " Qlw" + name + "\n"), std::string::npos)
            << name << " is not renamed in subset_names.h";
    }
    for (const char* gdi : {"CreateSolidBrush", "DeleteObject", "GetStockObject", "RestoreDC", "SaveDC",
                            "SelectObject", "SetBkColor"})
        EXPECT_EQ(redirects.count(gdi) ? redirects.at(gdi) : "", "GDI32.dll") << gdi;
    EXPECT_EQ(redirects.at("GetTickCount"), "KERNEL32.dll");
    EXPECT_EQ(redirects.at("ShellExecuteA"), "SHELL32.dll");
    EXPECT_EQ(redirects.at("PostMessageA"), "USER32.dll");
}

// The plug-in's key calls go to advapi32 on the real keys of HKEY_CURRENT_USER, and the host
// no longer defines them; every rename keeps the Win32 name after its prefix.
TEST(ModuleDefinition, RegistryKeyCallsComeFromWindowsAndRenamesKeepTheirNames) {
    const std::string names = ReadSource("host/win/subset_names.h");
    const std::map<std::string, std::string> redirects = Redirects();
    for (const char* name : {"RegOpenKeyExA", "RegCloseKey", "RegEnumValueA", "RegDeleteValueA"}) {
        EXPECT_TRUE(DeclaredFunctions(CBlock(ReadSource("core/win32.h"))).count(name)) << name;
        EXPECT_FALSE(redirects.count(name)) << name << " is still the host's";
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
// Windows functions; focus, parent, posted messages and the owner-draw GDI calls stay the
// host's, for the emulated dialogs and the host's own device contexts.
TEST(ModuleDefinition, InputMenusAndFontsComeFromWindows) {
    const std::map<std::string, std::string> redirects = Redirects();
    for (const char* real : {"SetWindowsHookExA", "CallNextHookEx", "UnhookWindowsHookEx", "GetCurrentThreadId",
                             "GetAsyncKeyState", "GetKeyboardState", "ToAscii", "CreatePopupMenu", "InsertMenuItemA",
                             "TrackPopupMenuEx", "DestroyMenu", "CreateFontIndirectA", "CreateFontA", "GetDC",
                             "ReleaseDC", "GetGlyphOutlineA", "GetCursorPos", "LoadCursorA", "SetCursor"})
        EXPECT_FALSE(redirects.count(real)) << real << " is taken from the host instead of Windows";
    for (const char* forwarder : {"GetFocus", "SetFocus", "GetParent", "PostMessageA", "SelectObject", "DeleteObject",
                                  "GetStockObject", "GetTickCount"})
        EXPECT_TRUE(redirects.count(forwarder)) << forwarder << " must reach the host's emulated windows and DCs";
}

}  // namespace
