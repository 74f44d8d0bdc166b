// QLHATCHSTANDARD driven through the reference host's prompt protocol, with the options
// stored in its registry: one new group per run for each pattern kind, the cancel path, the
// progress display and ESC during a PAT pattern.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/commands.h"
#include "core/prompts.h"
#include "hatch_test_util.h"
#include "host/display/preview.h"
#include "host/platform/hooks.h"
#include "host/protocol/protocol.h"
#include "tests/ui/ui_script.h"

namespace {

using hatchtest::DataFile;
using hatchtest::HatchHostTest;
using hatchtest::Segment;

class RegularCommandTest : public HatchHostTest {
protected:
    void SetUp() override {
        HatchHostTest::SetUp();
        qlhost::ResetSession();
        qlhost::SetCommandTable({"Quillet", {"QLHATCHSTANDARD"}, {nullptr, QLHATCHSTANDARD}});
    }

    void TearDown() override {
        qlhost::SetKeyHeld(VK_ESCAPE, false);
        qlhost::AbandonCommand();
        qlhost::ResetSession();
        qlhost::SetCommandTable({});
        HatchHostTest::TearDown();
    }

    static void StoreOptions(int kind, const char* name) {
        HatchOptions options = DefaultHatchOptions();
        options.patternKind = kind;
        char* field = kind == kPatternPat ? options.patName : options.scalableName;
        std::strcpy(field, name);
        TheHatchOptions() = options;
        SaveHatchOptions();
        TheHatchOptions() = DefaultHatchOptions();
    }

    // Runs the command on the selection; returns the new group's lines.
    std::vector<Segment> RunCommand() {
        EXPECT_TRUE(qlhost::StartCommand("QLHATCHSTANDARD"));
        const qlhost::PromptInfo* prompt = qlhost::CurrentPrompt();
        EXPECT_NE(prompt, nullptr);
        if (prompt == nullptr) return {};
        EXPECT_EQ(prompt->text, "Regular hatch - pick entities:");
        EXPECT_EQ(prompt->kind, REQ_SELECTION);
        EXPECT_EQ(prompt->cursor, 4u);
        EXPECT_FALSE(prompt->drag);
        qlhost::AnswerSelection();
        EXPECT_FALSE(qlhost::CommandRunning());
        return GroupLines();
    }

    std::vector<Segment> GroupLines() {
        std::vector<Segment> lines;
        int groups = 0;
        for (qlhost::Node* node = Work().head; node != nullptr; node = node->next) {
            if (node->type() != ET_GROUP) continue;
            ++groups;
            for (const qlhost::Node* m = node->children ? node->children->head : nullptr; m;
                 m = m->next) {
                const EntRec* r = m->record();
                EXPECT_EQ(m->type(), ET_LINE);
                lines.push_back({GetF64(r, kLineStart), GetF64(r, kLineStart + 8),
                                 GetF64(r, kLineEnd), GetF64(r, kLineEnd + 8)});
            }
        }
        EXPECT_EQ(groups, 1);
        return lines;
    }
};

TEST_F(RegularCommandTest, PatPatternWithNegativeDeltaYIsDrawnIntoOneNewGroup) {
    AddPatFile(DataFile("pat/quirks.pat").c_str());
    StoreOptions(kPatternPat, "NEGDY, negative delta y");
    Add(qlhost::MakeBox(0, 0, 4, 3));
    const std::vector<Segment> lines = RunCommand();
    ASSERT_GT(lines.size(), 20u);
    for (const Segment& s : lines) {
        EXPECT_NEAR(std::atan2(s.y2 - s.y1, s.x2 - s.x1), 30 * 3.14159265 / 180, 1e-6);
        EXPECT_GE(std::min(s.x1, s.x2), -1e-9);
        EXPECT_LE(std::max(s.y1, s.y2), 3 + 1e-9);
        EXPECT_LE(s.Length(), 0.4 + 1e-6);  // the dash, a single-precision 0.4
    }
    EXPECT_EQ(qlhost::Screen().progressText, "Hatching... (press ESC to cancel)");
    EXPECT_EQ(qlhost::Screen().progressDone, 0);
    EXPECT_EQ(qlhost::Screen().progressTotal, 1);
    EXPECT_TRUE(ThePatLibrary().Empty());
    EXPECT_EQ(Work().count, 2u);
    EXPECT_EQ(qlhost::ValidateDrawing(qlhost::TheDrawing()), "");
}

TEST_F(RegularCommandTest, ScalablePatternIsDrawnIntoOneNewGroup) {
    StoreOptions(kPatternScalable, ".25 Cross");
    Add(qlhost::MakeBox(0, 0, 2, 2));
    const std::vector<Segment> lines = RunCommand();
    size_t horizontal = 0, vertical = 0;
    for (const Segment& s : lines) {
        horizontal += std::fabs(s.y2 - s.y1) < 1e-6;
        vertical += std::fabs(s.x2 - s.x1) < 1e-6;
    }
    EXPECT_EQ(horizontal + vertical, lines.size());
    EXPECT_GE(horizontal, 7u);
    EXPECT_GE(vertical, 7u);
    EXPECT_NEAR(TotalLength(lines), 2 * 4 / 0.25, 2 * 2.0 + 1e-6);
}

TEST_F(RegularCommandTest, DashesAreCutAtTheBoundaryAndGapsStayEmpty) {
    // "Dashed Horizontal": dash 0.25, gap 0.125 from x = 0 on lines 0.25 apart.
    StoreOptions(kPatternScalable, "Dashed Horizontal");
    Add(qlhost::MakeBox(0.1, 0.1, 2.1, 1.1));
    std::vector<Segment> lines = RunCommand();
    ASSERT_FALSE(lines.empty());
    std::vector<std::pair<double, double>> expected = {{0.1, 0.25}};
    for (double start = 0.375; start < 2.1; start += 0.375)
        expected.push_back({start, std::min(start + 0.25, 2.1)});
    for (Segment& s : lines) {
        if (s.x1 > s.x2) std::swap(s.x1, s.x2);
    }
    std::sort(lines.begin(), lines.end(),
              [](const Segment& a, const Segment& b) { return a.x1 < b.x1; });
    const size_t rows = lines.size() / expected.size();
    ASSERT_EQ(rows * expected.size(), lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_NEAR(lines[i].x1, expected[i / rows].first, 1e-6);
        EXPECT_NEAR(lines[i].x2, expected[i / rows].second, 1e-6);
    }
}

TEST_F(RegularCommandTest, SelectionWithoutBoundariesAddsAnEmptyGroup) {
    Add(qlhost::MakeText(1, 1, 2.5, 0, 0, 1, "not a boundary"));
    EXPECT_TRUE(RunCommand().empty());
    EXPECT_EQ(Work().count, 2u);
    EXPECT_EQ(qlhost::ValidateDrawing(qlhost::TheDrawing()), "");
}

TEST_F(RegularCommandTest, CancelRedrawsTheSelectionAndAddsNothing) {
    Add(qlhost::MakeBox(0, 0, 2, 2));
    Add(qlhost::MakeBox(3, 0, 5, 2));
    ASSERT_TRUE(qlhost::StartCommand("QLHATCHSTANDARD"));
    qlhost::ResetScreenCounters();
    ASSERT_TRUE(qlhost::AnswerPrompt(qlhost::kStatusCancel));
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(qlhost::Screen().draws, 2);
    EXPECT_GE(qlhost::Screen().showChanges, 1);
    EXPECT_EQ(Work().count, 2u);
}

TEST_F(RegularCommandTest, EscapeHeldStopsAPatPatternKeepingTheGroup) {
    AddPatFile(DataFile("pat/quirks.pat").c_str());
    StoreOptions(kPatternPat, "STARBURST, forty families at different angles");
    Add(qlhost::MakeBox(0, 0, 4, 3));
    qlhost::SetKeyHeld(VK_ESCAPE, true);
    EXPECT_TRUE(RunCommand().empty());
    EXPECT_EQ(Work().count, 2u);
    EXPECT_TRUE(ThePatLibrary().Empty());
}

TEST_F(RegularCommandTest, RunsDoNotChangeTheStoredRecords) {
    HatchOptions options = DefaultHatchOptions();
    options.modify = 1;
    options.scaleBy = 2;
    TheHatchOptions() = options;
    SaveHatchOptions();
    Add(qlhost::MakeBox(0, 0, 4, 4));
    const double first = TotalLength(RunCommand());
    qlhost::TheDrawing().Reset();
    Add(qlhost::MakeBox(0, 0, 4, 4));
    EXPECT_NEAR(TotalLength(RunCommand()), first, 1e-9);
    EXPECT_NEAR(first, 16 / 0.4, 0.02 * 40);
    EXPECT_EQ(TheLineSettings().distance, 0.2);
}

// A stored line distance that cannot be drawn (zero, not a number, far too small) or a PAT
// pattern missing from its file leaves the new group empty, and the "Warning" box says why.
TEST_F(RegularCommandTest, UnusablePatternsAreReportedInAWarning) {
    AddPatFile(DataFile("pat/quirks.pat").c_str());
    const std::string unusable =
        "| The pattern could not be drawn: a line distance or dash cycle is zero, too small or not a number, or "
        "the pattern was not found in its file.";
    const std::string tooDense = "| The pattern is too dense for this area: some of its line families were not drawn.";
    const struct {
        double distance;
        const std::string& line;
    } cases[] = {{0.0, unusable}, {std::nan(""), unusable}, {-1.0, unusable}, {1e-300, tooDense}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.distance);
        LineSettings settings = DefaultLineSettings();
        std::strcpy(settings.name, "Unusable");
        settings.distance = c.distance;
        hatchtest::StoreLineSettings(settings, "Unusable");
        TheLineSettings() = DefaultLineSettings();
        TheHatchOptions() = DefaultHatchOptions();
        qlhost::TheDrawing().Reset();
        Add(qlhost::MakeBox(0, 0, 4, 3));
        qlhost::testing::UiScript script;
        EXPECT_TRUE(RunCommand().empty());
        EXPECT_TRUE(script.Transcribed("message \"Warning\""));
        EXPECT_TRUE(script.Transcribed(c.line));
    }
    // A pattern missing from the file, and one whose only family the reader dropped.
    for (const char* pattern : {"NOSUCH, not in the file", "FLAT, a zero delta y drops the family"}) {
        SCOPED_TRACE(pattern);
        StoreOptions(kPatternPat, pattern);
        qlhost::TheDrawing().Reset();
        Add(qlhost::MakeBox(0, 0, 4, 3));
        qlhost::testing::UiScript script;
        EXPECT_TRUE(RunCommand().empty());
        EXPECT_TRUE(script.Transcribed(unusable));
    }
}

}  // namespace
