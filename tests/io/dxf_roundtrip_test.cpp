// DXF both ways, checked with ezdxf (tools/ezdxf_dxf_check.py under /usr/bin/python3, which
// has Debian's python3-ezdxf; skipped without it): host drawings written to DXF pass ezdxf's
// audit with the entities and geometry of the drawing and read back as the same drawing;
// drawings made by ezdxf (hatches with islands, dimensions, blocks with attributes, text
// styles) import with every entity taken or named in the one warning.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "host/drawing/tables.h"
#include "host/geometry/geometry.h"
#include "host/drawing/layouts.h"
#include "host/geometry/records.h"
#include "host/io/drawing_io.h"
#include "host/io/dxf_entities.h"
#include "tests/io/io_test_util.h"
#include "tests/support/temp_path.h"

namespace qlhost {
namespace {

namespace L = layout;
using Json = nlohmann::json;
using iotest::Add;
using iotest::FreshDrawing;

constexpr char kPython[] = "/usr/bin/python3";
constexpr double kTolerance = 1e-9;

bool EzdxfAvailable() {
    static const bool available =
        std::filesystem::exists(kPython) &&
        std::system((std::string(kPython) + " -c 'import ezdxf' >/dev/null 2>&1").c_str()) == 0;
    return available;
}

// Runs the tool ("make DIR" or "check FILE"); its JSON, or null with the failure recorded.
Json RunTool(const std::string& arguments) {
    const std::string out = ql_test::TempPath("ezdxf-tool.json"), err = ql_test::TempPath("ezdxf-tool.err");
    const std::string command = std::string(kPython) + " " + QL_SOURCE_DIR + "/tools/ezdxf_dxf_check.py " +
                                arguments + " >'" + out + "' 2>'" + err + "'";
    if (std::system(command.c_str()) != 0) {
        std::ifstream in(err);
        std::stringstream text;
        text << in.rdbuf();
        ADD_FAILURE() << "ezdxf tool failed: " << text.str();
        return nullptr;
    }
    return Json::parse(std::ifstream(out), nullptr, false);
}

// The entities of a list as the JSON drawing format has them, without the symbol
// definitions' handles (numbers of the session, not of the drawing).
void DropHandles(Json& entities) {
    for (Json& e : entities) {
        e.erase("handle");
        if (e.contains("members")) DropHandles(e["members"]);
    }
}
Json Entities(const HostList& list) {
    Json entities = Json::parse(DrawingToJson(list))["entities"];
    DropHandles(entities);
    return entities;
}

// The first difference between two JSON values, numbers within the tolerance; "" if none.
std::string Difference(const Json& a, const Json& b, const std::string& where) {
    if (a.is_number() && b.is_number()) {
        const double x = a.get<double>(), y = b.get<double>();
        return std::fabs(x - y) <= kTolerance * std::max(1.0, std::fabs(x)) ? "" : where + ": " + a.dump() + " vs " + b.dump();
    }
    if (a.type() != b.type() || a.size() != b.size()) return where + ": " + a.dump() + " vs " + b.dump();
    if (a.is_object()) {
        for (auto it = a.begin(); it != a.end(); ++it) {
            if (!b.contains(it.key())) return where + ": no " + it.key() + " in " + b.dump();
            const std::string d = Difference(*it, b[it.key()], where + "." + it.key());
            if (!d.empty()) return d;
        }
        return "";
    }
    if (a.is_array()) {
        for (size_t i = 0; i < a.size(); ++i) {
            const std::string d = Difference(a[i], b[i], where + "[" + std::to_string(i) + "]");
            if (!d.empty()) return d;
        }
        return "";
    }
    return a == b ? "" : where + ": " + a.dump() + " vs " + b.dump();
}

void Near(const Json& point, Pt expected, const std::string& what) {
    ASSERT_TRUE(point.is_array() && point.size() == 2) << what << ": " << point.dump();
    EXPECT_NEAR(point[0].get<double>(), expected.x, kTolerance) << what;
    EXPECT_NEAR(point[1].get<double>(), expected.y, kTolerance) << what;
}

std::string ExampleFile() { return std::string(QL_SOURCE_DIR) + "/examples/floorplan.json"; }

class DxfEzdxfTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!EzdxfAvailable())
            GTEST_SKIP() << "ezdxf is not importable by /usr/bin/python3 (Debian package python3-ezdxf)";
        ClearSymbolDefinitions();
    }
};

// A drawing of what DXF holds exactly: a drawn box (its first corner again at the end), a
// polygon, fills (a pattern on a polygon, solid on a circle, a pattern on a wall and on an
// ellipse, a filled container of two outlines), a Bezier curve, texts in bold, italic and narrowed fonts, a
// text-bearing entity, dimensions
// of every kind, a path with arrowheads at both ends, a container, and a symbol with an
// attribute.
void BuildShowcase(Drawing& drawing) {
    HostList& work = *drawing.work;
    auto fill = [](Record r, uint16_t style, uint32_t color) {
        L::Put(r.data(), static_cast<uint32_t>(r.size()), L::kFillStyle, style);
        L::Put(r.data(), static_cast<uint32_t>(r.size()), kHdrFillColor, color);
        return r;
    };
    Add(work, MakeBox(0, 0, 4, 2));
    Add(work, fill(MakePath({{5, 0}, {9, 0}, {8, 3}}, true), 10, 3));
    Add(work, fill(MakeCircle(12, 1, 1.5), 1, 2));
    Add(work, fill(MakeWall(0, 20, 6, 22, 0.3), 6, 0));
    Add(work, MakeCurve(L::kCurve, 3, {{0, 24}, {1, 25}, {2, 25}, {3, 24}}));
    Add(work, fill(MakeEllipse(16, 1, 2, 1, 0.5), 14, 0));  // "Large Grid", at its own scale 2.5
    Node* filled = Add(work, fill(MakeHeader(L::kFilledContainer, L::kGroupLength), 12, 5));
    Add(*work.Children(filled), MakeBox(0, 5, 6, 9));
    Add(*work.Children(filled), MakeCircle(3, 7, 1));
    TextStyle bold;
    bold.height = 0.5, bold.flags = 0x10, bold.font = 1;
    Add(work, MakeText(0, 12, bold, "Bold heading"));
    TextStyle italic;
    italic.height = 0.3, italic.flags = 0x20, italic.font = 2, italic.widthFactor = 0.75, italic.justification = 4;
    Add(work, MakeText(0, 13, italic, "Italic serif"));
    TextStyle plain;
    plain.height = 0.25, plain.font = 0;
    Add(work, MakeText(0, 14, plain, "Two\rlines"));
    Add(work, MakeTextBearing(3, 15, plain, "Anchored"));
    Add(work, MakeTextBearing(3, 16, plain, "Anchored\rtwice"));
    unsigned char style[L::kDimStyleSize] = {};
    const float arrows[] = {0.2f, 0.1f};
    std::memcpy(style + 4 * kDimArrowLength, arrows, sizeof arrows);
    const float textHeight = 0.25f, decimals = 2;
    std::memcpy(style + 4 * kDimTextHeight, &textHeight, 4);
    std::memcpy(style + 4 * 9, &decimals, 4);
    Add(work, MakeArcDimension(style, {20, 0}, 3, 0.25, 1.2, 2, 2, {22, 3}));
    auto dimension = [&](int type, size_t length, std::vector<std::pair<size_t, Pt>> points) {
        Record r = MakeHeader(type, static_cast<uint32_t>(length));
        std::memcpy(r.data() + L::kDimStyle, style, sizeof style);
        for (const auto& [offset, p] : points) {
            L::Put(r.data(), static_cast<uint32_t>(r.size()), offset, p.x);
            L::Put(r.data(), static_cast<uint32_t>(r.size()), offset + 8, p.y);
        }
        Add(work, r);
    };
    dimension(L::kDimLinear, L::kDim28Length, {{L::kDim28P1, {0, -2}}, {L::kDim28P2, {4, -2}}, {L::kDim28Line, {0, -3}}, {L::kDim28Text, {2, -3}}});
    dimension(L::kDimAngular, L::kDim29Length,
              {{L::kDim29Vertex, {10, -5}}, {L::kDim29P1, {13, -5}}, {L::kDim29P2, {10, -2}}, {L::kDim29Arc, {12, -3}}, {L::kDim29Text, {12.5, -3}}});
    dimension(L::kDimRadial, L::kDim31Length, {{L::kDim31Centre, {12, 1}}, {L::kDim31Point, {13.5, 1}}, {L::kDim31Text, {14, 2}}});
    Record leader = MakeContainer(L::kPathContainer, 3);
    const float arrowSize[] = {0.3f, 0.12f};
    std::memcpy(leader.data() + L::kHeaderSize, arrowSize, sizeof arrowSize);
    Node* arrowed = Add(work, leader);
    Add(*work.Children(arrowed), MakePath({{25, 0}, {27, 2}, {29, 2}}, false));
    Node* container = Add(work, MakeContainer(L::kContainer, 2));
    Add(*work.Children(container), MakeLine(25, 5, 29, 5));
    const uint32_t handle = RegisterSymbolDefinition(0, 0, "Tag");
    double matrix[12] = {1, 0, 0, 30, 0, 1, 0, 5, 0, 0, 1, 0};
    Node* ref = Add(work, MakeSymbolRef(handle, matrix, "Tag"));
    Add(*work.Children(ref), MakeCircle(0, 0, 0.5));
    TextStyle small;
    small.height = 0.2, small.justification = 4;
    Add(*work.Children(ref), MakeAttribute(0, -1, small, std::string("A-12"), "NUMBER", "Room number"));
}

struct Drawn {
    const char* name;
    void (*build)(Drawing&);
};

void LoadExample(Drawing& drawing) {
    std::string error;
    ASSERT_TRUE(LoadDrawingFile(ExampleFile(), *drawing.work, error)) << error;
}

const Drawn kDrawings[] = {{"floorplan", LoadExample}, {"showcase", BuildShowcase}};

// A fresh drawing (no symbol definitions left from the drawing before) built as `d` says.
Drawing& Built(const Drawn& d) {
    Drawing& drawing = FreshDrawing();
    ClearSymbolDefinitions();
    d.build(drawing);
    return drawing;
}

// Written to DXF and read back, the drawing is the same: every entity with its fields (fills,
// text fonts and flags, dimensions and their style, attributes, closed outlines' corners).
TEST_F(DxfEzdxfTest, HostDrawingsComeBackTheSame) {
    for (const Drawn& d : kDrawings) {
        SCOPED_TRACE(d.name);
        Drawing& drawing = Built(d);
        const Json before = Entities(*drawing.work);
        const std::string path = ql_test::TempPath(std::string(d.name) + ".dxf");
        std::string error, warning = "unset";
        ASSERT_TRUE(ExportDxf(path, *drawing.work, error)) << error;
        HostList& back = *drawing.CreateTemporary("~back.cv7", 0);
        DxfImportOptions options;
        options.warning = &warning;
        ASSERT_TRUE(ImportDxf(path, back, error, options)) << error;
        EXPECT_EQ(warning, "");
        EXPECT_EQ(Difference(before, Entities(back), "entities"), "");
    }
}

// The example floor plan as ezdxf reads it: a clean audit, the entities the drawing has
// (the group an insert of its members' block), fills as HATCH entities with the pattern's lines, the
// dimension with its arrowheads, the bold text in a bold style.
TEST_F(DxfEzdxfTest, FloorPlanAsEzdxfReadsIt) {
    Drawing& drawing = FreshDrawing();
    LoadExample(drawing);
    const std::string path = ql_test::TempPath("floorplan-ezdxf.dxf");
    std::string error;
    ASSERT_TRUE(ExportDxf(path, *drawing.work, error)) << error;
    const Json dxf = RunTool("check '" + path + "'");
    ASSERT_TRUE(dxf.is_object());
    EXPECT_EQ(dxf["audit"]["errors"], Json::array());
    EXPECT_EQ(dxf["audit"]["fixes"], Json::array());
    // The group is an insert of its members' block.
    const Json counts = {{"LWPOLYLINE", 11}, {"HATCH", 10}, {"LINE", 8}, {"CIRCLE", 3},    {"ARC", 2},      {"ELLIPSE", 1},
                         {"INSERT", 2},      {"TEXT", 3},   {"MTEXT", 1}, {"DIMENSION", 1}};
    EXPECT_EQ(dxf["counts"], counts);

    // Each hatch follows its outline and has its corners; the patterns' lines are the fill
    // styles' own.
    const Json& entities = dxf["entities"];
    size_t hatches = 0;
    for (size_t i = 1; i < entities.size(); ++i) {
        const Json& e = entities[i];
        if (e["type"] != "HATCH") continue;
        ++hatches;
        const Json& outline = entities[i - 1];
        ASSERT_EQ(e["paths"].size(), 1u);
        const Json& path = e["paths"][0];
        if (outline["type"] == "LWPOLYLINE") {
            EXPECT_EQ(path["kind"], "polyline");
            EXPECT_EQ(Difference(path["points"], outline["points"], "corners"), "");
            const unsigned char* entry = FindFillStyleByName(drawing.tables, e["pattern"].get<std::string>());
            ASSERT_NE(entry, nullptr) << e["pattern"];
            const std::vector<io::PatternLine> lines = io::FillStyleLines(entry);
            ASSERT_EQ(e["lines"].size(), lines.size());
            for (size_t k = 0; k < lines.size(); ++k) {
                EXPECT_NEAR(e["lines"][k]["angle"].get<double>(), lines[k].angle, 1e-9);
                Near(e["lines"][k]["offset"], lines[k].offset, "pattern offset");
            }
        } else {
            ASSERT_EQ(outline["type"], "CIRCLE");
            EXPECT_TRUE(e["solid"].get<bool>());
            ASSERT_EQ(path["kind"], "edges");
            EXPECT_EQ(path["edges"][0]["kind"], "arc");
            EXPECT_EQ(Difference(path["edges"][0]["center"], outline["center"], "centre"), "");
        }
    }
    EXPECT_EQ(hatches, 10u);
    for (const Json& e : entities) {
        if (e["type"] == "DIMENSION") {
            const Json geometry = e["geometry"];
            EXPECT_EQ(std::count(geometry.begin(), geometry.end(), "SOLID"), 2) << geometry.dump();  // the arrowheads
            EXPECT_EQ(std::count(geometry.begin(), geometry.end(), "ARC"), 1) << geometry.dump();
        }
        if (e["type"] == "MTEXT") {
            EXPECT_EQ(e["style"]["family"], "DejaVu Sans");
            EXPECT_TRUE(e["style"]["bold"].get<bool>());
        }
    }
}

// The imported list, flattened: each entity's JSON with the members of groups, containers
// and symbols after it.
void Flatten(const Json& entities, std::vector<Json>& out) {
    for (const Json& e : entities) {
        out.push_back(e);
        if (e.contains("members")) Flatten(e["members"], out);
    }
}

size_t CountType(const std::vector<Json>& all, const std::string& type) {
    return static_cast<size_t>(std::count_if(all.begin(), all.end(), [&](const Json& e) { return e["type"] == type; }));
}

// Drawings made by ezdxf: each model space entity is taken (with its geometry) or named in
// the warning, and what is named is what the host has no form for.
TEST_F(DxfEzdxfTest, EzdxfDrawingsImportWithEveryEntityAccountedFor) {
    const std::filesystem::path dir = ql_test::TempPath("ezdxf-made");
    std::filesystem::create_directories(dir);
    const Json made = RunTool("make '" + dir.string() + "'");
    ASSERT_TRUE(made.is_object());
    const struct {
        const char* file;
        const char* warning;  // the end of the warning, or "" for none
        size_t merged;        // hatches that became the fill of the outline before them
    } cases[] = {
        {"hatches.dxf", "", 1},
        {"dimensions.dxf", "", 0},
        {"blocks.dxf", "", 0},
        {"styles.dxf", "left out: 1 LINE in paper space, 1 RAY, 1 SPLINE", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ASSERT_TRUE(made.contains(c.file));
        const Json& theirs = made[c.file];
        EXPECT_EQ(theirs["audit"]["errors"], Json::array());
        Drawing& drawing = FreshDrawing();
        ClearSymbolDefinitions();
        std::string error, warning;
        ASSERT_TRUE(LoadDrawingFile((dir / c.file).string(), *drawing.work, error, &warning)) << error;
        if (*c.warning) {
            EXPECT_NE(warning.find(c.warning), std::string::npos) << warning;
            EXPECT_EQ(warning.size() - warning.find(c.warning), std::string(c.warning).size()) << warning;
        } else {
            EXPECT_EQ(warning, "");
        }
        const Json ours = Entities(*drawing.work);
        std::vector<Json> all;
        Flatten(ours, all);
        const Json& counts = theirs["counts"];
        size_t taken = 0;
        for (auto it = counts.begin(); it != counts.end(); ++it)
            if (it.key() != "RAY" && it.key() != "SPLINE") taken += it.value().get<size_t>();
        EXPECT_EQ(ours.size() + c.merged, taken) << ours.dump();

        const std::string file = c.file;
        if (file == "hatches.dxf") {
            // The patterned hatch with its two islands: a filled container of the outline, the
            // square hole and the round one, in a new fill style with ezdxf's lines.
            const Json& island = ours[0];
            ASSERT_EQ(island["type"], "filled");
            ASSERT_EQ(island["members"].size(), 3u);
            EXPECT_EQ(island["members"][0]["points"].size(), 4u);  // hatch paths as they are
            EXPECT_EQ(island["members"][2]["type"], "circle");
            Near(island["members"][2]["center"], {7, 7}, "island centre");
            EXPECT_EQ(island["fill_color"], 3);
            const unsigned char* entry = FindFillStyle(drawing.tables, island["fill_style"].get<int>());
            ASSERT_NE(entry, nullptr);
            EXPECT_EQ(io::FillStyleName(entry), "ANSI31");
            const std::vector<io::PatternLine> lines = io::FillStyleLines(entry);
            const Json& their = theirs["entities"][0]["lines"];
            ASSERT_EQ(lines.size(), their.size());
            EXPECT_NEAR(lines[0].angle, their[0]["angle"].get<double>(), 1e-5);
            EXPECT_NEAR(Norm(lines[0].offset), std::hypot(their[0]["offset"][0].get<double>(), their[0]["offset"][1].get<double>()), 1e-6);
            // The solid hatch with a bulge: a polygon through the arc, filled solid in red.
            const Json& solid = ours[1];
            EXPECT_EQ(solid["type"], "polygon");
            EXPECT_EQ(solid["fill_style"], 1);
            EXPECT_EQ(solid["fill_color"], 1);
            EXPECT_GT(solid["points"].size(), 4u);
            // The hatch over a polyline of the same corners fills that polyline.
            const Json& outlined = ours[2];
            EXPECT_EQ(outlined["type"], "polygon");
            EXPECT_EQ(outlined["points"].size(), 5u);  // a closed polyline, first corner again at the end
            EXPECT_EQ(outlined["fill_color"], 5);
        } else if (file == "dimensions.dxf") {
            // Dimensions come as the pictures ezdxf drew for them: lines, the arrowheads (inserts
            // of ezdxf's arrow blocks), the measured value.
            ASSERT_EQ(ours.size(), 5u);
            for (int i : {1, 2, 4}) {
                EXPECT_EQ(ours[i]["type"], "group");
                std::vector<Json> members;
                Flatten(ours[i]["members"], members);
                EXPECT_GT(CountType(members, "line"), 0u);
                EXPECT_GT(CountType(members, "text") + CountType(members, "group"), 0u) << ours[i].dump();
            }
            for (auto [i, arrows] : {std::pair{1, 2u}, std::pair{2, 2u}, std::pair{4, 1u}}) {
                const Json& members = ours[i]["members"];
                EXPECT_EQ(CountType(std::vector<Json>(members.begin(), members.end()), "symbol"), arrows) << members.dump();
            }
        } else if (file == "blocks.dxf") {
            // Each insert a symbol whose members are the block's outline and circle and the
            // insert's own attribute values.
            ASSERT_EQ(ours.size(), 2u);
            const char* numbers[] = {"D1", "D2"};
            for (int i = 0; i < 2; ++i) {
                const Json& ref = ours[i];
                EXPECT_EQ(ref["type"], "symbol");
                EXPECT_EQ(ref["name"], "DOORTAG");
                std::map<std::string, std::string> values;
                for (const Json& m : ref["members"])
                    if (m["type"] == "attribute") values[m["tag"].get<std::string>()] = m.value("value", "");
                EXPECT_EQ(values["NUMBER"], numbers[i]);
                EXPECT_EQ(values.size(), 2u);
                EXPECT_EQ(CountType(std::vector<Json>(ref["members"].begin(), ref["members"].end()), "circle"), 1u);
            }
        } else if (file == "styles.dxf") {
            // Styles give the font and bold or italic; the width factor is the text's own.
            ASSERT_GE(ours.size(), 3u);
            EXPECT_EQ(ours[0]["flags"], 0x10);
            EXPECT_EQ(ours[0]["font"], 1);  // DejaVu Sans
            EXPECT_EQ(ours[1]["flags"], 0x20);
            EXPECT_EQ(ours[1]["font"], 2);  // DejaVu Serif
            EXPECT_NEAR(ours[1]["width"].get<double>(), 0.7, 1e-6);
            EXPECT_EQ(ours[2]["string"], "two\rlines");
            EXPECT_EQ(ours[2]["flags"], 0x10);
        }
    }
}

// Every host drawing written to DXF passes ezdxf's audit without errors or fixes.
TEST_F(DxfEzdxfTest, ExportedDrawingsAuditClean) {
    for (const Drawn& d : kDrawings) {
        SCOPED_TRACE(d.name);
        Drawing& drawing = Built(d);
        const std::string path = ql_test::TempPath(std::string(d.name) + "-audit.dxf");
        std::string error;
        ASSERT_TRUE(ExportDxf(path, *drawing.work, error)) << error;
        const Json dxf = RunTool("check '" + path + "'");
        ASSERT_TRUE(dxf.is_object());
        EXPECT_EQ(dxf["audit"]["errors"], Json::array());
        EXPECT_EQ(dxf["audit"]["fixes"], Json::array());
        // Arrowheads show in other programs: the dimensions' and the path container's.
        size_t solids = 0;
        for (const Json& e : dxf["entities"])
            for (const char* key : {"geometry", "block"})
                if (e.contains(key) && e[key].is_array()) solids += std::count(e[key].begin(), e[key].end(), "SOLID");
        EXPECT_EQ(solids, std::string(d.name) == "showcase" ? 2u + 2u + 2u + 1u : 2u);
    }
}

}  // namespace
}  // namespace qlhost
