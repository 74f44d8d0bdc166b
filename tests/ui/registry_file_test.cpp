// The .reg text form: writing, reading back, regedit's own forms and malformed files.
#include <gtest/gtest.h>

#include <chrono>

#include "host/platform/registry.h"

namespace qlhost {
namespace {

std::vector<unsigned char> Bytes(std::initializer_list<int> v) { return {v.begin(), v.end()}; }

TEST(RegFileTest, RoundTripKeepsValuesOrderAndNames) {
    RegistryStore store;
    RegKey& k = store.Create("HKEY_CURRENT_USER\\Software\\Tarnwell\\Quillet\\QLHatch\\");
    std::vector<unsigned char> big(100);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<unsigned char>(i * 7);
    k.Set("Options", REG_BINARY, big);
    k.Set("Empty", REG_BINARY, {});
    k.Set("C:\\pat\\\"odd\" name.pat", REG_BINARY, Bytes({1, 2}));
    k.Set("", 1, Bytes({'h', 'i', 0}));
    k.Set("Count", 4, Bytes({1, 0, 0, 0}));
    k.Set("Multi", 7, Bytes({'a', 0, 0}));
    store.Create("HKEY_CURRENT_USER\\Software\\Tarnwell\\Quillet\\QLHatch\\PAT Files");

    std::string text = WriteRegText(store);
    EXPECT_EQ(text.rfind("REGEDIT4\n", 0), 0u);
    EXPECT_NE(text.find("\"C:\\\\pat\\\\\\\"odd\\\" name.pat\"=hex:01,02\n"), std::string::npos);
    EXPECT_NE(text.find("\"Empty\"=hex:\n"), std::string::npos);
    EXPECT_NE(text.find("@=\"hi\"\n"), std::string::npos);
    EXPECT_NE(text.find("\"Count\"=dword:00000001\n"), std::string::npos);
    EXPECT_NE(text.find("\"Multi\"=hex(7):61,00,00\n"), std::string::npos);
    EXPECT_NE(text.find(",\\\n  "), std::string::npos);  // long data is continued on the next line
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 80u);

    RegistryStore back;
    std::string error;
    ASSERT_TRUE(ReadRegText(text, "r.reg", back, error)) << error;
    const RegKey* kb = back.Find("hkey_current_user\\software\\tarnwell\\quillet\\qlhatch");
    ASSERT_NE(kb, nullptr);
    ASSERT_EQ(kb->values.size(), 6u);
    EXPECT_EQ(kb->values[0].name, "Options");
    EXPECT_EQ(kb->values[0].data, big);
    EXPECT_TRUE(kb->values[1].data.empty());
    EXPECT_EQ(kb->values[2].name, "C:\\pat\\\"odd\" name.pat");
    EXPECT_EQ(kb->values[3].type, 1u);
    EXPECT_EQ(kb->values[4].type, 4u);
    EXPECT_EQ(kb->values[5].type, 7u);
    EXPECT_NE(back.Find("HKEY_CURRENT_USER\\Software\\Tarnwell\\Quillet\\QLHatch\\PAT Files"), nullptr);
    EXPECT_NE(back.Find("HKEY_CURRENT_USER\\Software"), nullptr);  // ancestors exist too
    EXPECT_EQ(WriteRegText(back), text);
}

TEST(RegFileTest, ReadsRegeditForms) {
    std::string text =
        "\xEF\xBB\xBFREGEDIT4\r\n\r\n; a comment\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n"
        "\"Data\"=hex:01,02,\\\r\n  03 , 04\r\n\"Gone\"=hex:05\r\n\"Gone\"=-\r\n"
        "[HKEY_CURRENT_USER\\Software\\B\\C]\r\n\"x\"=\"y\"\r\n[-HKEY_CURRENT_USER\\Software\\B]\r\n";
    RegistryStore store;
    std::string error;
    ASSERT_TRUE(ReadRegText(text, "r.reg", store, error)) << error;
    const RegKey* a = store.Find("HKEY_CURRENT_USER\\Software\\A");
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->values.size(), 1u);
    EXPECT_EQ(a->values[0].data, Bytes({1, 2, 3, 4}));
    EXPECT_EQ(store.Find("HKEY_CURRENT_USER\\Software\\B"), nullptr);
    EXPECT_EQ(store.Find("HKEY_CURRENT_USER\\Software\\B\\C"), nullptr);
    RegistryStore empty;
    EXPECT_TRUE(ReadRegText("", "e.reg", empty, error));
    EXPECT_TRUE(empty.Keys().empty());
}

TEST(RegFileTest, MalformedFilesAreRejectedWithTheLine) {
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"REGEDIT5\n", "r.reg:1: the file does not start with REGEDIT4"},
        {"REGEDIT4\n\n\"a\"=hex:01\n", "r.reg:3: value outside a key"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=hex:01,zz\n", "r.reg:3: bad hex byte"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=hex:123\n", "r.reg:3: bad hex byte"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a=hex:01\n", "r.reg:3: quoted text not closed"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"hex:01\n", "r.reg:3: expected '=' after the value name"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=hex:01 x\n", "r.reg:3: unexpected text after the value"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=word:1\n",
         "r.reg:3: expected \"text\", dword:, hex: or hex(type): data"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=dword:123456789\n", "r.reg:3: bad dword value"},
        {"REGEDIT4\n[HKEY_NOWHERE\\A]\n", "r.reg:2: key \"HKEY_NOWHERE\\A\" is not under a known root"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A\n", "r.reg:2: bad key line"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=hex:01,\\\n  02\n\"b\"=hex:,\n", "r.reg:5: bad hex byte"},
    };
    for (const Case& c : cases) {
        RegistryStore store;
        store.Create("HKEY_CURRENT_USER\\Kept");
        std::string error;
        EXPECT_FALSE(ReadRegText(c.text, "r.reg", store, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        EXPECT_NE(store.Find("HKEY_CURRENT_USER\\Kept"), nullptr);
        EXPECT_EQ(store.Keys().size(), 2u);
    }
}

TEST(RegFileTest, EveryPrefixParsesOrNamesALine) {
    RegistryStore store;
    RegKey& k = store.Create("HKEY_CURRENT_USER\\Software\\A \"b\"");
    k.Set("x\\y", REG_BINARY, std::vector<unsigned char>(60, 0xAB));
    k.Set("s", 1, Bytes({'q', '"', 0}));
    std::string text = WriteRegText(store);
    for (size_t n = 0; n <= text.size(); ++n) {
        RegistryStore out;
        std::string error;
        if (!ReadRegText(text.substr(0, n), "p.reg", out, error)) {
            EXPECT_EQ(error.rfind("p.reg:", 0), 0u) << error;
        }
    }
}

// A value name with a line feed (a PAT file "bad\nname.pat" added in the hatch dialog) is
// written escaped and reads back; a key path with one is no key at all.
TEST(RegFileTest, LineFeedsInNamesStayInTheName) {
    RegistryStore store;
    RegKey& k = store.Create("HKEY_CURRENT_USER\\Software\\Tarnwell\\Quillet\\QLHatch\\PAT Files");
    k.Set("bad\nname.pat", REG_BINARY, Bytes({1}));
    k.Set("back\\n.pat", REG_BINARY, Bytes({2}));
    const std::string text = WriteRegText(store);
    EXPECT_NE(text.find("\"bad\\nname.pat\"=hex:01\n"), std::string::npos) << text;
    RegistryStore back;
    std::string error;
    ASSERT_TRUE(ReadRegText(text, "r.reg", back, error)) << error;
    const RegKey* kb = back.Find(k.path);
    ASSERT_NE(kb, nullptr);
    ASSERT_EQ(kb->values.size(), 2u);
    EXPECT_EQ(kb->values[0].name, "bad\nname.pat");
    EXPECT_EQ(kb->values[1].name, "back\\n.pat");
    EXPECT_EQ(RegistryStore::Normalize("HKEY_CURRENT_USER\\Soft\nware"), "");
}

// Reading is linear in the continuation lines of a value: a 1 MiB binary value (some 13,800
// lines) took over a minute when every line rescanned the value so far. The bound is generous
// on purpose; bench/files_bench.cpp measures it.
TEST(RegFileTest, LongValuesReadInLinearTime) {
    RegistryStore store;
    std::vector<unsigned char> big(1 << 20);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<unsigned char>(i * 31);
    store.Create("HKEY_CURRENT_USER\\Software\\Big").Set("Data", REG_BINARY, big);
    const std::string text = WriteRegText(store);
    RegistryStore back;
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(ReadRegText(text, "r.reg", back, error)) << error;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(back.Find("HKEY_CURRENT_USER\\Software\\Big")->values[0].data, big);
}

}  // namespace
}  // namespace qlhost
