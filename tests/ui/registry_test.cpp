// Registry semantics through the plug-in's calls, and the registry file on disk.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "core/host_api.h"
#include "host/platform/registry.h"
#include "host/ui/ui.h"
#include "tests/ui/ui_script.h"

namespace qlhost {
namespace {

namespace fs = std::filesystem;

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("qlhost-registry-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        file_ = (dir_ / "sub" / "registry.reg").string();
        SetRegistryFile(file_);
    }
    void TearDown() override {
        SetRegistryFile("");
        fs::remove_all(dir_);
    }

    SettingsRec Record(const char* value, void* data, uint32_t size) {
        std::memset(key_, 0, sizeof key_);
        std::strcpy(key_, "Software\\Tarnwell\\Quillet\\QLHatch\\");
        return SettingsRec{0x80000001u, key_, value, data, size, REG_BINARY, size, 0};
    }

    std::string FileText() const {
        std::ifstream in(file_, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path dir_;
    std::string file_;
    char key_[256];
};

TEST_F(RegistryTest, StoredRecordsComeBackAndSizeMismatchKeepsDefaults) {
    int32_t stored[3] = {1, 2, 3};
    SettingsRec set = Record("Options", stored, sizeof stored);
    ASSERT_EQ(RMSetValue(&set), 1);
    EXPECT_TRUE(fs::exists(file_));
    EXPECT_NE(FileText().find("[HKEY_CURRENT_USER\\Software\\Tarnwell\\Quillet\\QLHatch]"), std::string::npos);

    int32_t back[3] = {0, 0, 0};
    SettingsRec get = Record("Options", back, sizeof back);
    EXPECT_EQ(RMGetValue(&get), 1);
    EXPECT_EQ(back[2], 3);

    int32_t larger[4] = {7, 7, 7, 7};
    SettingsRec other = Record("Options", larger, sizeof larger);
    EXPECT_EQ(RMGetValue(&other), 0);
    EXPECT_EQ(larger[0], 7);
    SettingsRec missing = Record("Nothing", larger, sizeof larger);
    EXPECT_EQ(RMGetValue(&missing), 0);
    EXPECT_EQ(larger[3], 7);

    // A fresh start reads the file written before.
    SetRegistryFile(file_);
    std::vector<unsigned char> data;
    ASSERT_TRUE(RegistryLookup("Software\\Tarnwell\\Quillet\\QLHatch", "options", data));
    EXPECT_EQ(data.size(), sizeof stored);
}

TEST_F(RegistryTest, EnumerationInInsertionOrderAndDeletion) {
    SettingsRec a = Record("zeta", nullptr, 0), b = Record("alpha", nullptr, 0), c = Record("Mid", nullptr, 0);
    std::strcpy(key_, "Software\\Tarnwell\\Quillet\\QLHatch\\PAT Files\\");
    RMSetValue(&a);
    RMSetValue(&b);
    RMSetValue(&c);
    RMSetValue(&a);  // storing again keeps its place

    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tarnwell\\Quillet\\QLHatch\\Missing\\", 0, KEY_ALL_ACCESS, &key),
              ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tarnwell\\Quillet\\QLHatch\\PAT Files\\", 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    std::vector<std::string> names;
    char name[255];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        LSTATUS status = RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(status, ERROR_SUCCESS);
        EXPECT_EQ(length, std::strlen(name));
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"zeta", "alpha", "Mid"}));

    char tiny[3];
    DWORD tinyLength = sizeof tiny;
    EXPECT_EQ(RegEnumValueA(key, 0, tiny, &tinyLength, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);

    EXPECT_EQ(RegDeleteValueA(key, "ALPHA"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, "alpha"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FileText().find("alpha"), std::string::npos);
    DWORD length = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "Mid");
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_NE(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_NE(RegDeleteValueA(key, "Mid"), ERROR_SUCCESS);
}

TEST_F(RegistryTest, ValueDataThroughEnumeration) {
    unsigned char bytes[5] = {9, 8, 7, 6, 5};
    SettingsRec set = Record("Data", bytes, sizeof bytes);
    RMSetValue(&set);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tarnwell\\Quillet\\QLHatch", 0, KEY_READ, &key), ERROR_SUCCESS);
    char name[16];
    DWORD nameLength = sizeof name, type = 0, size = 2;
    BYTE data[8] = {};
    EXPECT_EQ(RegEnumValueA(key, 0, name, &nameLength, nullptr, &type, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 5u);
    nameLength = sizeof name;
    size = sizeof data;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &nameLength, nullptr, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(data[4], 5);
    RegCloseKey(key);
}

TEST_F(RegistryTest, CorruptFileIsReportedAndNeverOverwritten) {
    fs::create_directories(fs::path(file_).parent_path());
    const std::string corrupt = "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\X]\n\"a\"=hex:zz\n";
    std::ofstream(file_) << corrupt;
    SetRegistryFile(file_);
    testing::UiScript script;
    int32_t v = 5;
    SettingsRec set = Record("Options", &v, sizeof v);
    EXPECT_EQ(RMSetValue(&set), 1);
    ASSERT_EQ(script.faults.size(), 1u);
    EXPECT_NE(script.faults[0].find("registry.reg:3: bad hex byte"), std::string::npos);
    EXPECT_EQ(FileText(), corrupt);
    int32_t back = 0;
    SettingsRec get = Record("Options", &back, sizeof back);
    EXPECT_EQ(RMGetValue(&get), 1);  // kept in memory
    EXPECT_EQ(back, 5);
}

TEST_F(RegistryTest, BadRecordsAreFaults) {
    testing::UiScript script;
    EXPECT_EQ(RMGetValue(nullptr), 0);
    EXPECT_EQ(RMSetValue(nullptr), 0);
    SettingsRec noData = Record("x", nullptr, 4);
    EXPECT_EQ(RMSetValue(&noData), 0);
    SettingsRec wrongRoot = Record("x", nullptr, 0);
    wrongRoot.root = 0x1234;
    EXPECT_EQ(RMSetValue(&wrongRoot), 0);
    EXPECT_EQ(script.faults.size(), 4u);
}

}  // namespace
}  // namespace qlhost
