// Default content of the settings tables of a new drawing.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "host/drawing/tables.h"

namespace qlhost {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kDeg = static_cast<float>(kPi / 180.0);

using Bytes = std::vector<unsigned char>;

template <typename T>
void Put(Bytes& bytes, T value) {
    unsigned char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    for (unsigned char byte : raw) bytes.push_back(byte);
}

void PutText(Bytes& bytes, const std::string& text) {
    for (char c : text) bytes.push_back(static_cast<unsigned char>(c));
    bytes.push_back(0);
}

void PadTo(Bytes& bytes, size_t size) {
    while (bytes.size() < size) bytes.push_back(0);
}

// A table with its header and no entries yet: u32 table size at 0, u8 kind at 4.
Table NewTable(int kind, size_t first) {
    Table table(first + 4, 0);  // header, then the terminator
    table[4] = static_cast<unsigned char>(kind);
    const uint32_t size = static_cast<uint32_t>(table.size());
    std::memcpy(table.data(), &size, sizeof size);
    return table;
}

// Entry data as it follows the 32-bit entry length: the data starts at entry byte 4.
struct Entry {
    Bytes data;
    explicit Entry(int number) { Put<uint16_t>(data, static_cast<uint16_t>(number)); }
    // Pads so the next field lands at the given entry offset.
    Entry& At(size_t entryOffset) {
        PadTo(data, entryOffset - 4);
        return *this;
    }
    size_t Offset() const { return data.size() + 4; }
};

// ---------------------------------------------------------------------------------------
// Layers

Table BuildLayers() {
    Table table = NewTable(TPL_LAYERS, kTableEntries);
    const char* names[] = {"0", "Walls", "Doors", "Furniture", "Text", "Dimensions", "Hatch"};
    int number = 0;
    for (const char* name : names) {
        Entry entry(number++);
        entry.At(kLayerFlags);
        Put<uint32_t>(entry.data, 0);
        PutText(entry.data, name);
        AppendEntry(table, entry.data);
    }
    SetCurrentEntry(table, kTableEntries, 0);
    return table;
}

// ---------------------------------------------------------------------------------------
// Fill styles: hatch patterns of kind 3 carry pattern data at the offset in entry byte 7.

struct Family {
    float angleDegrees;
    double x, y;  // a point the family's lines pass through, in drawing units
    float spacing;
    std::vector<float> dashes;  // > 0 dash, < 0 gap, 0 dot
};

struct Pattern {
    const char* name;
    double preview;
    float scale;
    std::vector<Family> families;
};

const std::vector<Pattern>& Patterns() {
    static const std::vector<Pattern> patterns = {
        {".25 Right Diagonal", 2.0, 1.0f, {{45, 0, 0, 0.25f, {}}}},
        {".25 Left Diagonal", 2.0, 1.0f, {{135, 0, 0, 0.25f, {}}}},
        {".25 Cross", 2.0, 1.0f, {{0, 0, 0, 0.25f, {}}, {90, 0, 0, 0.25f, {}}}},
        {".25 Diagonal Cross", 2.0, 1.0f, {{45, 0, 0, 0.25f, {}}, {135, 0, 0, 0.25f, {}}}},
        {".125 Right Diagonal", 1.0, 1.0f, {{45, 0, 0, 0.125f, {}}}},
        {".25 Horizontal", 2.0, 1.0f, {{0, 0, 0, 0.25f, {}}}},
        {".25 Vertical", 2.0, 1.0f, {{90, 0, 0, 0.25f, {}}}},
        {"Dashed Horizontal", 2.0, 1.0f, {{0, 0, 0, 0.25f, {0.25f, -0.125f}}}},
        // Courses 0.25 high, bricks 0.5 long; the joints of every other course are shifted
        // by half a brick, drawn as two joint families.
        {"Brick",
         2.0,
         1.0f,
         {{0, 0, 0, 0.25f, {}},
          {90, 0, 0, 0.5f, {0.25f, -0.25f}},
          {90, 0.25, 0.25, 0.5f, {0.25f, -0.25f}}}},
        // Batt insulation: a solid line, then two dashed lines, every 0.375.
        {"Insulation",
         1.5,
         1.0f,
         {{0, 0, 0, 0.375f, {}},
          {0, 0, 0.125, 0.375f, {0.125f, -0.125f}},
          {0, 0, 0.25, 0.375f, {0.125f, -0.125f}}}},
        {"Dots", 2.0, 1.0f, {{0, 0, 0, 0.25f, {0.0f, -0.25f}}}},
        {"Steel", 2.0, 1.0f, {{45, 0, 0, 0.375f, {}}, {45, 0, 0.125 * std::sqrt(2.0), 0.375f, {}}}},
        // Drawn at its own scale: a 1-unit grid stored with scale factor 2.5.
        {"Large Grid", 10.0, 2.5f, {{0, 0, 0, 1.0f, {}}, {90, 0, 0, 1.0f, {}}}},
    };
    return patterns;
}

// Pattern data: preview size (double), family count (int32), own scale (float), families
// (angle, origin x, origin y, cycle length, spacing (floats), dash count (int32), dashes).
// Origins are stored turned a quarter turn: the stored (x, y) stands for the drawing point
// (y, -x), the frame in which the hatch commands read them.
void PutPatternData(Bytes& bytes, const Pattern& pattern) {
    Put<double>(bytes, pattern.preview);
    Put<int32_t>(bytes, static_cast<int32_t>(pattern.families.size()));
    Put<float>(bytes, pattern.scale);
    for (const Family& family : pattern.families) {
        float cycle = 0;
        for (float dash : family.dashes) cycle += std::fabs(dash);
        Put<float>(bytes, family.angleDegrees * kDeg);
        Put<float>(bytes, static_cast<float>(-family.y));
        Put<float>(bytes, static_cast<float>(family.x));
        Put<float>(bytes, cycle);
        Put<float>(bytes, family.spacing);
        Put<int32_t>(bytes, static_cast<int32_t>(family.dashes.size()));
        for (float dash : family.dashes) Put<float>(bytes, dash);
    }
}

Bytes FillEntry(int number, int kind, const std::string& name, const Pattern* pattern) {
    Entry entry(number);
    entry.data.push_back(static_cast<unsigned char>(kind));
    entry.data.push_back(0);  // pattern data offset, set below
    entry.At(kStyleName);
    PutText(entry.data, name);
    if (pattern) {
        entry.At((entry.Offset() + 7) & ~size_t{7});
        entry.data[kStylePatternOffset - 4] = static_cast<unsigned char>(entry.Offset());
        PutPatternData(entry.data, *pattern);
    }
    return entry.data;
}

Table BuildFillStyles() {
    Table table = NewTable(TPL_FILL_STYLES, kTableEntries);
    AppendEntry(table, FillEntry(0, kFillNone, "None", nullptr));
    AppendEntry(table, FillEntry(1, kFillSolid, "Solid", nullptr));
    int number = 2;
    for (const Pattern& pattern : Patterns())
        AppendEntry(table, FillEntry(number++, kFillPattern, pattern.name, &pattern));
    SetCurrentEntry(table, kTableEntries, 0);
    return table;
}

// ---------------------------------------------------------------------------------------
// Line styles: entry byte 6 the dash count, byte 7 the offset of the dashes (floats).

Table BuildLineStyles() {
    struct Style {
        const char* name;
        std::vector<float> dashes;
    };
    const Style styles[] = {
        {"Solid", {}},
        {"Dashed", {1.0f, -0.5f}},
        {"Dotted", {0.0f, -0.25f}},
        {"Center", {1.5f, -0.25f, 0.25f, -0.25f}},
        {"Hidden", {0.5f, -0.25f}},
    };
    Table table = NewTable(TPL_LINE_STYLES, kLineStyleEntries);
    int number = 0;
    for (const Style& style : styles) {
        Entry entry(number++);
        entry.data.push_back(static_cast<unsigned char>(style.dashes.size()));
        entry.data.push_back(0);
        entry.At(kStyleName);
        PutText(entry.data, style.name);
        entry.At((entry.Offset() + 3) & ~size_t{3});
        entry.data[kStylePatternOffset - 4] = static_cast<unsigned char>(entry.Offset());
        for (float dash : style.dashes) Put<float>(entry.data, dash);
        AppendEntry(table, entry.data, kLineStyleEntries);
    }
    SetCurrentEntry(table, kLineStyleEntries, 0);
    return table;
}

// ---------------------------------------------------------------------------------------
// Fonts

Table BuildFonts() {
    struct Font {
        const char* name;
        int kind;
    };
    const Font fonts[] = {
        {"Simplex", 0},          {"DejaVu Sans", 1}, {"DejaVu Serif", 1},
        {"DejaVu Sans Mono", 1}, {"Plotter", 2},
    };
    Table table = NewTable(TPL_FONTS, kTableEntries);
    int number = 0;
    for (const Font& font : fonts) {
        Entry entry(number++);
        entry.data.push_back(static_cast<unsigned char>(font.kind));
        entry.At(kFontName);
        PutText(entry.data, font.name);
        AppendEntry(table, entry.data);
    }
    SetCurrentEntry(table, kTableEntries, 1);
    return table;
}

// ---------------------------------------------------------------------------------------
// Text styles: the 23-byte style block (text record bytes 81 to 103), then the style name.

Bytes TextStyleEntry(int number, float height, int font, int flags, const std::string& name) {
    Entry entry(number);
    Put<float>(entry.data, height);
    Put<float>(entry.data, 1.0f);    // width factor
    Put<float>(entry.data, 0.0f);    // angle
    Put<float>(entry.data, 150.0f);  // line spacing
    Put<uint16_t>(entry.data, static_cast<uint16_t>(font));
    entry.data.push_back(static_cast<unsigned char>(flags));
    entry.data.push_back(0);
    entry.data.push_back(0);  // justification: bottom left
    PutText(entry.data, name);
    return entry.data;
}

// The first entry, number 0, holds the current settings when they follow no named style: the
// plug-in points the table at byte 15 and writes a text's style block there, so the named
// styles after it are never overwritten.
Table BuildTextStyles() {
    Table table = NewTable(TPL_TEXT_STYLES, kTableEntries);
    AppendEntry(table, TextStyleEntry(0, 2.5f, 1, 0, ""));
    AppendEntry(table, TextStyleEntry(1, 2.5f, 1, 0, "Standard"));
    AppendEntry(table, TextStyleEntry(2, 5.0f, 1, 0x10, "Title"));
    AppendEntry(table, TextStyleEntry(3, 1.8f, 3, 0, "Notes"));
    SetCurrentEntry(table, kTableEntries, 1);
    return table;
}

// ---------------------------------------------------------------------------------------
// Dimension styles: 116-byte blocks; floats by index (byte 4 x index).

Bytes DimStyleEntry(int number, float textHeight, const std::string& name) {
    Entry entry(number);
    entry.data.resize(kDimStyleSize, 0);
    auto setFloat = [&](int index, float value) {
        std::memcpy(entry.data.data() + 4 * index, &value, 4);
    };
    const float unit = textHeight / 2.5f;
    setFloat(kDimExtendPastText, 1.25f * unit);
    setFloat(kDimOffsetDimPoint, 0.625f * unit);
    setFloat(3, 0.625f * unit);  // gap between text and dimension line
    setFloat(kDimBaselineSpacing, 5.0f * unit);
    setFloat(6, 1.0f);  // measurement scale
    setFloat(kDimArrowLength, 2.5f * unit);
    setFloat(kDimArrowHeight, 1.0f * unit);
    setFloat(9, 2.0f);  // decimal places
    setFloat(kDimTextHeight, textHeight);
    PutText(entry.data, name);
    return entry.data;
}

Table BuildDimStyles() {
    Table table = NewTable(TPL_DIM_STYLES, kTableEntries);
    AppendEntry(table, DimStyleEntry(1, 2.5f, "Standard"));
    AppendEntry(table, DimStyleEntry(2, 5.0f, "Large"));
    SetCurrentEntry(table, kTableEntries, 1);
    return table;
}

// ---------------------------------------------------------------------------------------
// Attribute settings record

Table BuildAttributes() {
    Table record(kAttributesSize, 0);
    const uint32_t size = kAttributesSize;
    std::memcpy(record.data(), &size, sizeof size);
    const float arrowLength = 2.5f, arrowHeight = 1.0f;
    std::memcpy(record.data() + kAttrArrowLength, &arrowLength, sizeof arrowLength);
    std::memcpy(record.data() + kAttrArrowHeight, &arrowHeight, sizeof arrowHeight);
    return record;
}

}  // namespace

void BuildDefaultTables(Tables& tables) {
    tables.attributes = BuildAttributes();
    tables.layers = BuildLayers();
    tables.fillStyles = BuildFillStyles();
    tables.lineStyles = BuildLineStyles();
    tables.fonts = BuildFonts();
    tables.dimStyles = BuildDimStyles();
    tables.textStyles = BuildTextStyles();
}

}  // namespace qlhost
