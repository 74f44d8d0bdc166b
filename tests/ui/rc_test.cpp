// The resource script parser: a real-looking script, ids from headers, and malformed input.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "host/ui/rc.h"

namespace qlhost::rc {
namespace {

constexpr uint32_t kChild = 0x40000000, kVisible = 0x10000000, kTabStop = 0x00010000, kGroup = 0x00020000;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Includes from a map of names to texts.
IncludeReader MapReader(std::map<std::string, std::string> files) {
    return [files](const std::string& name, const std::string&, std::string& text, std::string& path) {
        auto it = files.find(name);
        if (it == files.end()) return false;
        text = it->second;
        path = name;
        return true;
    };
}

std::string ErrorOf(const std::string& text, std::map<std::string, std::string> files = {}) {
    Document doc;
    std::string error;
    EXPECT_FALSE(Parse(text, "t.rc", doc, error, MapReader(std::move(files))));
    return error;
}

TEST(RcParserTest, ReadsTheTestScript) {
    std::string dir = std::string(QL_SOURCE_DIR) + "/tests/ui/data/dialogs/";
    Document doc;
    std::string error;
    ASSERT_TRUE(Parse(ReadFile(dir + "test.rc"), dir + "test.rc", doc, error, FileIncludeReader())) << error;
    ASSERT_EQ(doc.dialogs.size(), 3u);

    const Dialog* d = doc.Find("dlgengine");
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->extended);
    EXPECT_EQ(d->caption, "Engine \"test\"");
    EXPECT_EQ(d->fontSize, 8);
    EXPECT_EQ(d->fontFace, "MS Sans Serif");
    EXPECT_EQ(d->fontCharset, 1);
    EXPECT_EQ(d->width, 240);
    EXPECT_EQ(d->controls.size(), 21u);

    const Control* name = d->Find(1000);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->cls, ControlClass::Edit);
    EXPECT_EQ(name->style, kChild | kVisible | 0x00800000 | kTabStop | 0x80);  // border, tab stop, auto scroll
    EXPECT_EQ(name->x, 50);
    EXPECT_EQ(name->line, 22);

    const Control* multi = d->Find(1004);
    EXPECT_EQ(multi->style & kVisible, 0u);  // NOT WS_VISIBLE
    EXPECT_EQ(multi->style & 0x1004u, 0x1004u);

    const Control* radio = d->Find(1006);
    EXPECT_EQ(radio->cls, ControlClass::Button);
    EXPECT_EQ(radio->style, kChild | kVisible | 0x9 | kGroup);

    const Control* preview = d->Find(1011);  // style continued on the next line
    EXPECT_EQ(preview->style & 0x152u, 0x152u);
    EXPECT_EQ(d->Find(1012)->cls, ControlClass::ComboBox);
    EXPECT_EQ(d->Find(1016)->style & 0xFu, 0xBu);
    EXPECT_EQ(d->Find(1)->keyword, "DEFPUSHBUTTON");
    EXPECT_EQ(d->Find(1013)->text, "Name:");

    const Dialog* inner = doc.Find("DLGINNER");
    ASSERT_NE(inner, nullptr);
    EXPECT_FALSE(inner->extended);
    EXPECT_EQ(inner->controls[0].id, -1);  // IDC_STATIC
    EXPECT_EQ(doc.Find(101), doc.Find("#101"));
    EXPECT_EQ(doc.Find(101)->caption, "Numbered");
    EXPECT_EQ(doc.Find("IDD_TEST"), doc.Find(101));
    EXPECT_EQ(doc.Find("#x"), nullptr);
}

TEST(RcParserTest, ExpressionsDefinesAndConditions) {
    std::string header = "#define BASE 1000\n#define IDC_A (BASE + 5)\n#define MY_STYLE WS_TABSTOP | 0x4\n";
    std::string text = R"(#include "ids.h"
#if defined(BASE) && BASE > 999 && !defined(NOPE)
#define PICKED 7
#elif 1
#define PICKED 8
#else
#define PICKED 9
#endif
D DIALOG 0, 0, 10, 10
BEGIN
  CONTROL "x", IDC_A, "edit", MY_STYLE | NOT WS_VISIBLE, 1, 2, 3, 4
  CONTROL 105, PICKED, STATIC, SS_ICON, 1, 2, 3, 4
  LTEXT "a ""b"" c\tz", -1, 0x10, 0, 1L, ~0 & 7 /* comment */ // trailing
  ICON 105, 10, 1, 2
END
)";
    Document doc;
    std::string error;
    Defines defines;
    ASSERT_TRUE(Parse(text, "t.rc", doc, error, MapReader({{"ids.h", header}}), &defines)) << error;
    const Dialog& d = doc.dialogs.at(0);
    EXPECT_EQ(d.controls[0].id, 1005);
    EXPECT_EQ(d.controls[0].cls, ControlClass::Edit);
    EXPECT_EQ(d.controls[0].className, "Edit");
    EXPECT_EQ(d.controls[0].style, kChild | kTabStop | 0x4);
    EXPECT_EQ(d.controls[1].id, 7);
    EXPECT_EQ(d.controls[1].text, "105");
    EXPECT_EQ(d.controls[2].text, "a \"b\" c\tz");
    EXPECT_EQ(d.controls[2].x, 16);
    EXPECT_EQ(d.controls[2].height, 7);
    EXPECT_EQ(d.controls[3].keyword, "ICON");
    EXPECT_EQ(defines.count("PICKED"), 1u);
}

TEST(RcParserTest, SkipsOtherResources) {
    std::string text = R"(
1 VERSIONINFO
 FILEVERSION 1,0,0,1
BEGIN
    BLOCK "StringFileInfo"
    BEGIN
        VALUE "CompanyName", "X"
    END
END
IDR_MENU MENU
BEGIN
    POPUP "&File"
    BEGIN
        MENUITEM "E&xit", 1
    END
END
IDI_UNQUOTED ICON res\icon.ico
GUIDELINES DESIGNINFO { "D", DIALOG BEGIN END }
D DIALOG 0, 0, 1, 1 BEGIN END
)";
    Document doc;
    std::string error;
    ASSERT_TRUE(Parse(text, "t.rc", doc, error)) << error;
    ASSERT_EQ(doc.dialogs.size(), 1u);
    EXPECT_EQ(doc.dialogs[0].name, "D");
}

TEST(RcParserTest, MalformedInputNamesTheLine) {
    EXPECT_EQ(ErrorOf("D DIALOG 0, 0, 1, 1\nBEGIN\n  LTEXT \"a\" 1, 0, 0, 1, 1\nEND\n"),
              "t.rc:3: expected ',' after the control's text");
    EXPECT_EQ(ErrorOf("D DIALOG 0, 0, 1, 1\nBEGIN\n  LTEXT \"abc, 1, 0, 0, 1, 1\nEND\n"), "t.rc:3: string not closed");
    EXPECT_EQ(ErrorOf("D DIALOG 0, 0, 1, 1\nBEGIN\n\n  EDITTEXT IDC_NOPE, 0, 0, 1, 1\nEND\n"),
              "t.rc:4: unknown symbol IDC_NOPE");
    EXPECT_EQ(ErrorOf("D DIALOG 0, 0, 1, 1\nBEGIN\n  EDITTEXT 5, 0, 0, 1, 1\n"), "t.rc:2: dialog D is not closed with END");
    EXPECT_EQ(ErrorOf("D DIALOG 0, 0, 1, 1\nBEGIN\n  SLIDER 5, 0, 0, 1, 1\nEND\n"),
              "t.rc:3: unknown control statement 'SLIDER'");
    EXPECT_EQ(ErrorOf("#ifdef X\nD DIALOG 0, 0, 1, 1\n"), "t.rc:3: #if without #endif");
    EXPECT_EQ(ErrorOf("#endif\n"), "t.rc:1: #endif without #if");
    EXPECT_EQ(ErrorOf("\n#include \"missing.h\"\n"), "t.rc:2: cannot open include file \"missing.h\"");
    EXPECT_EQ(ErrorOf("#include \"a.h\"\n", {{"a.h", "\n\n#bogus\n"}}), "a.h:3: unknown directive #bogus");
    EXPECT_EQ(ErrorOf("#define A B\n#define B A\nD DIALOG 0, 0, 1, 1\nBEGIN\n EDITTEXT A, 0, 0, 1, 1\nEND\n").find("t.rc:5:"), 0u);
    EXPECT_EQ(ErrorOf("D DIALOG 0, 0, 1\n"), "t.rc:2: expected ',' after the dialog's width");
    EXPECT_EQ(ErrorOf("D DIALOG 0, 0, 1, 1\nCAPTION 5\nBEGIN\nEND\n"), "t.rc:2: CAPTION needs a quoted text");
    EXPECT_EQ(ErrorOf("/* open\n\n"), "t.rc:1: comment not closed");
    EXPECT_EQ(ErrorOf("D DIALOG 0, 0, 99999999999, 1\n"), "t.rc:1: bad number \"99999999999\"");
    EXPECT_EQ(ErrorOf("#if 1 / 0\n#endif\n"), "t.rc:1: division by zero in #if");
    EXPECT_EQ(ErrorOf("#include \"self.h\"\n", {{"self.h", "#include \"self.h\"\n"}}).find("self.h:1: includes nested"), 0u);
}

TEST(RcParserTest, NoPrefixOfTheScriptCrashes) {
    std::string dir = std::string(QL_SOURCE_DIR) + "/tests/ui/data/dialogs/";
    std::string text = ReadFile(dir + "test.rc");
    for (size_t n = 0; n < text.size(); n += 7) {
        Document doc;
        std::string error;
        bool ok = Parse(text.substr(0, n), "t.rc", doc, error, FileIncludeReader());
        EXPECT_TRUE(ok || error.rfind("t.rc:", 0) == 0 || error.rfind(dir, 0) == 0) << error;
    }
}

}  // namespace
}  // namespace qlhost::rc
