// What the page's panels and files rely on: the layer table and the selection as JSON, the
// names offered for an unknown command, and uploads that the host refuses to open, which
// leave neither the file nor a changed drawing behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "host/drawing/drawing.h"
#include "host/drawing/tables.h"
#include "host/geometry/records.h"
#include "host/script/runner.h"
#include "host/serve/api.h"
#include "host/serve/drawing_info.h"
#include "host/serve/requests.h"
#include "host/serve/snapshot.h"
#include "tests/support/temp_path.h"

namespace {

namespace fs = std::filesystem;
using namespace qlhost;
using namespace qlhost::serve;
using nlohmann::json;

Node* AddOn(HostList& list, Record record, uint16_t layer) {
    std::memcpy(record.data() + 20, &layer, 2);
    return list.Append(record.data(), static_cast<uint32_t>(record.size()));
}

TEST(ServePanels, LayersFollowTheTableAndTheEntities) {
    Drawing& drawing = TheDrawing();
    drawing.Reset();
    AddOn(*drawing.work, MakeLine(0, 0, 10, 0), 1);
    AddOn(*drawing.work, MakeCircle(5, 5, 2), 1);
    AddOn(*drawing.work, MakeLine(0, 0, 1, 1), 4);
    AddOn(*drawing.work, MakeLine(0, 0, 1, 1), 77);  // a layer the table lacks
    unsigned char* doors = FindLayer(drawing.tables, 2);
    ASSERT_NE(doors, nullptr);
    const uint32_t hidden = kLayerHidden | kLayerFrozen;
    std::memcpy(doors + kLayerFlags, &hidden, 4);
    ASSERT_TRUE(SetCurrentEntry(drawing.tables.layers, kTableEntries, 4));

    const json layers = LayersJson(drawing);
    ASSERT_EQ(layers.size(), 8u);  // the seven default layers, then layer 77
    struct Row { size_t index; int number; const char* name; bool hidden, frozen, current; size_t entities; };
    for (const Row& row : {Row{0, 0, "0", false, false, false, 0}, Row{1, 1, "Walls", false, false, false, 2},
                           Row{2, 2, "Doors", true, true, false, 0}, Row{4, 4, "Text", false, false, true, 1},
                           Row{7, 77, "layer 77", false, false, false, 1}}) {
        const json& layer = layers[row.index];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(layer["number"], row.number);
        EXPECT_EQ(layer["name"], row.name);
        EXPECT_EQ(layer["hidden"], row.hidden);
        EXPECT_EQ(layer["frozen"], row.frozen);
        EXPECT_EQ(layer["current"], row.current);
        EXPECT_EQ(layer["entities"], row.entities);
        EXPECT_EQ(layer["colors"].size(), row.entities > 0 ? 1u : 0u);
    }
}

TEST(ServePanels, TheSelectionIsDescribedWithItsProperties) {
    Drawing& drawing = TheDrawing();
    drawing.Reset();
    EXPECT_EQ(SelectionJson(drawing, 20)["count"], 0);
    Node* line = AddOn(*drawing.work, MakeLine(1, 2, 30, 4.5), 1);
    Record dashed = MakeCircle(5, 6, 2.5);
    const uint16_t style = 1;
    std::memcpy(dashed.data() + kHdrLineStyle, &style, 2);
    Node* circle = AddOn(*drawing.work, dashed, 3);
    Node* text = AddOn(*drawing.work, MakeText(7, 8, 3.5, 0, 0, 1, "Door \"A\""), 4);
    AddOn(*drawing.work, MakeLine(0, 0, 1, 1), 1);  // not selected
    for (Node* node : {line, circle, text}) node->flags |= Node::kSelected;

    const json selection = SelectionJson(drawing, 20);
    ASSERT_EQ(selection["count"], 3);
    const json& entities = selection["entities"];
    EXPECT_EQ(entities[0]["type"], "line");
    EXPECT_EQ(entities[0]["layerName"], "Walls");
    EXPECT_EQ(entities[0]["lineStyle"], "Solid");
    EXPECT_EQ(entities[0]["points"], json::parse("[[1, 2], [30, 4.5]]"));
    EXPECT_EQ(entities[1]["type"], "circle");
    EXPECT_EQ(entities[1]["layerName"], "Furniture");
    EXPECT_EQ(entities[1]["lineStyle"], "Dashed");
    EXPECT_EQ(entities[1]["center"], json::parse("[5, 6]"));
    EXPECT_EQ(entities[1]["r"], 2.5);
    EXPECT_EQ(entities[2]["type"], "text");
    EXPECT_EQ(entities[2]["text"], "Door \"A\"");
    EXPECT_EQ(entities[2]["height"], 3.5);
    EXPECT_EQ(entities[2]["points"], json::parse("[[7, 8]]"));
    // Past the limit the entities are counted, not described.
    const json first = SelectionJson(drawing, 1);
    EXPECT_EQ(first["count"], 3);
    EXPECT_EQ(first["entities"].size(), 1u);
}

TEST(ServePanels, AnUnknownCommandNamesTheNearestOnes) {
    const std::vector<std::string> names = {"QLMOVE", "QLCOPY", "QLHATCH", "LINE", "BOX", "QLTEXT"};
    struct Row { const char* typed; std::vector<std::string> nearest; };
    for (const Row& row : {Row{"qlmve", {"QLMOVE", "LINE", "QLCOPY"}}, Row{"MOVE", {"QLMOVE", "LINE", "BOX"}},
                           Row{"hatch", {"QLHATCH", "LINE", "BOX"}}, Row{"bix", {"BOX", "LINE", "QLTEXT"}}}) {
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(NearestNames(row.typed, names, 3), row.nearest);
    }
    EXPECT_EQ(UnknownCommandMessage("foo", {"FOOT"}), "Unknown command: FOO (nearest: FOOT)");
    EXPECT_EQ(UnknownCommandMessage("foo", {}), "Unknown command: FOO");
    EXPECT_EQ(FaultText("line 12: fault: load: a.dxf: not a DXF file"), "load: a.dxf: not a DXF file");
}

std::string MakeRoot(const std::string& name) {
    const fs::path dir = ql_test::TempPath(name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string root, error;
    EXPECT_TRUE(CanonicalRoot(dir.string(), root, error)) << error;
    return root;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A live session of the host on a thread of its own, driven through the requests.
class ServeFiles : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = MakeRoot("serve-files");
        session_ = std::make_unique<LiveSession>(SnapshotMaker{sessionRef_});
        sessionRef_ = session_.get();
        api_ = std::make_unique<Api>(root_, *session_);
        RunOptions options;
        options.quiet = true;
        options.plugin = "qltestplugin";
        host_ = std::thread([this, options] {
            RunLive(*session_, root_, options);
            session_->Close();
        });
    }
    void TearDown() override {
        session_->Close();
        host_.join();
    }
    Response Call(const std::string& path, const std::string& body, std::map<std::string, std::string> query = {}) {
        return api_->Handle(Request{"POST", path, std::move(query), body});
    }
    json Lines(const std::vector<std::string>& lines) {
        const Response r = Call("/api/lines", json{{"lines", lines}}.dump());
        EXPECT_EQ(r.status, 200) << r.body;
        return json::parse(r.body, nullptr, false);
    }
    std::string Drawn() { return session_->Latest()->drawingJson; }
    std::string root_;
    LiveSession* sessionRef_ = nullptr;
    std::unique_ptr<LiveSession> session_;
    std::unique_ptr<Api> api_;
    std::thread host_;
};

TEST_F(ServeFiles, ARefusedUploadIsNotKeptAndTheDrawingStays) {
    Lines({"add box 0 0 20 20", "add circle 5 5 2"});
    const std::string before = Drawn();
    ASSERT_NE(before.find("circle"), std::string::npos);
    std::ofstream(fs::path(root_) / "kept.json") << "{\"entities\": []}";
    struct Row { const char* name; std::string body; bool existed; };
    for (const Row& row : {Row{"garbage.json", "this is no drawing", false}, Row{"cut.json", "{\"entities\": [", false},
                           Row{"empty.dxf", "", false}, Row{"garbage.dxf", std::string("0\nSECTION\n2\nENTITIES\n\xff\x00junk", 25), false}, Row{"kept.json", "{\"entities\": 5}", true}}) {
        SCOPED_TRACE(row.name);
        const std::string old = row.existed ? ReadFile(fs::path(root_) / row.name) : "";
        const Response r = Call("/api/upload", row.body, {{"name", row.name}, {"load", "1"}});
        EXPECT_EQ(r.status, 422) << r.body;
        EXPECT_NE(json::parse(r.body)["error"].get<std::string>().find("the drawing is unchanged"), std::string::npos);
        EXPECT_EQ(fs::exists(fs::path(root_) / row.name), row.existed);
        if (row.existed) {
            EXPECT_EQ(ReadFile(fs::path(root_) / row.name), old);
        }
        EXPECT_EQ(Drawn(), before);
    }
    // Nothing hidden is left behind either.
    for (const auto& entry : fs::directory_iterator(root_)) EXPECT_NE(entry.path().filename().string()[0], '.');

    // A drawing the host opens is kept and becomes the drawing.
    const Response good = Call("/api/upload", before, {{"name", "good.json"}, {"load", "1"}, {"drawing", "0"}});
    ASSERT_EQ(good.status, 200) << good.body;
    const json answer = json::parse(good.body);
    EXPECT_EQ(answer["saved"], "good.json");
    EXPECT_EQ(answer["state"]["file"], "good.json");
    EXPECT_EQ(ReadFile(fs::path(root_) / "good.json"), before);
}

TEST_F(ServeFiles, AnswersNameTheLinesThatFailed) {
    json state = Lines({"add line 0 0 10 0", "save drawing.txt", "save plan.json"});
    ASSERT_TRUE(state.contains("faults"));
    EXPECT_TRUE(state["faults"][0].is_null());
    EXPECT_EQ(state["faults"][1], "save: drawing.txt: unknown drawing file type (use .json, .cv7 or .dxf)");
    EXPECT_TRUE(state["faults"][2].is_null());
    EXPECT_TRUE(fs::exists(fs::path(root_) / "plan.json"));
    EXPECT_FALSE(Lines({"save plan2.json"}).contains("faults"));
    // The panels come with the drawing: layers and the selection.
    state = Lines({"select all"});
    EXPECT_EQ(state["panels"]["selection"]["count"], 1);
    EXPECT_EQ(state["panels"]["layers"][0]["name"], "0");
    EXPECT_EQ(state["state"]["file"], "Untitled.cv7");
    const Response again = api_->Handle(Request{"GET", "/api/state", {{"drawing", std::to_string(state["drawingVersion"].get<uint64_t>())}}, ""});
    EXPECT_FALSE(json::parse(again.body).contains("panels"));
    const Response unknown = Call("/api/command", "{\"text\": \"qlmovve\"}");
    EXPECT_EQ(unknown.status, 404);
    EXPECT_EQ(json::parse(unknown.body)["error"].get<std::string>().rfind("Unknown command: QLMOVVE (nearest: ", 0), 0u);
}

}  // namespace
