// Drawing lists at a million entities: adding, copy + remove, walking.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "core/host_api.h"
#include "host/drawing/drawing.h"

namespace {

constexpr int kMillion = 1000000;

std::vector<unsigned char> LineRecord(double x) {
    std::vector<unsigned char> r(64, 0);
    const uint32_t length = 64;
    std::memcpy(r.data(), &length, 4);
    r[4] = 2;
    std::memcpy(r.data() + 32, &x, 8);
    return r;
}

// A working list of n lines.
DList* FilledWork(int n) {
    qlhost::TheDrawing().Reset();
    DList* work = GetWorkDL();
    std::vector<unsigned char> line = LineRecord(0);
    for (int i = 0; i < n; ++i) AddEntity(work, line.data());
    return work;
}

void BM_AddEntityGrowingToAMillion(benchmark::State& state) {
    std::vector<unsigned char> line = LineRecord(1);
    for (auto _ : state) {
        state.PauseTiming();
        qlhost::TheDrawing().Reset();
        DList* work = GetWorkDL();
        state.ResumeTiming();
        for (int i = 0; i < kMillion; ++i) benchmark::DoNotOptimize(AddEntity(work, line.data()));
    }
    state.SetItemsProcessed(state.iterations() * kMillion);
    // The drawing's memory per line: node header, record and the store's share of its slabs
    // (the target is at most 200 bytes).
    state.counters["bytes_per_line"] =
        static_cast<double>(qlhost::TheDrawing().live.bytes()) / static_cast<double>(kMillion);
    qlhost::TheDrawing().Reset();
}
BENCHMARK(BM_AddEntityGrowingToAMillion)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CopyAndRemoveInAMillion(benchmark::State& state) {
    DList* work = FilledWork(kMillion);
    EntRec* source = qlhost::TheDrawing().work->head->record();
    for (auto _ : state) {
        EntRec* copy = CopyEntity(work, source);
        RemoveEntity(work, copy);
    }
    state.SetItemsProcessed(state.iterations());
    qlhost::TheDrawing().Reset();
}
BENCHMARK(BM_CopyAndRemoveInAMillion);

int CountOne(DList*, EntRec*, void* count, void*) {
    ++*static_cast<int*>(count);
    return 0;
}

void BM_ForEachEntityOverAMillion(benchmark::State& state) {
    DList* work = FilledWork(kMillion);
    const uint32_t scope = static_cast<uint32_t>(state.range(0));
    for (auto _ : state) {
        int count = 0;
        ForEachEntity(work, CountOne, scope, &count);
        benchmark::DoNotOptimize(count);
    }
    state.SetItemsProcessed(state.iterations() * kMillion);
    qlhost::TheDrawing().Reset();
}
BENCHMARK(BM_ForEachEntityOverAMillion)
    ->Arg(SCOPE_ALL)
    ->Arg(0x11000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
