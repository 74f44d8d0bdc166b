// The plug-in's resource scripts compiled as the Windows build links them into the DLL: every
// RT_DIALOG read back from the .res must give the model the script parser gives, on every
// field the dialog engine reads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "host/ui/dialog.h"
#include "host/ui/dialog_template.h"
#include "tests/support/temp_path.h"

namespace qlhost::rc {
namespace {

namespace fs = std::filesystem;

constexpr uint16_t kDialogType = 5;  // RT_DIALOG
constexpr uint32_t kSetFont = 0x40;  // DS_SETFONT, which windres adds for a FONT statement

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct ResEntry {
    int type = -1;  // the ordinal, or -1 for a named type
    std::string name;
    int number = -1;
    std::vector<uint8_t> data;
};

uint32_t Dword(const std::string& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, sizeof v);
    return v;
}
uint16_t Word(const std::string& b, size_t at) {
    uint16_t v;
    std::memcpy(&v, b.data() + at, sizeof v);
    return v;
}

// A type or name field of a RESOURCEHEADER that ends at end: an ordinal or a UTF-16 string.
bool IdField(const std::string& b, size_t& at, size_t end, std::string& name, int& number) {
    if (at + 2 > end) return false;
    if (Word(b, at) == 0xFFFF) {
        if (at + 4 > end) return false;
        number = Word(b, at + 2);
        at += 4;
        return true;
    }
    for (; at + 2 <= end; at += 2) {
        uint16_t unit = Word(b, at);
        if (unit == 0) {
            at += 2;
            return true;
        }
        name.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
    }
    return false;
}

// A .res file: RESOURCEHEADERs (data size, header size, type, name, ...) each followed by
// its data, every entry starting on a DWORD boundary.
bool ReadRes(const std::string& b, std::vector<ResEntry>& out, std::string& error) {
    size_t at = 0;
    while (at + 8 <= b.size()) {
        uint32_t dataSize = Dword(b, at), headerSize = Dword(b, at + 4);
        if (headerSize < 16 || headerSize > b.size() - at || dataSize > b.size() - at - headerSize) {
            error = "bad resource header at byte " + std::to_string(at);
            return false;
        }
        ResEntry e;
        std::string typeName;
        size_t field = at + 8, end = at + headerSize;
        if (!IdField(b, field, end, typeName, e.type) || !IdField(b, field, end, e.name, e.number)) {
            error = "bad type or name at byte " + std::to_string(at);
            return false;
        }
        const auto* data = reinterpret_cast<const uint8_t*>(b.data()) + at + headerSize;
        e.data.assign(data, data + dataSize);
        out.push_back(std::move(e));
        at = (at + headerSize + dataSize + 3) & ~static_cast<size_t>(3);
    }
    return true;
}

// The resource compilers the Windows build may use. llvm-rc builds what Microsoft's rc
// builds; windres differs in three places, all known: it adds WS_TABSTOP to a radio button
// without a style, drops WS_GROUP from a text given a style, and writes an icon's size as 0
// (which Windows ignores: the icon sizes the control).
std::string Quoted(const fs::path& path) {
    std::string q(1, '\'');
    q += path.string();
    q += '\'';
    return q;
}

struct Compiler {
    std::string program;
    bool windres;
    std::string Command(const fs::path& script, const fs::path& res) const {
        std::string command = program;
        if (windres) {
            command.append(" -I ").append(Quoted(script.parent_path())).append(" -O res -o ").append(Quoted(res));
        } else {
            // Dash options and "--": llvm-rc reads a path such as /check/... as its /C option.
            command.append(" -I ").append(Quoted(script.parent_path())).append(" -I /usr/share/mingw-w64/include");
            command.append(" -FO ").append(Quoted(res)).append(" --");
        }
        return command.append(" ").append(Quoted(script)).append(" >/dev/null");
    }
};

void PrintTo(const Compiler& c, std::ostream* out) { *out << c.program; }

const Compiler kWindres{"i686-w64-mingw32-windres", true};
const Compiler kLlvmRc{"llvm-rc", false};

// Why the compiler cannot run here, or empty when it can. llvm-rc preprocesses with clang and
// takes afxres.h from the mingw-w64 headers, which scripts/wine-test.sh installs: the llvm
// package alone (on many machines) is not enough.
std::string Missing(const Compiler& c) {
    std::string command = "command -v " + c.program + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return c.program + " is not installed";
    if (c.windres) return {};
    if (std::system("command -v clang >/dev/null 2>&1") != 0) return "llvm-rc needs clang, which is not installed";
    if (!fs::exists("/usr/share/mingw-w64/include/afxres.h"))
        return "llvm-rc needs the mingw-w64 headers (/usr/share/mingw-w64/include/afxres.h), not installed";
    return {};
}

constexpr uint32_t kTabStop = 0x00010000, kGroup = 0x00020000, kVisible = 0x10000000, kDisabled = 0x08000000;

// The style bits the compiler may set otherwise for the script's statement c.
uint32_t StyleLeeway(const Control& c, const Compiler& compiler) {
    if (!compiler.windres) return 0;
    if (c.keyword == "AUTORADIOBUTTON" || c.keyword == "RADIOBUTTON") return kTabStop;
    if (c.keyword == "LTEXT" || c.keyword == "RTEXT" || c.keyword == "CTEXT") return kGroup;
    return 0;
}

// The control the engine focuses when the dialog opens.
int FirstFocus(const Dialog& d) {
    for (const Control& c : d.controls)
        if ((c.style & kVisible) && !(c.style & kDisabled) && (c.style & kTabStop)) return c.id;
    return 0;
}

void ExpectSameDialog(const Dialog& rc, const Dialog& res, const Compiler& compiler) {
    SCOPED_TRACE("dialog " + rc.name);
    EXPECT_EQ(res.extended, rc.extended);
    EXPECT_EQ(res.x, rc.x);
    EXPECT_EQ(res.y, rc.y);
    EXPECT_EQ(res.width, rc.width);
    EXPECT_EQ(res.height, rc.height);
    EXPECT_EQ(res.style & ~kSetFont, rc.style & ~kSetFont);
    EXPECT_EQ(res.exStyle, rc.exStyle);
    EXPECT_EQ(res.caption, rc.caption);
    EXPECT_EQ(res.fontSize, rc.fontSize);
    EXPECT_EQ(res.fontFace, rc.fontFace);
    EXPECT_EQ(res.fontWeight, rc.fontWeight);
    EXPECT_EQ(res.fontItalic, rc.fontItalic);
    EXPECT_EQ(res.fontCharset, rc.fontCharset);
    EXPECT_EQ(FirstFocus(res), FirstFocus(rc));
    ASSERT_EQ(res.controls.size(), rc.controls.size());
    for (size_t i = 0; i < rc.controls.size(); ++i) {
        const Control& a = rc.controls[i];
        const Control& b = res.controls[i];
        SCOPED_TRACE(a.keyword + " " + std::to_string(a.id) + " at line " + std::to_string(a.line));
        EXPECT_EQ(b.id, a.id);
        EXPECT_EQ(b.text, a.text);
        EXPECT_EQ(b.cls, a.cls);
        EXPECT_EQ(b.className, a.className);
        EXPECT_EQ(b.keyword, a.keyword == "CONTROL" ? KeywordFor(a.cls, a.style) : a.keyword);
        EXPECT_EQ(KindOf(b), KindOf(a));
        const uint32_t leeway = StyleLeeway(a, compiler);
        EXPECT_EQ(b.style & ~leeway, a.style & ~leeway);
        EXPECT_EQ(b.exStyle, a.exStyle);
        EXPECT_EQ(b.x, a.x);
        EXPECT_EQ(b.y, a.y);
        if (compiler.windres && a.keyword == "ICON") continue;
        EXPECT_EQ(b.width, a.width);
        EXPECT_EQ(b.height, a.height);
    }
}

// Compiles script (includes from its folder) and compares every dialog; gives their number.
int CompareScript(const Compiler& compiler, const fs::path& script, const std::string& text) {
    SCOPED_TRACE(compiler.program + " " + script.string());
    Document doc;
    std::string error;
    EXPECT_TRUE(Parse(text, script.string(), doc, error, FileIncludeReader())) << error;

    fs::path res = ql_test::TempPath(script.stem().string() + ".res");
    std::string command = compiler.Command(script, res);
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::vector<ResEntry> entries;
    EXPECT_TRUE(ReadRes(ReadFile(res), entries, error)) << error;

    int found = 0;
    for (const ResEntry& e : entries) {
        if (e.type != kDialogType) continue;
        const Dialog* rc = e.number >= 0 ? doc.Find(e.number) : doc.Find(e.name);
        if (rc == nullptr) {
            ADD_FAILURE() << "the .res has dialog " << e.name << e.number << ", which the script lacks";
            continue;
        }
        Dialog read;
        if (!ReadDialogTemplate(e.data.data(), e.data.size(), read, error)) {
            ADD_FAILURE() << error;
            continue;
        }
        read.name = rc->name;
        ExpectSameDialog(*rc, read, compiler);
        ++found;
    }
    EXPECT_EQ(found, static_cast<int>(doc.dialogs.size()));
    return found;
}

// The engine's test script, beside its header, without the icon resource whose file the
// test does not have.
fs::path EngineTestScript(std::string& text) {
    fs::path dir = fs::path(ql_test::TempPath("compiled-dialogs"));
    fs::create_directories(dir);
    fs::path source = fs::path(QL_SOURCE_DIR) / "tests/ui/data/dialogs";
    fs::copy_file(source / "resource.h", dir / "resource.h", fs::copy_options::overwrite_existing);
    text = ReadFile(source / "test.rc");
    const std::string icon = "105 ICON DISCARDABLE \"res\\\\method.ico\"\n";
    size_t at = text.find(icon);
    if (at != std::string::npos) text.erase(at, icon.size());
    std::ofstream(dir / "test.rc", std::ios::binary) << text;
    return dir / "test.rc";
}

class CompiledDialogTest : public ::testing::TestWithParam<Compiler> {};

TEST_P(CompiledDialogTest, PluginDialogsMatchTheScripts) {
    if (std::string why = Missing(GetParam()); !why.empty()) GTEST_SKIP() << why;
    int dialogs = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(QL_SOURCE_DIR) / "resources"))
        if (entry.path().extension() == ".rc") dialogs += CompareScript(GetParam(), entry.path(), ReadFile(entry.path()));
    EXPECT_GE(dialogs, 15);
}

TEST_P(CompiledDialogTest, EngineTestDialogsMatchTheScript) {
    if (std::string why = Missing(GetParam()); !why.empty()) GTEST_SKIP() << why;
    std::string text;
    fs::path script = EngineTestScript(text);
    EXPECT_EQ(CompareScript(GetParam(), script, text), 3);
}

INSTANTIATE_TEST_SUITE_P(Compilers, CompiledDialogTest, ::testing::Values(kWindres, kLlvmRc),
                         [](const ::testing::TestParamInfo<Compiler>& info) {
                             return info.param.windres ? std::string("windres") : std::string("llvm_rc");
                         });

}  // namespace
}  // namespace qlhost::rc
