// The stroke font "Simplex" as the build converts it from the Hershey Roman Simplex font into
// hostdata/fonts: its header, the bounds of every character's steps, and an exploded "H".
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/commands.h"
#include "host/fonts/stroke_font.h"
#include "host/geometry/records.h"
#include "host/platform/system.h"
#include "host/protocol/loader.h"
#include "tests/support/command_test.h"
#include "text/explode.h"

namespace {

using qlhost::Node;

constexpr size_t kStepsStart = 780;    // the header ends with the 16-bit spacing at 776
constexpr size_t kMaxOffset = 0x7FFF;  // offsets are signed 16-bit
constexpr unsigned char kEnd = 255;
constexpr unsigned kMaxX = 126;        // a line step to x = 127 would read as the end marker
constexpr int kHersheyCapHeight = 21;  // "H" runs from y = -12 to the baseline at 9
constexpr int kHersheyDescent = 7;     // "g", "j", "p", "q", "y" and brackets reach y = 16
constexpr size_t kMaxStepsPerCharacter = 200;

std::filesystem::path FontPath() {
    return std::filesystem::path(qlhost::ExecutableDir()) / "hostdata" / "fonts" / "Simplex.fnt";
}

std::vector<unsigned char> ReadFont() {
    std::ifstream in(FontPath(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Point {
    unsigned x, y;
};

// The points a character's steps visit, read byte by byte; fails the test on a step that
// leaves the file, an arc, or a missing end marker.
std::vector<Point> StepPoints(const std::vector<unsigned char>& f, unsigned char c) {
    std::vector<Point> points;
    const size_t start = static_cast<size_t>(GetI16(f.data(), kStrokeOffsets + 2 * size_t{c}));
    EXPECT_GE(start, kStepsStart) << int{c};
    for (size_t at = start, steps = 0; steps < kMaxStepsPerCharacter; at += 2, ++steps) {
        if (at >= f.size()) break;
        if (f[at] == kEnd) return points;
        if (at + 1 >= f.size()) break;
        EXPECT_LT(f[at + 1], 128) << "an arc step in character " << int{c};
        points.push_back({f[at] & 0x7Fu, f[at + 1] & 0x7Fu});
    }
    ADD_FAILURE() << "character " << int{c} << " has no end marker within the file";
    return points;
}

TEST(HersheySimplex, TheHeaderGivesTheFormatTheCapHeightAndTheDescent) {
    const std::vector<unsigned char> f = ReadFont();
    ASSERT_GT(f.size(), kStepsStart) << FontPath();
    EXPECT_LE(f.size(), kMaxOffset);
    const StrokeFontFile font(f.data(), f.size());
    EXPECT_TRUE(font.Usable());
    EXPECT_EQ(f[0], kStrokeFormat);
    EXPECT_EQ(font.DesignHeight(), kHersheyCapHeight);
    EXPECT_EQ(font.BaseOffset(), kHersheyDescent);
    EXPECT_EQ(font.ExtraSpacing(), 0);
    // Hershey's edges: "H" from -11 to 11, "A" from -9 to 9, the space from -8 to 8.
    EXPECT_EQ(font.Advance('H'), 22);
    EXPECT_EQ(font.Advance('A'), 18);
    EXPECT_EQ(font.Advance(' '), 16);
}

TEST(HersheySimplex, EveryPrintableCharacterHasAWidthAndStepsWithinTheGrid) {
    const std::vector<unsigned char> f = ReadFont();
    ASSERT_GT(f.size(), kStepsStart);
    const StrokeFontFile font(f.data(), f.size());
    const int base = font.BaseOffset();
    std::vector<StrokePiece> pieces;
    for (int code = 32; code <= 126; ++code) {
        const unsigned char c = static_cast<unsigned char>(code);
        EXPECT_GT(font.Advance(c), 0) << code;
        for (const Point& p : StepPoints(f, c)) {
            EXPECT_LE(p.x, kMaxX) << code;
            EXPECT_LE(p.x, static_cast<unsigned>(font.Advance(c))) << code;  // inside its own cell
            EXPECT_GE(static_cast<int>(p.y), base - kHersheyDescent) << code;
            EXPECT_LE(static_cast<int>(p.y), base + 2 * kHersheyCapHeight) << code;
        }
        ASSERT_TRUE(font.Character(c, pieces)) << code;
        EXPECT_EQ(pieces.empty(), code == ' ') << code;
        for (const StrokePiece& piece : pieces) EXPECT_FALSE(piece.arc) << code;
    }
}

TEST(HersheySimplex, CodesWithoutAGlyphHaveNoWidthAndNoSteps) {
    const std::vector<unsigned char> f = ReadFont();
    ASSERT_GT(f.size(), kStepsStart);
    const StrokeFontFile font(f.data(), f.size());
    for (int code = 1; code <= 255; ++code) {
        if (code >= 32 && code <= 126) continue;
        const unsigned char c = static_cast<unsigned char>(code);
        EXPECT_EQ(font.Advance(c), 0) << code;
        EXPECT_TRUE(StepPoints(f, c).empty()) << code;
    }
}

TEST(HersheySimplex, CapitalsStandOnTheBaseOffsetAndDescendersReachZero) {
    const std::vector<unsigned char> f = ReadFont();
    ASSERT_GT(f.size(), kStepsStart);
    const int base = StrokeFontFile(f.data(), f.size()).BaseOffset();
    auto lowest = [&](unsigned char c) {
        int y = 128;  // above every stored y: no points
        for (const Point& p : StepPoints(f, c)) y = std::min(y, static_cast<int>(p.y));
        return y;
    };
    EXPECT_EQ(lowest('H'), base);
    EXPECT_EQ(lowest('x'), base);
    EXPECT_EQ(lowest('g'), 0);
    EXPECT_EQ(lowest('p'), 0);
}

class HersheyHost : public HostCommandTest {
protected:
    void SetUp() override {
        savedDataDir_ = qlhost::HostDataDir();
        qlhost::SetHostDataDir(
            (std::filesystem::path(qlhost::ExecutableDir()) / "hostdata").string());
        qlhost::ClearStrokeFonts();
        UseCommands({"Quillet", {"QLTEXTEXPL"}, {nullptr, QLTEXTEXPL}});
    }
    void TearDown() override {
        HostCommandTest::TearDown();
        qlhost::SetHostDataDir(savedDataDir_);
        qlhost::ClearStrokeFonts();
    }

    // Adds a selected text in the stroke font and explodes the selection; returns the lines.
    std::vector<const EntRec*> ExplodeText(double x, double y, double height, int justification,
                                           const char* text) {
        qlhost::HostList& work = *qlhost::TheDrawing().work;
        const qlhost::Record record = qlhost::MakeText(x, y, height, 0, justification, 0, text);
        work.Append(record.data(), static_cast<uint32_t>(record.size()))->flags |= Node::kSelected;
        EXPECT_TRUE(qlhost::StartCommand("QLTEXTEXPL"));
        qlhost::AnswerSelection();
        EXPECT_FALSE(qlhost::CommandRunning());
        std::vector<const EntRec*> lines;
        for (const Node* node = work.head; node != nullptr; node = node->next) {
            if (node->deleted()) continue;
            EXPECT_EQ(node->type(), ET_LINE);
            lines.push_back(node->record());
        }
        return lines;
    }

    std::string savedDataDir_;
};

TEST_F(HersheyHost, TheHostFindsTheFontAndReadsTheSameStrokes) {
    const std::vector<unsigned char> f = ReadFont();
    ASSERT_GT(f.size(), kStepsStart);
    const StrokeFontFile file(f.data(), f.size());
    const qlhost::StrokeFont* font = qlhost::FindStrokeFont("Simplex");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->DesignHeight(), file.DesignHeight());
    std::vector<StrokePiece> pieces;
    for (int code = 32; code <= 126; ++code) {
        const unsigned char c = static_cast<unsigned char>(code);
        EXPECT_EQ(font->Advance(c), file.Advance(c)) << code;
        file.Character(c, pieces);
        EXPECT_EQ(font->Strokes(c).size(), pieces.size()) << code;
    }
}

void ExpectLine(const EntRec* line, double x1, double y1, double x2, double y2) {
    EXPECT_DOUBLE_EQ(GetF64(line, kLineStart), x1);
    EXPECT_DOUBLE_EQ(GetF64(line, kLineStart + 8), y1);
    EXPECT_DOUBLE_EQ(GetF64(line, kLineEnd), x2);
    EXPECT_DOUBLE_EQ(GetF64(line, kLineEnd + 8), y2);
}

TEST_F(HersheyHost, AnHBecomesItsTwoStemsAndItsBar) {
    // Height 42 is twice the cap height: the stems at x = 4 and 18 of the 22-unit cell land
    // 8 and 36 right of the position and run 42 down to the baseline at y = 20.
    const std::vector<const EntRec*> lines = ExplodeText(10, 20, 42, 0, "H");
    ASSERT_EQ(lines.size(), 3u);
    ExpectLine(lines[0], 18, 62, 18, 20);
    ExpectLine(lines[1], 46, 62, 46, 20);
    ExpectLine(lines[2], 18, 42, 46, 42);
}

TEST_F(HersheyHost, ARightJustifiedTextEndsAtItsPositionByTheConvertedWidths) {
    // "HH" is 44 units; at height 21 the second H's right stem stands 4 units before the end.
    const std::vector<const EntRec*> lines = ExplodeText(100, 0, 21, 2, "HH");
    ASSERT_EQ(lines.size(), 6u);
    ExpectLine(lines[0], 60, 21, 60, 0);
    ExpectLine(lines[4], 96, 21, 96, 0);
}

}  // namespace
