// Undo and redo of a large step: a command moving 10,000 lines (each record changed in place),
// and one adding 10,000 lines. Counters give the memory the step takes in the history.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/host_api.h"
#include "host/drawing/drawing.h"
#include "host/drawing/undo.h"

namespace {

constexpr int kEntities = 10000;

std::vector<unsigned char> LineRecord(double x) {
    std::vector<unsigned char> r(64, 0);
    const uint32_t length = 64;
    std::memcpy(r.data(), &length, 4);
    r[4] = 2;
    std::memcpy(r.data() + 32, &x, 8);
    std::memcpy(r.data() + 48, &x, 8);
    return r;
}

void AddLines(int n) {
    DList* work = GetWorkDL();
    for (int i = 0; i < n; ++i) AddEntity(work, LineRecord(i).data());
}

// Moves every line of the working list by dx, as a transform command writes its records.
void MoveAll(double dx) {
    for (qlhost::Node* node = qlhost::TheDrawing().work->head; node; node = node->next) {
        for (size_t at : {size_t{32}, size_t{48}}) {
            double x;
            std::memcpy(&x, node->record() + at, 8);
            x += dx;
            std::memcpy(node->record() + at, &x, 8);
        }
    }
}

// The cost of recording the step: the image at its start and the comparison at its end.
void BM_UndoRecordMoveOf10k(benchmark::State& state) {
    qlhost::Drawing& drawing = qlhost::TheDrawing();
    drawing.Reset();
    AddLines(kEntities);
    qlhost::UndoHistory history;
    for (auto _ : state) {
        history.Begin(drawing, "QLMOVE");
        MoveAll(1);
        history.End(drawing);
    }
    state.SetItemsProcessed(state.iterations() * kEntities);
    drawing.Reset();
}
BENCHMARK(BM_UndoRecordMoveOf10k)->Unit(benchmark::kMillisecond);

// Undo and redo of the move, one pair per iteration; the step's memory once undone (both
// sides held) per entity and in all.
void BM_UndoRedoMoveOf10k(benchmark::State& state) {
    qlhost::Drawing& drawing = qlhost::TheDrawing();
    drawing.Reset();
    AddLines(kEntities);
    qlhost::UndoHistory history;
    history.Begin(drawing, "QLMOVE");
    MoveAll(1);
    history.End(drawing);
    const size_t recorded = history.Bytes();
    std::string name;
    for (auto _ : state) {
        history.Undo(drawing, name);
        history.Redo(drawing, name);
    }
    state.SetItemsProcessed(state.iterations() * kEntities);
    state.counters["step_kB_recorded"] = static_cast<double>(recorded) / 1024.0;
    state.counters["step_kB_undone"] = static_cast<double>(history.Bytes()) / 1024.0;
    state.counters["step_bytes_per_entity"] = static_cast<double>(history.Bytes()) / kEntities;
    drawing.Reset();
}
BENCHMARK(BM_UndoRedoMoveOf10k)->Unit(benchmark::kMillisecond);

// A step adding 10,000 lines to a drawing of 10,000: recording, then undo and redo.
void BM_UndoRedoAddOf10k(benchmark::State& state) {
    qlhost::Drawing& drawing = qlhost::TheDrawing();
    drawing.Reset();
    AddLines(kEntities);
    qlhost::UndoHistory history;
    history.Begin(drawing, "QLHATCH");
    AddLines(kEntities);
    history.End(drawing);
    const size_t recorded = history.Bytes();
    std::string name;
    for (auto _ : state) {
        history.Undo(drawing, name);
        history.Redo(drawing, name);
    }
    state.SetItemsProcessed(state.iterations() * kEntities);
    state.counters["step_kB_recorded"] = static_cast<double>(recorded) / 1024.0;
    state.counters["step_kB_undone"] = static_cast<double>(history.Bytes()) / 1024.0;
    drawing.Reset();
}
BENCHMARK(BM_UndoRedoAddOf10k)->Unit(benchmark::kMillisecond);

}  // namespace
