// A click at a placement prompt while SHIFT or CTRL turned or scaled the preview places
// exactly what the last preview frame showed, for every command with a placement drag: the
// selection (move, copy), a part (both part commands) and a text (new text, text with a box,
// a moved edited text, inserted copies of an edited text).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/commands.h"
#include "core/records.h"
#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/geometry/records.h"
#include "host/platform/hooks.h"
#include "host/platform/system.h"
#include "host/protocol/protocol.h"
#include "host/ui/resources.h"
#include "tests/support/command_test.h"
#include "tests/support/temp_path.h"
#include "tests/ui/ui_script.h"

namespace {

namespace fs = std::filesystem;
using qlhost::Node;
using qlhost::PreviewPrim;
using Bytes = std::vector<unsigned char>;

struct Keys {
    const char* name;
    bool shift;
    bool ctrl;
};
constexpr Keys kKeys[] = {{"SHIFT", true, false}, {"CTRL", false, true}, {"SHIFT+CTRL", true, true}};

// What a placement prompt drew and what the click stored, as the records past their header:
// entity records from offset 32, texts as their data part, box outlines as their points.
struct Shapes {
    std::vector<Bytes> entities;
    std::vector<Bytes> texts;
    std::vector<std::vector<double>> outlines;
};

Bytes Tail(const unsigned char* record, size_t from, size_t to) {
    return Bytes(record + from, record + to);
}

// The labels beside the cursor are texts of the frame too.
bool IsStatusLabel(const std::string& text) {
    for (const char* label : {"Angle: ", "Scale ", "Height: ", "X: "})
        if (text.rfind(label, 0) == 0) return true;
    return false;
}

class PlacementClick : public HostCommandTest {
protected:
    void SetUp() override {
        UseCommands({"placement click test",
                     {"QLMOVE", "QLCOPY", "QLPART", "QLPARTM", "QLTEXT", "QLTEXTB", "QLTEDIT"},
                     {nullptr, QLMOVE, QLCOPY, QLPART, QLPARTM, QLTEXT, QLTEXTB, QLTEDIT}});
        qlhost::SetResourceFolder(nullptr, std::string(QL_SOURCE_DIR) + "/resources");
        qlhost::ResetClock();
        dir_ = ql_test::TempPath("placement_click");
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        savedUserDir_ = qlhost::UserDir();
        qlhost::SetUserDir(dir_.string());
        std::ofstream(dir_ / "door.cv7") << R"({"format": "quillet-drawing", "version": 1,
            "entities": [{"type": "line", "p1": [0, 0], "p2": [2, 0]},
                         {"type": "circle", "center": [1, 1], "radius": 0.5}]})";
    }
    void TearDown() override {
        HostCommandTest::TearDown();
        qlhost::SetUserDir(savedUserDir_);
        fs::remove_all(dir_);
    }

    static Node* Add(const qlhost::Record& record) {
        return qlhost::TheDrawing().work->Append(record.data(), static_cast<uint32_t>(record.size()));
    }
    static void Hold(const Keys& keys, bool held) {
        if (keys.shift) qlhost::SetKeyHeld(VK_SHIFT, held);
        if (keys.ctrl) qlhost::SetKeyHeld(VK_CONTROL, held);
    }

    // A plain move gives the target; with the keys held the cursor wanders off, and the
    // click lies elsewhere again (the host moves the cursor there, one more drag step, then
    // answers). Returns the last preview frame.
    static Shapes DragAndClick(const Keys& keys, bool threeD) {
        qlhost::MoveCursor(20, 10);
        Hold(keys, true);
        qlhost::MoveCursor(24, 16);
        qlhost::MoveCursor(27, 23);
        qlhost::MoveCursor(33, 2);
        Shapes shown;
        for (const PreviewPrim& prim : qlhost::CurrentFrame().prims) {
            if (prim.kind == PreviewPrim::Entity)
                shown.entities.push_back(Tail(prim.record.data(), 32, prim.record.size()));
            if (prim.kind == PreviewPrim::Text && !IsStatusLabel(prim.text))
                shown.texts.push_back(prim.record);
            if (prim.kind == PreviewPrim::Polyline) shown.outlines.push_back(prim.points);
        }
        qlhost::AnswerPoint(33, 2, 0, threeD);
        Hold(keys, false);
        return shown;
    }

    // What the work list holds besides the records in before (the entities the command
    // started from, unchanged), as DragAndClick gives the preview.
    static Shapes Stored(const std::vector<Bytes>& before) {
        Shapes stored;
        for (const Node* n = qlhost::TheDrawing().work->head; n != nullptr; n = n->next) {
            const unsigned char* r = n->record();
            if (n->deleted() || std::find(before.begin(), before.end(), Whole(r)) != before.end()) continue;
            if (n->type() == ET_TEXT) {
                stored.texts.push_back(Tail(r, kTextData, kTextData + kTextDataSize));
            } else if (n->type() == ET_POLYGON) {
                std::vector<double> points(2 * GetU16(r, kPolyCount));
                std::memcpy(points.data(), r + kPolyVertices, points.size() * sizeof(double));
                stored.outlines.push_back(points);
            } else {
                stored.entities.push_back(Tail(r, 32, n->length()));
            }
        }
        return stored;
    }
    static Bytes Whole(const unsigned char* record) { return Tail(record, 0, GetU32(record, 0)); }
    static std::vector<Bytes> Records() {
        std::vector<Bytes> records;
        for (const Node* n = qlhost::TheDrawing().work->head; n != nullptr; n = n->next)
            records.push_back(Whole(n->record()));
        return records;
    }

    static void ExpectSame(const Shapes& shown, const Shapes& stored, const std::string& what,
                           bool outlines = true) {
        EXPECT_FALSE(shown.entities.empty() && shown.texts.empty()) << what;
        EXPECT_EQ(shown.entities, stored.entities) << what;
        EXPECT_EQ(shown.texts, stored.texts) << what;
        if (!outlines) return;
        ASSERT_EQ(shown.outlines.size(), stored.outlines.size()) << what;
        for (size_t i = 0; i < shown.outlines.size(); ++i) {
            ASSERT_EQ(shown.outlines[i].size(), stored.outlines[i].size()) << what;
            for (size_t k = 0; k < shown.outlines[i].size(); ++k)
                EXPECT_NEAR(shown.outlines[i][k], stored.outlines[i][k], 1e-9) << what << " " << k;
        }
    }

    fs::path dir_;
    std::string savedUserDir_;
};

TEST_F(PlacementClick, SelectionAndPartLandWhereTheyWereShown) {
    for (const char* name : {"QLMOVE", "QLCOPY", "QLPART", "QLPARTM"}) {
        for (const Keys& keys : kKeys) {
            const std::string command = name;
            const std::string what = command + " " + keys.name;
            qlhost::TheDrawing().Reset();
            Add(qlhost::MakeLine(0, 0, 10, 0));
            Add(qlhost::MakeCircle(5, 5, 2));
            const std::vector<Bytes> before = Records();
            {
                qlhost::testing::UiScript script;
                if (command == "QLPART") script.Add("file", {(dir_ / "door.cv7").string()});
                ASSERT_TRUE(qlhost::StartCommand(command)) << what;
            }
            if (command == "QLPARTM") {
                qlhost::AnswerText("#door");
            } else if (command != "QLPART") {
                qlhost::SelectAll();
                qlhost::AnswerSelection();
                qlhost::AnswerPoint(1, 1, 0, true);
            }
            ASSERT_TRUE(qlhost::CurrentPrompt() != nullptr && qlhost::CurrentPrompt()->drag) << what;
            Shapes shown = DragAndClick(keys, true);
            ExpectSame(shown, Stored(before), what);
            // Copies go on with the same target, angle and scale until the next drag step.
            if (command != "QLMOVE") qlhost::AnswerPrompt(qlhost::kStatusCancel);
            EXPECT_FALSE(qlhost::CommandRunning()) << what;
        }
    }
}

TEST_F(PlacementClick, TextLandsWhereItWasShown) {
    struct Case {
        const char* command;
        const char* button;  // QLTEDIT: the dialog button that starts the placement
        bool box;            // the box shown is placed too (a moved text gets none)
    };
    // The box of QLTEXTB stays on for the text edit until QLTEXT turns it off again.
    const Case cases[] = {{"QLTEXTB", "1", true}, {"QLTEDIT", "1009", false},
                          {"QLTEDIT", "1010", true}, {"QLTEXT", "1", true}};
    for (const Case& c : cases) {
        for (const Keys& keys : kKeys) {
            const std::string what = std::string(c.command) + " " + c.button + " " + keys.name;
            qlhost::TheDrawing().Reset();
            const bool edit = std::string(c.command) == "QLTEDIT";
            if (edit) Add(qlhost::MakeText(10, 10, 2.5, 0, 0, 1, "abc"));
            const std::vector<Bytes> before = Records();
            {
                qlhost::testing::UiScript script;
                script.Dialog({"set", "1000", "Hall"}).Dialog({"click", c.button});
                ASSERT_TRUE(qlhost::StartCommand(c.command)) << what;
                if (edit) qlhost::AnswerPoint(10, 10, 0, false);
            }
            ASSERT_TRUE(qlhost::CurrentPrompt() != nullptr && qlhost::CurrentPrompt()->drag) << what;
            Shapes shown = DragAndClick(keys, false);
            ExpectSame(shown, Stored(before), what, c.box);
            if (qlhost::CommandRunning()) qlhost::AnswerPrompt(qlhost::kStatusCancel);
            EXPECT_FALSE(qlhost::CommandRunning()) << what;
        }
    }
}

}  // namespace
