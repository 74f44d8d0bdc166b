// QLROTATE and QLROTATE2: turn the selection about an origin towards the cursor, with a
// live preview; QLROTATE2 turns a reference direction onto the target. SHIFT snaps to 15°.
#include <cstdint>

#include "core/commands.h"
#include "core/geometry.h"
#include "core/hooks.h"
#include "core/host_api.h"
#include "transform/drag_helpers.h"
#include "transform/engine.h"

namespace {

constexpr int kSnapFree = 0;
constexpr int kCursorFreePoint = 4;
constexpr int kCursorRubberLine = 5;
constexpr uint32_t kTargetFlags = 32;
// Degrees to radians as typed angles are converted.
constexpr double kDegreesToRadians = 3.14159265 / 180.0;

struct RotateState {
    bool byReference = false;
    double origin[2] = {0, 0};
    double reference[2] = {0, 0};
    double target[2] = {0, 0};
    double referenceAngle = 0.0;
    double angle = 0.0;
    double lastCursor[2] = {0, 0};
    bool haveLastCursor = false;
    double rubber[4] = {0, 0, 0, 0};  // origin to cursor
    HostMatrix matrix = {};
};
RotateState g_state;

void RotationMatrix(double angle, double* matrix) {
    CTMI2();
    CTMT2(-g_state.origin[0], -g_state.origin[1]);
    CTMR2(angle);
    CTMT2(g_state.origin[0], g_state.origin[1]);
    STCTM(matrix);
    CTMI2();
}

// The turn from the reference direction to the direction of point, snapped while SHIFT is
// held.
double TurnTowards(const double* point) {
    double angle = AngleOf(g_state.origin, point) - g_state.referenceAngle;
    return KeyDown(VK_SHIFT) ? SnapAngle15(angle) : angle;
}

void RotateDrag(void* ctx) {
    ProcCsrSnap(kSnapFree);
    const double* live = LiveCursorPosition();
    double cursor[2] = {live[0], live[1]};
    if (!g_state.haveLastCursor || cursor[0] != g_state.lastCursor[0] ||
        cursor[1] != g_state.lastCursor[1]) {
        g_state.angle = TurnTowards(cursor);
        g_state.rubber[0] = g_state.origin[0];
        g_state.rubber[1] = g_state.origin[1];
        g_state.rubber[2] = cursor[0];
        g_state.rubber[3] = cursor[1];
        RotationMatrix(g_state.angle, g_state.matrix);
        g_state.lastCursor[0] = cursor[0];
        g_state.lastCursor[1] = cursor[1];
        g_state.haveLastCursor = true;
    }
    DrawMovingPreview(ctx, g_state.matrix);
    GDraw2* painter = GetGDraw2();
    painter->BeginPreview(ctx);
    painter->DrawLine(ctx, &g_state.rubber[0], &g_state.rubber[2]);
    DrawDragStatus(ctx, cursor, DS_ANGLE, &g_state.angle, nullptr, nullptr);
    XHReqCsr(ctx);
}

void OnTarget(int status) {
    if (status == ST_NUMBER) {
        // The typed number is a direction in degrees.
        double direction = g_state.target[0] * kDegreesToRadians;
        PolarPoint(g_state.origin, 1.0, direction, g_state.target);
        status = ST_OK;
    }
    if (status == ST_OK) {
        HostMatrix matrix;
        RotationMatrix(TurnTowards(g_state.target), matrix);
        BeginChange(GetWorkDL());
        ApplyInPlace(matrix);
    } else {
        RestoreMoving();
    }
    EndTransform();
}

void AskTarget() {
    if (!CollectOrEnd(true)) return;
    g_state.haveLastCursor = false;
    ReqData(REQ_POINT2, g_state.target, "Rotate to (SHIFT = 15° snap): ", QL_DRAG(RotateDrag),
            OnTarget, kTargetFlags, 0);
}

void OnReference(int status) {
    if (status != ST_OK) {
        EndBeforeCollect();
        return;
    }
    g_state.referenceAngle = AngleOf(g_state.origin, g_state.reference);
    AskTarget();
}

void OnOrigin(int status) {
    if (status != ST_OK) {
        EndBeforeCollect();
        return;
    }
    if (!g_state.byReference) {
        g_state.referenceAngle = 0.0;
        AskTarget();
        return;
    }
    SetRubberOrigin2(g_state.origin);
    ReqData(REQ_POINT2, g_state.reference, "Rotate reference point: ", QL_CURSOR(kCursorRubberLine),
            OnReference, 0, 0);
}

void OnSelected(int status) {
    if (status != ST_OK) {
        CmdEnd();
        return;
    }
    ReqData(REQ_POINT2, g_state.origin, "Rotate origin: ", QL_CURSOR(kCursorFreePoint), OnOrigin, 0,
            0);
}

void Start(bool byReference) {
    g_state = RotateState{};
    g_state.byReference = byReference;
    AskSelection(OnSelected);
}

}  // namespace

void QLROTATE() {
    Start(false);
}

void QLROTATE2() {
    Start(true);
}
