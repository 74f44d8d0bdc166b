// Stress: a drawing of a million entities loaded from its JSON file, hatched, moved with
// QLMOVE and saved (JSON and DXF); the text tools over 10,000 texts with long strings. Each
// benchmark reports its time, the peak resident memory of the step (counter peak_MB: the
// process's high-water mark, reset to the current resident size before the step, so memory
// the allocator kept from earlier steps counts too) and what it produced.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/scratch_dir.h"
#include "core/commands.h"
#include "core/records.h"
#include "hatch/engine/expand.h"
#include "host/drawing/drawing.h"
#include "host/geometry/geometry.h"
#include "host/geometry/records.h"
#include "host/io/drawing_io.h"
#include "host/platform/system.h"
#include "host/protocol/protocol.h"
#include "host/script/run_state.h"
#include "tests/support/hatch_selection.h"
#include "text/entity_text.h"

namespace {

namespace fs = std::filesystem;

constexpr int kGridSide = 500;         // 500 x 500 cells of four entities: a million
constexpr double kCell = 10;           // cell size in drawing units
constexpr double kStressSpacing = 25;  // hatch line distance: 200 lines across the grid
constexpr int kTextCount = 10000;
constexpr size_t kLongString = 250;    // characters of each long text

fs::path ScratchFile(const std::string& name) { return bench::ScratchDir("quillet-stress") / name; }

// The resident memory high-water mark is reset, so a step's peak is its own.
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

double PeakMemoryMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024;
    return 0;
}

void ReportPeak(benchmark::State& state) { state.counters["peak_MB"] = PeakMemoryMb(); }

// Commands run through the prompt protocol without their transcript on the console.
void QuietTranscript() {
    qlhost::SetEventPort(&qlhost::ScriptEvents());
    qlhost::Run().options.quiet = true;
    qlhost::Run().transcript.clear();
}

size_t LiveCount(const qlhost::HostList& list) {
    size_t count = 0;
    for (const qlhost::Node* n = list.head; n != nullptr; n = n->next) count += n->deleted() ? 0 : 1;
    return count;
}

// A closed box, a circle, a line and an arc per cell of the grid.
void BuildGrid() {
    qlhost::TheDrawing().Reset();
    qlhost::HostList& work = *qlhost::TheDrawing().work;
    for (int row = 0; row < kGridSide; ++row) {
        for (int col = 0; col < kGridSide; ++col) {
            const double x = col * kCell, y = row * kCell;
            for (const qlhost::Record& r :
                 {qlhost::MakeBox(x + 1, y + 1, x + 9, y + 9), qlhost::MakeCircle(x + 5, y + 5, 2),
                  qlhost::MakeLine(x, y, x + kCell, y), qlhost::MakeArc(x + 5, y + 5, 3, 0.5, 2)})
                work.Append(r.data(), static_cast<uint32_t>(r.size()));
        }
    }
}

// The million-entity drawing as a JSON file, written once.
const std::string& MillionFile() {
    static const std::string path = [] {
        BuildGrid();
        std::string error;
        const std::string file = ScratchFile("million.json").string();
        qlhost::SaveDrawingFile(file, *qlhost::TheDrawing().work, error);
        qlhost::TheDrawing().Reset();
        return file;
    }();
    return path;
}

void LoadMillion() {
    qlhost::TheDrawing().Reset();
    std::string error;
    if (!qlhost::LoadDrawingFile(MillionFile(), *qlhost::TheDrawing().work, error)) std::fprintf(stderr, "%s\n", error.c_str());
}

// The drawing's own memory in MB: the node store's slabs and heap blocks.
double DrawingMb() { return static_cast<double>(qlhost::TheDrawing().live.bytes()) / (1024 * 1024); }

double ResidentMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024;
    return 0;
}

// Counters of a step over the loaded million: the drawing's memory, and the step's peak above
// what the process held besides the drawing, as a multiple of the drawing (the target is at
// most 2).
void ReportPeakAgainstDrawing(benchmark::State& state, double residentBefore) {
    const double drawing = DrawingMb();
    state.counters["drawing_MB"] = drawing;
    state.counters["peak_over_drawing"] = drawing > 0 ? (PeakMemoryMb() - residentBefore) / drawing : 0;
}

// Peak memory counts what the load adds on top of the process before it (an empty drawing);
// peak_over_drawing compares that with the loaded drawing's own memory.
void BM_StressLoadMillion(benchmark::State& state) {
    MillionFile();
    double before = 0;
    for (auto _ : state) {
        qlhost::TheDrawing().Reset();
        before = ResidentMb();
        ResetPeakMemory();
        LoadMillion();
    }
    ReportPeak(state);
    ReportPeakAgainstDrawing(state, before);
    state.counters["bytes_per_entity"] =
        DrawingMb() * 1024 * 1024 / static_cast<double>(LiveCount(*qlhost::TheDrawing().work));
    state.counters["entities"] = static_cast<double>(LiveCount(*qlhost::TheDrawing().work));
    state.counters["file_MB"] = static_cast<double>(fs::file_size(MillionFile())) / (1024 * 1024);
    qlhost::TheDrawing().Reset();
}
BENCHMARK(BM_StressLoadMillion)->Unit(benchmark::kMillisecond)->Iterations(1);

// The regular hatch's fill core over every entity of the million as one border.
void BM_StressHatchMillion(benchmark::State& state) {
    LoadMillion();
    qlhost::ResetMatrixStack();
    qlhost::SelectAll();
    size_t lines = 0;
    for (auto _ : state) {
        ResetPeakMemory();
        HatchRun run{DefaultHatchOptions(), DefaultLineSettings()};
        run.line.distance = kStressSpacing;
        lines = HatchSelection(run);
    }
    ReportPeak(state);
    state.counters["lines_drawn"] = static_cast<double>(lines);
    qlhost::TheDrawing().Reset();
}
BENCHMARK(BM_StressHatchMillion)->Unit(benchmark::kMillisecond)->Iterations(1);

// QLMOVE through the prompt protocol: select all, base point, one drag step, destination.
void BM_StressMoveMillion(benchmark::State& state) {
    const qlhost::CommandTable saved = qlhost::Commands();
    qlhost::SetCommandTable({"Quillet", {"QLMOVE"}, {nullptr, QLMOVE}});
    QuietTranscript();
    LoadMillion();
    for (auto _ : state) {
        qlhost::ResetSession();
        ResetPeakMemory();
        qlhost::StartCommand("QLMOVE");
        qlhost::SelectAll();
        qlhost::AnswerSelection();
        qlhost::AnswerPoint(0, 0, 0, true);
        qlhost::MoveCursor(3, 4);
        qlhost::AnswerPoint(3, 4, 0, true);
    }
    ReportPeak(state);
    state.counters["running_after"] = qlhost::CommandRunning() ? 1 : 0;
    state.counters["entities"] = static_cast<double>(LiveCount(*qlhost::TheDrawing().work));
    qlhost::ResetSession();
    qlhost::SetCommandTable(saved);
    qlhost::TheDrawing().Reset();
}
BENCHMARK(BM_StressMoveMillion)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_StressSaveMillion(benchmark::State& state) {
    LoadMillion();
    const std::string file = ScratchFile(state.range(0) == 0 ? "saved.json" : "saved.dxf").string();
    double before = 0;
    for (auto _ : state) {
        // The process without its drawing, so the ratio is the step's peak with the drawing.
        before = ResidentMb() - DrawingMb();
        ResetPeakMemory();
        std::string error;
        qlhost::SaveDrawingFile(file, *qlhost::TheDrawing().work, error);
    }
    ReportPeak(state);
    ReportPeakAgainstDrawing(state, before);
    state.counters["file_MB"] = static_cast<double>(fs::file_size(file)) / (1024 * 1024);
    state.SetLabel(state.range(0) == 0 ? "json" : "dxf");
    fs::remove(file);
    qlhost::TheDrawing().Reset();
}
BENCHMARK(BM_StressSaveMillion)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

// ---------------------------------------------------------------------------------------
// Text tools over 10,000 texts.

// A long string with a number group near its start and its end.
std::string LongString(int index, size_t length) {
    std::string text = "Room " + std::to_string(index) + " ";
    while (text.size() + 8 < length) text += "wall and door ";
    text.resize(length - 8);
    return text + " No " + std::to_string(index % 1000);
}

void BuildTexts(size_t length, int font) {
    qlhost::TheDrawing().Reset();
    qlhost::HostList& work = *qlhost::TheDrawing().work;
    for (int i = 0; i < kTextCount; ++i) {
        const qlhost::Record r = qlhost::MakeText((i % 100) * 50.0, (i / 100) * 5.0, 2.5, 0, 0, font, LongString(i, length));
        work.Append(r.data(), static_cast<uint32_t>(r.size()));
    }
}

// The candidate scan of the text commands, then the sequence order taken one by one (the
// smallest x among the texts not yet used, each time), as QLTSEQ walks its candidates.
void BM_StressTextCandidatesInOrder(benchmark::State& state) {
    BuildTexts(kLongString, 1);
    size_t taken = 0;
    for (auto _ : state) {
        ResetPeakMemory();
        ClearCandidates();
        ScanCandidates(CandidateScan{});
        taken = 0;
        while (TextCandidate* next = NextCandidate(CO_SMALLEST_X)) {
            MarkCandidateUsed(next);
            ++taken;
        }
    }
    ReportPeak(state);
    state.counters["candidates"] = static_cast<double>(taken);
    ClearCandidates();
    qlhost::TheDrawing().Reset();
}
BENCHMARK(BM_StressTextCandidatesInOrder)->Unit(benchmark::kMillisecond)->Iterations(1);

// Every text's string stepped (its last number) and written back longer, as the increment
// and replace commands rewrite texts in place.
void BM_StressTextRewrite(benchmark::State& state) {
    BuildTexts(kLongString, 1);
    size_t rewritten = 0;
    for (auto _ : state) {
        ResetPeakMemory();
        ClearCandidates();
        ScanCandidates(CandidateScan{});
        rewritten = 0;
        for (TextCandidate* c = FirstCandidate(); c != nullptr; c = c->next) {
            std::string text(EntityString(c->entity).value_or(std::string_view()));
            text += " (rev. 2)";
            std::string buffer = text + std::string(16, '\0');
            if (StepNumberGroup(buffer.data(), buffer.size(), kStepLastGroup)) text = buffer.c_str();
            if (EntRec* grown = SetEntityString(c->entity, text, false, nullptr)) {
                c->entity = grown;
                ++rewritten;
            }
        }
    }
    ReportPeak(state);
    state.counters["rewritten"] = static_cast<double>(rewritten);
    ClearCandidates();
    qlhost::TheDrawing().Reset();
}
BENCHMARK(BM_StressTextRewrite)->Unit(benchmark::kMillisecond)->Iterations(1);

// QLTEXTEXPL over 10,000 texts of the stroke font (font 0, the build's hostdata/fonts) with
// strings of the given length.
void BM_StressTextExplode(benchmark::State& state) {
    const qlhost::CommandTable saved = qlhost::Commands();
    qlhost::SetCommandTable({"Quillet", {"QLTEXTEXPL"}, {nullptr, QLTEXTEXPL}});
    QuietTranscript();
    const std::string savedData = qlhost::HostDataDir();
    qlhost::SetHostDataDir((fs::read_symlink("/proc/self/exe").parent_path() / "hostdata").string());
    size_t entities = 0;
    for (auto _ : state) {
        state.PauseTiming();
        BuildTexts(static_cast<size_t>(state.range(0)), 0);
        qlhost::SelectAll();
        qlhost::ResetSession();
        ResetPeakMemory();
        state.ResumeTiming();
        qlhost::StartCommand("QLTEXTEXPL");
        qlhost::AnswerSelection();
        entities = LiveCount(*qlhost::TheDrawing().work);
    }
    ReportPeak(state);
    state.counters["entities_after"] = static_cast<double>(entities);
    qlhost::ResetSession();
    qlhost::SetHostDataDir(savedData);
    qlhost::SetCommandTable(saved);
    qlhost::TheDrawing().Reset();
}
BENCHMARK(BM_StressTextExplode)->Arg(40)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
