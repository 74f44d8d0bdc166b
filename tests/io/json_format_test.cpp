// The JSON drawing format: every entity kind saved and loaded back byte for byte, nesting,
// layers, hand-written files with defaults, and clear errors for bad files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "host/drawing/layouts.h"
#include "host/drawing/tables.h"
#include "host/geometry/geometry.h"
#include "host/io/drawing_io.h"
#include "tests/io/io_test_util.h"
#include "tests/support/temp_path.h"

namespace qlhost {
namespace {

using iotest::Add;
using iotest::CompareLists;
using iotest::FreshDrawing;

// Saves the working list and loads it into a new temporary list of the same drawing.
HostList& RoundTrip(Drawing& drawing, std::string* json = nullptr) {
    std::string text = DrawingToJson(*drawing.work);
    if (json) *json = text;
    HostList& copy = *drawing.CreateTemporary("~copy.cv7", 0);
    std::string error;
    EXPECT_TRUE(ParseDrawingJson(text, copy, error)) << error << "\n" << text;
    return copy;
}

void SetHeader(Record& r, uint16_t layer, uint32_t color, uint16_t line, uint16_t fill) {
    std::memcpy(r.data() + 20, &layer, 2);
    std::memcpy(r.data() + 6, &color, 4);
    std::memcpy(r.data() + 16, &line, 2);
    std::memcpy(r.data() + 14, &fill, 2);
}

TEST(JsonFormat, EveryEntityKindComesBackByteForByte) {
    Drawing& drawing = FreshDrawing();
    HostList& work = *drawing.work;
    TextStyle style;
    style.height = 3.5;
    style.angle = 0.25;
    style.justification = 13;
    style.flags = 0x30;
    std::vector<Pt> square = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
    uint32_t def = RegisterSymbolDefinition(1, 2, "Chair");
    double matrix[12] = {0, -1, 0, 10, 1, 0, 0, 20, 0, 0, 1, 0};
    unsigned char dimStyle[116];
    for (int i = 0; i < 116; ++i) dimStyle[i] = static_cast<unsigned char>(i * 7);

    std::vector<Record> records = {
        MakePoint(1.5, -2.25),
        MakeLine(0, 0, 10, 0.1),
        MakePath(square, false),
        MakePath(square, true),
        MakeBox(-1, -1, 1, 1),
        MakeText(5, 6, style, "Kitchen\rsecond line"),
        MakeText(5, 6, 2, 0, 0, 1, ""),
        MakeCircle(3, 4, 5),
        MakeArc(0, 0, 2, 0.5, 4),
        MakeEllipse(0, 0, 3, 1, 0.5),
        MakeEllipseArc(1, 1, 0, 2, 0.25, 1, 2),
        MakeCurve(26, 1, square),
        MakeCurve(27, 2, square),
        MakeCurve(26, 3, {{0, 0}, {1, 1}, {2, 1}, {3, 0}}),
        MakeBezier({{0, 0}, {1, 1}, {2, 1}, {3, 0}}),
        MakeWall(0, 0, 5, 0, 0.3),
        MakeMarker(3),
        MakeTextBearing(1, 2, style, "label"),
        MakeArcDimension(dimStyle, {1, 1}, 5, 0.1, 1.2, 3, 4, {6, 7}),
        MakeContainer(34, 5),
        MakeContainer(36, 2),
        MakeContainer(13, 0),
    };
    for (size_t i = 0; i < records.size(); ++i)
        SetHeader(records[i], static_cast<uint16_t>(i % 3), static_cast<uint32_t>(i), static_cast<uint16_t>(i % 4),
                  static_cast<uint16_t>(i % 2));
    records[1][5] = 0xfe;  // width attribute
    records[1][27] = 0x42; // a host byte
    for (const Record& r : records) Add(work, r);
    Node* symbol = Add(work, MakeSymbolRef(def, matrix, "Chair"));
    HostList* members = work.Children(symbol);
    Add(*members, MakeCircle(1, 2, 0.5));
    Add(*members, MakeAttribute(1, 3, style, std::string("Oak"), "MATERIAL", "Material?", 8));
    Add(*members, MakeAttribute(1, 4, style, std::nullopt, "NOTE"));

    std::string json;
    HostList& copy = RoundTrip(drawing, &json);
    EXPECT_EQ(CompareLists(work, copy), "") << json;
    EXPECT_EQ(json.find("\"raw\""), std::string::npos) << "builders' records need no raw form:\n" << json;
}

TEST(JsonFormat, GroupsAndSymbolsNest) {
    Drawing& drawing = FreshDrawing();
    HostList& work = *drawing.work;
    Node* outer = Add(work, MakeGroup());
    HostList* outerMembers = work.Children(outer);
    Add(*outerMembers, MakeLine(0, 0, 1, 1));
    Node* inner = Add(*outerMembers, MakeGroup());
    Add(*outerMembers->Children(inner), MakeCircle(0, 0, 1));
    uint32_t def = RegisterSymbolDefinition(0, 0, "Door");
    Node* ref = Add(*work.Children(inner), MakeSymbolRef(def, 5, 5, 0, 1, "Door"));
    Add(*work.Children(inner)->Children(ref), MakeArc(0, 0, 0.9, 0, 1.5707963));
    Add(work, MakeGroup());  // empty group keeps its (empty) member list

    HostList& copy = RoundTrip(drawing);
    EXPECT_EQ(CompareLists(work, copy), "");
    ASSERT_NE(copy.head, nullptr);
    ASSERT_NE(copy.head->children, nullptr);
    EXPECT_EQ(copy.head->children->count, 2u);
}

TEST(JsonFormat, OddRecordsGoRawAndStayExact) {
    Drawing& drawing = FreshDrawing();
    HostList& work = *drawing.work;
    Record text = MakeText(0, 0, 2, 0, 0, 1, "abc");
    text.resize(text.size() + 5, 0x77);  // bytes after the string's end
    uint32_t length = static_cast<uint32_t>(text.size());
    std::memcpy(text.data(), &length, 4);
    Add(work, text);
    Record line = MakeLine(0, 0, 1, 1);
    double nan = std::nan("");
    std::memcpy(line.data() + 32, &nan, 8);  // JSON cannot hold NaN
    Add(work, line);
    Record unknown = MakeHeader(99, 40);
    unknown[39] = 1;
    Add(work, unknown);
    Record latin = MakeText(0, 0, 2, 0, 0, 1, "caf\xe9");  // not UTF-8: string_hex
    Add(work, latin);

    std::string json;
    HostList& copy = RoundTrip(drawing, &json);
    EXPECT_EQ(CompareLists(work, copy), "");
    EXPECT_NE(json.find("\"raw\": \"71000000"), std::string::npos) << json;
    EXPECT_NE(json.find("\"string_hex\""), std::string::npos);
}

TEST(JsonFormat, LayersAndCurrentLayerSurvive) {
    Drawing& drawing = FreshDrawing();
    int walls = AddLayer(drawing.tables, "Walls", 0);
    int hidden = AddLayer(drawing.tables, "Hidden things", kLayerHidden | kLayerFrozen);
    SetCurrentEntry(drawing.tables.layers, kTableEntries, walls);
    iotest::AddOnLayer(*drawing.work, MakeLine(0, 0, 1, 0), static_cast<uint16_t>(hidden));
    std::string json = DrawingToJson(*drawing.work);

    FreshDrawing();
    std::string error;
    ASSERT_TRUE(ParseDrawingJson(json, *TheDrawing().work, error)) << error;
    Tables& tables = TheDrawing().tables;
    EXPECT_EQ(LayerName(tables, walls), "Walls");
    EXPECT_EQ(LayerFlags(tables, hidden), kLayerHidden | kLayerFrozen);
    EXPECT_EQ(CurrentLayer(tables), walls);
    EXPECT_EQ(DrawingToJson(*TheDrawing().work), json);
}

TEST(JsonFormat, HandWrittenFileTakesDefaultsAndLayerNames) {
    FreshDrawing();
    const char* text = R"({"format": "quillet-drawing", "version": 1,
      "layers": [{"number": 7, "name": "Walls"}], "current_layer": 7,
      "entities": [
        {"type": "line", "p1": [0, 0], "p2": [3, 4]},
        {"type": "text", "layer": "walls", "string": "Hall", "pos": [1, 1], "height": 2},
        {"type": "dimension", "dim": "arc", "center": [0, 0], "radius": 5, "start": 0, "sweep": 1,
         "dist1": 2, "dist2": 2, "text": [5, 5]},
        {"type": "curve", "closed": true, "subtype": 2, "points": [[0, 0], [1, 0], [1, 1]]}
      ]})";
    std::string error;
    HostList& work = *TheDrawing().work;
    ASSERT_TRUE(ParseDrawingJson(text, work, error)) << error;
    ASSERT_EQ(work.count, 4u);
    const Node* line = work.head;
    EXPECT_EQ(layout::Get<uint16_t>(line->record(), line->length(), layout::kLayer), 7);
    const Node* label = line->next;
    EXPECT_EQ(label->length(), layout::TextLength(4));
    EXPECT_EQ(layout::Get<uint16_t>(label->record(), label->length(), layout::kTextData + layout::kDataFont), 1);
    EXPECT_EQ(layout::Get<float>(label->record(), label->length(), layout::kTextData + layout::kDataWidth), 1.0f);
    const Node* dim = label->next;
    EXPECT_EQ(dim->type(), layout::kDimArc);
    EXPECT_EQ(dim->length(), layout::kDim30Length);
    EXPECT_EQ(dim->next->type(), layout::kClosedCurve);
    EXPECT_EQ(layout::Get<double>(dim->next->record(), dim->next->length(), layout::kCurveSpans), 2.0);
}

// A path container keeps its arrowhead settings at 32..41, the bytes the same-as command makes
// current (attribute settings 201..210); a file that leaves them out gets the current ones.
TEST(JsonFormat, PathContainersTakeTheCurrentArrowheadsWhenTheFileHasNone) {
    FreshDrawing();
    const float length = 3.0f, height = 1.5f;
    std::vector<unsigned char>& settings = TheDrawing().tables.attributes;
    std::memcpy(settings.data() + kAttrArrowLength, &length, 4);
    std::memcpy(settings.data() + kAttrArrowHeight, &height, 4);
    const char* text = R"({"format": "quillet-drawing", "version": 1, "entities": [
        {"type": "path_container", "flags": 3, "members": [{"type": "line", "p1": [0, 0], "p2": [5, 0]}]},
        {"type": "path_container", "flags": 2, "host": "0000a0400000803f0000", "members": []}
      ]})";
    std::string error;
    HostList& work = *TheDrawing().work;
    ASSERT_TRUE(ParseDrawingJson(text, work, error)) << error;
    ASSERT_EQ(work.count, 2u);
    const Node* plain = work.head;
    EXPECT_EQ(std::memcmp(plain->record() + layout::kHeaderSize, settings.data() + kAttrArrowLength, 10), 0);
    EXPECT_EQ(layout::Get<uint32_t>(plain->record(), plain->length(), layout::kPathContFlags), 3u);
    const Node* given = plain->next;
    EXPECT_EQ(layout::Get<float>(given->record(), given->length(), layout::kHeaderSize), 5.0f);
    EXPECT_EQ(layout::Get<float>(given->record(), given->length(), layout::kHeaderSize + 4), 1.0f);
}

struct BadCase {
    const char* entities;
    const char* expected;
};

TEST(JsonFormat, BadFilesGiveErrorsNamingTheEntity) {
    const BadCase cases[] = {
        {R"([{"type": "line", "p1": [0, 0]}])", "entity 0: missing field \"p2\""},
        {R"([{"type": "line", "p1": [0, 0], "p2": [1, "x"]}])", "entity 0: field \"p2\" must be a point [x, y]"},
        {R"([{"type": "circle", "center": [0, 0], "radius": 1}, {"type": "blob"}])", "entity 1: unknown type \"blob\""},
        {R"([{"type": "raw", "raw": "0g"}])", "entity 0: field \"raw\" must be a string of hexadecimal digit pairs"},
        {R"([{"type": "raw", "raw": "2100000002000000000000000000000000000000000000000000000000000000"}])",
         "entity 0: field \"raw\": the record length 33 does not match its 32 bytes"},
        {R"([{"type": "line", "raw": "2000000006000000000000000000000000000000000000000000000000000000"}])",
         "entity 0: field \"raw\" holds a record of type 6, not of the type named"},
        {R"([{"type": "group", "members": [{"type": "text", "pos": [0, 0]}]}])", "entity 0.0: missing field \"string\""},
        {R"([{"type": "line", "p1": [0, 0], "p2": [1, 1], "members": []}])", "entity 0: a line has no members"},
        {R"([{"type": "line", "p1": [0, 0], "p2": [1, 1], "layer": 70000}])",
         "entity 0: field \"layer\" must be a whole number from 0 to 65535"},
        {R"([{"type": "line", "p1": [0, 0], "p2": [1, 1], "layer": "Nowhere"}])", "entity 0: unknown layer \"Nowhere\""},
        {R"([{"type": "dimension", "dim": "arc", "style": "00"}])", "entity 0: field \"style\" must be 116 bytes"},
        {R"([{"type": "symbol", "name": "X", "matrix": [1, 0, 0]}])", "entity 0: field \"matrix\" must be an array of 12"},
        {R"([{"type": "path", "points": [[0, 0], [1]]}])", "entity 0: field \"points\" point 1 must be [x, y]"},
        {R"([42])", "entity 0: must be an object"},
        {R"([{"type": 2}])", "entity 0: field \"type\" must be a string"},
    };
    for (const BadCase& c : cases) {
        Drawing& drawing = FreshDrawing();
        std::string text = std::string(R"({"format": "quillet-drawing", "version": 1, "entities": )") + c.entities + "}";
        std::string error;
        EXPECT_FALSE(ParseDrawingJson(text, *drawing.work, error)) << c.entities;
        EXPECT_EQ(error.rfind(c.expected, 0), 0u) << "got: " << error;
        EXPECT_EQ(drawing.work->count, 0u) << "a bad file adds nothing: " << c.entities;
    }
}

TEST(JsonFormat, DeepNestingIsRefused) {
    std::string entity = R"({"type": "point", "pos": [0, 0]})";
    for (int i = 0; i < 100; ++i) entity = R"({"type": "group", "members": [)" + entity + "]}";
    std::string text = R"({"format": "quillet-drawing", "version": 1, "entities": [)" + entity + "]}";
    std::string error;
    Drawing& drawing = FreshDrawing();
    EXPECT_FALSE(ParseDrawingJson(text, *drawing.work, error));
    EXPECT_NE(error.find("nested deeper"), std::string::npos) << error;
    EXPECT_EQ(drawing.work->count, 0u);
}

// Groups nest as deep as the files read them and no deeper: the drawing refuses an entity
// in a member list kMaxMemberDepth deep, and the deepest chain it holds saves and loads again.
TEST(JsonFormat, TheDrawingNestsOnlyAsDeepAsFilesRead) {
    Drawing& drawing = FreshDrawing();
    HostList* list = drawing.work.get();
    for (size_t depth = 0; depth < kMaxMemberDepth; ++depth) {
        Node* group = Add(*list, MakeGroup());
        ASSERT_NE(group, nullptr) << "depth " << depth;
        list = list->Children(group);
    }
    EXPECT_EQ(Add(*list, MakeGroup()), nullptr);
    EXPECT_EQ(list->AppendZeroed(2, 64), nullptr);
    const std::string text = DrawingToJson(*drawing.work);
    Drawing& again = FreshDrawing();
    std::string error;
    ASSERT_TRUE(ParseDrawingJson(text, *again.work, error)) << error;
    EXPECT_EQ(DrawingToJson(*again.work), text);
}

TEST(JsonFormat, BadDocumentsAreRefused) {
    const char* documents[] = {
        "", "{", "[]", R"({"format": "other", "version": 1, "entities": []})",
        R"({"format": "quillet-drawing", "version": 2, "entities": []})",
        R"({"format": "quillet-drawing", "version": 1})",
        R"({"format": "quillet-drawing", "version": 1, "entities": [], "layers": [{"number": 1}]})",
        R"({"format": "quillet-drawing", "version": 1, "entities": [],
            "layers": [{"number": 1, "name": "a"}, {"number": 1, "name": "b"}]})",
    };
    for (const char* document : documents) {
        std::string error;
        EXPECT_FALSE(ParseDrawingJson(document, *FreshDrawing().work, error)) << document;
        EXPECT_FALSE(error.empty());
    }
}

TEST(JsonFormat, FilesByExtension) {
    Drawing& drawing = FreshDrawing();
    Add(*drawing.work, MakeCircle(1, 1, 1));
    std::string path = ql_test::TempPath("drawing.cv7");
    std::string error;
    ASSERT_TRUE(SaveDrawingFile(path, *drawing.work, error)) << error;
    HostList& copy = *drawing.CreateTemporary("~part.cv7", 0);
    ASSERT_TRUE(LoadDrawingFile(path, copy, error)) << error;
    EXPECT_EQ(CompareLists(*drawing.work, copy), "");
    EXPECT_FALSE(LoadDrawingFile(ql_test::TempPath("missing.json"), copy, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
    EXPECT_FALSE(SaveDrawingFile(path + ".txt", copy, error));
}

}  // namespace
}  // namespace qlhost
