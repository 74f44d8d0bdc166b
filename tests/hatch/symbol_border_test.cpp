// Symbol references among the hatch boundaries: their members bound the area where the
// reference shows them (its matrix, less the definition's base point; nested references
// composing; references inside groups too), for the regular, smart and scan methods alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/commands.h"
#include "hatch_test_util.h"
#include "host/io/drawing_io.h"
#include "host/platform/hooks.h"
#include "host/protocol/protocol.h"

namespace {

using hatchtest::Segment;

// A room (10, 10)-(30, 30) and a table whose definition is the box (-2, -1)-(2, 1); each
// drawing places the table somewhere in the room. outline: the table's corners as shown.
struct Placement {
    const char* name;
    const char* table;
    double outline[4][2];
};

const char kTableMembers[] =
    R"("members": [{"type": "polygon", "points": [[-2, -1], [2, -1], [2, 1], [-2, 1]]}])";

std::string Table(const char* name, const char* base, const char* matrix) {
    return std::string(R"({"type": "symbol", "name": ")") + name + R"(", "base": )" + base +
           R"(, "matrix": )" + matrix + ", " + kTableMembers + "}";
}

const std::string kPlain = Table("Table", "[0, 0]", "[1, 0, 0, 20, 0, 1, 0, 20, 0, 0, 1, 0]");
// Turned by a quarter turn, twice the size, base point (1, 1): p shows at (19 - 2y, 19 + 2x).
const std::string kTurned = Table("Turned", "[1, 1]", "[0, -2, 0, 20, 2, 0, 0, 20, 0, 0, 1, 0]");
const std::string kInGroup = R"({"type": "group", "members": [)" + kPlain + "]}";
// A set at (15, 15) holding the table turned by a quarter turn at (5, 5): (20 - y, 20 + x).
const std::string kNested = R"({"type": "symbol", "name": "Set", "base": [0, 0],
    "matrix": [1, 0, 0, 15, 0, 1, 0, 15, 0, 0, 1, 0], "members": [)" +
                            Table("Quarter", "[0, 0]", "[0, -1, 0, 5, 1, 0, 0, 5, 0, 0, 1, 0]") + "]}";

const Placement kPlacements[] = {
    {"plain", kPlain.c_str(), {{18, 19}, {22, 19}, {22, 21}, {18, 21}}},
    {"turned and scaled", kTurned.c_str(), {{21, 15}, {21, 23}, {17, 23}, {17, 15}}},
    {"in a group", kInGroup.c_str(), {{18, 19}, {22, 19}, {22, 21}, {18, 21}}},
    {"nested", kNested.c_str(), {{21, 18}, {21, 22}, {19, 22}, {19, 18}}},
};

// Strictly inside the convex outline (corners counter-clockwise), by a margin.
bool InsideOutline(const double (&outline)[4][2], double x, double y) {
    for (int i = 0; i < 4; ++i) {
        const double* a = outline[i];
        const double* b = outline[(i + 1) % 4];
        const double cross = (b[0] - a[0]) * (y - a[1]) - (b[1] - a[1]) * (x - a[0]);
        if (cross <= 1e-6 * std::hypot(b[0] - a[0], b[1] - a[1])) return false;
    }
    return true;
}

class SymbolBorder : public hatchtest::HatchHostTest {
protected:
    void SetUp() override {
        HatchHostTest::SetUp();
        qlhost::ResetSession();
        qlhost::ClearSymbolDefinitions();
        qlhost::SetCommandTable({"Quillet",
                                 {"QLHATCHSTANDARD", "QLHATCHSMART", "QLHATCHSCAN"},
                                 {nullptr, QLHATCHSTANDARD, QLHATCHSMART, QLHATCHSCAN}});
        // Upright hatch lines one unit apart, so every table crosses some of them.
        LineSettings line = DefaultLineSettings();
        line.angle = kQuarterTurn;
        line.distance = 1;
        hatchtest::StoreLineSettings(line);
    }
    void TearDown() override {
        qlhost::AbandonCommand();
        qlhost::ResetSession();
        qlhost::RemoveAllHooks();
        qlhost::SetCommandTable({});
        qlhost::ClearSymbolDefinitions();
        HatchHostTest::TearDown();
    }

    void Load(const Placement& placement) {
        qlhost::TheDrawing().Reset();
        qlhost::ClearSymbolDefinitions();
        const std::string json = std::string(R"({"format": "quillet-drawing", "version": 1,
            "entities": [{"type": "polygon", "points": [[10, 10], [30, 10], [30, 30], [10, 30], [10, 10]]}, )") +
                                 placement.table + "]}";
        std::string error;
        ASSERT_TRUE(qlhost::ParseDrawingJson(json, Work(), error)) << error;
    }

    // Runs the method with the room and the table selected by a window around the room.
    void Run(const std::string& method) {
        ASSERT_TRUE(qlhost::StartCommand(method));
        qlhost::SelectWindow(9, 9, 31, 31);
        qlhost::AnswerSelection();
        if (method == "QLHATCHSMART") {
            qlhost::AnswerPoint(12, 12, 0, false);
        } else if (method == "QLHATCHSCAN") {
            // One stroke just above the bottom wall, across the whole room.
            qlhost::MoveCursor(10.5, 11);
            qlhost::DeliverMouse(WM_LBUTTONDOWN, 0, 0);
            qlhost::AnswerPoint(10.5, 11, 0, false);
            qlhost::PumpMessages();
            qlhost::MoveCursor(29.5, 11);
            qlhost::DeliverMouse(WM_LBUTTONUP, 0, 0);
            qlhost::PumpMessages();
            qlhost::AnswerPrompt(qlhost::kStatusCancel);
        }
        EXPECT_FALSE(qlhost::CommandRunning());
    }

    // The lines of the groups the hatch added.
    std::vector<Segment> HatchLines() {
        std::vector<Segment> lines;
        for (const qlhost::Node* node = Work().head; node != nullptr; node = node->next) {
            if (node->type() != ET_GROUP || node->deleted()) continue;
            for (const qlhost::Node* m = node->children->head; m != nullptr; m = m->next) {
                if (m->deleted() || m->type() != ET_LINE) continue;
                const EntRec* r = m->record();
                lines.push_back({GetF64(r, kLineStart), GetF64(r, kLineStart + 8), GetF64(r, kLineEnd),
                                 GetF64(r, kLineEnd + 8)});
            }
        }
        return lines;
    }
};

TEST_F(SymbolBorder, TheTableIsAnIslandWhereItStands) {
    for (const char* method : {"QLHATCHSTANDARD", "QLHATCHSMART", "QLHATCHSCAN"}) {
        for (const Placement& placement : kPlacements) {
            const std::string what = std::string(method) + ", table " + placement.name;
            Load(placement);
            Run(method);
            const std::vector<Segment> lines = HatchLines();
            EXPECT_GE(lines.size(), 15u) << what;
            const double low = std::min({placement.outline[0][1], placement.outline[1][1],
                                         placement.outline[2][1], placement.outline[3][1]});
            int outsideRoom = 0;
            int throughTable = 0;
            bool besideTable = false;
            for (const Segment& s : lines) {
                // Nothing of the definition near the origin: every line lies in the room.
                for (double v : {s.x1, s.y1, s.x2, s.y2}) outsideRoom += v < 10 - 1e-9 || v > 30 + 1e-9;
                for (int k = 1; k < 50; ++k) {
                    const double t = k / 50.0;
                    if (InsideOutline(placement.outline, s.x1 + t * (s.x2 - s.x1), s.y1 + t * (s.y2 - s.y1))) {
                        ++throughTable;
                        break;
                    }
                }
                // Some lines stop at the table's lower edge.
                if (std::fabs(std::max(s.y1, s.y2) - low) < 1e-9) besideTable = true;
            }
            EXPECT_EQ(outsideRoom, 0) << what;
            EXPECT_EQ(throughTable, 0) << what;
            EXPECT_TRUE(besideTable) << what;
        }
    }
}

}  // namespace
