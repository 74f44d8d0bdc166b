// QLMOVE and QLCOPY: carry the selection from a base point to placed points with a live
// preview; CTRL scales, SHIFT rotates in 15-degree steps, SHIFT+CTRL rotates freely.
#include "transform/move_copy.h"

#include <cstdint>

#include "core/commands.h"
#include "core/geometry.h"
#include "core/host_api.h"
#include "transform/engine.h"

namespace {

constexpr int kPromptBasePoint = 0x108d;
constexpr int kPromptNextPoint = 0x108e;
constexpr int kPromptCopyFrom = 0x10ac;
constexpr int kCursorBasePoint = 8;
constexpr uint32_t kPlaceFlags = 0x22;
constexpr int kPlaceExtra = 723;

const char kPlacePrompt[] = "Place at (CTRL=Scale, SHIFT=15° Rotate, SHIFT+CTRL=Free Rotate):";

struct MoveCopyState {
    bool copy = false;
    double base[3] = {0, 0, 0};
    double place[3] = {0, 0, 0};
};
MoveCopyState g_state;
PlacementDragState g_placement;

void OnPlace(int status);

void AskPlace(const void* prompt) {
    ReqData(REQ_POINT3, g_state.place, prompt, QL_DRAG(PlacementDrag), OnPlace, kPlaceFlags,
            kPlaceExtra);
}

void OnPlace(int status) {
    PlacementDragState& placement = MovePlacement();
    if (status == ST_OK) {
        HostMatrix matrix;
        PlacementMatrix(placement, ClickTarget(placement, g_state.place), matrix);
        BeginChange(GetWorkDL());
        if (!g_state.copy) {
            ApplyInPlace(matrix);
            EndTransform();
            return;
        }
        // Copies are placed one set after another with the same angle and scale.
        ApplyAsCopies(matrix);
        AskPlace(QL_PROMPT_NUMBER(kPromptNextPoint));
        return;
    }
    if (status == ST_NUMBER) {
        TakeTypedScale(placement, g_state.place[0]);
        AskPlace(QL_PROMPT_NUMBER(kPromptNextPoint));
        return;
    }
    if (g_state.copy) {
        UnmarkMoving();
    } else {
        RestoreMoving();
    }
    EndTransform();
}

void OnBasePoint(int status) {
    if (status != ST_OK) {
        EndBeforeCollect();
        return;
    }
    if (!CollectOrEnd(!g_state.copy)) return;
    SetRubberOrigin3(g_state.base);
    ResetPlacement(MovePlacement(), PlacementKind::Selection, g_state.base);
    AskPlace(kPlacePrompt);
}

void OnSelected(int status) {
    if (status != ST_OK) {
        CmdEnd();
        return;
    }
    int prompt = g_state.copy ? kPromptCopyFrom : kPromptBasePoint;
    ReqData(REQ_POINT3, g_state.base, QL_PROMPT_NUMBER(prompt), QL_CURSOR(kCursorBasePoint),
            OnBasePoint, 0, kPlaceExtra);
}

void Start(bool copy) {
    g_state = MoveCopyState{};
    g_state.copy = copy;
    AskSelection(OnSelected);
}

}  // namespace

PlacementDragState& MovePlacement() {
    return g_placement;
}

void PlacementDrag(void* ctx) {
    double cursor[3];
    UpdatePlacement(g_placement, ctx, cursor);
    DrawMovingPreview(ctx, g_placement.matrix);
    FinishPlacement(g_placement, ctx, cursor);
}

void QLMOVE() {
    Start(false);
}

void QLCOPY() {
    Start(true);
}
