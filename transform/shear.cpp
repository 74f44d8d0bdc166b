// QLSHEAR: shear the selection along an axis towards the cursor, with a live preview.
#include "transform/shear.h"

#include <cmath>
#include <cstdint>

#include "core/commands.h"
#include "core/geometry.h"
#include "core/host_api.h"
#include "transform/drag_helpers.h"
#include "transform/engine.h"

namespace {

constexpr int kSnapFree = 0;
constexpr int kCursorFreePoint = 4;
constexpr int kCursorRubberLine = 5;
constexpr uint32_t kSecondPointFlags = 2;
// Where the shear factor sits in a host matrix: x' = x + k y.
constexpr int kShearEntry = 1;

struct ShearState {
    double axis[4] = {0, 0, 0, 0};  // first point, second point
    double point[2] = {0, 0};
    HostMatrix matrix = {};
};
ShearState g_state;

void ShearDrag(void* ctx) {
    ProcCsrSnap(kSnapFree);
    const double* live = LiveCursorPosition();
    double cursor[2] = {live[0], live[1]};
    ShearMatrix(g_state.axis, cursor, g_state.matrix);
    DrawMovingPreview(ctx, g_state.matrix);
    GDraw2* painter = GetGDraw2();
    painter->BeginPreview(ctx);
    painter->DrawLine(ctx, &g_state.axis[2], cursor);
    painter->DrawLine(ctx, &g_state.axis[0], &g_state.axis[2]);
    XHReqCsr(ctx);
}

void OnPoint(int status) {
    if (status == ST_OK) {
        HostMatrix matrix;
        ShearMatrix(g_state.axis, g_state.point, matrix);
        BeginChange(GetWorkDL());
        ApplyInPlace(matrix);
    } else {
        RestoreMoving();
    }
    EndTransform();
}

void OnSecondPoint(int status) {
    if (status != ST_OK) {
        EndBeforeCollect();
        return;
    }
    if (!CollectOrEnd(true)) return;
    ReqData(REQ_POINT2, g_state.point, "Shear to point: ", QL_DRAG(ShearDrag), OnPoint, 0, 0);
}

void OnFirstPoint(int status) {
    if (status != ST_OK) {
        EndBeforeCollect();
        return;
    }
    SetRubberOrigin2(&g_state.axis[0]);
    ReqData(REQ_POINT2, &g_state.axis[2],
            "Shear axis - second point: ", QL_CURSOR(kCursorRubberLine), OnSecondPoint,
            kSecondPointFlags, 0);
}

void OnSelected(int status) {
    if (status != ST_OK) {
        CmdEnd();
        return;
    }
    ReqData(REQ_POINT2, &g_state.axis[0], "Shear axis - first point: ", QL_CURSOR(kCursorFreePoint),
            OnFirstPoint, 0, 0);
}

}  // namespace

double ShearFactor(double u, double v, double axisLength) {
    if (!(axisLength > 0.0) || std::fabs(v) <= kShearOnAxisTolerance * axisLength) return 0.0;
    double k = u / v;
    return std::isfinite(k) ? k : 0.0;
}

void ShearMatrix(const double* axis, const double* point, double* matrix) {
    const double* second = &axis[2];
    double axisAngle = SegmentAngle(axis);
    CTMI2();
    CTMT2(-second[0], -second[1]);
    CTMR2(-axisAngle);
    double local[2] = {point[0], point[1]};
    TRNP2(local, nullptr);
    double k = ShearFactor(local[0], local[1], DistanceOf(&axis[0], second));
    CTMI2();
    if (k == 0.0) {
        // No shear: the exact identity, so applying it leaves every coordinate as it was.
        STCTM(matrix);
        return;
    }
    HostMatrix shear;
    STCTM(shear);
    shear[kShearEntry] = k;
    CTMT2(-second[0], -second[1]);
    CTMR2(-axisAngle);
    CTMMUL2(shear);
    CTMR2(axisAngle);
    CTMT2(second[0], second[1]);
    STCTM(matrix);
    CTMI2();
}

void QLSHEAR() {
    g_state = ShearState{};
    AskSelection(OnSelected);
}
