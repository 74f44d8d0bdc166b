// The streamed JSON drawing format: the printer writes the same bytes as printing the whole
// document through nlohmann's dump(), and the streaming reader loads what the whole-document
// reader loads, fields in any order, with the same errors.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "host/drawing/tables.h"
#include "host/io/drawing_io.h"
#include "host/io/json_entities.h"
#include "host/io/json_print.h"
#include "tests/io/io_test_util.h"

namespace qlhost {
namespace {

using io::Json;
using iotest::Add;
using iotest::CompareLists;
using iotest::FreshDrawing;

// The layout as first written, one dump() per scalar and a compact text per level: the
// reference the streamed printer must match byte for byte.
std::string Scalar(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

std::string Compact(const Json& value) {
    if (!value.is_object() && !value.is_array()) return Scalar(value);
    std::string out = value.is_object() ? "{" : "[";
    bool first = true;
    for (auto it = value.begin(); it != value.end(); ++it) {
        if (!first) out += ", ";
        first = false;
        if (value.is_object()) out += Scalar(Json(it.key())) + ": ";
        out += Compact(*it);
    }
    return out + (value.is_object() ? "}" : "]");
}

void Print(const Json& value, size_t indent, std::string& out) {
    std::string compact = Compact(value);
    bool nested = value.is_object() && (value.contains("members") || value.contains("entities"));
    if ((!value.is_object() && !value.is_array()) || value.empty() ||
        (indent + compact.size() <= io::kCompactWidth && !nested)) {
        out += compact;
        return;
    }
    bool object = value.is_object();
    std::string pad(indent + 2, ' ');
    out += object ? "{\n" : "[\n";
    std::string line;
    auto flush = [&] {
        if (!line.empty()) out += pad + line + ",\n";
        line.clear();
    };
    size_t i = 0;
    for (auto it = value.begin(); it != value.end(); ++it, ++i) {
        std::string key = object ? Scalar(Json(it.key())) + ": " : "";
        std::string item = key + Compact(*it);
        bool own = (it->is_object() || it->is_array()) &&
                   (pad.size() + item.size() > io::kCompactWidth ||
                    (object && (it.key() == "members" || it.key() == "entities")));
        bool last = i + 1 == value.size();
        if (own || (it->is_object() && !object)) {
            flush();
            out += pad + key;
            Print(*it, indent + 2, out);
            out += last ? "\n" : ",\n";
            continue;
        }
        if (!line.empty() && pad.size() + line.size() + 2 + item.size() > io::kCompactWidth) flush();
        line += (line.empty() ? "" : ", ") + item;
        if (last) {
            out += pad + line + "\n";
            line.clear();
        }
    }
    out += std::string(indent, ' ') + (object ? "}" : "]");
}

std::string Reference(const std::string& saved) {
    std::string out;
    Print(Json::parse(saved), 0, out);
    return out + "\n";
}

TEST(JsonStream, ScalarsAreWrittenAsDumpWritesThem) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Json values[] = {
        Json(nullptr), Json(true), Json(false), Json(0), Json(-7), Json(int64_t{-9223372036854775807LL - 1}),
        Json(uint64_t{18446744073709551615ULL}), Json(0.0), Json(-0.0), Json(0.1), Json(1.0 / 3), Json(1e15),
        Json(1e16), Json(123456789012345.6), Json(1e-4), Json(1e-5), Json(-2.5e-300), Json(5e-324),
        Json(1.7976931348623157e308), Json(nan), Json(std::numeric_limits<double>::infinity()), Json(""),
        Json("plain text"), Json("quote \" and \\ slash"), Json("tab\tand\nline\x01"), Json("caf\xc3\xa9"),
        Json("bad \xff byte"), Json("del \x7f"), Json::array(), Json::object(),
    };
    for (const Json& value : values) {
        std::string out;
        io::AppendScalar(value, out);
        EXPECT_EQ(out, Scalar(value));
    }
}

// Drawings whose files take each branch of the layout: an empty list, a list short enough for
// one line, long entities wrapped, nested members, long layer lists, texts that need escapes.
TEST(JsonStream, SavedTextMatchesThePrintedWholeDocument) {
    auto build = [](int kind) {
        HostList& work = *FreshDrawing().work;
        if (kind == 1) Add(work, MakePoint(1, 2));
        if (kind >= 2) {
            for (int i = 0; i < 40; ++i) {
                Add(work, MakeLine(i * 0.1, 1.0 / (i + 1), 1e16 * i, -0.0));
                Add(work, MakePath({{0, 0}, {i * 1.5, 2}, {3, 4.25}, {1e-7, 5}}, i % 2 == 0));
                Add(work, MakeText(i, i, 2.5, 0.3, 0, 1, i % 3 ? "Room \"" + std::to_string(i) + "\"\t\xc3\xa9" : "x"));
            }
        }
        if (kind == 3) {
            Node* group = Add(work, MakeGroup());
            HostList* members = work.Children(group);
            Add(*members, MakeCircle(1, 1, 0.5));
            Node* inner = Add(*members, MakeGroup());
            Add(*work.Children(inner), MakeArc(0, 0, 1, 0.5, 2));
        }
        if (kind == 4)
            for (int i = 0; i < 30; ++i) AddLayer(TheDrawing().tables, "Layer with a long name " + std::to_string(i), 0);
        return &work;
    };
    for (int kind = 0; kind <= 4; ++kind) {
        HostList* work = build(kind);
        const std::string saved = DrawingToJson(*work);
        EXPECT_EQ(saved, Reference(saved)) << "drawing " << kind;
        HostList& copy = *TheDrawing().CreateTemporary("~copy.cv7", 0);
        std::string error;
        ASSERT_TRUE(ParseDrawingJson(saved, copy, error)) << error;
        EXPECT_EQ(CompareLists(*work, copy), "") << "drawing " << kind;
        TheDrawing().ReleaseTemporary(&copy);
    }
}

// The entity text written without an object is the object's printed text, for every kind of
// number and header field, on one line or wrapped; entities it cannot write take the object path.
TEST(JsonStream, DirectEntityTextMatchesThePrintedObject) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double big = 1.7976931348623157e308, tiny = 5e-324;
    auto header = [](Record r, size_t offset, std::initializer_list<unsigned char> bytes) {
        std::copy(bytes.begin(), bytes.end(), r.begin() + static_cast<long>(offset));
        return r;
    };
    struct Case {
        Record record;
        bool direct;
    };
    const Case cases[] = {
        {MakeLine(0, 1, -2, 1e15), true},
        {MakeLine(-0.0, 0.1, 1.0 / 3, -2.5e-300), true},
        {MakeLine(tiny, -big, big, 1e16), true},
        {MakeLine(-1.0 / 3, 2.0 / 3, -tiny, 123456789012345.6), true},  // wraps at the printed width
        {header(MakeLine(1, 2, 3, 4), 5, {0xfd, 7, 0, 0, 0, 9, 0, 0, 0, 0, 0, 1, 0, 2, 0, 0xaa, 0, 5, 0, 3, 0, 0, 0, 0, 0x10, 0, 0x20}),
         true},
        {header(MakeLine(1.0 / 7, 2.0 / 7, 3.0 / 7, 4.0 / 7), 5, {0x80, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}), true},
        {MakeCircle(-0.0, 5e-7, 2), true},
        {MakeArc(1e300, -1e-300, 3, 0.5, -2), true},
        {MakePoint(7, -8), true},
        {MakeEllipseArc(1.0 / 3, 2, 3, 4, 0.25, -tiny, big), true},
        {MakeWall(0, 0, 1e-5, 1e-4, 0.2), true},
        {MakeLine(nan, 0, 1, 1), false},
        {MakeCircle(0, 0, inf), false},
        {MakeText(0, 0, 2.5, 0, 0, 1, "text"), false},
        {MakeGroup(), false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        HostList& work = *FreshDrawing().work;
        const Node* node = Add(work, cases[i].record);
        ASSERT_NE(node, nullptr) << "case " << i;
        for (const size_t indent : {size_t{0}, size_t{4}, size_t{60}}) {
            std::string direct = "head ", printed = "head ";
            io::AppendPrinted(io::EncodeEntity(*node), indent, printed);
            EXPECT_EQ(io::AppendEntityText(*node, indent, direct), cases[i].direct) << "case " << i;
            if (cases[i].direct) EXPECT_EQ(direct, printed) << "case " << i << " indent " << indent;
            else EXPECT_EQ(direct, "head ") << "case " << i;
        }
    }
    // Entities read from the parser's events give the records DecodeEntity gives from the
    // object, for every kind of number and header field; odd ones take DecodeEntity's path.
    const char* entities[] = {
        R"({"type": "line", "p1": [1, 2], "p2": [18446744073709551615, -9223372036854775808]})",
        R"({"type": "line", "p2": [0.5, -0.0], "p1": [1e308, 5e-324], "color": 4294967295, "line_width": -128,
            "fill_param": 7, "fill_color": 0, "line_style": 65535, "fill_style": 1, "layer": 65535})",
        R"({"type": "circle", "center": [1, 2], "radius": 3,
            "attrs": "ff0102030405060708090a0b0c0d0e0f101112131415161718191a"})",
        R"({"type": "polygon", "points": []})",
        R"({"type": "path", "layer": 2, "points": [[1, 2], [3, 4.5], [-0.0, 1e-300]]})",
        R"({"type": "bezier", "points": [[0, 0], [1, 1], [2, 0], [3, 1]]})",
        R"({"type": "arc", "center": [0, 0], "radius": 1, "start": 0, "sweep": 6.283185307179586})",
        R"({"type": "wall", "p1": [0, 0], "p2": [1, 0], "thickness": 0.25, "color": 3})",
        R"({"type": "line", "p1": [0, 0], "p1": [5, 5], "p2": [1, 1]})",
        R"({"type": "point", "pos": [1, 2], "note": {"a": [1]}})",
        R"({"type": "path", "points": [[1, 2], [3]], "raw": 1})",
    };
    for (const char* entity : entities) {
        HostList& work = *FreshDrawing().work;
        std::string error, expectedError;
        const bool loaded =
            ParseDrawingJson(std::string(R"({"format": "quillet-drawing", "version": 1, "entities": [)") + entity + "]}",
                             work, error);
        HostList& expected = *TheDrawing().CreateTemporary("~expected.cv7", 0);
        const bool decoded = io::DecodeEntity(Json::parse(entity), expected, io::DecodeEnv{}, "entity 0", expectedError);
        EXPECT_EQ(loaded, decoded) << entity;
        EXPECT_EQ(error, expectedError) << entity;
        EXPECT_EQ(CompareLists(work, expected), "") << entity;
        TheDrawing().ReleaseTemporary(&expected);
    }
}

struct OrderCase {
    const char* document;
    const char* error;  // "" loads one line on layer 3
};

TEST(JsonStream, FieldsInAnyOrderLoadAsTheWholeDocumentDoes) {
    const char* line = R"({"type": "line", "p1": [0, 0], "p2": [1, 1]})";
    const std::string layers = R"("layers": [{"number": 3, "name": "Streamed"}], "current_layer": 3)";
    const std::string head = R"("format": "quillet-drawing", "version": 1)";
    const std::string entities = std::string(R"("entities": [)") + line + "]";
    const std::string bad = R"("entities": [{"type": "blob"}])";
    const OrderCase cases[] = {
        {"", ""},  // the saved order, filled in below
        {"", ""},  // entities first
        {"", ""},  // layers after the entities
        {"", ""},  // unknown fields around
        {"", "not a drawing"},     // a bad entity before a bad format: the format is the error
        {"", "not valid JSON"},    // a bad entity before broken JSON
        {"", "entity 0: unknown"}, // a bad entity in a sound file
        {"", "not valid JSON"},    // a good entity before broken JSON
    };
    const std::string documents[] = {
        "{" + head + ", " + layers + ", " + entities + "}",
        "{" + entities + ", " + head + ", " + layers + "}",
        "{" + head + ", " + entities + ", " + layers + "}",
        "{\"note\": [1, {\"a\": 2}], " + head + ", " + layers + ", " + entities + ", \"tail\": {}}",
        "{\"version\": 1, " + layers + ", " + bad + ", \"format\": \"other\"}",
        "{" + head + ", " + bad + ", ",
        "{" + head + ", " + layers + ", " + bad + "}",
        "{" + head + ", " + layers + ", " + entities + ", ]",
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        Drawing& drawing = FreshDrawing();
        std::string error;
        const bool loaded = ParseDrawingJson(documents[i], *drawing.work, error);
        if (*cases[i].error != '\0') {
            EXPECT_FALSE(loaded) << documents[i];
            EXPECT_EQ(error.rfind(cases[i].error, 0), 0u) << documents[i] << "\ngot: " << error;
            EXPECT_EQ(drawing.work->count, 0u) << documents[i];
            EXPECT_EQ(FindLayerByName(drawing.tables, "Streamed"), nullptr) << "layers taken back: " << documents[i];
            continue;
        }
        ASSERT_TRUE(loaded) << documents[i] << "\n" << error;
        ASSERT_EQ(drawing.work->count, 1u) << documents[i];
        EXPECT_EQ(CurrentLayer(drawing.tables), 3) << documents[i];
        uint16_t layer = 0;
        std::memcpy(&layer, drawing.work->head->record() + 20, 2);
        EXPECT_EQ(layer, 3) << "the entity took the file's current layer: " << documents[i];
    }
}

}  // namespace
}  // namespace qlhost
