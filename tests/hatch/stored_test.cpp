// Stored hatch settings and the PAT file list in the reference host's registry.
#include <cstring>
#include <string>
#include <vector>

#include "core/prompts.h"
#include "hatch_test_util.h"

namespace {

using hatchtest::DataFile;
using hatchtest::HatchHostTest;

using StoredTest = HatchHostTest;

std::vector<std::string> ListedFiles() {
    std::vector<std::string> files;
    EnumPatFiles([&](const char* path) { files.push_back(path); });
    return files;
}

TEST_F(StoredTest, RecordsRoundTripThroughTheRegistry) {
    TheHatchOptions().patternKind = kPatternPat;
    std::strcpy(TheHatchOptions().lineSettingsName, "Tiles");
    SaveHatchOptions();
    TheLineSettings().distance = 0.75;
    SaveLineSettings("Tiles");
    TheHatchOptions() = DefaultHatchOptions();
    TheLineSettings() = DefaultLineSettings();
    LoadHatchOptions();
    EXPECT_EQ(TheHatchOptions().patternKind, kPatternPat);
    LoadLineSettings(TheHatchOptions().lineSettingsName);
    EXPECT_EQ(TheLineSettings().distance, 0.75);
}

TEST_F(StoredTest, ValuesOfAnotherSizeAreIgnored) {
    std::vector<unsigned char> shortValue(100, 0xFF);
    ASSERT_TRUE(SaveSetting("QLHatch\\", "Options", shortValue.data(), 100));
    std::vector<unsigned char> longValue(kLineSettingsSize + 1, 0xFF);
    ASSERT_TRUE(SaveSetting("QLHatch\\Settings\\", "", longValue.data(), kLineSettingsSize + 1));
    LoadHatchOptions();
    LoadLineSettings("");
    EXPECT_EQ(TheHatchOptions().scaleBy, 1.0);
    EXPECT_EQ(TheLineSettings().distance, 0.2);
}

TEST_F(StoredTest, RepeatedRunsWithModifyDoNotCompound) {
    TheHatchOptions().modify = 1;
    TheHatchOptions().scaleBy = 2;
    SaveHatchOptions();
    for (int run = 0; run < 3; ++run) {
        const HatchRun prepared = PrepareHatchRun();
        EXPECT_DOUBLE_EQ(prepared.line.distance, 0.4) << run;
        EXPECT_EQ(TheLineSettings().distance, 0.2);
    }
}

TEST_F(StoredTest, ModifyOffLeavesTheStoredValues) {
    TheHatchOptions().scaleBy = 3;
    SaveHatchOptions();
    const HatchRun prepared = PrepareHatchRun();
    EXPECT_EQ(prepared.options.scaleBy, 1);
    EXPECT_EQ(TheHatchOptions().scaleBy, 3);
}

TEST_F(StoredTest, PatFilesAreListedReadInOrderAndRemoved) {
    EXPECT_TRUE(ListedFiles().empty());
    ReadPatLibrary();
    EXPECT_TRUE(ThePatLibrary().Empty());

    const std::string first = DataFile("pat/freecad-common-0.20.2_FCPAT.pat");
    const std::string second = DataFile("pat/quirks.pat");
    AddPatFile(first.c_str());
    AddPatFile("/no/such/file.pat");
    AddPatFile(second.c_str());
    AddPatFile(first.c_str());                  // listed once
    AddPatFile(std::string(300, 'x').c_str());  // a name the list could not read back
    EXPECT_EQ(ListedFiles(), (std::vector<std::string>{first, "/no/such/file.pat", second}));
    // A value name longer than the name buffer, stored by other means, is skipped.
    const std::string tooLong(300, 'y');
    unsigned char none = 0;
    ASSERT_TRUE(SaveSetting("QLHatch\\PAT Files\\", tooLong.c_str(), &none, 0));
    EXPECT_EQ(ListedFiles().size(), 3u);

    std::vector<std::string> names;
    ListPatPatterns("", [&](const PatPattern& p) { names.push_back(p.name); });
    ASSERT_GT(names.size(), 20u);
    EXPECT_EQ(names.front(), "STARBURST, forty families at different angles");
    EXPECT_EQ(names.back(), "Diamond, 45 diagonals L & R, Solid, 1.0 mm separation");
    ASSERT_NE(FindPatPattern("PLAIN"), nullptr);

    RemovePatFile(second.c_str());
    ReadPatLibrary();
    EXPECT_EQ(FindPatPattern("PLAIN"), nullptr);
    EXPECT_NE(FindPatPattern("Vertical5, vertical lines, Solid, 5.0 separation"), nullptr);
    ReadPatLibrary();
    EXPECT_EQ(ThePatLibrary().Size(), 8u);  // reading again does not double the library
}

TEST_F(StoredTest, PatternFilterUsesTheHostMatch) {
    AddPatFile(DataFile("pat/freecad-common-0.20.2_FCPAT.pat").c_str());
    std::vector<std::string> names;
    ListPatPatterns("Diamond*", [&](const PatPattern& p) { names.push_back(p.name); });
    EXPECT_EQ(names.size(), 3u);
}

}  // namespace
