// QLTEXTEXPL driven through the reference host: stroke font files that cannot be used, the
// placement of strokes and glyph outlines, the screen work on what is left, the closing
// parts of glyph outlines and the font of the TrueType path.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "core/commands.h"
#include "host/display/preview.h"
#include "host/fonts/gdi.h"
#include "host/fonts/stroke_font.h"
#include "host/platform/system.h"
#include "host/protocol/loader.h"
#include "tests/text/text_test_util.h"
#include "text/explode.h"
#include "tests/support/temp_path.h"

namespace {

using qlhost::Node;

constexpr double kHalfTurn = 3.14159265;

class TextExplode : public texttest::TextHostTest {
protected:
    void SetUp() override {
        TextHostTest::SetUp();
        savedUserDir_ = qlhost::UserDir();
        savedDataDir_ = qlhost::HostDataDir();
        qlhost::SetHostDataDir(qlhost::ExecutableDir() + "/hostdata");
        qlhost::ClearStrokeFonts();
        qlhost::SetCommandTable({"Quillet", {"QLTEXTEXPL"}, {nullptr, QLTEXTEXPL}});
    }
    void TearDown() override {
        qlhost::SetCommandTable({});
        qlhost::SetUserDir(savedUserDir_);
        qlhost::SetHostDataDir(savedDataDir_);
        qlhost::ClearStrokeFonts();
        TextHostTest::TearDown();
    }

    // The user folder holds a font file named "Simplex" with these bytes, found before the
    // host's own font.
    void UseSimplexFile(const std::vector<unsigned char>& bytes) {
        const std::filesystem::path dir = ql_test::ProcessTempDir() / "textexpl-fonts";
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "Simplex", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        qlhost::SetUserDir(dir.string());
        qlhost::ClearStrokeFonts();
    }

    Node* AddSelected(const qlhost::Record& record) {
        Node* node = Add(record);
        node->flags |= Node::kSelected;
        return node;
    }
    Node* AddText(double x, double y, double height, double angle, int justification, int font,
                  const std::string& text) {
        return AddSelected(qlhost::MakeText(x, y, height, angle, justification, font, text));
    }

    void Explode() {
        ASSERT_TRUE(qlhost::StartCommand("QLTEXTEXPL"));
        const qlhost::PromptInfo* prompt = qlhost::CurrentPrompt();
        ASSERT_NE(prompt, nullptr);
        EXPECT_EQ(prompt->kind, REQ_SELECTION);
        qlhost::AnswerSelection();
        EXPECT_FALSE(qlhost::CommandRunning());
    }

    std::vector<Node*> Entities(qlhost::HostList& list) {
        std::vector<Node*> nodes;
        for (Node* node = list.head; node != nullptr; node = node->next)
            if (!node->deleted()) nodes.push_back(node);
        return nodes;
    }

    // Every outline point of every glyph container in the groups of the working list.
    std::vector<double> OutlinePoints() {
        std::vector<double> points;
        for (Node* group : Entities(Work()))
            if (group->type() == ET_GROUP)
                for (Node* glyph : Entities(*group->children))
                    for (Node* part : Entities(*glyph->children)) {
                        const bool curve = part->type() == ET_CURVE;
                        const size_t count = GetU16(part->record(), curve ? 50 : kPolyCount);
                        const size_t first = curve ? 52 : kPolyVertices;
                        for (size_t i = 0; i < 2 * count; ++i) points.push_back(GetF64(part->record(), first + 8 * i));
                    }
        return points;
    }

    static std::vector<unsigned char> FontWithH(int design, int base) {
        std::vector<unsigned char> f(kStrokeHeaderSize, 0);
        f[0] = kStrokeFormat;
        f['H'] = 10;
        PutI16(f.data(), kStrokeDesignHeight, static_cast<int16_t>(design));
        PutI16(f.data(), kStrokeBaseOffset, static_cast<int16_t>(base));
        PutI16(f.data(), kStrokeOffsets + 2 * 'H', static_cast<int16_t>(f.size()));
        f.insert(f.end(), {1, 0, 0x81, 10, 255});
        return f;
    }

    std::string savedUserDir_, savedDataDir_;
};

TEST_F(TextExplode, UnusableStrokeFontFilesLeaveTheTextDrawnAndReleased) {
    const std::vector<unsigned char> good = FontWithH(10, 0);
    std::vector<std::vector<unsigned char>> bad;
    bad.push_back({});                                                        // empty
    bad.push_back(std::vector<unsigned char>(good.begin(), good.begin() + kStrokeHeaderSize - 1));
    bad.push_back(good);
    bad.back()[0] = 1;                                                        // another format
    bad.push_back(FontWithH(0, 0));                                           // no design height
    bad.push_back(FontWithH(-10, 0));
    for (size_t i = 0; i < bad.size(); ++i) {
        SCOPED_TRACE(i);
        qlhost::TheDrawing().Reset();
        UseSimplexFile(bad[i]);
        Node* text = AddText(0, 0, 10, 0, 2, 0, "HH");
        qlhost::ResetScreenCounters();
        Explode();
        ASSERT_EQ(Entities(Work()).size(), 1u);
        EXPECT_EQ(Work().head, text);
        EXPECT_EQ(Text(text), "HH");
        EXPECT_EQ(qlhost::Screen().draws, 1);
        EXPECT_EQ(qlhost::Screen().erases, 0);
        EXPECT_EQ(qlhost::LiveHostBlocks(), 0u);
    }
}

TEST_F(TextExplode, AMissingStrokeFontFileLeavesTheText) {
    const std::filesystem::path empty = ql_test::ProcessTempDir() / "textexpl-empty";
    std::filesystem::create_directories(empty);
    qlhost::SetUserDir(empty.string());
    qlhost::SetHostDataDir(empty.string());
    Node* text = AddText(0, 0, 10, 0, 0, 0, "H");
    Explode();
    EXPECT_EQ(Entities(Work()).size(), 1u);
    EXPECT_EQ(Text(text), "H");
}

TEST_F(TextExplode, ACharacterRunningOffTheFileIsSkippedAndKeepsItsWidth) {
    std::vector<unsigned char> font = FontWithH(10, 0);
    font['b'] = 7;
    PutI16(font.data(), kStrokeOffsets + 2 * 'b', static_cast<int16_t>(font.size()));
    font.insert(font.end(), {0x81, 3, 0x82});  // the last step is cut off
    PutI16(font.data(), kStrokeSpacing, 1);
    UseSimplexFile(font);
    AddText(0, 0, 10, 0, 0, 0, "bHbH");
    Explode();
    std::vector<Node*> lines = Entities(Work());
    ASSERT_EQ(lines.size(), 2u);
    // The H strokes from (1, 0) to (1, 10) after b (7 + 1) and after b H b (8 + 11 + 8).
    EXPECT_DOUBLE_EQ(GetF64(lines[0]->record(), kLineStart), 9);
    EXPECT_DOUBLE_EQ(GetF64(lines[1]->record(), kLineStart), 28);
    EXPECT_DOUBLE_EQ(GetF64(lines[1]->record(), kLineEnd + 8), 10);
}

TEST_F(TextExplode, StrokesAreScaledTurnedAndPlacedAndComeOutSelected) {
    std::vector<unsigned char> font(kStrokeHeaderSize, 0);
    font[0] = kStrokeFormat;
    font['o'] = 8;
    PutI16(font.data(), kStrokeDesignHeight, 10);
    PutI16(font.data(), kStrokeBaseOffset, 2);
    PutI16(font.data(), kStrokeSpacing, 1);
    PutI16(font.data(), kStrokeOffsets + 2 * 'o', static_cast<int16_t>(font.size()));
    font.insert(font.end(), {5, 0x87, 3, 0, 128, 255});  // half circle about (5, 7), radius 3
    UseSimplexFile(font);
    AddText(100, 50, 20, kHalfTurn / 2, 0, 0, "oo");
    Explode();
    std::vector<Node*> arcs = Entities(Work());
    ASSERT_EQ(arcs.size(), 2u);
    // Height 20 on a design height of 10 doubles; base 2 comes off y; 90 degrees turns
    // (x, y) into (-y, x). The second centre is 8 + 1 units further along.
    const double expected[2][2] = {{90, 60}, {90, 78}};
    for (int i = 0; i < 2; ++i) {
        const EntRec* arc = arcs[i]->record();
        ASSERT_EQ(arcs[i]->type(), ET_ARC);
        // The angle is a float in the text: a few millionths off at this distance.
        EXPECT_NEAR(GetF64(arc, kArcCentre), expected[i][0], 1e-5);
        EXPECT_NEAR(GetF64(arc, kArcCentre + 8), expected[i][1], 1e-5);
        EXPECT_NEAR(GetF64(arc, kArcRadius), 6, 1e-9);
        EXPECT_NEAR(GetF64(arc, kArcStart), kHalfTurn / 2, 1e-6);
        EXPECT_NEAR(GetF64(arc, kArcSweep), kHalfTurn, 1e-6);
        EXPECT_TRUE(arcs[i]->selected());
        EXPECT_NE(arcs[i]->flags & Node::kNewTag, 0u);
    }
}

TEST_F(TextExplode, JustifiedTrueTypeTextsMoveBackByTheirLength) {
    const double angle = 0.3f;  // as the text stores it
    Node* left = AddText(50, 20, 10, angle, 0, 1, "A B");
    const double length = LenText2(left->record());
    ASSERT_GT(length, 0);
    Explode();
    const std::vector<double> base = OutlinePoints();
    ASSERT_FALSE(base.empty());
    for (int justification : {1, 2}) {
        SCOPED_TRACE(justification);
        qlhost::TheDrawing().Reset();
        AddText(50, 20, 10, angle, justification, 1, "A B");
        Explode();
        const std::vector<double> moved = OutlinePoints();
        ASSERT_EQ(moved.size(), base.size());
        const double back = justification == 1 ? length / 2 : length;
        for (size_t i = 0; i < base.size(); i += 2) {
            EXPECT_NEAR(moved[i], base[i] - back * std::cos(angle), 1e-9);
            EXPECT_NEAR(moved[i + 1], base[i + 1] - back * std::sin(angle), 1e-9);
        }
    }
}

TEST_F(TextExplode, TrueTypeFontAndDeviceContextAreReleased) {
    const size_t objects = qlhost::LiveGdiObjects(), dcs = qlhost::LiveDCs();
    AddText(0, 0, 10, 0, 0, 2, "Ab");
    AddText(0, 20, 10, 0, 0, 3, "c");
    Explode();
    EXPECT_EQ(qlhost::LiveGdiObjects(), objects);
    EXPECT_EQ(qlhost::LiveDCs(), dcs);
    std::vector<Node*> groups = Entities(Work());
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(Entities(*groups[0]->children).size(), 2u);
    for (Node* glyph : Entities(*groups[0]->children)) {
        EXPECT_EQ(glyph->type(), ET_FILLED);
        EXPECT_EQ(GetU16(glyph->record(), kRecFillStyle), 1);
    }
}

TEST_F(TextExplode, EntitiesThatStayAreRedrawnUnlessTheirFontIsUnknown) {
    Node* line = AddSelected(qlhost::MakeLine(0, 0, 1, 1));
    Node* other = AddText(0, 10, 5, 0, 0, 4, "Plotter");
    Node* unknown = AddText(0, 20, 5, 0, 0, 77, "None");
    Node* marker = AddSelected(qlhost::MakeMarker(1));
    Node* stroke = AddText(0, 30, 5, 0, 0, 0, "H");
    for (Node* node : {line, other, unknown, marker, stroke}) EMark(node->record());
    qlhost::ResetScreenCounters();
    Explode();
    const std::vector<uint32_t>& lit = qlhost::HighlightedIds();
    EXPECT_EQ(std::vector<uint32_t>(lit.begin(), lit.end()), (std::vector<uint32_t>{unknown->id, marker->id}));
    EXPECT_EQ(qlhost::Screen().erases, 1);
    EXPECT_EQ(qlhost::Screen().showChanges, 1);
    EXPECT_EQ(Text(other), "Plotter");
    EXPECT_EQ(Text(unknown), "None");
}

TEST_F(TextExplode, ACancelledSelectionChangesNothing) {
    Node* text = AddText(0, 0, 5, 0, 0, 1, "A");
    ASSERT_TRUE(qlhost::StartCommand("QLTEXTEXPL"));
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
    EXPECT_FALSE(qlhost::CommandRunning());
    ASSERT_EQ(Entities(Work()).size(), 1u);
    EXPECT_EQ(Work().head, text);
}

TEST_F(TextExplode, GlyphOutlinesThatDoNotComeBackAreClosed) {
    const qlhost::Record textRecord = qlhost::MakeText(0, 0, 10, 0, 0, 1, "x");
    RecordBuffer text(textRecord.data(), static_cast<uint32_t>(textRecord.size()));
    PutU16(text.data(), kRecLayer, 3);
    PutU16(text.data(), kRecFillStyle, 4);
    const RecordBuffer groupRecord = BuildGroup();
    EntRec* group = AddEntity(GetWorkDL(), groupRecord.data());
    DList* members = OpenSubList(GetWorkDL(), group);
    ASSERT_NE(members, nullptr);

    OutlinePolygon open;
    open.start[0] = 0;
    open.start[1] = 0;
    open.curves.push_back({false, {4, 0}});
    open.curves.push_back({true, {6, 2, 4, 4}});
    OutlinePolygon closed;
    closed.start[0] = 1;
    closed.start[1] = 1;
    closed.curves.push_back({false, {2, 1, 2, 2, 1, 1}});
    const double pen[2] = {10, 0};
    HostMatrix matrix;
    CTMPSH();
    CTMI2();
    CTMS2(2, 2);
    STCTM(matrix);
    CTMPOP();
    AddGlyphContainer(members, text, {open, closed}, pen, matrix);

    std::vector<Node*> glyphs = Entities(*qlhost::NodeOf(group)->children);
    ASSERT_EQ(glyphs.size(), 1u);
    EXPECT_EQ(GetU16(glyphs[0]->record(), kRecFillStyle), 1);
    std::vector<Node*> parts = Entities(*glyphs[0]->children);
    ASSERT_EQ(parts.size(), 4u);
    // The line from the start, the spline from the line's end, then the closing part from
    // the first point to the last, already in drawing units.
    const EntRec* line = parts[0]->record();
    EXPECT_EQ(parts[0]->type(), ET_PATH);
    EXPECT_EQ(GetU16(line, kPolyCount), 2);
    EXPECT_EQ(GetF64(line, PolyVertex(0)), 20);
    EXPECT_EQ(GetF64(line, PolyVertex(1)), 28);
    const EntRec* spline = parts[1]->record();
    EXPECT_EQ(parts[1]->type(), ET_CURVE);
    EXPECT_EQ(GetU8(spline, 32), 1);
    EXPECT_EQ(GetU8(spline, 33), 8);
    EXPECT_EQ(GetF64(spline, 42), 2);
    EXPECT_EQ(GetU16(spline, 50), 3);
    EXPECT_EQ(GetF64(spline, 52), 28);       // the current point
    EXPECT_EQ(GetF64(spline, 52 + 40), 8);   // the last point's y
    const EntRec* closing = parts[2]->record();
    EXPECT_EQ(GetU16(closing, kPolyCount), 2);
    EXPECT_EQ(GetF64(closing, PolyVertex(0)), 20);
    EXPECT_EQ(GetF64(closing, PolyVertex(0) + 8), 0);
    EXPECT_EQ(GetF64(closing, PolyVertex(1)), 28);
    EXPECT_EQ(GetF64(closing, PolyVertex(1) + 8), 8);
    // The closed polygon gets no closing part.
    EXPECT_EQ(GetU16(parts[3]->record(), kPolyCount), 4);
    for (Node* part : parts) {
        EXPECT_EQ(RecordLayer(part->record()), 3);
        EXPECT_EQ(GetU16(part->record(), kRecFillStyle), 4);
    }
}

TEST_F(TextExplode, TheFontFollowsTheStyleFlagsAndTheFaceName) {
    qlhost::Record record = qlhost::MakeText(0, 0, 10, 0, 0, 1, "x");
    PutU8(record.data(), kTextFlags, kTextBold | kTextUnderline);
    const RecordBuffer text(record.data(), static_cast<uint32_t>(record.size()));
    ExplodeFont font;
    ASSERT_TRUE(OpenExplodeFont(text, "A face name that is longer than thirty-one characters", font));
    const auto* logical = static_cast<qlhost::GdiFont*>(qlhost::GdiObjectOf(font.font));
    ASSERT_NE(logical, nullptr);
    const LOGFONTA& lf = logical->logFont;
    EXPECT_EQ(lf.lfHeight, 360);
    EXPECT_EQ(lf.lfWidth, 140);
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_EQ(lf.lfItalic, 0);
    EXPECT_EQ(lf.lfUnderline, 1);
    EXPECT_EQ(lf.lfStrikeOut, 0);
    EXPECT_EQ(lf.lfOutPrecision, 7);
    EXPECT_EQ(lf.lfPitchAndFamily, 0x22);
    EXPECT_EQ(logical->FaceName(), "A face name that is longer than");
    EXPECT_EQ(qlhost::DCOf(font.dc)->font, logical);
    const HGDIOBJ handle = font.font;
    CloseExplodeFont(font);
    EXPECT_EQ(qlhost::GdiObjectOf(handle), nullptr);

    PutU8(record.data(), kTextFlags, kTextItalic | kTextStrikeOut);
    const RecordBuffer italic(record.data(), static_cast<uint32_t>(record.size()));
    ASSERT_TRUE(OpenExplodeFont(italic, "DejaVu Serif", font));
    const LOGFONTA& lf2 = static_cast<qlhost::GdiFont*>(qlhost::GdiObjectOf(font.font))->logFont;
    EXPECT_EQ(lf2.lfWeight, 400);
    EXPECT_EQ(lf2.lfItalic, 1);
    EXPECT_EQ(lf2.lfStrikeOut, 1);
    CloseExplodeFont(font);
}

}  // namespace
