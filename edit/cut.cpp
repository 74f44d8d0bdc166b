// QLCUT: the dialog, the selection and the boundary requests (circle with its preview, box,
// or a picked circle or polygon).
#include "edit/cut.h"

#include <cmath>

#include "core/commands.h"
#include "core/dialog_helpers.h"
#include "core/geometry.h"
#include "core/hooks.h"
#include "core/layers.h"
#include "core/prompts.h"
#include "core/registration.h"
#include "transform/drag_helpers.h"
#include "transform/engine.h"

namespace {

// Controls of DLG_QLCUT.
constexpr int kIdScale = 1038;
constexpr int kIdCircle = 1039;
constexpr int kIdBox = 1040;
constexpr int kIdExisting = 1041;
constexpr int kIdDeleteTrim = 1042;
constexpr int kIdCopyEnlarge = 1043;
constexpr int kIdSelect = 1044;
constexpr int kIdInside = 1045;
constexpr int kIdOutside = 1046;
constexpr int kIdDrawBoundary = 1049;
constexpr int kIdScaleLabel = 1058;
constexpr int kIdKeepGroup = 1061;
constexpr int kIdCopyGroup = 1062;

constexpr int kScaleLength = 15;
constexpr uint32_t kBoxVertices = 5;

constexpr int kCursorSelect = 11;
constexpr int kCursorPoint = 4;
constexpr int kCursorBox = 6;
constexpr int kCursorPick = 7;

CutSettings g_settings;
CutRun g_run;

// The dialog works on a copy, so Cancel leaves the settings as they were.
CutSettings g_dialog;

int RefreshCutDialog() {
    bool copy = g_dialog.operation == kCutCopy;
    for (int id : {kIdKeepGroup, kIdInside, kIdOutside}) EnableControl(id, !copy);
    for (int id : {kIdScaleLabel, kIdCopyGroup, kIdScale}) EnableControl(id, copy);
    EnableControl(kIdDrawBoundary, !(g_dialog.boundaryKind == kBoundaryExisting && !copy));
    return 0;
}

int OnCutButton(int) {
    return RefreshCutDialog();
}

// Shows the dialog; true on OK or a right-button close.
bool RunCutDialog() {
    g_dialog = g_settings;
    void* dialog = DefDlg("DLG_QLCUT", 0, 0, RefreshCutDialog, 0, 0);
    RBCTL(dialog, kIdDeleteTrim, 0, 0, &g_dialog.operation, kCutDelete, OnCutButton);
    RBCTL(dialog, kIdCopyEnlarge, 0, 0, &g_dialog.operation, kCutCopy, OnCutButton);
    RBCTL(dialog, kIdSelect, 0, 0, &g_dialog.operation, kCutSelect, OnCutButton);
    RBCTL(dialog, kIdInside, 0, 0, &g_dialog.keep, kKeepInside, nullptr);
    RBCTL(dialog, kIdOutside, 0, 0, &g_dialog.keep, kKeepOutside, nullptr);
    RBCTL(dialog, kIdCircle, 0, 0, &g_dialog.boundaryKind, kBoundaryCircle, OnCutButton);
    RBCTL(dialog, kIdBox, 0, 0, &g_dialog.boundaryKind, kBoundaryBox, OnCutButton);
    RBCTL(dialog, kIdExisting, 0, 0, &g_dialog.boundaryKind, kBoundaryExisting, OnCutButton);
    CHKCTL(dialog, kIdDrawBoundary, 0, 0, &g_dialog.drawBoundary, 1, nullptr);
    EDCTL(dialog, kIdScale, 0, PF_DOUBLE, kScaleLength, &g_dialog.defaultScale, 0);
    int result = RunDialogClosedByRightButton(dialog);
    if (result != IDOK && !ClosedByRightButton) return false;
    if (!CutScaleAccepted(g_dialog.defaultScale)) {
        ShowMessage("The default scale must be greater than 0.0001.\n\nThe previous scale is kept.",
                    "Warning", MS_WARNING);
        g_dialog.defaultScale = g_settings.defaultScale;
    }
    g_settings = g_dialog;
    return true;
}

void EndCancelled() {
    RedrawSelection();
    CmdEnd();
}

void OnRadius(int status) {
    if (status == ST_OK) {
        g_run.radius = DistanceOf(g_run.centre, g_run.answer);
    } else if (status == ST_NUMBER) {
        g_run.radius = std::fabs(g_run.answer[0]);
    } else {
        EndCancelled();
        return;
    }
    g_run.circle = BuildCircle(g_run.centre, g_run.radius);
    g_run.boundary = g_run.circle.data();
    ApplyCut();
}

// SHIFT carries the centre along with the cursor; otherwise the cursor sets the radius.
void CircleDrag(void* ctx) {
    const double* cursor = LiveCursorPosition();
    if (KeyDown(VK_SHIFT)) {
        g_run.centre[0] += cursor[0] - g_run.previousCursor[0];
        g_run.centre[1] += cursor[1] - g_run.previousCursor[1];
    } else {
        g_run.radius = DistanceOf(g_run.centre, cursor);
    }
    CopyPoint3(g_run.previousCursor, cursor);
    GetGDraw2()->DrawCircle(ctx, g_run.centre, g_run.radius);
    XHReqCsr(ctx);
}

void OnCentre(int status) {
    if (status != ST_OK) {
        EndCancelled();
        return;
    }
    g_run.centre[0] = g_run.answer[0];
    g_run.centre[1] = g_run.answer[1];
    g_run.centre[2] = 0.0;
    CopyPoint3(g_run.previousCursor, g_run.centre);
    g_run.radius = 0.0;
    ReqData(REQ_POINT2, g_run.answer,
            "Point on circle (SHIFT = move center) or enter radius:", QL_DRAG(CircleDrag), OnRadius,
            REQ_FLAG_NUMBER, 0);
}

void OnOppositeCorner(int status) {
    if (status != ST_OK) {
        EndCancelled();
        return;
    }
    const double x1 = g_run.corner[0], y1 = g_run.corner[1];
    const double x2 = g_run.answer[0], y2 = g_run.answer[1];
    const double vertices[2 * kBoxVertices] = {x1, y1, x1, y2, x2, y2, x2, y1, x1, y1};
    g_run.box = BuildPolygon(vertices, kBoxVertices);
    g_run.boundary = g_run.box.data();
    ApplyCut();
}

void OnFirstCorner(int status) {
    if (status != ST_OK) {
        EndCancelled();
        return;
    }
    g_run.corner[0] = g_run.answer[0];
    g_run.corner[1] = g_run.answer[1];
    SetRubberOrigin2(g_run.corner);
    ReqData(REQ_POINT2, g_run.answer, "Opposite corner:", QL_CURSOR(kCursorBox), OnOppositeCorner,
            0, 0);
}

void AskBoundaryEntity();

void OnBoundaryPicked(int status) {
    if (status != ST_OK || g_run.picked == nullptr) {
        EndCancelled();
        return;
    }
    int type = RecordType(g_run.picked);
    if (type != ET_POLYGON && type != ET_CIRCLE) {
        ShowMessage(
            "The picked entity must be a circle or a polygon\n\nPlease pick another entity.",
            "Error", MS_ERROR);
        AskBoundaryEntity();
        return;
    }
    g_run.boundary = g_run.picked;
    ApplyCut();
}

void AskBoundaryEntity() {
    g_run.picked = nullptr;
    ReqData(REQ_PICK, &g_run.picked, "Pick a closed boundary entity:", QL_CURSOR(kCursorPick),
            OnBoundaryPicked, 0, 0);
}

void OnSelected(int status) {
    if (status != ST_OK) {
        CmdEnd();
        return;
    }
    switch (g_settings.boundaryKind) {
        case kBoundaryBox:
            ReqData(REQ_POINT2, g_run.answer, "First corner:", QL_CURSOR(kCursorPoint),
                    OnFirstCorner, 0, 0);
            break;
        case kBoundaryExisting:
            AskBoundaryEntity();
            break;
        default:
            ReqData(REQ_POINT2, g_run.answer, "Circle center:", QL_CURSOR(kCursorPoint), OnCentre,
                    0, 0);
            break;
    }
}

}  // namespace

CutSettings& TheCutSettings() {
    return g_settings;
}

CutRun& TheCutRun() {
    return g_run;
}

bool CutScaleAccepted(double scale) {
    return scale > kMinTypedScale && ScaleInRange(scale);
}

bool CutBuildsBoundary() {
    return g_settings.boundaryKind != kBoundaryExisting;
}

void QLCUT() {
    g_run = CutRun{};
    if (!RunCutDialog()) {
        CmdEnd();
        return;
    }
    ReqData(REQ_SELECTION, nullptr, "Pick entities (h = help): ", QL_CURSOR(kCursorSelect),
            OnSelected, 0, 0);
}
