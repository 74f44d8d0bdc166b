// Hostile and large files the host reads and writes: a registry value of many continuation
// lines, DXF files with tens of thousands of layers or with insert arrays past the expansion
// limit, and the JSON form of groups nested as deep as the drawing allows. Each of these
// once took time quadratic in its size (or gigabytes); all are linear now.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/scratch_dir.h"
#include "host/drawing/drawing.h"
#include "host/geometry/records.h"
#include "host/io/drawing_io.h"
#include "host/platform/registry.h"

namespace {

namespace fs = std::filesystem;

std::string ScratchFile(const std::string& name, const std::string& text) {
    const std::string path = (bench::ScratchDir("quillet-files-bench") / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

void BM_ReadRegistryLongValue(benchmark::State& state) {
    qlhost::RegistryStore store;
    std::vector<unsigned char> value(static_cast<size_t>(state.range(0)) * 1024, 0xa5);
    store.Create("HKEY_CURRENT_USER\\Software\\Bench").Set("Data", REG_BINARY, value);
    const std::string text = qlhost::WriteRegText(store);
    for (auto _ : state) {
        qlhost::RegistryStore back;
        std::string error;
        benchmark::DoNotOptimize(qlhost::ReadRegText(text, "bench.reg", back, error));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadRegistryLongValue)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);

// One LAYER entry and one line on it per layer.
void BM_ImportDxfManyLayers(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    std::string text = "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n";
    for (int i = 0; i < count; ++i) text += "0\nLAYER\n2\nL" + std::to_string(i) + "\n70\n0\n";
    text += "0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < count; ++i) text += "0\nLINE\n8\nL" + std::to_string(i) + "\n10\n0\n20\n0\n11\n1\n21\n1\n";
    text += "0\nENDSEC\n0\nEOF\n";
    const std::string path = ScratchFile("layers.dxf", text);
    for (auto _ : state) {
        qlhost::Drawing drawing;
        std::string error;
        benchmark::DoNotOptimize(qlhost::ImportDxf(path, *drawing.work, error));
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ImportDxfManyLayers)->Arg(10000)->Arg(65000)->Unit(benchmark::kMillisecond);

// 500 inserts of a 100 x 100 array: refused by the expansion count before anything is stored.
void BM_ImportDxfInsertArraysPastTheLimit(benchmark::State& state) {
    std::string text = "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n10\n0\n20\n0\n0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n"
                       "0\nENDBLK\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < 500; ++i) text += "0\nINSERT\n2\nB\n10\n0\n20\n0\n70\n100\n71\n100\n";
    text += "0\nENDSEC\n0\nEOF\n";
    const std::string path = ScratchFile("arrays.dxf", text);
    for (auto _ : state) {
        qlhost::Drawing drawing;
        std::string error;
        benchmark::DoNotOptimize(qlhost::ImportDxf(path, *drawing.work, error));
    }
}
BENCHMARK(BM_ImportDxfInsertArraysPastTheLimit)->Unit(benchmark::kMillisecond);

// Chains of groups nested as deep as the drawing allows, saved as JSON.
void BM_SaveJsonDeepGroups(benchmark::State& state) {
    qlhost::Drawing drawing;
    const int chains = static_cast<int>(state.range(0));
    for (int c = 0; c < chains; ++c) {
        qlhost::HostList* list = drawing.work.get();
        for (size_t depth = 0; depth < qlhost::kMaxMemberDepth; ++depth) {
            const qlhost::Record group = qlhost::MakeGroup();
            qlhost::Node* node = list->Append(group.data(), static_cast<uint32_t>(group.size()));
            list = list->Children(node);
        }
    }
    for (auto _ : state) benchmark::DoNotOptimize(qlhost::DrawingToJson(*drawing.work));
    state.SetItemsProcessed(state.iterations() * chains * static_cast<int64_t>(qlhost::kMaxMemberDepth));
}
BENCHMARK(BM_SaveJsonDeepGroups)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
