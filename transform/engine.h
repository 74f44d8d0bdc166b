// The live transform engine: the set of selected entities being moved, their preview in a
// drag, the ways of applying or abandoning the result, and the steps of a placement drag
// (move to the cursor, CTRL scales, SHIFT rotates) shared by move, copy and part placement.
#pragma once

#include <cstddef>

#include "core/host_api.h"

// One selected entity of the working list.
struct MovingNode {
    MovingNode* next;
    EntRec* entity;
};

// The entities of the last selection, in the order the host enumerated them.
struct MovingSet {
    MovingNode* head = nullptr;
    MovingNode* tail = nullptr;
    size_t count = 0;
    bool takenOut = false;  // deleted from the list (and the screen) while the command runs
};

// The one moving set of the plug-in.
const MovingSet& TheMovingSet();

// Empties the moving set and fills it with the selected entities of the working list. With
// takeOut, each is also erased from the screen and deleted (undoably) from the list. False
// when memory ran out: the set is then empty and nothing was taken out.
bool CollectSelection(bool takeOut);

// Draws every entity of the set transformed by matrix into the drag context, through a
// scratch copy in the working list that is removed again.
void DrawMovingPreview(void* ctx, const double* matrix);

// Transforms the entities in place, draws them and selects them; entities taken out are put
// back first. The caller calls BeginChange before.
void ApplyInPlace(const double* matrix);

// Adds a transformed, selected copy of each entity just after its source. The caller calls
// BeginChange before.
void ApplyAsCopies(const double* matrix);

// Puts entities taken out back unchanged and draws them (a cancelled move, rotate, scale or
// shear).
void RestoreMoving();

// Takes the entities out of the selection and draws them (the end of a copy).
void UnmarkMoving();

// Frees every node; the set is empty afterwards.
void FreeMovingSet();

// Shows "Not enough memory, please restart Corvane." as an error.
void ShowOutOfMemory();

// The command steps every transform shares: the first prompt (a selection, host prompt
// 0x1065), the end of a cancelled prompt before the entities are collected (the selection
// highlight is taken away), collecting with the out-of-memory exit (false: the command has
// ended), and the end once collected (the set is freed).
void AskSelection(ContProc next);
void EndBeforeCollect();
bool CollectOrEnd(bool takeOut);
void EndTransform();

// Scales are kept within this range in absolute value: an update that would leave it is
// ignored, so no coordinate can overflow to infinity or collapse to nothing.
constexpr double kMinScale = 1e-6;
constexpr double kMaxScale = 1e6;
bool ScaleInRange(double scale);

// A number typed at a placement prompt must exceed this to become the scale.
constexpr double kMinTypedScale = 0.0001;

// What a placement drag carries.
enum class PlacementKind {
    Selection,  // the moving set: rubber line from the base point; the matrix ends in identity
    Part,       // a part about its own origin: rubber line at the cursor; the matrix is pushed
                // and popped so the host's current matrix is kept
};

// State of one placement drag: the base point is carried to the target point, turned by the
// angle and scaled by the scale.
struct PlacementDragState {
    PlacementKind kind = PlacementKind::Selection;
    double base[3] = {0, 0, 0};
    double target[3] = {0, 0, 0};
    double angle = 0.0;
    double scale = 1.0;
    double lastCursor[3] = {0, 0, 0};
    bool haveLastCursor = false;  // false until the first drag step of a command
    double rubber[2][3] = {};
    HostMatrix matrix = {};
    int statusMode = 0;
    const double* statusValue = nullptr;
};

// Starts a placement: the base point at base (and target there too), angle 0, scale 1, and
// the matrix rebuilt on the next drag step.
void ResetPlacement(PlacementDragState& state, PlacementKind kind, const double* base);

// The placement matrix: minus the base point, turn by the angle, scale, to the target.
void PlacementMatrix(const PlacementDragState& state, const double* target, double* matrix);

// Steps 1 to 5 of a placement drag step: reads the live cursor (raw copy into cursor), and
// when it moved, reads the keys, updates target, angle or scale, the rubber line, the status
// and the matrix.
void UpdatePlacement(PlacementDragState& state, void* ctx, double* cursor);

// The point a click at a placement prompt places the base point at: when the last drag step
// scaled or turned (a status shown), the target the preview was drawn at, since the cursor has
// wandered off it while the keys were held; otherwise the clicked point itself.
const double* ClickTarget(const PlacementDragState& state, const double* clicked);

// A number typed at a placement prompt: above kMinTypedScale (and within range) it becomes
// the scale. The next drag step rebuilds the preview either way.
void TakeTypedScale(PlacementDragState& state, double number);

// The end of a placement drag step: the rubber line, the status label or the snapped cursor
// mark, XHReqCsr3, and the arrow cursor.
void FinishPlacement(const PlacementDragState& state, void* ctx, const double* cursor);
