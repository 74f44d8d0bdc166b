// Smart and regular hatch on a floor plan of 200 rooms (2,800 border entities): each room
// has its own walls, each wall drawn as three lines, a table and a round column. The smart
// hatch fills one room (sweeping the whole plan); the regular hatch fills all rooms.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/commands.h"
#include "core/records.h"
#include "host/drawing/drawing.h"
#include "host/geometry/geometry.h"
#include "host/geometry/records.h"
#include "host/protocol/protocol.h"

namespace {

constexpr int kColumns = 20;
constexpr int kRows = 10;
constexpr double kRoomWidth = 5;
constexpr double kRoomDepth = 4;
constexpr double kWall = 0.2;

void AddWall(qlhost::HostList& work, double x1, double y1, double x2, double y2) {
    for (int k = 0; k < 3; ++k) {
        const double a = k / 3.0, b = (k + 1) / 3.0;
        const qlhost::Record line = qlhost::MakeLine(x1 + (x2 - x1) * a, y1 + (y2 - y1) * a,
                                                     x1 + (x2 - x1) * b, y1 + (y2 - y1) * b);
        work.Append(line.data(), static_cast<uint32_t>(line.size()))->flags |=
            qlhost::Node::kSelected;
    }
}

void Select(qlhost::HostList& work, const qlhost::Record& record) {
    work.Append(record.data(), static_cast<uint32_t>(record.size()))->flags |=
        qlhost::Node::kSelected;
}

// A fresh drawing with the plan, every entity selected.
void BuildPlan() {
    qlhost::TheDrawing().Reset();
    qlhost::ResetMatrixStack();
    qlhost::HostList& work = *qlhost::TheDrawing().work;
    for (int i = 0; i < kColumns; ++i) {
        for (int j = 0; j < kRows; ++j) {
            const double x0 = i * kRoomWidth + kWall / 2, y0 = j * kRoomDepth + kWall / 2;
            const double x1 = x0 + kRoomWidth - kWall, y1 = y0 + kRoomDepth - kWall;
            AddWall(work, x0, y0, x1, y0);
            AddWall(work, x1, y0, x1, y1);
            AddWall(work, x1, y1, x0, y1);
            AddWall(work, x0, y1, x0, y0);
            Select(work, qlhost::MakeBox(x0 + 1, y0 + 1, x0 + 2.5, y0 + 2));
            Select(work, qlhost::MakeCircle(x1 - 0.8, y1 - 0.8, 0.3));
        }
    }
}

struct Session {
    explicit Session(const char* name, CmdProc proc) {
        qlhost::ResetSession();
        qlhost::SetCommandTable({"Quillet", {name}, {nullptr, proc}});
    }
    ~Session() {
        qlhost::ResetSession();
        qlhost::SetCommandTable({});
        qlhost::TheDrawing().Reset();
    }
};

size_t GroupMembers() {
    const qlhost::Node* group = qlhost::TheDrawing().work->tail;
    if (group == nullptr || group->type() != ET_GROUP || group->children == nullptr) return 0;
    return group->children->count;
}

void BM_SmartHatchOneRoom(benchmark::State& state) {
    Session session("QLHATCHSMART", QLHATCHSMART);
    size_t lines = 0, border = 0;
    for (auto _ : state) {
        state.PauseTiming();
        BuildPlan();
        border = qlhost::TheDrawing().work->count;
        state.ResumeTiming();
        qlhost::StartCommand("QLHATCHSMART");
        qlhost::AnswerSelection();
        // In the room of the ninth column and fifth row, beside its table.
        qlhost::AnswerPoint(8 * kRoomWidth + 3.5, 4 * kRoomDepth + 1.5, 0, false);
        lines = GroupMembers();
    }
    state.counters["border_entities"] = static_cast<double>(border);
    state.counters["lines_drawn"] = static_cast<double>(lines);
}
BENCHMARK(BM_SmartHatchOneRoom)->Unit(benchmark::kMillisecond);

void BM_RegularHatchAllRooms(benchmark::State& state) {
    Session session("QLHATCHSTANDARD", QLHATCHSTANDARD);
    size_t lines = 0, border = 0;
    for (auto _ : state) {
        state.PauseTiming();
        BuildPlan();
        border = qlhost::TheDrawing().work->count;
        state.ResumeTiming();
        qlhost::StartCommand("QLHATCHSTANDARD");
        qlhost::AnswerSelection();
        lines = GroupMembers();
    }
    state.counters["border_entities"] = static_cast<double>(border);
    state.counters["lines_drawn"] = static_cast<double>(lines);
}
BENCHMARK(BM_RegularHatchAllRooms)->Unit(benchmark::kMillisecond);

}  // namespace
