// Our regular hatch against ezdxf's: one case (even-odd loops and a simple or PAT pattern)
// is hatched by tools/ezdxf_hatch_ref.py under the system Python and by the fill core in the
// reference host, and the two sets of lines are compared. Shared by the comparison tests and
// the speed comparison; it needs neither GoogleTest nor Google Benchmark.
//
// How our conventions reach ezdxf: our lines run at the family angle plus (pi/2 - quarter
// turn), because hatch space is turned by the program's quarter turn 1.570796325; PAT
// degrees become radians with 3.14159265; PAT dashes are single-precision numbers. ezdxf
// is given the pattern exactly as we draw it: a PAT pattern is read by our reader and
// written out again with those angles and dash values, so the comparison is about the fill.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "core/records.h"
#include "hatch/engine/expand.h"
#include "hatch/engine/pat_reader.h"
#include "host/drawing/drawing.h"
#include "host/geometry/geometry.h"
#include "host/geometry/records.h"
#include "tests/support/hatch_selection.h"

namespace ezdxfcompare {

constexpr char kPython[] = "/usr/bin/python3";
constexpr char kToolPath[] = "tools/ezdxf_hatch_ref.py";  // under the source tree
// Where our lines turn away from the nominal angle: pi/2 less the program's quarter turn.
constexpr double kQuarterTurnError = std::numbers::pi / 2 - kQuarterTurn;

struct Segment {
    double x1, y1, x2, y2;
    double Length() const { return std::hypot(x2 - x1, y2 - y1); }
};

// Even-odd loops, closed implicitly, and either the simple line pattern (angle in radians as
// our line settings hold it, spacing, origin) or a PAT pattern (a PAT text, the pattern's
// whole header line after the star, scale and rotation).
struct Case {
    std::string name;
    std::vector<std::vector<qlhost::Pt>> loops;
    double angle = 0;
    double spacing = 0.2;
    qlhost::Pt origin{0, 0};
    std::string patText;
    std::string patName;
    double scale = 1;
    double rotateDegrees = 0;

    bool IsPat() const { return !patText.empty(); }
};

// Drawn lines: dashes (positive length) and dots (zero length) apart.
struct Lines {
    std::vector<Segment> dashes;
    std::vector<Segment> dots;
    double total = 0;
};

struct EzdxfResult {
    bool ok = false;
    std::string error;
    Lines lines;
    double totalLength = 0;  // as the tool sums it (fsum)
    double hatchSeconds = 0;
    int hatchLines = 0;
};

inline std::string ToolFile(const std::string& sourceDir) {
    return (std::filesystem::path(sourceDir) / kToolPath).string();
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// True when the system Python can import ezdxf (checked once).
inline bool EzdxfAvailable() {
    static const bool available =
        std::filesystem::exists(kPython) &&
        std::system((std::string(kPython) + " -c 'import ezdxf' >/dev/null 2>&1").c_str()) == 0;
    return available;
}

inline std::vector<qlhost::Pt> StarLoop(int vertices, double outer, double inner) {
    std::vector<qlhost::Pt> points;
    for (int i = 0; i < vertices; ++i) {
        const double angle = 2 * std::numbers::pi * i / vertices;
        const double radius = i % 2 == 0 ? outer : inner;
        points.push_back({radius * std::cos(angle), radius * std::sin(angle)});
    }
    return points;
}

inline std::vector<qlhost::Pt> BoxLoop(double x1, double y1, double x2, double y2) {
    return {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}};
}

inline double Degrees(double radians) {
    return radians * 180 / std::numbers::pi;
}

inline std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// The case's PAT pattern as our reader reads it, written back for ezdxf under the name
// "CMP"; false when our reader does not have it.
inline bool WriteConvertedPat(const Case& c, const std::string& path) {
    PatLibrary library;
    library.Parse(c.patText.c_str());
    const PatPattern* pattern = library.Find(c.patName.c_str());
    if (pattern == nullptr) return false;
    std::ofstream out(path, std::ios::binary);
    out << "*CMP,converted\n";
    for (const PatFamily& f : pattern->families) {
        out << Number(Degrees(f.angle + kQuarterTurnError)) << ',' << Number(f.originX) << ','
            << Number(f.originY) << ',' << Number(f.deltaX) << ',' << Number(f.deltaY);
        for (const float dash : f.dashes) out << ',' << Number(dash);
        out << '\n';
    }
    return static_cast<bool>(out);
}

// True when the case's PAT pattern, as our reader reads it, has a dashed family.
inline bool HasDashes(const Case& c) {
    if (!c.IsPat()) return false;
    PatLibrary library;
    library.Parse(c.patText.c_str());
    const PatPattern* pattern = library.Find(c.patName.c_str());
    if (pattern == nullptr) return false;
    return std::any_of(pattern->families.begin(), pattern->families.end(),
                       [](const PatFamily& f) { return !f.dashes.empty(); });
}

// The largest distance of a boundary vertex from the drawing origin.
inline double Reach(const Case& c) {
    double reach = 0;
    for (const auto& loop : c.loops)
        for (const qlhost::Pt& p : loop) reach = std::max(reach, std::hypot(p.x, p.y));
    return reach;
}

inline nlohmann::json CaseJson(const Case& c, const std::string& patFile) {
    nlohmann::json loops = nlohmann::json::array();
    for (const auto& loop : c.loops) {
        nlohmann::json points = nlohmann::json::array();
        for (const qlhost::Pt& p : loop) points.push_back({p.x, p.y});
        loops.push_back(points);
    }
    nlohmann::json pattern;
    if (c.IsPat()) {
        pattern = {{"pat_file", patFile},
                   {"name", "CMP"},
                   {"scale", c.scale},
                   {"angle_deg", c.rotateDegrees}};
    } else {
        pattern = {{"angle_deg", Degrees(c.angle + kQuarterTurnError)},
                   {"spacing", c.spacing},
                   {"origin", {c.origin.x, c.origin.y}}};
    }
    return {{"loops", loops}, {"pattern", pattern}};
}

inline void AddLine(Lines& lines, const Segment& s) {
    if (s.x1 == s.x2 && s.y1 == s.y2) {
        lines.dots.push_back(s);
    } else {
        lines.dashes.push_back(s);
        lines.total += s.Length();
    }
}

// Hatches the case with ezdxf in workDir (the tool's fastest of `repeat` runs is reported).
inline EzdxfResult RunEzdxf(const Case& c, const std::string& sourceDir, const std::string& workDir,
                            int repeat = 1) {
    EzdxfResult result;
    const std::filesystem::path dir = workDir;
    const std::string stem = (dir / ("ezdxf-" + c.name)).string();
    const std::string input = stem + ".json", segments = stem + ".txt", output = stem + ".out",
                      errors = stem + ".err", pat = stem + ".pat";
    if (c.IsPat() && !WriteConvertedPat(c, pat)) {
        result.error = "our reader has no pattern \"" + c.patName + "\"";
        return result;
    }
    std::ofstream(input) << CaseJson(c, pat).dump();
    const std::string command = std::string(kPython) + " " + ToolFile(sourceDir) + " '" + input +
                                "' --segments '" + segments + "' --repeat " +
                                std::to_string(repeat) + " >'" + output + "' 2>'" + errors + "'";
    if (std::system(command.c_str()) != 0) {
        result.error = "the tool failed: " + ReadFile(errors);
        return result;
    }
    const nlohmann::json summary = nlohmann::json::parse(std::ifstream(output), nullptr, false);
    if (summary.is_discarded() || !summary.is_object()) {
        result.error = "the tool's output is not JSON";
        return result;
    }
    auto field = [&summary](const char* key) {
        const auto found = summary.find(key);
        return found != summary.end() && found->is_number() ? found->get<double>() : 0.0;
    };
    result.totalLength = field("total_length");
    result.hatchSeconds = field("hatch_seconds");
    result.hatchLines = static_cast<int>(field("hatch_lines"));
    std::ifstream rows(segments);
    int family = 0;
    Segment s{};
    while (rows >> family >> s.x1 >> s.y1 >> s.x2 >> s.y2) AddLine(result.lines, s);
    result.ok = true;
    return result;
}

// ---------------------------------------------------------------------------------------
// Our side: the loops as selected polygons of a fresh host drawing, hatched as
// QLHATCHSTANDARD does after the selection (border in the hatch space of the line angle,
// the pattern expanded into a list of its own).

inline void BuildDrawing(const Case& c) {
    qlhost::TheDrawing().Reset();
    qlhost::ResetMatrixStack();
    for (const auto& loop : c.loops) {
        const qlhost::Record polygon = qlhost::MakePath(loop, true);
        qlhost::Node* node = qlhost::TheDrawing().work->Append(
            polygon.data(), static_cast<uint32_t>(polygon.size()));
        node->flags |= qlhost::Node::kSelected;
    }
}

// The run of the case; a PAT case fills the PAT library with its text (the driver frees it).
inline HatchRun PrepareRun(const Case& c) {
    HatchRun run{DefaultHatchOptions(), DefaultLineSettings()};
    if (c.IsPat()) {
        FreePatLibrary();
        ThePatLibrary().Parse(c.patText.c_str());
        run.options.patternKind = kPatternPat;
        std::snprintf(run.options.patName, sizeof run.options.patName, "%s", c.patName.c_str());
        run.options.scaleBy = c.scale;
        run.options.rotateBy = c.rotateDegrees * std::numbers::pi / 180;
    } else {
        run.line.angle = c.angle;
        run.line.distance = c.spacing;
        run.line.offset[0] = c.origin.x;
        run.line.offset[1] = c.origin.y;
    }
    return run;
}

// Hatches the drawing's selection with the case's pattern; the lines drawn.
inline Lines HatchDrawing(const Case& c) {
    Lines lines;
    HatchSelection(PrepareRun(c), [&](const qlhost::HostList& list) {
        for (const qlhost::Node* node = list.head; node != nullptr; node = node->next) {
            if (node->deleted() || node->type() != ET_LINE) continue;
            const EntRec* r = node->record();
            AddLine(lines, {GetF64(r, kLineStart), GetF64(r, kLineStart + 8), GetF64(r, kLineEnd),
                            GetF64(r, kLineEnd + 8)});
        }
    });
    return lines;
}

inline Lines RunOurs(const Case& c) {
    BuildDrawing(c);
    Lines lines = HatchDrawing(c);
    qlhost::TheDrawing().Reset();
    return lines;
}

}  // namespace ezdxfcompare
