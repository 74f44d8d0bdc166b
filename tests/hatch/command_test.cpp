// QLHATCH and the dialog-less hatch commands through the reference host: method and kind
// rules, the search filter, the two pattern lists and their previews, and the stored
// options and line settings the small commands leave behind.
#include <cmath>
#include <cstring>
#include <fstream>
#include <string>

#include "core/commands.h"
#include "hatch/command.h"
#include "hatch_test_util.h"
#include "host/display/preview.h"
#include "host/protocol/protocol.h"
#include "host/protocol/session.h"
#include "host/ui/resources.h"
#include "tests/ui/ui_script.h"

namespace {

using hatchtest::DataFile;
using hatchtest::HatchHostTest;
using qlhost::testing::UiScript;

constexpr double kDegree = 3.14159265358979323846 / 180;
constexpr int32_t kNotStored = 7;

class HatchCommandTest : public HatchHostTest {
protected:
    void SetUp() override {
        HatchHostTest::SetUp();
        qlhost::SetResourceFolder(nullptr, std::string(QL_SOURCE_DIR) + "/resources");
        qlhost::ResetSession();
        qlhost::ClearControlPreviews();
        qlhost::SetCommandTable({"Quillet",
                                 {"QLHATCH", "QLHATCHLAST", "QLHATCHOPTSEL", "QLHATCHOPTMOD", "QLHATCHOPT"},
                                 {nullptr, QLHATCH, QLHATCHLAST, QLHATCHOPTSEL, QLHATCHOPTMOD, QLHATCHOPT}});
    }

    void TearDown() override {
        qlhost::AbandonCommand();
        qlhost::ResetSession();
        qlhost::SetCommandTable({});
        qlhost::ClearControlPreviews();
        HatchHostTest::TearDown();
    }

    static void Store(int32_t method, int32_t kind, const char* name = nullptr, int32_t previews = 0) {
        HatchOptions& options = TheHatchOptions();
        options = DefaultHatchOptions();
        options.method = method;
        options.patternKind = kind;
        options.showPreviews = previews;
        if (name != nullptr) {
            char* field = kind == kPatternPat ? options.patName
                          : kind == kPatternScalable ? options.scalableName
                                                    : options.lineSettingsName;
            std::strcpy(field, name);
        }
        SaveHatchOptions();
        options = DefaultHatchOptions();
    }

    // The stored options; a field never stored keeps kNotStored in modify.
    static HatchOptions Stored() {
        TheHatchOptions() = DefaultHatchOptions();
        TheHatchOptions().modify = kNotStored;
        LoadHatchOptions();
        return TheHatchOptions();
    }

    static void SaveSettings(const char* name, double distance) {
        LineSettings settings = DefaultLineSettings();
        std::strcpy(settings.name, name);
        settings.distance = distance;
        settings.rowOn[1] = 1;
        settings.rowOffset[1] = 0.5;
        TheLineSettings() = settings;
        SaveLineSettings(name);
        TheLineSettings() = DefaultLineSettings();
    }

    static void ExpectClean(const UiScript& script) {
        EXPECT_TRUE(script.faults.empty()) << script.faults.front();
        EXPECT_TRUE(script.actions.empty());
    }
};

TEST_F(HatchCommandTest, PatternKindsNeedTheRegularMethod) {
    UiScript script;
    script.Dialog({"check", "1040", "on"});
    script.Dialog({"expect-checked", "1030", "on"});
    script.Dialog({"expect-enabled", "1036", "off"});
    script.Dialog({"check", "1012", "on"});
    script.Dialog({"expect-checked", "1039", "on"});
    script.Dialog({"expect-enabled", "1036", "on"});
    script.Dialog({"check", "1041", "on"});
    script.Dialog({"expect-checked", "1030", "on"});
    script.Dialog({"check", "1029", "on"});
    script.Dialog({"expect-checked", "1039", "on"});
    script.Dialog({"expect-checked", "1041", "off"});
    script.Dialog({"click", "1"});
    ASSERT_TRUE(qlhost::StartCommand("QLHATCH"));
    ASSERT_NE(qlhost::CurrentPrompt(), nullptr);
    EXPECT_EQ(qlhost::CurrentPrompt()->text, "Smart hatch - pick entities:");
    qlhost::AnswerPrompt(1);
    EXPECT_FALSE(qlhost::CommandRunning());
    ExpectClean(script);
    const HatchOptions stored = Stored();
    EXPECT_EQ(stored.method, kMethodSmart);
    EXPECT_EQ(stored.patternKind, kPatternSimple);
}

TEST_F(HatchCommandTest, CancelStoresNothing) {
    UiScript script;
    script.Dialog({"check", "1041", "on"});
    script.Dialog({"click", "2"});
    ASSERT_TRUE(qlhost::StartCommand("QLHATCH"));
    EXPECT_FALSE(qlhost::CommandRunning());
    ExpectClean(script);
    EXPECT_EQ(Stored().modify, kNotStored);
}

TEST_F(HatchCommandTest, SearchFiltersTheListAndNamesItInTheCaption) {
    Store(kMethodRegular, kPatternScalable, ".25 Cross");
    UiScript script;
    script.Dialog({"expect", "1058", "Available patterns:"});
    script.Dialog({"click", "1048"});
    script.Dialog({"set", "1056", "?25*cross"});
    script.Dialog({"click", "1"});
    script.Dialog({"expect", "1058", "Patterns matching \"?25*cross\":"});
    script.Dialog({"expect-items", "1044", ".25 Cross", ".25 Diagonal Cross"});
    script.Dialog({"expect", "1044", ".25 Cross"});
    script.Dialog({"click", "1048"});
    script.Dialog({"set", "1056", "=large"});
    script.Dialog({"click", "1"});
    script.Dialog({"expect-items", "1044", "Large Grid"});
    script.Dialog({"expect", "1044", ""});
    script.Dialog({"click", "2"});
    ASSERT_TRUE(qlhost::StartCommand("QLHATCH"));
    EXPECT_FALSE(qlhost::CommandRunning());
    ExpectClean(script);
}

TEST_F(HatchCommandTest, TogglingPreviewsKeepsTheChosenPattern) {
    Store(kMethodRegular, kPatternScalable, "Brick");
    UiScript script;
    script.Dialog({"expect-visible", "1043", "off"});
    script.Dialog({"choose", "1044", "Dots"});
    script.Dialog({"check", "1045", "on"});
    script.Dialog({"expect-visible", "1044", "off"});
    script.Dialog({"expect", "1043", "Dots"});
    script.Run([] {
        const auto& previews = qlhost::ControlPreviews();
        ASSERT_FALSE(previews.empty());
        for (const qlhost::ControlPreview& preview : previews) {
            EXPECT_EQ(preview.rect.bottom - preview.rect.top, 45);
            ASSERT_EQ(preview.frame.prims.size(), 1u);
            EXPECT_EQ(preview.frame.prims[0].kind, qlhost::PreviewPrim::Polyline);
            EXPECT_NE(preview.frame.prims[0].fillStyle, 0);
            EXPECT_DOUBLE_EQ(preview.frame.viewWidth / preview.frame.viewHeight, 4.25 / 1.125);
        }
    });
    script.Dialog({"choose", "1043", "Insulation"});
    script.Dialog({"check", "1045", "off"});
    script.Dialog({"expect", "1044", "Insulation"});
    script.Dialog({"click", "1"});
    ASSERT_TRUE(qlhost::StartCommand("QLHATCH"));
    qlhost::AnswerPrompt(1);
    ExpectClean(script);
    const HatchOptions stored = Stored();
    EXPECT_STREQ(stored.scalableName, "Insulation");
    EXPECT_EQ(stored.showPreviews, 0);
}

TEST_F(HatchCommandTest, LinePreviewsNeverChangeTheCurrentRecord) {
    SaveSettings("Wide", 1.0);
    SaveSettings("Fine", 0.1);
    Store(kMethodScan, kPatternSimple, "Wide", 1);
    TheLineSettings().distance = 0.3;
    UiScript script;
    script.Run([] {
        const auto& previews = qlhost::ControlPreviews();
        ASSERT_EQ(previews.size(), 2u);
        // Sorted: "Fine" above "Wide"; two rows each, lines 0, d, 2d, ... below 16.
        EXPECT_DOUBLE_EQ(previews[0].frame.viewWidth, 6.375 * 0.1);
        EXPECT_DOUBLE_EQ(previews[1].frame.viewWidth, 6.375);
        EXPECT_EQ(previews[1].frame.prims.size(), 2u * 16);
        EXPECT_DOUBLE_EQ(TheLineSettings().distance, 0.3);
    });
    script.Dialog({"expect", "1043", "Wide"});
    script.Dialog({"click", "2"});
    ASSERT_TRUE(qlhost::StartCommand("QLHATCH"));
    ExpectClean(script);
    EXPECT_DOUBLE_EQ(TheLineSettings().distance, 0.3);
}

TEST_F(HatchCommandTest, PatFileRegisteredTwiceIsListedOnce) {
    const std::string path = ql_test::TempPath("twice.pat");
    std::ofstream(path) << "*ONE, one family\n0,0,0,0,0.5\n*TWO\n90,0,0,0,0.25,0.25,-0.25\n";
    AddPatFile(path.c_str());
    AddPatFile(path.c_str());
    Store(kMethodRegular, kPatternPat, "TWO", 1);
    UiScript script;
    script.Dialog({"expect-items", "1043", "ONE, one family", "TWO"});
    script.Dialog({"expect", "1043", "TWO"});
    script.Run([] {
        const auto& previews = qlhost::ControlPreviews();
        ASSERT_EQ(previews.size(), 2u);
        for (const qlhost::ControlPreview& preview : previews) EXPECT_FALSE(preview.frame.prims.empty());
    });
    script.Dialog({"click", "2"});
    ASSERT_TRUE(qlhost::StartCommand("QLHATCH"));
    ExpectClean(script);
    EXPECT_TRUE(ThePatLibrary().Empty());
}

TEST(PatPreviewScale, BothDirectionsKeepTheRepeatAlongFromOneToFour) {
    PatPattern pattern;
    pattern.families.push_back(PatFamily{0, 0, 0, 0, 0.25, 0, {}});
    EXPECT_DOUBLE_EQ(PatPreviewScale(pattern), 1.0) << "flat lines only keep their own scale";
    pattern.families.push_back(PatFamily{90 * kDegree, 0, 0, 0, 5.0, 0, {}});
    // Across 0.25 gives 2; along 5 x 2 = 10 is cut to 4.
    EXPECT_NEAR(PatPreviewScale(pattern), 2.0 / (10.0 / 4), 1e-9);
    pattern.families[1].deltaY = 0.1;  // along 0.2 is raised to 1
    EXPECT_NEAR(PatPreviewScale(pattern), 2.0 / 0.2, 1e-9);
}

TEST(PatPreviewScale, OneDirectionRepeatsOnceAlongOrKeepsItsScaleAndNeverGoesNegative) {
    PatPattern vertical;
    vertical.families.push_back(PatFamily{90 * kDegree, 0, 0, 0, -0.5, 0, {}});
    EXPECT_NEAR(PatPreviewScale(vertical), 2.0, 1e-6) << "steep lines 0.5 apart repeat 1 wide";
    PatPattern coarse;
    coarse.families.push_back(PatFamily{0, 0, 0, 0, 1000, 0, {}});
    EXPECT_DOUBLE_EQ(PatPreviewScale(coarse), 1.0);  // below 0.01
    EXPECT_DOUBLE_EQ(PatPreviewScale(PatPattern{}), 1.0);
}

TEST(PatternSearch, EmptyMatchesAllAndTheCaptionNamesTheText) {
    EXPECT_TRUE(PassesSearch("", "Brick"));
    EXPECT_TRUE(PassesSearch("ric", "Brick"));
    EXPECT_FALSE(PassesSearch("=ric", "Brick"));
    EXPECT_TRUE(PassesSearch("=b?i*", "Brick"));
    EXPECT_EQ(PatternListLabel(""), "Available patterns:");
    EXPECT_EQ(PatternListLabel("br*"), "Patterns matching \"br*\":");
}

TEST_F(HatchCommandTest, ModifyCancelledAtAnyPromptStaysOff) {
    for (int answered = 0; answered < 3; ++answered) {
        Store(kMethodRegular, kPatternSimple);
        TheHatchOptions().modify = 1;
        SaveHatchOptions();
        ASSERT_TRUE(qlhost::StartCommand("QLHATCHOPTMOD"));
        if (answered > 0) qlhost::AnswerNumber(2);
        if (answered > 1) qlhost::AnswerNumber(30);
        ASSERT_TRUE(qlhost::CommandRunning());
        qlhost::AnswerPrompt(answered == 2 ? ST_DEFAULT : 1);
        EXPECT_FALSE(qlhost::CommandRunning());
        EXPECT_EQ(Stored().modify, 0) << answered;
    }
    ASSERT_TRUE(qlhost::StartCommand("QLHATCHOPTMOD"));
    EXPECT_EQ(qlhost::CurrentPrompt()->text, "Modify pattern - scale by [no modify]: ");
    qlhost::AnswerNumber(2);
    EXPECT_EQ(qlhost::CurrentPrompt()->text, "Modify pattern - rotate by [no modify]: ");
    qlhost::AnswerNumber(30);
    EXPECT_EQ(qlhost::CurrentPrompt()->text, "Modify pattern - offset by [no modify]: ");
    qlhost::AnswerPoint(1, -1, 0, false);
    EXPECT_FALSE(qlhost::CommandRunning());
    const HatchOptions stored = Stored();
    EXPECT_EQ(stored.modify, 1);
    EXPECT_DOUBLE_EQ(stored.scaleBy, 2);
    EXPECT_NEAR(stored.rotateBy, 30 * kDegree, 1e-12);
    EXPECT_DOUBLE_EQ(stored.offsetBy[1], -1);
}

TEST_F(HatchCommandTest, OptStoresTheTypedValuesWithTheNamedRecord) {
    SaveSettings("Wide", 1.0);
    Store(kMethodRegular, kPatternSimple, "Wide");
    ASSERT_TRUE(qlhost::StartCommand("QLHATCHOPT"));
    EXPECT_EQ(qlhost::CurrentPrompt()->text.rfind("Hatch distance [1", 0), 0u) << qlhost::CurrentPrompt()->text;
    qlhost::AnswerNumber(0.5);
    qlhost::AnswerNumber(30);
    EXPECT_FALSE(qlhost::CommandRunning());
    TheLineSettings() = DefaultLineSettings();
    LoadLineSettings("Wide");
    EXPECT_DOUBLE_EQ(TheLineSettings().distance, 0.5);
    EXPECT_NEAR(TheLineSettings().angle, 30 * kDegree, 1e-12);
    EXPECT_EQ(TheLineSettings().rowOn[1], 1);  // the rest of the record stays
    const HatchRun run = PrepareHatchRun();
    EXPECT_DOUBLE_EQ(run.line.distance, 0.5);
}

// Enter keeps the shown distance and asks for the angle; the angle prompt stores what was
// typed before it whatever its own status.
TEST_F(HatchCommandTest, OptDefaultDistanceGoesOnAndAnyAngleAnswerStores) {
    SaveSettings("Wide", 1.0);
    Store(kMethodRegular, kPatternSimple, "Wide");
    ASSERT_TRUE(qlhost::StartCommand("QLHATCHOPT"));
    qlhost::AnswerPrompt(ST_DEFAULT);
    ASSERT_TRUE(qlhost::CommandRunning());
    EXPECT_EQ(qlhost::CurrentPrompt()->text, "Hatch angle [45.0000]:");
    qlhost::AnswerPrompt(1);
    EXPECT_FALSE(qlhost::CommandRunning());

    ASSERT_TRUE(qlhost::StartCommand("QLHATCHOPT"));
    qlhost::AnswerNumber(0.25);
    qlhost::AnswerPrompt(1);
    EXPECT_FALSE(qlhost::CommandRunning());
    TheLineSettings() = DefaultLineSettings();
    LoadLineSettings("Wide");
    EXPECT_DOUBLE_EQ(TheLineSettings().distance, 0.25);
    EXPECT_NEAR(TheLineSettings().angle, 45 * kDegree, 1e-9);
}

TEST_F(HatchCommandTest, OptCancelledAtTheDistanceStoresNothing) {
    ASSERT_TRUE(qlhost::StartCommand("QLHATCHOPT"));
    qlhost::AnswerPrompt(1);
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(Stored().modify, kNotStored);
}

TEST_F(HatchCommandTest, OptSelBoundsTheNameAndTakesUnknownKindsAsLines) {
    ASSERT_TRUE(qlhost::StartCommand("QLHATCHOPTSEL"));
    EXPECT_EQ(qlhost::CurrentPrompt()->text, "Pattern type (0 = Line, 1 = Corvane, 2 = PAT-file): ");
    qlhost::AnswerNumber(5);
    EXPECT_EQ(qlhost::CurrentPrompt()->text, "Line pattern name: ");
    qlhost::AnswerText(std::string(200, 'n'));
    EXPECT_FALSE(qlhost::CommandRunning());
    HatchOptions stored = Stored();
    EXPECT_EQ(stored.patternKind, kPatternSimple);
    EXPECT_EQ(std::string(stored.lineSettingsName), std::string(kSettingsNameSize - 1, 'n'));

    ASSERT_TRUE(qlhost::StartCommand("QLHATCHOPTSEL"));
    qlhost::AnswerNumber(1);
    EXPECT_EQ(qlhost::CurrentPrompt()->text, "Corvane pattern name: ");
    qlhost::AnswerText(".25 Cross");
    EXPECT_FALSE(qlhost::CommandRunning());
    stored = Stored();
    EXPECT_EQ(stored.patternKind, kPatternScalable);
    EXPECT_STREQ(stored.scalableName, ".25 Cross");
    EXPECT_EQ(std::string(stored.lineSettingsName), std::string(kSettingsNameSize - 1, 'n'));

    ASSERT_TRUE(qlhost::StartCommand("QLHATCHOPTSEL"));
    qlhost::AnswerNumber(2);
    EXPECT_EQ(qlhost::CurrentPrompt()->text, "PAT-file pattern name: ");
    qlhost::AnswerPrompt(1);
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(Stored().patternKind, kPatternScalable) << "a cancelled name stores nothing";
}

TEST_F(HatchCommandTest, LastStartsTheStoredMethodAndEndsOnAnUnknownOne) {
    Store(kMethodScan, kPatternSimple);
    ASSERT_TRUE(qlhost::StartCommand("QLHATCHLAST"));
    EXPECT_EQ(qlhost::CurrentPrompt()->text, "Scan hatch - pick entities:");
    qlhost::AnswerPrompt(1);
    EXPECT_FALSE(qlhost::CommandRunning());
    Store(kNotStored, kPatternSimple);
    ASSERT_TRUE(qlhost::StartCommand("QLHATCHLAST"));
    EXPECT_FALSE(qlhost::CommandRunning());
}

}  // namespace
