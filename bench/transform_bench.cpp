// One step of the placement drag (the move and copy preview) with many selected entities:
// every step copies, transforms, draws and removes one scratch record per entity.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "core/records.h"
#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/geometry/records.h"
#include "host/protocol/session.h"
#include "transform/engine.h"
#include "transform/move_copy.h"

namespace {

// A mix of the common kinds: lines, circles, paths and texts.
void FillSelection(int64_t count) {
    qlhost::Drawing& drawing = qlhost::TheDrawing();
    drawing.Reset();
    qlhost::HostList& work = *drawing.work;
    for (int64_t i = 0; i < count; ++i) {
        double x = static_cast<double>(i % 1000);
        double y = static_cast<double>(i / 1000);
        qlhost::Record record;
        switch (i % 4) {
            case 0:
                record = qlhost::MakeLine(x, y, x + 0.5, y + 0.5);
                break;
            case 1:
                record = qlhost::MakeCircle(x, y, 0.25);
                break;
            case 2:
                record = qlhost::MakePath({{x, y}, {x + 0.3, y}, {x + 0.3, y + 0.3}}, false);
                break;
            default:
                record = qlhost::MakeText(x, y, 0.2, 0, 0, 1, "Label");
                break;
        }
        qlhost::Node* node = work.Append(record.data(), static_cast<uint32_t>(record.size()));
        node->flags |= qlhost::Node::kSelected;
    }
}

void BM_PlacementDragStep(benchmark::State& state) {
    FillSelection(state.range(0));
    if (!CollectSelection(true)) {
        state.SkipWithError("out of memory");
        return;
    }
    const double base[3] = {0, 0, 0};
    ResetPlacement(MovePlacement(), PlacementKind::Selection, base);
    alignas(16) unsigned char ctx[qlhost::kDragContextSize] = {};
    PutF64(ctx, QL_DRAG_VIEW_WIDTH, 100);
    PutF64(ctx, QL_DRAG_VIEW_HEIGHT, 75);
    double* live = qlhost::LiveCursor();
    double step = 0;
    for (auto _ : state) {
        // A new cursor position each step, so the matrix is rebuilt as the user drags.
        step += 0.01;
        live[0] = 10 + step;
        live[1] = 5;
        live[2] = 0;
        qlhost::BeginFrame(100, 75);
        PlacementDrag(ctx);
        benchmark::DoNotOptimize(qlhost::CurrentFrame().prims.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    RestoreMoving();
    FreeMovingSet();
    qlhost::TheDrawing().Reset();
}

BENCHMARK(BM_PlacementDragStep)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
