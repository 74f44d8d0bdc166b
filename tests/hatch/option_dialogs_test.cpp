// The simple line pattern dialog and the PAT file list dialog against the reference host's
// dialogs and registry: "New" stores at once, saved names become current, deleting asks
// first, long value names are skipped, the rows, and PAT files registered once.
#include "hatch/option_dialogs.h"

#include <cstdio>
#include <string>
#include <vector>

#include "core/prompts.h"
#include "hatch_test_util.h"
#include "host/ui/resources.h"
#include "tests/ui/ui_script.h"

namespace {

using hatchtest::DataFile;
using hatchtest::HatchHostTest;
using qlhost::testing::UiScript;

const char kSettingsSubKey[] = "QLHatch\\Settings\\";

class OptionDialogsTest : public HatchHostTest {
protected:
    void SetUp() override {
        HatchHostTest::SetUp();
        qlhost::SetResourceFolder(nullptr, std::string(QL_SOURCE_DIR) + "/resources");
    }

    // Stores line settings with that distance under a name.
    static void Store(const char* name, double distance) {
        LineSettings settings = DefaultLineSettings();
        std::snprintf(settings.name, sizeof settings.name, "%s", name);
        settings.distance = distance;
        unsigned char bytes[kLineSettingsSize];
        PackLineSettings(settings, bytes);
        ASSERT_TRUE(SaveSetting(kSettingsSubKey, name, bytes, kLineSettingsSize));
    }

    // The stored line settings of a name; false when there are none.
    static bool Stored(const char* name, LineSettings& settings) {
        unsigned char bytes[kLineSettingsSize];
        if (!LoadSetting(kSettingsSubKey, name, bytes, kLineSettingsSize)) return false;
        UnpackLineSettings(bytes, settings);
        return true;
    }

    static std::vector<std::string> SavedNames() {
        std::vector<std::string> names;
        EnumLineSettings([&names](const char* name) { names.emplace_back(name); });
        return names;
    }

    static void UseName(const char* name) {
        std::snprintf(TheHatchOptions().lineSettingsName, kSettingsNameSize, "%s", name);
    }

    static void ExpectNoFaults(const UiScript& script) {
        for (const std::string& fault : script.faults) ADD_FAILURE() << fault;
    }
};

TEST_F(OptionDialogsTest, NewStoresAtOnceEvenWhenTheDialogIsCancelled) {
    UiScript script;
    script.Dialog({"set", "1002", "0.5"});
    script.Dialog({"click", "1023"});
    script.Dialog({"set", "1026", "Fine"});
    script.Dialog({"click", "1"});
    script.Dialog({"expect", "1022", "Fine"});
    script.Dialog({"set", "1002", "0.75"});
    script.Dialog({"click", "2"});
    EditLinePattern();
    ExpectNoFaults(script);
    EXPECT_TRUE(script.Transcribed("dialog DLGSAVE \"Save options as...\" opened"));
    LineSettings stored;
    ASSERT_TRUE(Stored("Fine", stored));
    EXPECT_EQ(stored.distance, 0.5);
    EXPECT_STREQ(stored.name, "Fine");
    EXPECT_STREQ(TheHatchOptions().lineSettingsName, "Fine");
}

TEST_F(OptionDialogsTest, NewWithAnEmptyNameOrCancelStoresNothing) {
    UiScript script;
    script.Dialog({"click", "1023"});
    script.Dialog({"click", "2"});
    script.Dialog({"click", "1023"});
    script.Dialog({"click", "1"});
    script.Dialog({"click", "2"});
    EditLinePattern();
    ExpectNoFaults(script);
    EXPECT_TRUE(SavedNames().empty());
    LineSettings stored;
    EXPECT_FALSE(Stored("", stored));
}

TEST_F(OptionDialogsTest, OkStoresTheEditedValuesUnderTheChosenName) {
    Store("Wide", 1.0);
    Store("Narrow", 2.0);
    UseName("Wide");
    UiScript script;
    script.Dialog({"expect-items", "1022", "Wide", "Narrow"});
    script.Dialog({"expect", "1022", "Wide"});
    script.Dialog({"choose", "1022", "Narrow"});
    script.Dialog({"set", "1002", "3"});
    script.Dialog({"click", "1"});
    EditLinePattern();
    ExpectNoFaults(script);
    LineSettings wide, narrow;
    ASSERT_TRUE(Stored("Wide", wide));
    ASSERT_TRUE(Stored("Narrow", narrow));
    EXPECT_EQ(wide.distance, 1.0);
    EXPECT_EQ(narrow.distance, 3.0);
    EXPECT_STREQ(narrow.name, "Narrow");
    EXPECT_STREQ(TheHatchOptions().lineSettingsName, "Narrow");
}

TEST_F(OptionDialogsTest, DeleteAsksAndRemovesTheValueOnYesOnly) {
    Store("Keep", 1.0);
    Store("Drop", 2.0);
    UseName("Keep");
    UiScript script;
    script.Dialog({"choose", "1022", "Drop"});
    script.Dialog({"click", "1024"});
    script.Add("answer", {"no"});
    script.Dialog({"expect-items", "1022", "Keep", "Drop"});
    script.Dialog({"click", "1024"});
    script.Add("answer", {"yes"});
    script.Dialog({"expect-items", "1022", "Keep"});
    script.Dialog({"click", "2"});
    EditLinePattern();
    ExpectNoFaults(script);
    EXPECT_TRUE(script.Transcribed("| Are sure you want to delete:"));
    EXPECT_TRUE(script.Transcribed("| Drop"));
    EXPECT_EQ(SavedNames(), std::vector<std::string>{"Keep"});
    // Choosing made it current; its record stays in memory, its name in the options.
    EXPECT_STREQ(TheHatchOptions().lineSettingsName, "Drop");
    EXPECT_EQ(TheLineSettings().distance, 2.0);
}

TEST_F(OptionDialogsTest, DeleteWithoutASelectionAsksNothing) {
    Store("Some", 1.0);
    UiScript script;
    script.Dialog({"click", "1024"});
    script.Dialog({"click", "2"});
    EditLinePattern();
    ExpectNoFaults(script);
    EXPECT_FALSE(script.Transcribed("| Are sure you want to delete:"));
    EXPECT_EQ(SavedNames(), std::vector<std::string>{"Some"});
}

TEST_F(OptionDialogsTest, NamesLongerThanTheNameFieldAreSkipped) {
    const std::string longest(kSettingsNameSize - 1, 'a');
    const std::string tooLong(kSettingsNameSize, 'b');
    Store(longest.c_str(), 1.0);
    Store(tooLong.c_str(), 2.0);
    EXPECT_EQ(SavedNames(), std::vector<std::string>{longest});
    UiScript script;
    script.Dialog({"expect-items", "1022", longest});
    script.Dialog({"click", "2"});
    EditLinePattern();
    ExpectNoFaults(script);
}

TEST_F(OptionDialogsTest, RowsFollowTheirOnBoxesAndStylesAreCopied) {
    UiScript script;
    script.Dialog({"expect-enabled", "1004", "off"});
    script.Dialog({"expect-enabled", "1005", "off"});
    script.Dialog({"expect-enabled", "1006", "on"});
    script.Dialog({"expect-enabled", "1009", "off"});
    script.Dialog({"expect-enabled", "1019", "off"});
    script.Dialog({"expect", "1006", "Solid"});
    script.Dialog({"expect-items", "1010", "Solid", "Dashed", "Dotted", "Center", "Hidden"});
    script.Dialog({"check", "1007", "on"});
    script.Dialog({"expect-enabled", "1009", "on"});
    script.Dialog({"expect-enabled", "1010", "on"});
    script.Dialog({"set", "1009", "0.5"});
    script.Dialog({"choose", "1010", "Dashed"});
    script.Dialog({"check", "1011", "off"});
    script.Dialog({"click", "1"});
    EditLinePattern();
    ExpectNoFaults(script);
    LineSettings stored;
    ASSERT_TRUE(Stored("", stored));
    EXPECT_EQ(stored.rowOn[1], 1);
    EXPECT_EQ(stored.rowOffset[1], 0.5);
    EXPECT_STREQ(stored.rowStyle[1], "Dashed");
    EXPECT_STREQ(stored.rowStyle[2], "Solid");
    EXPECT_EQ(stored.scaleOffsets, 0);
}

TEST_F(OptionDialogsTest, APatFileRegisteredTwiceIsListedOnceAndCanBeDeleted) {
    const std::string path = DataFile("pat/quirks.pat");
    UiScript script;
    script.Dialog({"click", "1052"});
    script.Add("file", {path});
    script.Dialog({"click", "1052"});
    script.Add("file", {path});
    script.Dialog({"click", "1052"});
    script.Add("file", {"cancel"});
    script.Dialog({"expect-items", "1054", path});
    script.Dialog({"choose", "1054", path});
    script.Dialog({"click", "1024"});
    script.Add("answer", {"yes"});
    script.Dialog({"expect-items", "1054"});
    script.Dialog({"click", "1"});
    EditPatFiles();
    ExpectNoFaults(script);
    EXPECT_TRUE(script.Transcribed("file dialog \"Add pattern file\""));
    std::vector<std::string> files;
    EnumPatFiles([&files](const char* file) { files.emplace_back(file); });
    EXPECT_TRUE(files.empty());
}

TEST_F(OptionDialogsTest, ThePatFileListShowsWhatIsRegistered) {
    AddPatFile("/patterns/a.pat");
    AddPatFile("/patterns/b.pat");
    UiScript script;
    script.Dialog({"expect-items", "1054", "/patterns/a.pat", "/patterns/b.pat"});
    script.Dialog({"click", "1024"});
    script.Dialog({"click", "1"});
    EditPatFiles();
    ExpectNoFaults(script);
    EXPECT_FALSE(script.Transcribed("| Are sure you want to delete:"));
}

}  // namespace
