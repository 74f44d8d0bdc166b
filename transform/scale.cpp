// QLSCALE: scale the selection about an origin with a live preview. Moving the cursor up
// grows it; CTRL scales x and y independently; SHIFT sets a reference distance, after which
// the scale follows the cursor's distance from the origin. The click applies the scales the
// label shows.
#include <cmath>
#include <cstdint>

#include "core/commands.h"
#include "core/geometry.h"
#include "core/hooks.h"
#include "core/host_api.h"
#include "transform/drag_helpers.h"
#include "transform/engine.h"

namespace {

constexpr int kSnapFree = 0;
constexpr int kCursorBasePoint = 8;
constexpr uint32_t kScaleFlags = 32;
// A cursor rise of 1/6 of the view height doubles the scale; a move of 1/4.2 of the view
// width doubles the x scale.
constexpr double kRiseStepsPerView = 6.0;
constexpr double kSideStepsPerView = 4.2;
// The reference distance taken when the cursor is at the origin.
constexpr double kOriginReference = 0.01;

const char kScalePrompt[] = "Scale (SHIFT = move ref, CTRL = Independent X/Y): ";

struct ScaleState {
    double origin[3] = {0, 0, 0};
    double point[3] = {0, 0, 0};
    double scale[3] = {1.0, 1.0, 1.0};
    double reference = 0.0;
    bool firstCall = true;
    double lastCursor[3] = {0, 0, 0};
    double rubber[2][3] = {};
    double referenceLine[2][3] = {};
    HostMatrix matrix = {};
};
ScaleState g_state;

void ScaleMatrix(double* matrix) {
    const double* o = g_state.origin;
    CTMI3();
    CTMT3(-o[0], -o[1], -o[2]);
    CTMS3(g_state.scale[0], g_state.scale[1], g_state.scale[2]);
    CTMT3(o[0], o[1], o[2]);
    STCTM(matrix);
    CTMI3();
}

// Multiplies the scales by the factors, unless one of them would leave the sane range.
void MultiplyScales(double fx, double fy, double fz) {
    double next[3] = {g_state.scale[0] * fx, g_state.scale[1] * fy, g_state.scale[2] * fz};
    for (double s : next) {
        if (!ScaleInRange(s)) return;
    }
    CopyPoint3(g_state.scale, next);
}

void UpdateScales(void* ctx, const double* cursor) {
    const double* last = g_state.lastCursor;
    bool ctrl = KeyDown(VK_CONTROL);
    if (KeyDown(VK_SHIFT)) {
        double distance = Distance3(g_state.origin, cursor);
        g_state.reference = distance > 0.0 ? distance : kOriginReference;
        CopyPoint3(g_state.referenceLine[0], g_state.origin);
        CopyPoint3(g_state.referenceLine[1], cursor);
    } else if (g_state.reference == 0.0) {
        double fy =
            DragFactor(DragStep((cursor[1] - last[1]) * kRiseStepsPerView, DragViewHeight(ctx)));
        if (ctrl) {
            double fx =
                DragFactor(DragStep((cursor[0] - last[0]) * kSideStepsPerView, DragViewWidth(ctx)));
            MultiplyScales(fx, fy, 1.0);
        } else {
            MultiplyScales(fy, fy, fy);
        }
    } else if (ctrl) {
        double fx = DragFactor((cursor[0] - last[0]) / g_state.reference);
        double fy = DragFactor((cursor[1] - last[1]) / g_state.reference);
        MultiplyScales(fx, fy, 1.0);
    } else {
        double grow = Distance3(g_state.origin, cursor) - Distance3(g_state.origin, last);
        double f = DragFactor(grow / g_state.reference);
        MultiplyScales(f, f, f);
    }
}

void ScaleDrag(void* ctx) {
    ProcCsrSnap(kSnapFree);
    const double* live = LiveCursorPosition();
    double cursor[3] = {live[0], live[1], live[2]};
    const double* last = g_state.lastCursor;
    if (g_state.firstCall) CopyPoint3(g_state.lastCursor, cursor);
    if (g_state.firstCall || cursor[0] != last[0] || cursor[1] != last[1] || cursor[2] != last[2]) {
        UpdateScales(ctx, cursor);
        CopyPoint3(g_state.rubber[0], g_state.origin);
        CopyPoint3(g_state.rubber[1], cursor);
        ScaleMatrix(g_state.matrix);
        CopyPoint3(g_state.lastCursor, cursor);
        g_state.firstCall = false;
    }
    DrawMovingPreview(ctx, g_state.matrix);
    GDraw3* painter = GetGDraw3();
    painter->DrawLine3(ctx, g_state.rubber[0], g_state.rubber[1]);
    if (g_state.reference != 0.0) {
        painter->DrawLine3(ctx, g_state.referenceLine[0], g_state.referenceLine[1]);
    }
    DrawDragStatus(ctx, cursor, DS_SCALE, &g_state.scale[0], &g_state.scale[1], nullptr);
    XHReqCsr3(ctx);
}

void OnScale(int status);

void AskScale() {
    ReqData(REQ_POINT3, g_state.point, kScalePrompt, QL_DRAG(ScaleDrag), OnScale, kScaleFlags, 0);
}

void OnScale(int status) {
    if (status == ST_NUMBER) {
        double factor = g_state.point[0];
        // A factor too near zero would collapse the selection: ignored, as at the move prompt.
        if (std::fabs(factor) <= kMinTypedScale || !ScaleInRange(factor)) {
            AskScale();
            return;
        }
        g_state.scale[0] = g_state.scale[1] = g_state.scale[2] = factor;
        status = ST_OK;
    }
    if (status == ST_OK) {
        // The scales shown in the label, not a factor computed from the clicked point.
        HostMatrix matrix;
        ScaleMatrix(matrix);
        BeginChange(GetWorkDL());
        ApplyInPlace(matrix);
    } else {
        RestoreMoving();
    }
    EndTransform();
}

void OnOrigin(int status) {
    if (status != ST_OK) {
        EndBeforeCollect();
        return;
    }
    if (!CollectOrEnd(true)) return;
    g_state.firstCall = true;
    g_state.scale[0] = g_state.scale[1] = g_state.scale[2] = 1.0;
    g_state.reference = 0.0;
    AskScale();
}

void OnSelected(int status) {
    if (status != ST_OK) {
        CmdEnd();
        return;
    }
    ReqData(REQ_POINT3, g_state.origin, "Scale origin: ", QL_CURSOR(kCursorBasePoint), OnOrigin, 0,
            0);
}

}  // namespace

void QLSCALE() {
    g_state = ScaleState{};
    AskSelection(OnSelected);
}
