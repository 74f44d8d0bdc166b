// The macro commands run through the host's prompt protocol: variables, key state, file and
// layer names, the log file and the pop-up menu file.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/commands.h"
#include "core/host_api.h"
#include "core/prompts.h"
#include "core/records.h"
#include "host/drawing/drawing.h"
#include "host/platform/hooks.h"
#include "host/platform/system.h"
#include "host/protocol/protocol.h"
#include "host/ui/ui.h"
#include "macro/macro_text.h"
#include "tests/support/command_test.h"

namespace fs = std::filesystem;

namespace {

class MacroCommands : public HostCommandTest {
protected:
    void SetUp() override {
        UseCommands({"macro test",
                     {"QLGVD", "QLKEYSTAT", "QLGTH", "QLGETFNAMEM", "QLGETLAYERNAMEM",
                      "QLLOGFILEINIT", "QLLOGFILEWRITE"},
                     {nullptr, QLGVD, QLKEYSTAT, QLGTH, QLGETFNAMEM, QLGETLAYERNAMEM, QLLOGFILEINIT,
                      QLLOGFILEWRITE}});
        qlhost::ClearMacroVars();
        dir_ = fs::temp_directory_path() / ("ql_macro_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        savedUserDir_ = qlhost::UserDir();
        qlhost::SetUserDir(dir_.string());
    }
    void TearDown() override {
        HostCommandTest::TearDown();
        qlhost::ClearMacroVars();
        qlhost::SetUserDir(savedUserDir_);
        fs::remove_all(dir_);
    }

    void Run(const char* name) {
        ASSERT_TRUE(qlhost::StartCommand(name));
        ASSERT_NE(qlhost::CurrentPrompt(), nullptr);
    }
    std::string Var(const std::string& name) {
        std::string value;
        return qlhost::MacroVar(name, value) ? value : "<unset>";
    }
    std::string Prompt() {
        const qlhost::PromptInfo* prompt = qlhost::CurrentPrompt();
        return prompt ? prompt->text : "<none>";
    }
    std::string ReadFile(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // QLGVD with a value and a number of decimals; the variable's text.
    std::string Gvd(double value, double decimals) {
        Run("QLGVD");
        qlhost::AnswerText("V");
        EXPECT_EQ(Prompt(), "Real value:");
        qlhost::AnswerNumber(value);
        EXPECT_EQ(Prompt(), "# of decimals:");
        qlhost::AnswerNumber(decimals);
        EXPECT_FALSE(qlhost::CommandRunning());
        return Var("V");
    }

    fs::path dir_;
    std::string savedUserDir_;
};

size_t Decimals(const std::string& text) {
    size_t point = text.find('.');
    return point == std::string::npos ? 0 : text.size() - point - 1;
}

}  // namespace

TEST_F(MacroCommands, GvdClampsTheDecimals) {
    EXPECT_EQ(Decimals(Gvd(1.25, 40)), 32u);
    EXPECT_EQ(Decimals(Gvd(1.25, -3)), 0u);
    EXPECT_EQ(Gvd(1.25, 0), "1");
    const double value = 1.25;
    EXPECT_EQ(Gvd(value, 1), qlhost::FormatValue(&value, PF_DOUBLE, 1));
}

TEST_F(MacroCommands, GvdHugeValueStaysInItsBuffer) {
    std::string text = Gvd(1e300, 32);
    EXPECT_LT(text.size(), 128u);
    EXPECT_FALSE(text.empty());
}

TEST_F(MacroCommands, CancelAtAnyPromptSetsNothing) {
    Run("QLGVD");
    qlhost::AnswerText("V");
    qlhost::AnswerNumber(2);
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(Var("V"), "<unset>");
    Run("QLKEYSTAT");
    qlhost::AnswerPrompt(ST_DEFAULT);
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(Var("V"), "<unset>");
}

TEST_F(MacroCommands, KeyStatCountsShiftAndControl) {
    auto keyStat = [&](bool shift, bool control) {
        qlhost::SetKeyHeld(VK_SHIFT, shift);
        qlhost::SetKeyHeld(VK_CONTROL, control);
        Run("QLKEYSTAT");
        EXPECT_EQ(Prompt(), "Variable:");
        qlhost::AnswerText("K");
        return Var("K");
    };
    EXPECT_EQ(keyStat(false, false), "0");
    EXPECT_EQ(keyStat(true, false), "1");
    EXPECT_EQ(keyStat(false, true), "2");
    EXPECT_EQ(keyStat(true, true), "3");
}

TEST_F(MacroCommands, TextHeightOfTheCurrentStyle) {
    const unsigned char* table = GetTemplate(GetWorkDL(), TPL_TEXT_STYLES);
    ASSERT_NE(table, nullptr);
    float height = GetF32(CurrentTableData(table), kStyleBlockHeight);
    Run("QLGTH");
    qlhost::AnswerText("H");
    EXPECT_EQ(Var("H"), qlhost::FormatValue(&height, PF_FLOAT, 3));
}

TEST_F(MacroCommands, TextHeightWithoutAStyleTableSetsNothing) {
    qlhost::TheDrawing().tables.textStyles.clear();
    Run("QLGTH");
    qlhost::AnswerText("H");
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(Var("H"), "<unset>");
}

TEST_F(MacroCommands, FileNameWithoutExtension) {
    Run("QLGETFNAMEM");
    qlhost::AnswerText("F");
    EXPECT_EQ(Var("F"), "Untitled");
    EXPECT_STREQ(GetWorkDL()->fileName, "Untitled.cv7");
    char name[64];
    DrawingBaseName(nullptr, name, sizeof name);
    EXPECT_STREQ(name, "error");
}

TEST_F(MacroCommands, LayerNameOfTheCurrentLayer) {
    const unsigned char* layer = GetCurLayer();
    ASSERT_NE(layer, nullptr);
    Run("QLGETLAYERNAMEM");
    qlhost::AnswerText("L");
    EXPECT_EQ(Var("L"), std::string(reinterpret_cast<const char*>(layer + kLayerName)));
    // Without a current layer nothing is set.
    qlhost::TheDrawing().tables.layers.clear();
    ASSERT_EQ(GetCurLayer(), nullptr);
    Run("QLGETLAYERNAMEM");
    qlhost::AnswerText("M");
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(Var("M"), "<unset>");
}

TEST_F(MacroCommands, LogFileAppendsOneLinePerCall) {
    std::ofstream(dir_ / "QLLogFile.txt") << "kept\n";
    Run("QLLOGFILEINIT");
    EXPECT_EQ(Prompt(), "Filename [#QLLogFile.txt]: ");
    qlhost::AnswerPrompt(ST_DEFAULT);
    for (const char* line : {"first", "second line", ""}) {
        Run("QLLOGFILEWRITE");
        EXPECT_EQ(Prompt(), "Write to log file: ");
        if (*line)
            qlhost::AnswerText(line);
        else
            qlhost::AnswerPrompt(ST_DEFAULT);
    }
    EXPECT_EQ(ReadFile(dir_ / "QLLogFile.txt"), "kept\nfirst\nsecond line\n");
}

TEST_F(MacroCommands, LogFileNameStandsAndEnterPutsTheSavedNameBack) {
    Run("QLLOGFILEINIT");
    qlhost::AnswerText("#other.txt");
    Run("QLLOGFILEINIT");
    EXPECT_EQ(Prompt(), "Filename [#other.txt]: ");
    qlhost::AnswerPrompt(ST_DEFAULT);
    Run("QLLOGFILEWRITE");
    qlhost::AnswerText("x");
    EXPECT_EQ(ReadFile(dir_ / "other.txt"), "x\n");
    // Back to the default name for the other tests.
    Run("QLLOGFILEINIT");
    qlhost::AnswerText("#QLLogFile.txt");
}
