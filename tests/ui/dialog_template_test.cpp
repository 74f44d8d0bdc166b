// The reader of compiled dialog templates: hand-built DLGTEMPLATE and DLGTEMPLATEEX bytes,
// and every cut and malformed field giving an error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/ui/dialog.h"
#include "host/ui/dialog_template.h"

namespace qlhost::rc {
namespace {

constexpr uint32_t kChildVisible = 0x50000000, kTabStop = 0x00010000;

class Bytes {
public:
    Bytes& Word(uint16_t v) {
        data.push_back(static_cast<uint8_t>(v));
        data.push_back(static_cast<uint8_t>(v >> 8));
        return *this;
    }
    Bytes& Dword(uint32_t v) { return Word(static_cast<uint16_t>(v)).Word(static_cast<uint16_t>(v >> 16)); }
    Bytes& Rect(int16_t x, int16_t y, int16_t w, int16_t h) {
        return Word(static_cast<uint16_t>(x)).Word(static_cast<uint16_t>(y)).Word(static_cast<uint16_t>(w)).Word(
            static_cast<uint16_t>(h));
    }
    Bytes& Str(const std::u16string& s) {
        for (char16_t c : s) Word(c);
        return Word(0);
    }
    Bytes& Ordinal(uint16_t n) { return Word(0xFFFF).Word(n); }
    Bytes& Align() {
        while (data.size() % 4) data.push_back(0);
        return *this;
    }
    std::vector<uint8_t> data;
};

// A classic template with a font, an icon title, creation data of odd length, a string
// class of another window class and a string class of a known one. The caption and face
// leave the first item two bytes short of a DWORD boundary.
std::vector<uint8_t> Classic() {
    Bytes b;
    b.Dword(0x80C000C0).Dword(0x8).Word(4).Rect(1, 2, 200, -3).Word(0).Word(0).Str(u"Abc").Word(9).Str(u"Tahoma");
    b.Align().Dword(kChildVisible | kTabStop | 0x3).Dword(0).Rect(7, 8, 60, 10).Word(1005).Ordinal(0x80);
    b.Str(u"Gr\u00f6\u00dfe \u20ac\U0001F600!").Word(0);
    b.Align().Dword(kChildVisible | 0x3).Dword(0).Rect(18, 18, 20, 20).Word(0xFFFF).Ordinal(0x82).Ordinal(105);
    b.Word(3).Word(0x0201).data.push_back(3);
    b.Align().Dword(kChildVisible | kTabStop).Dword(0).Rect(0, 0, 50, 50).Word(7).Str(u"SysListView32").Word(0).Word(0);
    b.Align().Dword(kChildVisible | 0x103).Dword(0).Rect(1, 1, 80, 60).Word(8).Str(u"combobox").Str(u"x").Word(0);
    return b.data;
}

// An extended template: help ids, a menu ordinal, a class string, the full font block,
// DWORD ids and creation data.
std::vector<uint8_t> Extended() {
    Bytes b;
    b.Word(1).Word(0xFFFF).Dword(99).Dword(0x10).Dword(0x80000048).Word(2).Rect(0, 0, 240, 200);
    b.Ordinal(7).Str(u"MyDlg").Str(u"Ex title").Word(8).Word(700).Word(0x0101).Str(u"MS Shell Dlg");
    b.Align().Dword(5).Dword(0x200).Dword(kChildVisible | 0x800).Rect(50, 5, 80, 12).Dword(70000).Ordinal(0x81);
    b.Str(u"odd").Word(2).Word(0xABCD);
    b.Align().Dword(0).Dword(0).Dword(kChildVisible | kTabStop | 0xB).Rect(7, 182, 100, 10).Dword(0xFFFFFFFF);
    b.Ordinal(0x80).Str(u"").Word(0);
    return b.data;
}

bool Read(const std::vector<uint8_t>& bytes, Dialog& d, std::string& error, size_t size) {
    return ReadDialogTemplate(bytes.data(), size, d, error);
}

TEST(DialogTemplateTest, ReadsAClassicTemplate) {
    std::vector<uint8_t> bytes = Classic();
    Dialog d;
    d.name = "DLGX";
    d.file = "x.dll";
    std::string error;
    ASSERT_TRUE(Read(bytes, d, error, bytes.size())) << error;
    EXPECT_EQ(d.name, "DLGX");  // the caller's fields stay
    EXPECT_EQ(d.file, "x.dll");
    EXPECT_FALSE(d.extended);
    EXPECT_EQ(d.style, 0x80C000C0u);
    EXPECT_EQ(d.exStyle, 0x8u);
    EXPECT_EQ(d.height, -3);
    EXPECT_EQ(d.caption, "Abc");
    EXPECT_EQ(d.fontSize, 9);
    EXPECT_EQ(d.fontFace, "Tahoma");
    EXPECT_EQ(d.fontWeight, 0);
    ASSERT_EQ(d.controls.size(), 4u);

    const Control& check = d.controls[0];
    EXPECT_EQ(check.cls, ControlClass::Button);
    EXPECT_EQ(check.className, "Button");
    EXPECT_EQ(check.keyword, "AUTOCHECKBOX");
    EXPECT_EQ(KindOf(check), Kind::Check);
    EXPECT_EQ(check.id, 1005);
    EXPECT_EQ(check.x, 7);
    EXPECT_EQ(check.height, 10);
    EXPECT_EQ(check.text, "Gr\xF6\xDF" "e ?" "?!");  // Latin-1 kept, the euro sign and the pair each one '?'

    const Control& icon = d.controls[1];
    EXPECT_EQ(icon.keyword, "ICON");
    EXPECT_EQ(icon.text, "105");
    EXPECT_EQ(icon.id, -1);  // IDC_STATIC
    EXPECT_EQ(KindOf(icon), Kind::Static);

    const Control& custom = d.controls[2];
    EXPECT_EQ(custom.cls, ControlClass::Custom);
    EXPECT_EQ(custom.className, "SysListView32");
    EXPECT_EQ(custom.keyword, "CONTROL");
    EXPECT_EQ(custom.text, "");

    const Control& combo = d.controls[3];
    EXPECT_EQ(combo.cls, ControlClass::ComboBox);
    EXPECT_EQ(combo.className, "ComboBox");
    EXPECT_EQ(combo.keyword, "COMBOBOX");
    EXPECT_EQ(combo.text, "x");
    EXPECT_EQ(combo.style, kChildVisible | 0x103);
}

TEST(DialogTemplateTest, ReadsAnExtendedTemplate) {
    std::vector<uint8_t> bytes = Extended();
    Dialog d;
    std::string error;
    ASSERT_TRUE(Read(bytes, d, error, bytes.size())) << error;
    EXPECT_TRUE(d.extended);
    EXPECT_EQ(d.style, 0x80000048u);
    EXPECT_EQ(d.exStyle, 0x10u);
    EXPECT_EQ(d.width, 240);
    EXPECT_EQ(d.caption, "Ex title");
    EXPECT_EQ(d.fontSize, 8);
    EXPECT_EQ(d.fontWeight, 700);
    EXPECT_TRUE(d.fontItalic);
    EXPECT_EQ(d.fontCharset, 1);
    EXPECT_EQ(d.fontFace, "MS Shell Dlg");
    ASSERT_EQ(d.controls.size(), 2u);
    EXPECT_EQ(d.controls[0].id, 70000);
    EXPECT_EQ(d.controls[0].exStyle, 0x200u);
    EXPECT_EQ(d.controls[0].keyword, "EDITTEXT");
    EXPECT_EQ(d.controls[0].text, "odd");
    EXPECT_EQ(d.controls[1].id, -1);
    EXPECT_EQ(d.controls[1].keyword, "CONTROL");  // an owner-drawn button has no statement of its own
    EXPECT_EQ(KindOf(d.controls[1]), Kind::OwnerButton);
    EXPECT_EQ(d.controls[1].y, 182);
}

TEST(DialogTemplateTest, FontBlockOnlyWithSetFont) {
    Bytes b;
    b.Dword(0x80C00000).Dword(0).Word(1).Rect(0, 0, 10, 10).Word(0).Ordinal(3).Str(u"T");
    b.Dword(kChildVisible | 0x1).Dword(0).Rect(1, 2, 3, 4).Word(1).Ordinal(0x80).Str(u"OK").Word(0);
    Dialog d;
    std::string error;
    ASSERT_TRUE(Read(b.data, d, error, b.data.size())) << error;
    EXPECT_EQ(d.fontSize, 0);
    EXPECT_EQ(d.fontFace, "");
    ASSERT_EQ(d.controls.size(), 1u);
    EXPECT_EQ(d.controls[0].keyword, "DEFPUSHBUTTON");
    EXPECT_EQ(d.controls[0].text, "OK");
}

TEST(DialogTemplateTest, EveryCutIsAnError) {
    for (const std::vector<uint8_t>& bytes : {Classic(), Extended()}) {
        for (size_t n = 0; n < bytes.size(); ++n) {
            Dialog d;
            std::string error;
            std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
            EXPECT_FALSE(Read(cut, d, error, n)) << "cut at " << n;
            EXPECT_NE(error.find("ends inside"), std::string::npos) << error;
            EXPECT_NE(error.find("of " + std::to_string(n) + ")"), std::string::npos) << error;
        }
        std::vector<uint8_t> padded = bytes;
        padded.resize(bytes.size() + 6, 0xEE);  // padding after the last item is no item
        Dialog d;
        std::string error;
        EXPECT_TRUE(Read(padded, d, error, padded.size())) << error;
    }
}

std::string ErrorOf(const Bytes& b) {
    Dialog d;
    std::string error;
    EXPECT_FALSE(Read(b.data, d, error, b.data.size()));
    return error;
}

TEST(DialogTemplateTest, MalformedFields) {
    Bytes version;
    version.Word(2).Word(0xFFFF).Dword(0).Dword(0).Dword(0).Word(0).Rect(0, 0, 1, 1).Word(0).Word(0).Word(0);
    EXPECT_NE(ErrorOf(version).find("version 2, not 1"), std::string::npos);

    auto header = [](uint16_t count) {
        Bytes b;
        b.Dword(0x80C00000).Dword(0).Word(count).Rect(0, 0, 10, 10).Word(0).Word(0).Str(u"T");
        return b;
    };
    Bytes unknownClass = header(1);
    unknownClass.Align().Dword(kChildVisible).Dword(0).Rect(0, 0, 1, 1).Word(5).Ordinal(0x86).Str(u"").Word(0);
    EXPECT_NE(ErrorOf(unknownClass).find("item 1 has the unknown class number 134"), std::string::npos);

    Bytes noClass = header(1);
    noClass.Align().Dword(kChildVisible).Dword(0).Rect(0, 0, 1, 1).Word(5).Word(0).Str(u"").Word(0);
    EXPECT_NE(ErrorOf(noClass).find("item 1 has no class"), std::string::npos);

    Bytes tooFew = header(3);
    for (int i = 0; i < 2; ++i)
        tooFew.Align().Dword(kChildVisible).Dword(0).Rect(0, 0, 1, 1).Word(5).Ordinal(0x82).Str(u"ab").Word(0);
    EXPECT_NE(ErrorOf(tooFew).find("ends inside item 3's style"), std::string::npos);

    Bytes bigData = header(1);
    bigData.Align().Dword(kChildVisible).Dword(0).Rect(0, 0, 1, 1).Word(5).Ordinal(0x82).Str(u"").Word(0xFFFF).Dword(0);
    EXPECT_NE(ErrorOf(bigData).find("ends inside item 1's creation data"), std::string::npos);

    Bytes unterminated = header(0);
    unterminated.data.resize(unterminated.data.size() - 2);  // the caption's NUL
    EXPECT_NE(ErrorOf(unterminated).find("ends inside the caption"), std::string::npos);
}

TEST(DialogTemplateTest, KeywordsMatchTheScriptStatements) {
    EXPECT_EQ(KeywordFor(ControlClass::Button, 0x0), "PUSHBUTTON");
    EXPECT_EQ(KeywordFor(ControlClass::Button, 0x9 | kTabStop), "AUTORADIOBUTTON");
    EXPECT_EQ(KeywordFor(ControlClass::Button, 0x7), "GROUPBOX");
    EXPECT_EQ(KeywordFor(ControlClass::Button, 0x8), "CONTROL");
    EXPECT_EQ(KeywordFor(ControlClass::Static, 0x2 | 0x20000), "RTEXT");
    EXPECT_EQ(KeywordFor(ControlClass::Static, 0xE), "CONTROL");  // SS_BITMAP
    EXPECT_EQ(KeywordFor(ControlClass::ListBox, 0x1), "LISTBOX");
    EXPECT_EQ(KeywordFor(ControlClass::Custom, 0), "CONTROL");
}

}  // namespace
}  // namespace qlhost::rc
