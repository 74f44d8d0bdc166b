// The regular hatch of the selection as the benchmarks run it: the border collected in the
// hatch space of the line angle, the run's pattern expanded into a list of its own, and the
// lines it drew counted.
#pragma once

#include <cstddef>

#include "core/host_api.h"
#include "hatch/fill.h"
#include "hatch/patterns.h"
#include "host/drawing/drawing.h"

inline size_t HatchSelection(HatchRun run) {
    HatchBorder border;
    CreateHatchBorder(border);
    HostMatrix toHatch;
    RotationMatrix(kQuarterTurn - run.line.angle, toHatch);
    CollectBorder(border, GetWorkDL(), toHatch, SCOPE_SELECTED | SCOPE_VISIBLE);
    DList* target = CreateDList("~HatchBench.cv7", 2);
    ExpandPattern(target, border, nullptr, run);
    const size_t lines = static_cast<const qlhost::HostList*>(target)->count;
    ReleaseHatchBorder(border);
    ReleaseList(target);
    return lines;
}
