// Dimension scaling: the stored multipliers and their defaults, what a run writes into the
// current dimension style and attribute settings, and the dialog's OK and Cancel.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>

#include "core/commands.h"
#include "core/prompts.h"
#include "core/records.h"
#include "dimension/dimension_scale.h"
#include "host/drawing/drawing.h"
#include "host/drawing/tables.h"
#include "host/protocol/protocol.h"
#include "host/ui/resources.h"
#include "host/ui/ui.h"
#include "tests/support/command_test.h"
#include "tests/support/temp_path.h"
#include "tests/ui/ui_script.h"

namespace {

using qlhost::testing::UiScript;

// Dimension style floats by index, as the host keeps them.
constexpr int kHeight = 10, kBaseline = 5, kOffset = 2, kExtend = 1, kArrowLength = 7, kArrowHeight = 8;

class DimScale : public HostCommandTest {
protected:
    void SetUp() override {
        registry_ = ql_test::TempPath("dimscale-test.reg");
        std::filesystem::remove(registry_);
        qlhost::SetRegistryFile(registry_);
        UseCommands({"dimension test",
                     {"QLDIMSCALE", "QLDIMSCALENOW"},
                     {nullptr, QLDIMSCALE, QLDIMSCALENOW}});
        qlhost::SetResourceFolder(nullptr, std::string(QL_SOURCE_DIR) + "/resources");
    }
    void TearDown() override {
        HostCommandTest::TearDown();
        std::filesystem::remove(registry_);
    }

    static qlhost::Tables& Tables() { return qlhost::TheDrawing().tables; }
    static float Dim(int index) { return qlhost::CurrentDimFloat(Tables(), index); }
    static float Attr(size_t offset) { return GetF32(Tables().attributes.data(), offset); }
    static void SetTextHeight(float height) {
        unsigned char* entry = qlhost::CurrentEntry(Tables().textStyles, kTblEntries);
        ASSERT_NE(entry, nullptr);
        PutF32(entry + kEntryData, kStyleBlockHeight, height);
    }
    static void Store(const DimScaleSettings& settings) { ASSERT_TRUE(SaveDimScaleSettings(settings)); }

    std::string registry_;
};

TEST_F(DimScale, DefaultsStandWithoutAStoredValue) {
    DimScaleSettings settings = LoadDimScaleSettings();
    const float expected[] = {1.0f, 2.0f, 0.3125f, 1.0f, 0.9f, 0.4f, 0.9f, 0.4f};
    for (int i = 0; i < kDimScalePairs; ++i) {
        EXPECT_EQ(settings.pair[i].apply, 1u) << i;
        EXPECT_EQ(settings.pair[i].multiplier, expected[i]) << i;
    }
}

TEST_F(DimScale, StoredPairsReadBackUnchanged) {
    DimScaleSettings settings = DefaultDimScaleSettings();
    settings.pair[2] = {0, 0.75f};
    settings.pair[7] = {1, 3.5f};
    Store(settings);
    DimScaleSettings read = LoadDimScaleSettings();
    for (int i = 0; i < kDimScalePairs; ++i) {
        EXPECT_EQ(read.pair[i].apply, settings.pair[i].apply) << i;
        EXPECT_EQ(read.pair[i].multiplier, settings.pair[i].multiplier) << i;
    }
    unsigned char bytes[kDimScaleSettingsSize];
    EncodeDimScaleSettings(settings, bytes);
    EXPECT_EQ(GetU32(bytes, 16), 0u);
    EXPECT_EQ(GetF32(bytes, 20), 0.75f);
    EXPECT_EQ(GetF32(bytes, 60), 3.5f);
}

TEST_F(DimScale, ValuesOfAnotherSizeOrWithoutNumbersAreNotTaken) {
    for (uint32_t size : {63u, 65u, 8u}) {
        std::vector<unsigned char> bytes(size, 0);
        ASSERT_TRUE(SaveSetting("", "QLDimScale", bytes.data(), size));
        EXPECT_EQ(LoadDimScaleSettings().pair[0].apply, 1u) << size;
        EXPECT_EQ(LoadDimScaleSettings().pair[1].multiplier, 2.0f) << size;
    }
    unsigned char bytes[kDimScaleSettingsSize];
    DimScaleSettings settings = DefaultDimScaleSettings();
    settings.pair[0].multiplier = 5.0f;
    EncodeDimScaleSettings(settings, bytes);
    PutF32(bytes, 12, std::numeric_limits<float>::quiet_NaN());
    ASSERT_TRUE(SaveSetting("", "QLDimScale", bytes, kDimScaleSettingsSize));
    EXPECT_EQ(LoadDimScaleSettings().pair[0].multiplier, 1.0f);
}

TEST_F(DimScale, TextHeightTimesMultipliers) {
    ApplyDimScale(DefaultDimScaleSettings(), DimScaleFactorFromText());
    EXPECT_FLOAT_EQ(Dim(kHeight), 2.5f);
    EXPECT_FLOAT_EQ(Dim(kBaseline), 5.0f);
    EXPECT_FLOAT_EQ(Dim(kOffset), 0.78125f);
    EXPECT_FLOAT_EQ(Dim(kExtend), 2.5f);
    EXPECT_FLOAT_EQ(Dim(kArrowLength), 2.25f);
    EXPECT_FLOAT_EQ(Dim(kArrowHeight), 1.0f);
    EXPECT_FLOAT_EQ(Attr(kAttrSetArrowLength), 2.25f);
    EXPECT_FLOAT_EQ(Attr(kAttrSetArrowHeight), 1.0f);
    // The style number in front of the floats stays.
    const unsigned char* style = qlhost::CurrentEntry(Tables().dimStyles, kTblEntries);
    EXPECT_EQ(GetU16(style, kEntryData), 1);
}

TEST_F(DimScale, ClearedFlagsLeaveTheirTargets) {
    const float gap = Dim(3), scale = Dim(6), decimals = Dim(9);
    const float baseline = Dim(kBaseline), arrowHeight = Attr(kAttrSetArrowHeight);
    DimScaleSettings settings = DefaultDimScaleSettings();
    settings.pair[1].apply = 0;
    settings.pair[7].apply = 0;
    ApplyDimScale(settings, 4.0f);
    EXPECT_FLOAT_EQ(Dim(kHeight), 4.0f);
    EXPECT_EQ(Dim(kBaseline), baseline);
    EXPECT_FLOAT_EQ(Attr(kAttrSetArrowLength), 3.6f);
    EXPECT_EQ(Attr(kAttrSetArrowHeight), arrowHeight);
    // Floats no pair names are never written.
    EXPECT_EQ(Dim(3), gap);
    EXPECT_EQ(Dim(6), scale);
    EXPECT_EQ(Dim(9), decimals);
}

TEST_F(DimScale, MissingTablesAreSkipped) {
    Tables().textStyles.clear();
    EXPECT_FLOAT_EQ(DimScaleFactorFromText(), 0.2f);
    Tables().dimStyles.clear();
    ApplyDimScale(DefaultDimScaleSettings(), 10.0f);
    EXPECT_FLOAT_EQ(Attr(kAttrSetArrowLength), 9.0f);
    Tables().attributes.clear();
    ApplyDimScale(DefaultDimScaleSettings(), 10.0f);
}

TEST_F(DimScale, OkStoresAndAppliesWithTheDialogsFactor) {
    SetTextHeight(2.0f);
    UiScript script;
    script.Dialog({"expect", "1038", "2.0000"});
    script.Dialog({"set", "1038", "3"});
    script.Dialog({"check", "1050", "off"});
    script.Dialog({"expect-enabled", "1044", "off"});
    script.Dialog({"click", "1"});
    ASSERT_TRUE(qlhost::StartCommand("QLDIMSCALE"));
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_TRUE(script.faults.empty()) << script.faults.front();
    EXPECT_FLOAT_EQ(Dim(kHeight), 3.0f);
    EXPECT_FLOAT_EQ(Dim(kBaseline), 5.0f);
    EXPECT_EQ(LoadDimScaleSettings().pair[1].apply, 0u);
    // The factor is not stored: the next run starts from the text height again.
    UiScript again;
    again.Dialog({"expect", "1038", "2.0000"});
    again.Dialog({"click", "2"});
    ASSERT_TRUE(qlhost::StartCommand("QLDIMSCALE"));
    EXPECT_TRUE(again.faults.empty()) << again.faults.front();
}

TEST_F(DimScale, CancelStoresAndChangesNothing) {
    const float height = Dim(kHeight);
    UiScript script;
    script.Dialog({"set", "1043", "4"});
    script.Dialog({"set", "1038", "10"});
    script.Dialog({"click", "2"});
    ASSERT_TRUE(qlhost::StartCommand("QLDIMSCALE"));
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(Dim(kHeight), height);
    unsigned char bytes[kDimScaleSettingsSize];
    EXPECT_FALSE(LoadSetting("", "QLDimScale", bytes, kDimScaleSettingsSize));
}

TEST_F(DimScale, NowAppliesTheStoredChoices) {
    DimScaleSettings settings = DefaultDimScaleSettings();
    settings.pair[0].multiplier = 2.0f;
    Store(settings);
    SetTextHeight(1.5f);
    UiScript script;
    ASSERT_TRUE(qlhost::StartCommand("QLDIMSCALENOW"));
    EXPECT_FALSE(qlhost::CommandRunning());
    // No dialog or message box: the transcript has the command's own lines only.
    for (const std::string& line : script.transcript)
        EXPECT_EQ(line.rfind("QLDIMSCALENOW ", 0), 0u) << line;
    EXPECT_FLOAT_EQ(Dim(kHeight), 3.0f);
    EXPECT_FLOAT_EQ(Dim(kBaseline), 3.0f);
}

}  // namespace
