// Speed of our regular hatch against ezdxf's on the same input: the 10,000-vertex star
// (about 1,000 hatch lines at 45 degrees) with the simple line pattern, and a floor plan's
// walls with a PAT pattern of two families. Our time is measured for the fill core alone
// (crossings and sweep, no host entities) and for the whole hatch (border, pattern driver,
// host lines); ezdxf's is the tool's hatch_seconds (hatching alone), measured once
// per benchmark. Counters: ezdxf_ms, ratio (ezdxf time / ours), ezdxf's hatch lines, the lines
// each side drew, the relative difference of the total lengths, and for the whole hatch the
// result of matching the two line sets (joined: lines ezdxf draws in one piece and we in
// two; unmatched: lines left over on either side after the tests' allowances).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>

#include "core/commands.h"
#include "host/protocol/protocol.h"
#include "tests/hatch/ezdxf_compare.h"
#include "tests/hatch/ezdxf_match.h"

namespace {

using ezdxfcompare::BoxLoop;
using ezdxfcompare::Case;
using ezdxfcompare::EzdxfResult;

constexpr int kStarVertices = 10000;
constexpr double kStarOuter = 100;
constexpr double kStarInner = 60;
constexpr double kStarSpacing = 0.2;
constexpr int kEzdxfRepeat = 1;
constexpr double kEndTolerance = 1e-6;  // as in the comparison tests

// The source tree. This file's name is relative to the build folder when the compiler was
// given a relative path, and the benchmark program lives in the build folder.
std::filesystem::path SourceDir() {
    std::filesystem::path file = __FILE__;
    if (file.is_relative())
        file = std::filesystem::read_symlink("/proc/self/exe").parent_path() / file;
    return file.parent_path().parent_path().lexically_normal();
}

std::string WorkDir() {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("quillet-ezdxf-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir.string();
}

Case StarCase() {
    Case c;
    c.name = "star10k";
    c.loops = {ezdxfcompare::StarLoop(kStarVertices, kStarOuter, kStarInner)};
    c.angle = DefaultLineSettings().angle;
    c.spacing = kStarSpacing;
    return c;
}

// A 40 x 25 storey: outer walls 0.3 thick, inner walls 0.15, rooms on a 4 x 3 grid; even-odd
// leaves the walls. The FreeCAD "Diamond" pattern at scale 0.05, turned 30 degrees.
Case FloorPlanCase() {
    Case c;
    c.name = "floorplan";
    c.loops = {BoxLoop(0, 0, 40, 25)};
    const double xs[] = {0.3, 10.15, 20.15, 30.15, 39.7};
    const double ys[] = {0.3, 8.45, 16.6, 24.7};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 3; ++j) {
            c.loops.push_back(BoxLoop(xs[i] + (i > 0 ? 0.075 : 0), ys[j] + (j > 0 ? 0.075 : 0),
                                      xs[i + 1] - (i < 3 ? 0.075 : 0),
                                      ys[j + 1] - (j < 2 ? 0.075 : 0)));
        }
    }
    c.patText = ezdxfcompare::ReadFile(
        (SourceDir() / "tests/data/pat/freecad-common-0.20.2_FCPAT.pat").string());
    c.patName = "Diamond, 45 diagonals L & R, Solid, 1.0 mm separation";
    c.scale = 0.05;
    c.rotateDegrees = 30;
    return c;
}

// ezdxf's result for the case, computed once.
const EzdxfResult& Reference(const Case& c) {
    static std::map<std::string, EzdxfResult> results;
    auto found = results.find(c.name);
    if (found != results.end()) return found->second;
    EzdxfResult result;
    if (!ezdxfcompare::EzdxfAvailable()) {
        result.error = "ezdxf is not importable by /usr/bin/python3 (python3-ezdxf)";
    } else {
        result = ezdxfcompare::RunEzdxf(c, SourceDir().string(), WorkDir(), kEzdxfRepeat);
    }
    return results.emplace(c.name, result).first->second;
}

void Report(benchmark::State& state, const EzdxfResult& theirs, double ourSeconds,
            const ezdxfcompare::Lines& ours) {
    state.counters["ezdxf_ms"] = theirs.hatchSeconds * 1000;
    state.counters["ratio"] = ourSeconds > 0 ? theirs.hatchSeconds / ourSeconds : 0;
    state.counters["lines_ours"] = static_cast<double>(ours.dashes.size());
    state.counters["lines_ezdxf"] = static_cast<double>(theirs.lines.dashes.size());
    state.counters["hatch_lines"] = theirs.hatchLines;
    state.counters["length_rel_diff"] =
        theirs.totalLength > 0 ? (ours.total - theirs.totalLength) / theirs.totalLength : 0;
}

// The whole hatch of the case's drawing, timed per iteration.
void WholeHatch(benchmark::State& state, const Case& c) {
    const EzdxfResult& theirs = Reference(c);
    if (!theirs.ok) {
        state.SkipWithError(theirs.error.c_str());
        return;
    }
    ezdxfcompare::BuildDrawing(c);
    ezdxfcompare::Lines lines;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        lines = ezdxfcompare::HatchDrawing(c);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    Report(state, theirs, seconds / static_cast<double>(state.iterations()), lines);
    const ezdxfcompare::Match m =
        ezdxfcompare::MatchLines(lines.dashes, theirs.lines.dashes, c.loops, kEndTolerance);
    state.counters["joined"] = static_cast<double>(m.joinedOurs + m.joinedTheirs);
    state.counters["unmatched"] = static_cast<double>(m.onlyOurs.size() + m.onlyTheirs.size());
    qlhost::TheDrawing().Reset();
}

void BM_EzdxfStarWholeHatch(benchmark::State& state) {
    WholeHatch(state, StarCase());
}
BENCHMARK(BM_EzdxfStarWholeHatch)->Unit(benchmark::kMillisecond);

void BM_EzdxfFloorPlanWholeHatch(benchmark::State& state) {
    WholeHatch(state, FloorPlanCase());
}
BENCHMARK(BM_EzdxfFloorPlanWholeHatch)->Unit(benchmark::kMillisecond);

// QLHATCHSTANDARD through the prompt protocol on the star (the default line settings are the
// star case's angle and spacing), without the drawing check after the command: the whole
// command a user runs, against ezdxf's hatching time (counter ratio; the target is at least 130).
void BM_EzdxfStarCommand(benchmark::State& state) {
    const Case c = StarCase();
    const EzdxfResult& theirs = Reference(c);
    if (!theirs.ok) {
        state.SkipWithError(theirs.error.c_str());
        return;
    }
    qlhost::ResetSession();
    const qlhost::CommandTable saved = qlhost::Commands();
    qlhost::SetCommandTable({"Quillet", {"QLHATCHSTANDARD"}, {nullptr, QLHATCHSTANDARD}});
    const bool validate = qlhost::ValidateAfterCommands();
    qlhost::SetValidateAfterCommands(false);
    ezdxfcompare::Lines lines;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ezdxfcompare::BuildDrawing(c);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        qlhost::StartCommand("QLHATCHSTANDARD");
        qlhost::AnswerSelection();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const qlhost::Node* group = qlhost::TheDrawing().work->tail;
    if (group != nullptr && group->children != nullptr) {
        for (const qlhost::Node* node = group->children->head; node != nullptr; node = node->next) {
            const EntRec* r = node->record();
            ezdxfcompare::AddLine(lines, {GetF64(r, kLineStart), GetF64(r, kLineStart + 8), GetF64(r, kLineEnd),
                                          GetF64(r, kLineEnd + 8)});
        }
    }
    Report(state, theirs, seconds / static_cast<double>(state.iterations()), lines);
    qlhost::ResetSession();
    qlhost::SetCommandTable(saved);
    qlhost::SetValidateAfterCommands(validate);
    qlhost::TheDrawing().Reset();
}
BENCHMARK(BM_EzdxfStarCommand)->Unit(benchmark::kMillisecond);

// The fill core alone on the star: the border's pieces in hatch space, swept by the family.
void BM_EzdxfStarFillCore(benchmark::State& state) {
    const Case c = StarCase();
    const EzdxfResult& theirs = Reference(c);
    if (!theirs.ok) {
        state.SkipWithError(theirs.error.c_str());
        return;
    }
    ezdxfcompare::BuildDrawing(c);
    HatchBorder border;
    CreateHatchBorder(border);
    HostMatrix toHatch;
    RotationMatrix(kQuarterTurn - c.angle, toHatch);
    CollectBorder(border, GetWorkDL(), toHatch, SCOPE_SELECTED | SCOPE_VISIBLE);
    const BorderShape shape = SplitBorder(border.list, true);
    const SweepBounds bounds{border.extent.min[0], border.extent.max[0], border.extent.min[1],
                             border.extent.max[1]};
    HatchFamily family;
    family.spacing = c.spacing;
    ezdxfcompare::Lines lines;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        CrossingSweep sweep(shape.pieces);
        lines = {};
        SweepFamily(
            family, bounds, [&](double x, std::vector<double>& found) { sweep.Collect(x, found); },
            [&](double, double from, double to) {
                lines.dashes.push_back({0, from, 0, to});
                lines.total += to - from;
            });
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    Report(state, theirs, seconds / static_cast<double>(state.iterations()), lines);
    ReleaseHatchBorder(border);
    qlhost::TheDrawing().Reset();
}
BENCHMARK(BM_EzdxfStarFillCore)->Unit(benchmark::kMillisecond);

}  // namespace
