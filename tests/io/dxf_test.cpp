// DXF export and import: geometry comes back within 1e-9 with its layers, blocks become
// symbol references again, and hand-written DXF (bulges, nested blocks, MTEXT) imports.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "host/drawing/layouts.h"
#include "host/drawing/tables.h"
#include "host/geometry/geometry.h"
#include "host/io/drawing_io.h"
#include "host/io/dxf_scan.h"
#include "host/io/json_entities.h"
#include "tests/io/io_test_util.h"
#include "tests/support/temp_path.h"

namespace qlhost {
namespace {

namespace L = layout;
using iotest::Add;
using iotest::AddOnLayer;
using iotest::FreshDrawing;

constexpr double kTolerance = 1e-9;

// Compares the JSON forms of two entities: numbers within the tolerance, everything else
// equal. Describes the first difference.
std::string Close(const io::Json& a, const io::Json& b, const std::string& where) {
    if (a.is_number() && b.is_number()) {
        double x = a.get<double>(), y = b.get<double>();
        return std::fabs(x - y) <= kTolerance * std::max(1.0, std::fabs(x)) ? "" : where + ": " + a.dump() + " vs " + b.dump();
    }
    if (a.type() != b.type() || a.size() != b.size()) return where + ": " + a.dump() + " vs " + b.dump();
    if (a.is_object()) {
        for (auto it = a.begin(); it != a.end(); ++it) {
            if (!b.contains(it.key())) return where + ": no " + it.key() + " in " + b.dump();
            std::string diff = Close(*it, b[it.key()], where + "." + it.key());
            if (!diff.empty()) return diff;
        }
        return "";
    }
    if (a.is_array()) {
        for (size_t i = 0; i < a.size(); ++i) {
            std::string diff = Close(a[i], b[i], where + "[" + std::to_string(i) + "]");
            if (!diff.empty()) return diff;
        }
        return "";
    }
    return a == b ? "" : where + ": " + a.dump() + " vs " + b.dump();
}

using ql_test::TempPath;

// A DXF file written by hand, one group code and value per line pair.
void WriteDxf(const std::string& path, const std::vector<std::pair<int, std::string>>& pairs) {
    std::ofstream out(path);
    for (const auto& [code, value] : pairs) out << code << "\n" << value << "\n";
}

TEST(Dxf, ExportThenImportKeepsGeometryAndLayers) {
    Drawing& drawing = FreshDrawing();
    HostList& work = *drawing.work;
    uint16_t walls = static_cast<uint16_t>(AddLayer(drawing.tables, "Walls", 0));
    uint16_t hidden = static_cast<uint16_t>(AddLayer(drawing.tables, "Old walls", kLayerHidden));
    uint16_t frozen = static_cast<uint16_t>(AddLayer(drawing.tables, "Frozen notes", kLayerFrozen));
    TextStyle style;
    style.height = 0.35;
    style.angle = 0.3;
    style.justification = 4;
    style.widthFactor = 0.8;
    AddOnLayer(work, MakeLine(0.1, 0.2, 10.123456789, -3.5), walls);
    AddOnLayer(work, MakePath({{0, 0}, {1, 0}, {1, 1.0 / 3}}, false), walls);
    AddOnLayer(work, MakeBox(2, 2, 5, 4), hidden);
    AddOnLayer(work, MakeCircle(3, 4, 1.25), walls);
    AddOnLayer(work, MakeArc(1, 1, 2, 0.5, 4.5), walls);
    AddOnLayer(work, MakeEllipse(0, 0, 3, 1, 0.5), walls);
    AddOnLayer(work, MakeEllipseArc(1, 1, 0, 2, 0.25, 1, 2), walls);
    AddOnLayer(work, MakeText(5, 6, style, "Kitchen"), frozen);
    TextStyle block = style;
    block.widthFactor = 1;  // MTEXT has no width factor
    AddOnLayer(work, MakeText(5, 8, block, "two\rlines"), frozen);
    AddOnLayer(work, MakePoint(-1, -2), walls);
    AddOnLayer(work, MakeText(0, 9, 1, 0, 0, 1, "\xc3\x98 20 \xc2\xb1 0.1 \xe2\x86\x92 45\xc2\xb0"), walls);
    Record darkBlue = MakeCircle(0, 0, 3);
    uint32_t shade = 14;
    std::memcpy(darkBlue.data() + kHdrColor, &shade, 4);
    AddOnLayer(work, darkBlue, walls);
    Record line = MakeLine(0, 0, 1, 0);
    uint16_t dashed = 1;
    std::memcpy(line.data() + L::kLineStyle, &dashed, 2);
    uint32_t red = 1;
    std::memcpy(line.data() + kHdrColor, &red, 4);
    AddOnLayer(work, line, walls);
    uint32_t def = RegisterSymbolDefinition(1, 2, "Chair");
    double matrix[12] = {0, -2, 0, 10, 2, 0, 0, 20, 0, 0, 1, 0};
    Node* ref = AddOnLayer(work, MakeSymbolRef(def, matrix, "Chair"), walls);
    Add(*work.Children(ref), MakeCircle(1, 2, 0.5));
    Add(*work.Children(ref), MakeLine(0, 0, 2, 4));

    std::string path = TempPath("roundtrip.dxf"), error;
    ASSERT_TRUE(SaveDrawingFile(path, work, error)) << error;
    HostList& back = *drawing.CreateTemporary("~dxf.cv7", 0);
    ASSERT_TRUE(LoadDrawingFile(path, back, error)) << error;

    ASSERT_EQ(back.count, work.count);
    const Node* b = back.head;
    for (const Node* a = work.head; a; a = a->next, b = b->next) {
        io::Json ja = io::EncodeEntity(*a), jb = io::EncodeEntity(*b);
        ja.erase("handle");  // the import registers its own definition
        jb.erase("handle");
        EXPECT_EQ(Close(ja, jb, "entity"), "");
    }
    EXPECT_EQ(LayerFlags(drawing.tables, hidden), kLayerHidden);
    EXPECT_EQ(LayerFlags(drawing.tables, frozen), kLayerFrozen);
}

TEST(Dxf, TextCodesAndEscapes) {
    Drawing& drawing = FreshDrawing();
    std::string path = TempPath("codes.dxf"), error;
    WriteDxf(path, {{0, "SECTION"}, {2, "ENTITIES"},
                    {0, "TEXT"}, {8, "0"}, {10, "0"}, {20, "0"}, {30, "0"}, {40, "1"}, {1, "45%%d %%p1 %%c8 \\U+00e9"},
                    {0, "ENDSEC"}, {0, "EOF"}});
    ASSERT_TRUE(ImportDxf(path, *drawing.work, error)) << error;
    ASSERT_EQ(drawing.work->count, 1u);
    EXPECT_STREQ(reinterpret_cast<const char*>(drawing.work->head->record() + L::kTextString),
                 "45\xc2\xb0 \xc2\xb1" "1 \xe2\x8c\x80" "8 \xc3\xa9");
}

// A group is written as an insert of an anonymous block of its members (other programs show
// the members) and comes back as the group.
TEST(Dxf, GroupsComeBackAsGroups) {
    Drawing& drawing = FreshDrawing();
    Node* group = Add(*drawing.work, MakeGroup());
    Add(*drawing.work->Children(group), MakeLine(0, 0, 1, 1));
    Add(*drawing.work->Children(group), MakeCircle(0, 0, 1));
    std::string path = TempPath("group.dxf"), error;
    ASSERT_TRUE(ExportDxf(path, *drawing.work, error)) << error;
    HostList& back = *drawing.CreateTemporary("~group.cv7", 0);
    ASSERT_TRUE(ImportDxf(path, back, error)) << error;
    ASSERT_EQ(back.count, 1u);
    ASSERT_EQ(back.head->type(), L::kGroup);
    ASSERT_NE(back.head->children, nullptr);
    EXPECT_EQ(back.head->children->count, 2u);
    EXPECT_EQ(back.head->children->head->type(), L::kLine);
    EXPECT_EQ(back.head->children->tail->type(), L::kCircle);
}

TEST(Dxf, NamesOfLayersSurviveIntoAFreshDrawing) {
    Drawing& drawing = FreshDrawing();
    uint16_t layer = static_cast<uint16_t>(AddLayer(drawing.tables, "Site plan", 0));
    AddOnLayer(*drawing.work, MakeLine(0, 0, 1, 1), layer);
    std::string path = TempPath("names.dxf"), error;
    ASSERT_TRUE(ExportDxf(path, *drawing.work, error)) << error;
    FreshDrawing();
    ASSERT_TRUE(ImportDxf(path, *TheDrawing().work, error)) << error;
    ASSERT_EQ(TheDrawing().work->count, 1u);
    const Node* node = TheDrawing().work->head;
    EXPECT_EQ(LayerName(TheDrawing().tables, L::Get<uint16_t>(node->record(), node->length(), L::kLayer)), "Site plan");
}

std::vector<std::pair<int, std::string>> HandWritten() {
    return {
        {0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"},
        {0, "LAYER"}, {2, "Furniture"}, {70, "0"}, {62, "8"}, {6, "CONTINUOUS"},
        {0, "ENDTAB"}, {0, "ENDSEC"},
        {0, "SECTION"}, {2, "BLOCKS"},
        {0, "BLOCK"}, {8, "0"}, {2, "Leg"}, {70, "0"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"},
        {0, "CIRCLE"}, {8, "0"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {40, "0.1"},
        {0, "ENDBLK"},
        {0, "BLOCK"}, {8, "0"}, {2, "Table"}, {70, "0"}, {10, "1.0"}, {20, "1.0"}, {30, "0.0"},
        {0, "LINE"}, {8, "0"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {11, "2.0"}, {21, "0.0"}, {31, "0.0"},
        {0, "INSERT"}, {8, "0"}, {2, "Leg"}, {10, "2.0"}, {20, "2.0"}, {30, "0.0"},
        {0, "ENDBLK"},
        {0, "ENDSEC"},
        {0, "SECTION"}, {2, "ENTITIES"},
        {0, "INSERT"}, {8, "Furniture"}, {2, "Table"}, {10, "10.0"}, {20, "20.0"}, {30, "0.0"}, {50, "90.0"},
        {0, "LWPOLYLINE"}, {8, "Furniture"}, {90, "2"}, {70, "0"}, {10, "0.0"}, {20, "0.0"}, {42, "1.0"},
        {10, "2.0"}, {20, "0.0"},
        {0, "MTEXT"}, {8, "Notes"}, {10, "1.0"}, {20, "2.0"}, {30, "0.0"}, {40, "0.5"}, {71, "7"},
        {1, "{\\fArial|b1;First}\\PSecond"},
        {0, "HATCH"}, {8, "Furniture"}, {2, "SOLID"}, {70, "1"}, {91, "0"},
        {0, "TEXT"}, {8, "Notes"}, {10, "3.0"}, {20, "4.0"}, {30, "0.0"}, {40, "0.25"}, {1, "Plain"},
        {0, "ENDSEC"}, {0, "EOF"},
    };
}

TEST(Dxf, BlocksBecomeSymbolReferencesWithMembers) {
    Drawing& drawing = FreshDrawing();
    std::string path = TempPath("hand.dxf"), error;
    WriteDxf(path, HandWritten());
    ASSERT_TRUE(ImportDxf(path, *drawing.work, error)) << error;
    ASSERT_EQ(drawing.work->count, 4u) << DumpList(*drawing.work);
    const Node* table = drawing.work->head;
    ASSERT_EQ(table->type(), L::kSymbolRef);
    ASSERT_NE(table->children, nullptr);
    ASSERT_EQ(table->children->count, 2u);
    const Node* leg = table->children->tail;
    ASSERT_EQ(leg->type(), L::kSymbolRef);
    ASSERT_NE(leg->children, nullptr);

    // The leg's circle, through both references: block point (2, 2) of Table, whose base is
    // (1, 1), turned 90 degrees about the insertion point (10, 20).
    Matrix world = Then(SymbolToWorld(leg->record()), SymbolToWorld(table->record()));
    Pt centre = world.Apply({0, 0});
    EXPECT_NEAR(centre.x, 9, kTolerance);
    EXPECT_NEAR(centre.y, 21, kTolerance);

    const Node* arc = table->next;
    ASSERT_EQ(arc->type(), L::kPath);
    EXPECT_GT(L::Get<uint16_t>(arc->record(), arc->length(), L::kPolyCount), 3);  // the bulge, flattened
    const Node* mtext = arc->next;
    ASSERT_EQ(mtext->type(), L::kText);
    EXPECT_STREQ(reinterpret_cast<const char*>(mtext->record() + L::kTextString), "First\rSecond");
    EXPECT_EQ(mtext->record()[L::kTextData + L::kDataJustify], 0);
    EXPECT_EQ(LayerName(drawing.tables, L::Get<uint16_t>(mtext->record(), mtext->length(), L::kLayer)), "Notes");
    EXPECT_EQ(mtext->next->type(), L::kText);  // the hatch is skipped
}

// A closed polyline is stored as the host's own commands store a drawn polygon: its first
// point again at the end, so a rectangle is a five-point box and a square has four sides.
TEST(Dxf, ClosedPolylinesEndOnTheirFirstPoint) {
    Drawing& drawing = FreshDrawing();
    std::string path = TempPath("closed.dxf"), error;
    WriteDxf(path, {
        {0, "SECTION"}, {2, "ENTITIES"},
        {0, "LWPOLYLINE"}, {8, "0"}, {90, "4"}, {70, "1"}, {10, "0.0"}, {20, "0.0"}, {10, "4.0"}, {20, "0.0"},
        {10, "4.0"}, {20, "2.0"}, {10, "0.0"}, {20, "2.0"},
        {0, "LWPOLYLINE"}, {8, "0"}, {90, "4"}, {70, "1"}, {10, "0.0"}, {20, "0.0"}, {10, "1.0"}, {20, "0.0"},
        {10, "1.0"}, {20, "1.0"}, {10, "0.0"}, {20, "0.0"},
        {0, "ENDSEC"}, {0, "EOF"},
    });
    ASSERT_TRUE(ImportDxf(path, *drawing.work, error)) << error;
    ASSERT_EQ(drawing.work->count, 2u);
    const Node* box = drawing.work->head;
    ASSERT_EQ(box->type(), L::kPolygon);
    ASSERT_EQ(L::Get<uint16_t>(box->record(), box->length(), L::kPolyCount), 5);
    EXPECT_EQ(box->length(), L::PolyLength(5));
    EXPECT_EQ(L::Get<double>(box->record(), box->length(), L::kPolyPoints + 16 * 4), 0.0);
    EXPECT_EQ(L::Get<double>(box->record(), box->length(), L::kPolyPoints + 16 * 4 + 8), 0.0);
    // Already ending on its first point: nothing is added.
    EXPECT_EQ(L::Get<uint16_t>(box->next->record(), box->next->length(), L::kPolyCount), 4);
}

// Written back out, a closed polyline lists each corner once: the repeated first point the
// import adds (and the host's commands store) is left to the closed flag, so a DXF round
// trip keeps the vertex count. A polygon stored without the repeat is marked so, and comes
// back without it. An open path that returns to its start keeps every point.
TEST(Dxf, ClosedPolylinesAreWrittenWithoutTheRepeatedPoint) {
    Drawing& drawing = FreshDrawing();
    Add(*drawing.work, MakeBox(0, 0, 4, 2));
    Add(*drawing.work, MakePath({{0, 0}, {1, 0}, {1, 1}}, true));
    Add(*drawing.work, MakePath({{0, 0}, {1, 0}, {1, 1}, {0, 0}}, false));
    std::string path = TempPath("closed-out.dxf"), error;
    ASSERT_TRUE(ExportDxf(path, *drawing.work, error)) << error;
    std::ifstream in(path);
    std::vector<std::string> counts;
    for (std::string code, value; std::getline(in, code) && std::getline(in, value);) {
        if (code.find_first_not_of(' ') != std::string::npos && std::stoi(code) == 90)
            counts.push_back(value.substr(value.find_first_not_of(' ')));
    }
    EXPECT_EQ(counts, (std::vector<std::string>{"4", "3", "4"}));

    HostList& back = *drawing.CreateTemporary("~dxf.cv7", 0);
    ASSERT_TRUE(LoadDrawingFile(path, back, error)) << error;
    std::vector<int> points;
    for (const Node* n = back.head; n != nullptr; n = n->next)
        points.push_back(L::Get<uint16_t>(n->record(), n->length(), L::kPolyCount));
    EXPECT_EQ(points, (std::vector<int>{5, 3, 4}));
}

TEST(Dxf, InsertsCanBeExploded) {
    Drawing& drawing = FreshDrawing();
    std::string path = TempPath("explode.dxf"), error;
    WriteDxf(path, HandWritten());
    DxfImportOptions options;
    options.explodeInserts = true;
    ASSERT_TRUE(ImportDxf(path, *drawing.work, error, options)) << error;
    const Node* line = drawing.work->head;
    ASSERT_EQ(line->type(), L::kLine);
    const Node* circle = line->next;
    ASSERT_EQ(circle->type(), L::kCircle);
    EXPECT_NEAR(L::Get<double>(circle->record(), circle->length(), L::kCircleCentre), 9, kTolerance);
    EXPECT_NEAR(L::Get<double>(circle->record(), circle->length(), L::kCircleCentre + 8), 21, kTolerance);
}

TEST(Dxf, UnreadableFilesAreErrors) {
    Drawing& drawing = FreshDrawing();
    std::string error;
    EXPECT_FALSE(LoadDrawingFile(TempPath("absent.dxf"), *drawing.work, error));
    EXPECT_NE(error.find("absent.dxf"), std::string::npos);
    std::string garbage = TempPath("garbage.dxf");
    std::ofstream(garbage) << "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nnot a number\n20\n\n0\nCIRCLE\n40\n";
    LoadDrawingFile(garbage, *drawing.work, error);  // whatever it reads, it must not crash
    EXPECT_FALSE(ExportDxf("/nonexistent-folder/x.dxf", *drawing.work, error));
}

// Files that are not DXF drawings, or hold what cannot be read, are refused with the line,
// and the drawing keeps what it had.
TEST(Dxf, JunkIsRefusedWithTheLine) {
    const std::string entities = "0\nSECTION\n2\nENTITIES\n";
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {"", "x.dxf:1: the file is empty"},
        {"hello/world\n", "x.dxf:1: \"hello/world\" is not a group code"},
        {"\x89PNG\r\n\x1a\n", "x.dxf:1: \"?PNG\" is not a group code"},
        {"0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n", "x.dxf:7: group code 10 without a value"},
        {entities + "0\nLINE\n10\n0\n20\n0\n0\nENDSEC\n", "x.dxf:13: the file ends without EOF"},
        {entities + "0\nLINE\n10\n0\n0\nEOF\n", "x.dxf:9: EOF inside a section"},
        {"0\nLINE\n0\nEOF\n", "x.dxf:1: expected SECTION or EOF"},
        {"0\nSECTION\n0\nEOF\n", "x.dxf:3: a SECTION without its name"},
        {entities + "0\nSECTION\n2\nBLOCKS\n", "x.dxf:5: SECTION inside a section"},
        {entities + "x1\nLINE\n", "x.dxf:5: \"x1\" is not a group code"},
        {entities + "1072\nLINE\n", "x.dxf:5: \"1072\" is not a group code"},
        {entities + "0\nLINE\n10\nhello\n20\n\n0\nENDSEC\n0\nEOF\n", "x.dxf:8: group code 10 needs a finite number, not \"hello\""},
        {entities + "0\nLINE\n10\n1\n20\n\n0\nENDSEC\n0\nEOF\n", "x.dxf:10: group code 20 needs a finite number, not \"\""},
        {entities + "0\nCIRCLE\n40\n1e400\n0\nENDSEC\n0\nEOF\n", "x.dxf:8: group code 40 needs a finite number"},
        {entities + "0\nCIRCLE\n40\nnan\n0\nENDSEC\n0\nEOF\n", "x.dxf:8: group code 40 needs a finite number"},
        {entities + "0\nLINE\n62\n1.5\n0\nENDSEC\n0\nEOF\n", "x.dxf:8: group code 62 needs a whole number"},
        {entities + "0\nLWPOLYLINE\n90\n99999999999999\n0\nENDSEC\n0\nEOF\n", "x.dxf:8: group code 90 needs a whole number in range"},
        {entities + "0\nTEXT\n1\n" + std::string(2000, 'a') + "\n0\nENDSEC\n0\nEOF\n", "x.dxf:8: a line longer than 1023"},
    };
    const std::string path = TempPath("x.dxf");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        std::ofstream(path, std::ios::binary) << c.text;
        Drawing& drawing = FreshDrawing();
        Add(*drawing.work, MakeCircle(1, 2, 3));
        const Table layers = drawing.tables.layers;
        std::string error;
        EXPECT_FALSE(ImportDxf(path, *drawing.work, error));
        EXPECT_EQ(error.rfind(path + ":", 0), 0u) << error;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_EQ(drawing.work->count, 1u);
        EXPECT_TRUE(drawing.tables.layers == layers);
    }
}

// Counts that dxflib allocates for before reading the items are lowered to the items the
// entity holds, so a tiny file cannot ask for gigabytes; the drawing is the same.
TEST(Dxf, CountsAreBoundByWhatFollows) {
    const std::string path = TempPath("counts.dxf");
    std::ofstream(path, std::ios::binary)
        << "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n90\n2000000000\n70\n0\n10\n0\n20\n0\n10\n4\n20\n3\n"
           "0\nSPLINE\n72\n2000000000\n73\n2000000000\n74\n2000000000\n0\nENDSEC\n0\nEOF\n";
    std::string text, error;
    ASSERT_TRUE(io::ScanDxf(path, text, error)) << error;
    EXPECT_NE(text.find("90\n2\n70"), std::string::npos) << text;
    EXPECT_NE(text.find("72\n0\n73\n0\n74\n0\n"), std::string::npos) << text;
    Drawing& drawing = FreshDrawing();
    ASSERT_TRUE(ImportDxf(path, *drawing.work, error)) << error;
    ASSERT_EQ(drawing.work->count, 1u);
    EXPECT_EQ(L::Get<uint16_t>(drawing.work->head->record(), drawing.work->head->length(), L::kPolyCount), 2u);
}

// Layer numbers are 16 bits wide: a file with more layer names than numbers is refused
// instead of wrapping to layer 0 (which made the saved drawing unreadable). Many layers
// still load in linear time: they are looked up by name.
TEST(Dxf, MoreLayersThanNumbersAreRefused) {
    const std::string path = TempPath("layers.dxf");
    for (int count : {65000, 65537}) {
        SCOPED_TRACE(count);
        std::string last = "L";
        last += std::to_string(count - 1);
        {
            std::ofstream out(path, std::ios::binary);
            out << "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n";
            for (int i = 0; i < count; ++i) out << "0\nLAYER\n2\nL" << i << "\n70\n" << (i % 2) << "\n";
            out << "0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n" << last
                << "\n10\n0\n20\n0\n11\n1\n21\n1\n0\nENDSEC\n0\nEOF\n";
        }
        Drawing& drawing = FreshDrawing();
        const Table layers = drawing.tables.layers;
        std::string error;
        const bool loaded = ImportDxf(path, *drawing.work, error);
        if (count > kLayerNumbers) {
            EXPECT_FALSE(loaded);
            EXPECT_NE(error.find("more layers than the drawing can hold"), std::string::npos) << error;
            EXPECT_TRUE(drawing.tables.layers == layers);
            continue;
        }
        ASSERT_TRUE(loaded) << error;
        const Node* line = drawing.work->head;
        const int layer = L::Get<uint16_t>(line->record(), line->length(), L::kLayer);
        EXPECT_EQ(LayerName(drawing.tables, layer), last);
        EXPECT_EQ(LayerFlags(drawing.tables, layer) & kLayerFrozen, kLayerFrozen * ((count - 1) % 2));
    }
}

// Reals are written in the shortest form that reads back exactly, however large or small;
// a value that is not a number refuses the save and keeps the previous file.
TEST(Dxf, RealsComeBackExactlyAndNonNumbersAreRefused) {
    const double values[] = {1e238, -1.7976931348623157e308, 1e-300, 4.9e-324, 0.1, 1.0 / 3, -0.0, 123456789.125};
    const std::string path = TempPath("reals.dxf");
    for (double v : values) {
        SCOPED_TRACE(v);
        Drawing& drawing = FreshDrawing();
        Add(*drawing.work, MakeLine(v, 1, 2, v));
        std::string error;
        ASSERT_TRUE(ExportDxf(path, *drawing.work, error)) << error;
        Drawing& back = FreshDrawing();
        ASSERT_TRUE(ImportDxf(path, *back.work, error)) << error;
        ASSERT_EQ(back.work->count, 1u);
        const Node* line = back.work->head;
        EXPECT_EQ(L::Get<double>(line->record(), line->length(), L::kLineStart), v);
        EXPECT_EQ(L::Get<double>(line->record(), line->length(), L::kLineEnd + 8), v);
    }
    std::ofstream(path, std::ios::binary) << "previous";
    Drawing& drawing = FreshDrawing();
    Add(*drawing.work, MakeCircle(0, 0, std::nan("")));
    std::string error;
    EXPECT_FALSE(ExportDxf(path, *drawing.work, error));
    EXPECT_NE(error.find("group code 40 is not a finite number"), std::string::npos) << error;
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "previous");
}

}  // namespace
}  // namespace qlhost
