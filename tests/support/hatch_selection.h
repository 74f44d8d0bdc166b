// The regular hatch of the selection as the benchmarks and the comparison with ezdxf run it:
// the border collected in the hatch space of the line angle and the run's pattern expanded
// into a list of its own, which the caller may read before it is released.
#pragma once

#include <cstddef>

#include "core/host_api.h"
#include "hatch/engine/expand.h"
#include "hatch/engine/patterns.h"
#include "host/drawing/drawing.h"

// Hatches the selection, hands the list of drawn entities to read(list), and gives their
// number.
template <class Read>
size_t HatchSelection(HatchRun run, Read&& read) {
    HatchBorder border;
    CreateHatchBorder(border);
    HostMatrix toHatch;
    RotationMatrix(kQuarterTurn - run.line.angle, toHatch);
    CollectBorder(border, GetWorkDL(), toHatch, SCOPE_SELECTED | SCOPE_VISIBLE);
    DList* target = CreateDList("~HatchSelection.cv7", 2);
    ExpandPattern(target, border, nullptr, run);
    const auto* list = static_cast<const qlhost::HostList*>(target);
    read(*list);
    const size_t count = list->count;
    ReleaseHatchBorder(border);
    ReleaseList(target);
    return count;
}

inline size_t HatchSelection(HatchRun run) {
    return HatchSelection(run, [](const qlhost::HostList&) {});
}
