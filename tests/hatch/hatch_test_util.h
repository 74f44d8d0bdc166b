// Shared set-up of the hatch tests that run against the reference host's drawing: a fresh
// drawing and registry, selected boundary entities, the border in hatch space, and the
// lines a fill produced, read back in drawing space.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/records.h"
#include "hatch/engine/expand.h"
#include "hatch/engine/pat_reader.h"
#include "host/drawing/drawing.h"
#include "host/geometry/geometry.h"
#include "host/geometry/records.h"
#include "host/ui/ui.h"
#include "tests/support/temp_path.h"

namespace hatchtest {

struct Segment {
    double x1, y1, x2, y2;
    double Length() const { return std::hypot(x2 - x1, y2 - y1); }
};

inline std::string DataFile(const std::string& name) {
    return std::string(QL_SOURCE_DIR) + "/tests/data/" + name;
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Stores line settings under name and hatch options naming them, as a user's saved choice
// that the hatch commands load when they start.
inline void StoreLineSettings(const LineSettings& line, const char* name = "test") {
    TheLineSettings() = line;
    SaveLineSettings(name);
    HatchOptions options = DefaultHatchOptions();
    std::strcpy(options.lineSettingsName, name);
    TheHatchOptions() = options;
    SaveHatchOptions();
}

class HatchHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        registry_ = ql_test::TempPath("hatch-test.reg");
        std::remove(registry_.c_str());
        qlhost::SetRegistryFile(registry_);
        qlhost::TheDrawing().Reset();
        qlhost::ResetMatrixStack();
        FreePatLibrary();
        TheHatchOptions() = DefaultHatchOptions();
        TheLineSettings() = DefaultLineSettings();
    }

    void TearDown() override {
        ReleaseHatchBorder(border_);
        if (target_ != nullptr) ReleaseList(target_);
        target_ = nullptr;
        FreePatLibrary();
        std::remove(registry_.c_str());
    }

    qlhost::HostList& Work() { return *qlhost::TheDrawing().work; }

    qlhost::Node* Add(const qlhost::Record& record, bool selected = true) {
        qlhost::Node* node = Work().Append(record.data(), static_cast<uint32_t>(record.size()));
        if (selected) node->flags |= qlhost::Node::kSelected;
        return node;
    }

    // Copies the selection into a new border for the hatch space of angle.
    HatchBorder& CollectSelection(double angle) {
        ReleaseHatchBorder(border_);
        EXPECT_TRUE(CreateHatchBorder(border_));
        HostMatrix toHatch;
        RotationMatrix(kQuarterTurn - angle, toHatch);
        CollectBorder(border_, GetWorkDL(), toHatch, SCOPE_SELECTED | SCOPE_VISIBLE);
        return border_;
    }

    // Hatches the selection with a run's pattern into a fresh target list.
    ExpandResult Hatch(HatchRun& run) {
        CollectSelection(run.line.angle);
        if (target_ != nullptr) ReleaseList(target_);
        target_ = CreateDList("~HatchTest.cv7", 2);
        return ExpandPattern(target_, border_, nullptr, run);
    }

    static HatchRun SimpleRun(double angle, double distance) {
        HatchRun run{DefaultHatchOptions(), DefaultLineSettings()};
        run.line.angle = angle;
        run.line.distance = distance;
        return run;
    }

    static HatchRun PatRun(const char* name, double scale = 1) {
        HatchRun run{DefaultHatchOptions(), DefaultLineSettings()};
        run.options.patternKind = kPatternPat;
        std::snprintf(run.options.patName, sizeof run.options.patName, "%s", name);
        run.options.scaleBy = scale;
        return run;
    }

    // The line entities of the target list.
    std::vector<Segment> Lines() const {
        std::vector<Segment> lines;
        const auto* list = static_cast<const qlhost::HostList*>(target_);
        for (const qlhost::Node* node = list->head; node != nullptr; node = node->next) {
            if (node->deleted() || node->type() != ET_LINE) continue;
            const EntRec* r = node->record();
            lines.push_back({GetF64(r, kLineStart), GetF64(r, kLineStart + 8), GetF64(r, kLineEnd),
                             GetF64(r, kLineEnd + 8)});
        }
        return lines;
    }

    static double TotalLength(const std::vector<Segment>& lines) {
        double total = 0;
        for (const Segment& s : lines) total += s.Length();
        return total;
    }

    HatchBorder border_;
    DList* target_ = nullptr;
    std::string registry_;
};

}  // namespace hatchtest
