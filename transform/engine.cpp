// The moving set, its preview and application, and the steps of a placement drag.
#include "transform/engine.h"

#include <cmath>
#include <new>

#include "core/geometry.h"
#include "core/hooks.h"
#include "core/layers.h"
#include "core/prompts.h"
#include "transform/drag_helpers.h"

namespace {

constexpr int kPromptSelect = 0x1065;
constexpr int kCursorPlain = 1;
constexpr int kSnapPlacement = 2;
// A cursor step of this fraction of the view height doubles (or halves) the scale.
constexpr double kScaleStepsPerView = 6.0;

MovingSet g_set;

int AppendSelected(DList*, EntRec* entity, void* failed, void*) {
    auto* node = new (std::nothrow) MovingNode{nullptr, entity};
    if (node == nullptr) {
        *static_cast<bool*>(failed) = true;
        return 1;
    }
    if (g_set.tail != nullptr) {
        g_set.tail->next = node;
    } else {
        g_set.head = node;
    }
    g_set.tail = node;
    ++g_set.count;
    return 0;
}

}  // namespace

const MovingSet& TheMovingSet() {
    return g_set;
}

bool CollectSelection(bool takeOut) {
    FreeMovingSet();
    DList* work = GetWorkDL();
    bool failed = false;
    ForEachEntity(work, AppendSelected, SCOPE_SELECTED, &failed);
    if (failed) {
        FreeMovingSet();
        return false;
    }
    // Deleting after the walk keeps the host's selection walk away from a list that changes.
    if (takeOut) {
        for (MovingNode* n = g_set.head; n != nullptr; n = n->next) {
            EErase(0, n->entity);
            DeleteEntity(work, n->entity);
        }
        g_set.takenOut = true;
        ShowChanges();
    }
    return true;
}

void DrawMovingPreview(void* ctx, const double* matrix) {
    DList* work = GetWorkDL();
    for (MovingNode* n = g_set.head; n != nullptr; n = n->next) {
        EntRec* copy = CopyEntity(work, n->entity);
        if (copy == nullptr) continue;
        EntRec* moved = ETran(copy, matrix);
        if (moved == nullptr) moved = copy;
        EDrawM(ctx, moved);
        RemoveEntity(work, moved);
    }
}

void ApplyInPlace(const double* matrix) {
    DList* work = GetWorkDL();
    for (MovingNode* n = g_set.head; n != nullptr; n = n->next) {
        // A deleted entity would stay out of the drawing for good once the command ends.
        if (g_set.takenOut) RestoreEntity(work, n->entity);
        EntRec* stored = LocateEntity(work, n->entity);
        if (stored == nullptr) continue;
        EntRec* moved = ETran(stored, matrix);
        if (moved == nullptr) moved = stored;
        n->entity = moved;
        EDraw(0, moved);
        MarkEntity(work, moved);
    }
    g_set.takenOut = false;
    ShowChanges();
}

void ApplyAsCopies(const double* matrix) {
    DList* work = GetWorkDL();
    for (MovingNode* n = g_set.head; n != nullptr; n = n->next) {
        EntRec* copy = CopyEntity(work, n->entity);
        if (copy == nullptr) continue;
        MoveAfter(work, copy, n->entity);
        EntRec* moved = ETran(copy, matrix);
        if (moved == nullptr) moved = copy;
        EDraw(0, moved);
        MarkEntity(work, moved);
        SetNewTag(moved);
    }
    ShowChanges();
}

void RestoreMoving() {
    DList* work = GetWorkDL();
    if (g_set.takenOut) {
        for (MovingNode* n = g_set.head; n != nullptr; n = n->next) {
            RestoreEntity(work, n->entity);
            EDraw(0, n->entity);
        }
        g_set.takenOut = false;
    }
    ShowChanges();
}

void UnmarkMoving() {
    DList* work = GetWorkDL();
    for (MovingNode* n = g_set.head; n != nullptr; n = n->next) {
        UnmarkEntity(work, n->entity);
        EDraw(0, n->entity);
    }
    ShowChanges();
}

void FreeMovingSet() {
    MovingNode* n = g_set.head;
    while (n != nullptr) {
        MovingNode* next = n->next;
        delete n;
        n = next;
    }
    g_set = MovingSet{};
}

void ShowOutOfMemory() {
    ShowMessage("Not enough memory, please restart Corvane.", "Error", MS_ERROR);
}

void AskSelection(ContProc next) {
    FreeMovingSet();
    ReqData(REQ_SELECTION, nullptr, QL_PROMPT_NUMBER(kPromptSelect), QL_CURSOR(kCursorPlain), next,
            0, 0);
}

void EndBeforeCollect() {
    RedrawSelection();
    CmdEnd();
}

bool CollectOrEnd(bool takeOut) {
    if (CollectSelection(takeOut)) return true;
    ShowOutOfMemory();
    EndBeforeCollect();
    return false;
}

void EndTransform() {
    FreeMovingSet();
    CmdEnd();
}

bool ScaleInRange(double scale) {
    double size = std::fabs(scale);
    return size >= kMinScale && size <= kMaxScale;
}

void ResetPlacement(PlacementDragState& state, PlacementKind kind, const double* base) {
    state.kind = kind;
    CopyPoint3(state.base, base);
    CopyPoint3(state.target, base);
    state.angle = 0.0;
    state.scale = 1.0;
    state.haveLastCursor = false;
    CopyPoint3(state.rubber[0], base);
    CopyPoint3(state.rubber[1], base);
    state.statusMode = DS_NONE;
    state.statusValue = nullptr;
    PlacementMatrix(state, state.target, state.matrix);
}

void PlacementMatrix(const PlacementDragState& state, const double* target, double* matrix) {
    if (state.kind == PlacementKind::Part) {
        CTMPSH();
        CTMI3();
        CTMR2(state.angle);
        CTMS3(state.scale, state.scale, state.scale);
        CTMT3(target[0], target[1], target[2]);
        STCTM(matrix);
        CTMPOP();
        return;
    }
    CTMI3();
    CTMT3(-state.base[0], -state.base[1], -state.base[2]);
    CTMR2(state.angle);
    CTMS3(state.scale, state.scale, state.scale);
    CTMT3(target[0], target[1], target[2]);
    STCTM(matrix);
    CTMI3();
}

void UpdatePlacement(PlacementDragState& state, void* ctx, double* cursor) {
    double* live = LiveCursorPosition();
    CopyPoint3(cursor, live);
    if (state.haveLastCursor && cursor[0] == state.lastCursor[0] &&
        cursor[1] == state.lastCursor[1] && cursor[2] == state.lastCursor[2]) {
        return;
    }
    state.statusMode = DS_NONE;
    state.statusValue = nullptr;
    bool shift = KeyDown(VK_SHIFT);
    bool ctrl = KeyDown(VK_CONTROL);
    bool part = state.kind == PlacementKind::Part;
    if (!shift && !ctrl) {
        ProcCsrSnap(kSnapPlacement);
        CopyPoint3(state.target, live);
        CopyPoint3(live, cursor);
        CopyPoint3(state.rubber[0], part ? cursor : state.base);
        CopyPoint3(state.rubber[1], part ? cursor : state.target);
    } else if (!shift) {
        double rise = state.haveLastCursor ? cursor[1] - state.lastCursor[1] : 0.0;
        double scale =
            state.scale * DragFactor(DragStep(rise * kScaleStepsPerView, DragViewHeight(ctx)));
        if (ScaleInRange(scale)) state.scale = scale;
        state.statusMode = DS_SCALE;
        state.statusValue = &state.scale;
        CopyPoint3(state.rubber[0], part ? cursor : state.base);
        CopyPoint3(state.rubber[1], part ? cursor : state.base);
    } else {
        state.angle = AngleOf(state.target, cursor);
        if (!ctrl) state.angle = SnapAngle15(state.angle);
        state.statusMode = DS_ANGLE;
        state.statusValue = &state.angle;
        CopyPoint3(state.rubber[0], state.target);
        CopyPoint3(state.rubber[1], cursor);
    }
    PlacementMatrix(state, state.target, state.matrix);
    CopyPoint3(state.lastCursor, cursor);
    state.haveLastCursor = true;
}

const double* ClickTarget(const PlacementDragState& state, const double* clicked) {
    return state.statusMode != DS_NONE ? state.target : clicked;
}

void TakeTypedScale(PlacementDragState& state, double number) {
    if (number > kMinTypedScale && ScaleInRange(number)) state.scale = number;
    state.lastCursor[0] += 1.0;
}

void FinishPlacement(const PlacementDragState& state, void* ctx, const double* cursor) {
    GetGDraw3()->DrawLine3(ctx, state.rubber[0], state.rubber[1]);
    if (state.statusMode != DS_NONE) {
        DrawDragStatus(ctx, cursor, state.statusMode, state.statusValue, nullptr, nullptr);
        XHReqCsr3(ctx);
    } else {
        // The host's cursor mark shows the snapped target; the raw cursor goes back after.
        double* live = LiveCursorPosition();
        CopyPoint3(live, state.target);
        XHReqCsr3(ctx);
        CopyPoint3(live, cursor);
    }
    SetArrowCursor();
}
