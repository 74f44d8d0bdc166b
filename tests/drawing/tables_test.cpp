// Settings tables: packed forms, default content, attribute and style calls.
#include "host/drawing/tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "host/drawing/drawing.h"
#include "tests/drawing/drawing_test_util.h"

using namespace qlhost;

namespace {

template <typename T>
T At(const unsigned char* p, size_t offset) {
    T v;
    std::memcpy(&v, p + offset, sizeof v);
    return v;
}

class DrawingTables : public ::testing::Test {
protected:
    void SetUp() override { TheDrawing().Reset(); }
    void TearDown() override { TheDrawing().Reset(); }
    DList* work = GetWorkDL();

    // Walks a table the way the plug-in does: entries from first, 0 ends.
    static std::vector<const unsigned char*> Entries(const unsigned char* table, size_t first) {
        std::vector<const unsigned char*> entries;
        for (const unsigned char* e = table + first; At<uint32_t>(e, 0) != 0;
             e += At<uint32_t>(e, 0))
            entries.push_back(e);
        return entries;
    }
    static std::string Name(const unsigned char* entry, size_t offset) {
        return reinterpret_cast<const char*>(entry + offset);
    }
};

}  // namespace

TEST_F(DrawingTables, EveryTableHasTheCommonForm) {
    for (int kind : {4, 5, 7, 8, 9, 10}) {
        const unsigned char* table = GetTemplate(work, kind);
        ASSERT_NE(table, nullptr) << kind;
        const size_t first = kind == 7 ? 19 : 15;
        auto entries = Entries(table, first);
        ASSERT_FALSE(entries.empty()) << kind;
        const uint16_t current = At<uint16_t>(table, 9);
        const uint32_t offset = At<uint32_t>(table, 11);
        // The current offset points at the entry of the current number.
        EXPECT_EQ(At<uint16_t>(table + offset, 4), current) << kind;
        bool found = false;
        for (auto* e : entries) found |= (e == table + offset);
        EXPECT_TRUE(found) << kind;
        // The terminator ends the blob.
        const unsigned char* end = entries.back() + At<uint32_t>(entries.back(), 0);
        EXPECT_EQ(At<uint32_t>(end, 0), 0u);
        EXPECT_EQ(static_cast<size_t>(end + 4 - table),
                  TableOfKind(TheDrawing().tables, kind)->size());
    }
    EXPECT_EQ(GetTemplate(work, 3), nullptr);
    EXPECT_EQ(GetTemplate(work, 11), nullptr);
    unsigned char* attributes = GetTemplate(work, 0);
    ASSERT_NE(attributes, nullptr);
    EXPECT_GE(TheDrawing().tables.attributes.size(), 256u);
    EXPECT_FLOAT_EQ(At<float>(attributes, 201), 2.5f);
}

TEST_F(DrawingTables, DefaultLayers) {
    const unsigned char* table = GetTemplate(work, 4);
    std::vector<std::string> names;
    for (auto* e : Entries(table, 15)) {
        EXPECT_EQ(At<uint16_t>(e, 4), names.size());
        EXPECT_EQ(At<uint32_t>(e, 8), 0u);
        names.push_back(Name(e, 12));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"0", "Walls", "Doors", "Furniture", "Text",
                                               "Dimensions", "Hatch"}));
    EXPECT_EQ(At<uint16_t>(GetCurLayer(), 4), 0);
}

TEST_F(DrawingTables, LayerCalls) {
    SetCurLayer(3);
    unsigned char* current = GetCurLayer();
    EXPECT_EQ(At<uint16_t>(current, 4), 3);
    EXPECT_EQ(Name(current, 12), "Furniture");
    EXPECT_EQ(At<uint16_t>(GetTemplate(work, 4), 9), 3);
    SetCurLayer(99);  // no such layer: unchanged
    EXPECT_EQ(At<uint16_t>(GetCurLayer(), 4), 3);
    EXPECT_EQ(FindLayerID(99), nullptr);
    unsigned char* doors = FindLayerID(2);
    ASSERT_NE(doors, nullptr);
    EXPECT_EQ(AskLayerFrozen(2), 0);
    const uint32_t frozen = kLayerFrozen;
    std::memcpy(doors + 8, &frozen, 4);
    EXPECT_EQ(AskLayerFrozen(2), 1);
    EXPECT_EQ(AskLayerFrozen(99), 0);
    EXPECT_EQ(AddLayer(TheDrawing().tables, "walls", 0), 1);
    EXPECT_EQ(AddLayer(TheDrawing().tables, "Site", kLayerHidden), 7);
    EXPECT_EQ(LayerFlags(TheDrawing().tables, 7), kLayerHidden);
    EXPECT_EQ(LayerName(TheDrawing().tables, 7), "Site");
    EXPECT_EQ(Name(GetCurLayer(), 12), "Furniture");
}

TEST_F(DrawingTables, FillStylesAndPatternData) {
    unsigned char* none = FindFStyleID(0);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(Name(none, 9), "None");
    EXPECT_EQ(FindFStyleID(1)[6], kFillSolid);
    for (const char* name : {".25 Right Diagonal", ".25 Left Diagonal", ".25 Cross", "Brick",
                             "Dashed Horizontal", "Insulation"}) {
        unsigned char* style = FindFStyleName(name);
        ASSERT_NE(style, nullptr) << name;
        EXPECT_EQ(style[6], kFillPattern) << name;
        const unsigned char* data = style + style[7];
        EXPECT_GT(At<double>(data, 0), 0.0) << name;
        const int families = At<int32_t>(data, 8);
        EXPECT_GT(families, 0) << name;
        EXPECT_GT(At<float>(data, 12), 0.0f) << name;
        size_t at = 16;
        for (int f = 0; f < families; ++f) {
            const int dashes = At<int32_t>(data, at + 20);
            EXPECT_GT(At<float>(data, at + 16), 0.0f) << name;  // spacing
            float cycle = 0;
            for (int d = 0; d < dashes; ++d) cycle += std::fabs(At<float>(data, at + 24 + 4 * d));
            EXPECT_FLOAT_EQ(At<float>(data, at + 12), cycle) << name;
            at += 24 + 4 * dashes;
        }
        // The pattern data stays inside the entry.
        EXPECT_LE(style[7] + at, At<uint32_t>(style, 0)) << name;
    }
    unsigned char* right = FindFStyleName(".25 right diagonal");
    ASSERT_NE(right, nullptr);
    const unsigned char* data = right + right[7];
    EXPECT_NEAR(At<float>(data, 16), 0.7853982f, 1e-6);
    EXPECT_FLOAT_EQ(At<float>(data, 32), 0.25f);
    EXPECT_EQ(FindFStyleName("No Such Pattern"), nullptr);
    EXPECT_EQ(FindFStyleName(nullptr), nullptr);
}

TEST_F(DrawingTables, LineStylesAndFonts) {
    const unsigned char* table = GetTemplate(work, 7);
    std::vector<std::string> names;
    for (auto* e : Entries(table, 19)) names.push_back(Name(e, 9));
    EXPECT_EQ(names, (std::vector<std::string>{"Solid", "Dashed", "Dotted", "Center", "Hidden"}));
    unsigned char* solid = FindLStyleName("Solid");
    ASSERT_NE(solid, nullptr);
    EXPECT_EQ(At<uint16_t>(solid, 4), 0);
    EXPECT_EQ(At<uint16_t>(FindLStyleName("HIDDEN"), 4), 4);
    EXPECT_EQ(FindLStyleName("Phantom"), nullptr);

    std::vector<std::pair<std::string, int>> fonts;
    for (auto* e : Entries(GetTemplate(work, 8), 15)) fonts.emplace_back(Name(e, 16), e[6]);
    EXPECT_EQ(fonts, (std::vector<std::pair<std::string, int>>{{"Simplex", 0},
                                                               {"DejaVu Sans", 1},
                                                               {"DejaVu Serif", 1},
                                                               {"DejaVu Sans Mono", 1},
                                                               {"Plotter", 2}}));
}

TEST_F(DrawingTables, TextAndDimensionStyles) {
    const unsigned char* text = GetTemplate(work, 10);
    const unsigned char* block = text + At<uint32_t>(text, 11) + 4;
    EXPECT_EQ(At<uint16_t>(block, 0), At<uint16_t>(text, 9));
    EXPECT_FLOAT_EQ(At<float>(block, 2), 2.5f);
    EXPECT_FLOAT_EQ(At<float>(block, 6), 1.0f);  // width factor
    EXPECT_EQ(At<uint16_t>(block, 18), 1);       // font, text record byte 99
    EXPECT_FLOAT_EQ(CurrentTextHeight(TheDrawing().tables), 2.5f);

    const unsigned char* dims = GetTemplate(work, 9);
    const unsigned char* style = dims + At<uint32_t>(dims, 11) + 4;
    EXPECT_EQ(At<uint16_t>(style, 0), At<uint16_t>(dims, 9));
    EXPECT_FLOAT_EQ(At<float>(style, 4 * 10), 2.5f);
    EXPECT_FLOAT_EQ(At<float>(style, 4 * 7), 2.5f);
    EXPECT_FLOAT_EQ(At<float>(style, 4 * 8), 1.0f);
    EXPECT_FLOAT_EQ(At<float>(style, 4 * 5), 5.0f);
    EXPECT_GE(At<uint32_t>(dims + At<uint32_t>(dims, 11), 0), 4u + 116u);
}

// Taking over a text's settings points the table at its first entry (number 0 at byte 9,
// offset 15 at byte 11) and writes the text's style block there with style number 0; the
// named styles keep their numbers and settings.
TEST_F(DrawingTables, TakingOverATextsSettingsLeavesTheNamedTextStyles) {
    unsigned char* text = GetTemplate(work, 10);
    ASSERT_NE(text, nullptr);
    const uint16_t zero = 0;
    const uint32_t first = 15;
    std::memcpy(text + 9, &zero, 2);
    std::memcpy(text + 11, &first, 4);
    unsigned char block[23] = {};
    const float height = 7.5f;
    std::memcpy(block + 2, &height, 4);
    std::memcpy(text + first + 4, block, sizeof block);

    EXPECT_FLOAT_EQ(CurrentTextHeight(TheDrawing().tables), 7.5f);
    std::vector<std::pair<int, std::string>> named;
    for (auto* e : Entries(text, 15))
        if (At<uint16_t>(e, 4) != 0) named.emplace_back(At<uint16_t>(e, 4), Name(e, 4 + 23));
    EXPECT_EQ(named, (std::vector<std::pair<int, std::string>>{{1, "Standard"}, {2, "Title"}, {3, "Notes"}}));
    ASSERT_TRUE(SetCurrentEntry(TheDrawing().tables.textStyles, kTableEntries, 1));
    EXPECT_FLOAT_EQ(CurrentTextHeight(TheDrawing().tables), 2.5f);
}

TEST_F(DrawingTables, CurrentAttributesGoIntoTheHeader) {
    unsigned char* attributes = GetTemplate(work, 0);
    const int32_t color = 5, fill = 3, param = 0x1234;
    std::memcpy(attributes + 8, &color, 4);
    std::memcpy(attributes + 117, &fill, 4);
    std::memcpy(attributes + 121, &param, 4);
    attributes[116] = 2;
    SetCurLayer(4);
    SetCurLStyle(1);
    SetCurFStyle(2);
    SetCurFStyle(500);  // no such style: unchanged

    drawing_test::Bytes record = drawing_test::Line(0, 0, 1, 1);
    std::memset(record.data() + 5, 0xee, 27);
    SetCStuff(record.data());
    EXPECT_EQ(record[5], 2);
    EXPECT_EQ(At<int32_t>(record.data(), 6), 5);
    EXPECT_EQ(At<int32_t>(record.data(), 10), 3);
    EXPECT_EQ(At<uint16_t>(record.data(), 14), 2);
    EXPECT_EQ(At<uint16_t>(record.data(), 16), 1);
    EXPECT_EQ(At<uint16_t>(record.data(), 20), 4);
    EXPECT_EQ(At<int32_t>(record.data(), 22), 0x1234);
    EXPECT_EQ(record[26], 0xee);  // host bytes are left alone
    EXPECT_EQ(GetCurColor(), 5);

    drawing_test::Bytes other = drawing_test::Line(0, 0, 1, 1);
    CopyCStuff(record.data(), other.data());
    EXPECT_EQ(0, std::memcmp(other.data() + 5, record.data() + 5, 27));
    EXPECT_EQ(other[4], 2);
    EXPECT_EQ(At<uint32_t>(other.data(), 0), 64u);
}

TEST_F(DrawingTables, Colours) {
    EXPECT_EQ(LookupColor(1), 0x000000FFu);
    EXPECT_EQ(LookupColor(GetBkgndColor(0)), 0x00FFFFFFu);
    EXPECT_EQ(LookupColor(-1), 0u);
    EXPECT_EQ(LookupColor(1000), 0u);
}

TEST_F(DrawingTables, DamagedTablesAreReadSafely) {
    Table& layers = TheDrawing().tables.layers;
    // First entry length 0: no entries at all; a layer not listed is not hidden.
    std::memset(layers.data() + 15, 0, 4);
    EXPECT_TRUE(TableEntries(layers, 15).empty());
    EXPECT_EQ(FindLayerID(0), nullptr);
    EXPECT_EQ(LayerFlags(TheDrawing().tables, 0), 0u);
    // An entry running past the end stops the walk.
    const uint32_t huge = 1u << 30;
    std::memcpy(layers.data() + 15, &huge, 4);
    EXPECT_TRUE(TableEntries(layers, 15).empty());
    EXPECT_EQ(GetCurLayer(), nullptr);
    EXPECT_EQ(CurrentLayer(TheDrawing().tables), 0);
}
