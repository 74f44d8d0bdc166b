// Host geometry: intersections, transforms, and the copy-transform-remove step of previews.
#include <benchmark/benchmark.h>

#include <cmath>

#include "core/host_api.h"
#include "host/drawing/drawing.h"
#include "host/geometry/geometry.h"
#include "host/geometry/records.h"

namespace {

void HostMatrix(const qlhost::Matrix& m, double out[16]) {
    for (int i = 0; i < 16; ++i) out[i] = m.m[i];
}

qlhost::Record Path100() {
    std::vector<qlhost::Pt> pts;
    for (int i = 0; i < 100; ++i) pts.push_back({i * 1.0, std::sin(i * 0.3) * 5});
    return qlhost::MakePath(pts, false);
}

void BM_FindAllIntsLineLine(benchmark::State& state) {
    qlhost::Record a = qlhost::MakeLine(0, 0, 10, 10), b = qlhost::MakeLine(0, 10, 10, 0);
    double* pts;
    for (auto _ : state) benchmark::DoNotOptimize(FindAllInts(a.data(), b.data(), &pts));
}
BENCHMARK(BM_FindAllIntsLineLine);

void BM_FindAllIntsLinePath100(benchmark::State& state) {
    qlhost::Record a = qlhost::MakeLine(0, 0, 99, 0), b = Path100();
    double* pts;
    for (auto _ : state) benchmark::DoNotOptimize(FindAllInts(a.data(), b.data(), &pts));
}
BENCHMARK(BM_FindAllIntsLinePath100);

void BM_ETranLine(benchmark::State& state) {
    qlhost::Record line = qlhost::MakeLine(0, 0, 10, 10);
    double m[16];
    HostMatrix(qlhost::Then(qlhost::Matrix::Rotation(1e-3), qlhost::Matrix::Translation(1e-3, 0)), m);
    for (auto _ : state) benchmark::DoNotOptimize(ETran(line.data(), m));
}
BENCHMARK(BM_ETranLine);

void BM_ETranPath100(benchmark::State& state) {
    qlhost::Record path = Path100();
    double m[16];
    HostMatrix(qlhost::Then(qlhost::Matrix::Rotation(1e-3), qlhost::Matrix::Translation(1e-3, 0)), m);
    for (auto _ : state) benchmark::DoNotOptimize(ETran(path.data(), m));
}
BENCHMARK(BM_ETranPath100);

// The preview step of the transform commands: copy into the working list, transform, remove.
void BM_CopyTransformRemove(benchmark::State& state) {
    qlhost::TheDrawing().Reset();
    DList* work = GetWorkDL();
    EntRec* source = AddEntity(work, state.range(0) ? Path100().data() : qlhost::MakeLine(0, 0, 10, 10).data());
    double m[16];
    HostMatrix(qlhost::Matrix::Translation(5, 5), m);
    for (auto _ : state) {
        EntRec* copy = CopyEntity(work, source);
        copy = ETran(copy, m);
        RemoveEntity(work, copy);
    }
    qlhost::TheDrawing().Reset();
}
BENCHMARK(BM_CopyTransformRemove)->Arg(0)->Arg(1);

}  // namespace
