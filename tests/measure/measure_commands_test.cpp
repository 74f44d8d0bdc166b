// Same-as drawing and group to one level through the host's prompts: the script handed to
// the host for each kind of entity, the settings made current, the dimension style
// adopted, the shape tests of closed polylines and the flattening of nested groups.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/commands.h"
#include "core/records.h"
#include "host/drawing/drawing.h"
#include "host/drawing/layouts.h"
#include "host/drawing/tables.h"
#include "host/geometry/geometry.h"
#include "host/geometry/records.h"
#include "host/platform/hooks.h"
#include "host/platform/system.h"
#include "host/protocol/protocol.h"
#include "measure/same_as.h"
#include "tests/support/command_test.h"

namespace {

using qlhost::Node;
using qlhost::Record;

class MeasureCommands : public HostCommandTest {
protected:
    void SetUp() override {
        UseCommands({"measure test", {"QLSAMEAS", "QLGROUP1", "QLTEXT"}, {nullptr, QLSAMEAS, QLGROUP1, QLTEXT}});
    }

    static Node* Add(Record record, qlhost::HostList* list = nullptr) {
        if (!list) list = qlhost::TheDrawing().work.get();
        return list->Append(record.data(), static_cast<uint32_t>(record.size()));
    }
    // Picks at a point and returns the script text handed to the host ("" when none).
    static std::string SameAs(double x, double y) {
        qlhost::ClearQueuedCommands();
        EXPECT_TRUE(qlhost::StartCommand("QLSAMEAS"));
        qlhost::AnswerPick(x, y);
        EXPECT_FALSE(qlhost::CommandRunning());
        return qlhost::TakeQueuedCommand();
    }
    static Record Polygon(std::vector<qlhost::Pt> points) {
        Record r = qlhost::MakePath(points, true);
        return r;
    }
    static PolygonKind Kind(const std::vector<qlhost::Pt>& points) {
        return ClassifyClosedPolyline(Polygon(points).data());
    }

};

TEST_F(MeasureCommands, ClosedPolylineShapes) {
    // Axis-parallel either way round, and skewed below 1 % of the diagonal.
    EXPECT_EQ(Kind({{0, 0}, {0, 10}, {20, 10}, {20, 0}, {0, 0}}), PolygonKind::kBox);
    EXPECT_EQ(Kind({{0, 0}, {20, 0}, {20, 10}, {0, 10}, {0, 0}}), PolygonKind::kBox);
    EXPECT_EQ(Kind({{0, 0}, {0.2, 10}, {20, 10.2}, {20, 0}, {0, 0}}), PolygonKind::kBox);
    EXPECT_EQ(Kind({{0, 0}, {0.3, 10}, {20, 10}, {20, 0}, {0, 0}}), PolygonKind::kPolygon);
    // A rotated square is regular, a rotated rectangle is not.
    EXPECT_EQ(Kind({{0, 0}, {8.66, 5}, {3.66, 13.66}, {-5, 8.66}, {0, 0}}), PolygonKind::kRegular);
    EXPECT_EQ(Kind({{0, 0}, {8.66, 5}, {6.16, 9.33}, {-2.5, 4.33}, {0, 0}}), PolygonKind::kPolygon);
    EXPECT_EQ(Kind({{0, 0}, {10, 0}, {0, 0}}), PolygonKind::kPolygon);
    EXPECT_EQ(Kind({{0, 0}, {0, 0}, {0, 0}, {0, 0}}), PolygonKind::kPolygon);
    // A vertex count the record cannot hold.
    Record cut = Polygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}});
    qlhost::layout::Put<uint16_t>(cut.data(), cut.size(), 32, 500);
    EXPECT_EQ(ClassifyClosedPolyline(cut.data()), PolygonKind::kPolygon);
}

TEST_F(MeasureCommands, AttributesLayerAndStylesBecomeCurrent) {
    Record line = qlhost::MakeLine(0, 0, 10, 0);
    line[5] = static_cast<unsigned char>(-3);
    PutU32(line.data(), 6, 4);
    PutU32(line.data(), 10, 5);
    PutU16(line.data(), 14, 2);
    PutU16(line.data(), 16, 3);
    PutU16(line.data(), 20, 4);
    PutU32(line.data(), 22, 0x1234);
    Add(line);
    EXPECT_EQ(SameAs(5, 0), "LINE;");
    auto& tables = qlhost::TheDrawing().tables;
    const unsigned char* settings = tables.attributes.data();
    EXPECT_EQ(GetI8(settings, 116), -3);
    EXPECT_FLOAT_EQ(GetF32(settings, 165), -3.0f);
    EXPECT_EQ(GetU32(settings, 8), 4u);
    EXPECT_EQ(GetU32(settings, 117), 5u);
    EXPECT_EQ(GetU32(settings, 121), 0x1234u);
    EXPECT_EQ(qlhost::CurrentLayer(tables), 4);
    EXPECT_EQ(qlhost::CurrentFillStyle(tables), 2);
    EXPECT_EQ(qlhost::CurrentLineStyle(tables), 3);
}

TEST_F(MeasureCommands, CommandsByKindAndSubtype) {
    Add(qlhost::MakePoint(0, 0));
    EXPECT_EQ(SameAs(0, 0), "POINT;");
    qlhost::TheDrawing().Reset();
    Add(qlhost::MakePath({{0, 0}, {10, 0}}, false));
    EXPECT_EQ(SameAs(5, 0), "PATH;");
    qlhost::TheDrawing().Reset();
    Add(qlhost::MakeCurve(26, 2, {{0, 0}, {5, 0}, {10, 0}}));
    EXPECT_EQ(SameAs(5, 0), "PSPLINE;");
    qlhost::TheDrawing().Reset();
    Add(qlhost::MakeCurve(27, 1, {{0, 0}, {5, 5}, {10, 0}}));
    EXPECT_EQ(SameAs(2.5, 2.5), "SPOLY;");
    qlhost::TheDrawing().Reset();
    Record odd = qlhost::MakeCurve(26, 0, {{0, 0}, {10, 0}});
    odd[32] = 7;
    Add(odd);
    EXPECT_EQ(SameAs(5, 0), "");
    qlhost::TheDrawing().Reset();
    Add(qlhost::MakeEllipse(0, 0, 10, 0, 0.5));
    EXPECT_EQ(SameAs(10, 0), "ELIPP;");
    qlhost::TheDrawing().Reset();
    Add(qlhost::MakeWall(0, 0, 10, 0, 0.3));
    EXPECT_EQ(SameAs(5, 0), "WALL;");
}

TEST_F(MeasureCommands, GroupGivesNoCommandAndChangesNothing) {
    Node* group = Add(qlhost::MakeGroup());
    Record line = qlhost::MakeLine(0, 0, 10, 0);
    PutU16(line.data(), 20, 3);
    Add(line, group->owner->Children(group));
    EXPECT_EQ(SameAs(5, 0), "");
    EXPECT_EQ(qlhost::CurrentLayer(qlhost::TheDrawing().tables), 0);
    ASSERT_TRUE(qlhost::StartCommand("QLSAMEAS"));
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
    EXPECT_FALSE(qlhost::CommandRunning());
}

TEST_F(MeasureCommands, PathContainersByMemberAndArrowFlags) {
    struct Case {
        Record member;
        uint32_t flags;
        const char* command;
    };
    const Case cases[] = {
        {qlhost::MakeLine(0, 0, 10, 0), 3, "LINEDA;"},
        {qlhost::MakeLine(0, 0, 10, 0), 2, "LINEA;"},
        {qlhost::MakePath({{0, 0}, {10, 0}}, false), 1, "PATHA;"},
        {qlhost::MakeArc(5, -5, 7.0710678, 0.785398, 1.570796), 3, "ARCDA;"},
        {qlhost::MakeArc(5, -5, 7.0710678, 0.785398, 1.570796), 1, "ARCAS;"},
        {qlhost::MakeArc(5, -5, 7.0710678, 0.785398, 1.570796), 2, "ARCA;"},
        {qlhost::MakeCurve(26, 1, {{0, 0}, {5, 0}, {10, 0}}), 0, "SPLINEA;"},
        {qlhost::MakeCircle(9, 0, 1), 3, ""},
    };
    for (const Case& c : cases) {
        qlhost::TheDrawing().Reset();
        Record container = qlhost::MakeContainer(34, c.flags);
        PutF32(container.data(), 32, 4.5f);
        PutF32(container.data(), 36, 1.5f);
        Node* node = Add(container);
        Add(c.member, node->owner->Children(node));
        EXPECT_EQ(SameAs(10, 0), c.command);
        const unsigned char* settings = qlhost::TheDrawing().tables.attributes.data();
        EXPECT_FLOAT_EQ(GetF32(settings, 201), *c.command ? 4.5f : 2.5f) << c.command;
    }
}

TEST_F(MeasureCommands, DimensionStyleIsAdopted) {
    auto& tables = qlhost::TheDrawing().tables;
    unsigned char* large = qlhost::FindEntryByNumber(tables.dimStyles, qlhost::kTableEntries, 2);
    ASSERT_NE(large, nullptr);
    Record dim = qlhost::MakeHeader(28, qlhost::layout::kDim28Length);
    std::memcpy(dim.data() + 32, large + 4, 116);
    PutF32(dim.data(), 32 + 4 * 10, 7.25f);  // a text height of its own
    PutPoint(dim.data(), 148, 0, 0);
    PutPoint(dim.data(), 164, 10, 0);
    PutPoint(dim.data(), 180, 0, 5);
    PutPoint(dim.data(), 196, 5, 5);
    Add(dim);
    EXPECT_EQ(SameAs(0, 0), "DIML;");
    EXPECT_EQ(qlhost::CurrentEntryNumber(tables.dimStyles), 2);
    EXPECT_FLOAT_EQ(qlhost::CurrentDimFloat(tables, qlhost::kDimTextHeight), 7.25f);
    // A style the table does not list: the command is still chosen, nothing adopted.
    qlhost::TheDrawing().Reset();
    PutU16(dim.data(), 32, 99);
    Add(dim);
    EXPECT_EQ(SameAs(0, 0), "DIML;");
    EXPECT_EQ(qlhost::CurrentEntryNumber(qlhost::TheDrawing().tables.dimStyles), 1);
}

TEST_F(MeasureCommands, DimensionKindsAndTheirChoiceBits) {
    struct Case {
        int type;
        size_t choice;  // byte holding the choice bit, 0 for none
        uint8_t bit;
        const char* command;
    };
    const Case cases[] = {
        {28, 221, 0x01, "DIMP;"}, {28, 221, 0xFE, "DIML;"}, {29, 244, 0x02, "DIMR;"},
        {29, 244, 0xFD, "DIMD;"}, {30, 0, 0, "DIMAQ;"},     {31, 0, 0, "DIMO;"},
    };
    for (const Case& c : cases) {
        qlhost::TheDrawing().Reset();
        auto& tables = qlhost::TheDrawing().tables;
        const unsigned char* large = qlhost::FindEntryByNumber(tables.dimStyles, qlhost::kTableEntries, 2);
        ASSERT_NE(large, nullptr);
        Record dim = qlhost::MakeHeader(c.type, 250);  // long enough for both choice bytes
        std::memcpy(dim.data() + 32, large + 4, 116);
        for (size_t at = 148; at < 228; at += 16) PutPoint(dim.data(), at, 0, 0);
        PutPoint(dim.data(), 164, 10, 0);  // type 30: radius 10, start 0, sweep 0
        if (c.choice != 0) dim[c.choice] = c.bit;
        Add(dim);
        EXPECT_EQ(SameAs(10, 0), c.command) << c.type;
        EXPECT_EQ(qlhost::CurrentEntryNumber(tables.dimStyles), 2) << c.type;
    }
    // A record shorter than its choice byte reads the bit as clear.
    qlhost::TheDrawing().Reset();
    Record shortDim = qlhost::MakeHeader(29, 229);
    PutPoint(shortDim.data(), 164, 10, 0);
    Add(shortDim);
    EXPECT_EQ(SameAs(10, 0), "DIMD;");
}

TEST_F(MeasureCommands, OtherKindsEmptyPicksAndEnter) {
    Add(qlhost::MakeEllipseArc(0, 0, 10, 0, 0.5, 0, 3));
    EXPECT_EQ(SameAs(10, 0), "ELIPA;");
    qlhost::TheDrawing().Reset();
    Add(qlhost::MakeBezier({{0, 0}, {3, 3}, {6, 3}, {9, 0}}));
    EXPECT_EQ(SameAs(0, 0), "BEZ;");
    qlhost::TheDrawing().Reset();
    Add(qlhost::MakeCurve(27, 3, {{0, 0}, {3, 3}, {6, 3}, {9, 0}}));
    EXPECT_EQ(SameAs(0, 0), "BEZ;");
    // A kind without a command still makes its layer and styles current.
    qlhost::TheDrawing().Reset();
    Record bearing = qlhost::MakeTextBearing(0, 0, qlhost::TextStyle{}, "Tag");
    PutU16(bearing.data(), kRecLayer, 5);
    PutU16(bearing.data(), kRecLineStyle, 2);
    Add(bearing);
    EXPECT_EQ(SameAs(0.5, 0.5), "");
    EXPECT_EQ(qlhost::CurrentLayer(qlhost::TheDrawing().tables), 5);
    EXPECT_EQ(qlhost::CurrentLineStyle(qlhost::TheDrawing().tables), 2);
    // A pick on nothing and Enter at the prompt end the command and change nothing.
    qlhost::TheDrawing().Reset();
    Record line = qlhost::MakeLine(0, 0, 10, 0);
    PutU16(line.data(), kRecLayer, 3);
    Add(line);
    EXPECT_EQ(SameAs(50, 50), "");
    ASSERT_TRUE(qlhost::StartCommand("QLSAMEAS"));
    qlhost::AnswerPrompt(ST_DEFAULT);
    EXPECT_FALSE(qlhost::CommandRunning());
    EXPECT_EQ(qlhost::TakeQueuedCommand(), "");
    EXPECT_EQ(qlhost::CurrentLayer(qlhost::TheDrawing().tables), 0);
}

TEST_F(MeasureCommands, SymbolNameAndTextCommands) {
    // The name fills the 512-byte command buffer at 503 characters.
    for (const std::string& name : {std::string("Chair"), std::string(503, 'n'), std::string(504, 'n')}) {
        qlhost::TheDrawing().Reset();
        const uint32_t handle = qlhost::RegisterSymbolDefinition(0, 0, name);
        Node* symbol = Add(qlhost::MakeSymbolRef(handle, 5, 5, 0, 1, name));
        Add(qlhost::MakeCircle(0, 0, 1), symbol->owner->Children(symbol));
        EXPECT_EQ(SameAs(6, 5), name.size() < 504 ? "SYMBOL;" + name + ";" : "");
    }
    qlhost::TheDrawing().Reset();
    Add(qlhost::MakeText(0, 0, 3, 0, 0, 2, "Label"));
    EXPECT_EQ(SameAs(1, 1), "QLTEXT;");
}

TEST_F(MeasureCommands, GroupToOneLevel) {
    Node* line = Add(qlhost::MakeLine(0, 0, 10, 0));
    Node* outer = Add(qlhost::MakeGroup());
    qlhost::HostList* outerList = outer->owner->Children(outer);
    Add(qlhost::MakeCircle(3, 3, 1), outerList);
    Node* inner = Add(qlhost::MakeGroup(), outerList);
    Node* bare = Add(qlhost::MakeGroup(), outerList);  // a group whose list was never opened
    Add(qlhost::MakeText(0, 0, 2, 0, 0, 1, "T"), inner->owner->Children(inner));
    Node* symbol = Add(qlhost::MakeSymbolRef(0, 9, 9, 0, 1, "S"));
    Add(qlhost::MakeCircle(0, 0, 1), symbol->owner->Children(symbol));
    std::string error;
    qlhost::SelectIds({line->id, outer->id, symbol->id}, error);
    ASSERT_TRUE(qlhost::StartCommand("QLGROUP1"));
    qlhost::AnswerSelection();
    EXPECT_FALSE(qlhost::CommandRunning());
    const Node* group = qlhost::TheDrawing().work->tail;
    ASSERT_EQ(group->type(), 10);
    EXPECT_TRUE(group->selected());
    std::vector<int> types;
    for (const Node* n = group->children->head; n; n = n->next) types.push_back(n->type());
    EXPECT_EQ(types, (std::vector<int>{2, 6, 5, 12}));
    EXPECT_EQ(group->children->tail->children->count, 1u);
    EXPECT_EQ(outerList->count, 2u);  // the emptied inner group and the bare one stay
    EXPECT_EQ(bare->owner, outerList);
    EXPECT_EQ(qlhost::ValidateDrawing(qlhost::TheDrawing()), "");
}

}  // namespace
