// QLTEXT, QLTEXTML, QLTEXTB and QLTEXTC: the text hangs at the cursor and every click places
// a copy; CTRL scales it, SHIFT turns it, a typed number sets its height, and the host's
// current text settings are followed while it moves.
#include "text/place.h"

#include <cmath>
#include <cstring>

#include "core/commands.h"
#include "core/geometry.h"
#include "core/hooks.h"
#include "core/prompts.h"
#include "core/records.h"
#include "text/entity_text.h"
#include "text/placement_state.h"
#include "transform/drag_helpers.h"

namespace {

TextPlacementState g_state;

constexpr char kPrompt[] = "Place text (h = help):";
constexpr char kPromptEdit[] = "Place text (h = help) [use old origin]:";
constexpr char kNoMemory[] = "Not enough memory, please restart Corvane.";

constexpr uint32_t kRequestStart = 32;   // a number may be typed at the position prompt
constexpr uint32_t kRequestPlaced = 2;   // set once the first copy is placed
constexpr uint32_t kKeyRepeatWindow = 100;  // ms: an Enter this soon after a key is its echo
constexpr double kDragStepsPerView = 6.0;
constexpr float kMarginPerHeight = 1.0f / 3.0f;
constexpr int kBoxPoints = 5;

// Style block fields that follow the current settings one by one: offset and width.
struct StyleField {
    size_t at;
    size_t size;
};
constexpr StyleField kStyleFields[] = {{0, 2}, {2, 4}, {6, 4}, {10, 4}, {14, 4},
                                       {18, 2}, {20, 1}, {21, 1}, {22, 1}};

void OnPosition(int status);

// Copies into the text every field of the current settings that changed since the
// snapshot, then takes a new snapshot.
void FollowCurrentSettings(EntRec* record) {
    const unsigned char* block = CurrentStyleBlock(TextTemplate());
    if (block == nullptr) return;
    if (g_state.haveSnapshot) {
        for (const StyleField& field : kStyleFields) {
            if (std::memcmp(block + field.at, g_state.snapshot + field.at, field.size) != 0)
                std::memcpy(record + kTextStyleBlock + field.at, block + field.at, field.size);
        }
    }
    std::memcpy(g_state.snapshot, block, kStyleBlockSize);
    g_state.haveSnapshot = true;
}

// The box around the text (five corners, the last the first) with a margin of a third of
// the height, and the circle through its corners.
void SurroundingShape(const EntRec* record, double* corners, double* centre, double* radius) {
    double lower[2] = {0, 0};
    double upper[2] = {0, 0};
    XCheckGText2(record + kTextData, lower, upper);
    double margin = GetF32(record, kTextHeight) * kMarginPerHeight;
    const double points[2 * kBoxPoints] = {lower[0] - margin, lower[1] - margin, lower[0] - margin,
                                           upper[1] + margin, upper[0] + margin, upper[1] + margin,
                                           upper[0] + margin, lower[1] - margin, lower[0] - margin,
                                           lower[1] - margin};
    std::memcpy(corners, points, sizeof points);
    centre[0] = (lower[0] + upper[0]) / 2;
    centre[1] = (lower[1] + upper[1]) / 2;
    *radius = DistanceOf(centre, corners);
}

void DrawSurroundingPreview(void* ctx, const EntRec* record) {
    if (g_state.surrounding != kSurroundBox && g_state.surrounding != kSurroundCircle) return;
    double corners[2 * kBoxPoints];
    double centre[2];
    double radius = 0;
    SurroundingShape(record, corners, centre, &radius);
    if (g_state.surrounding == kSurroundBox)
        GetGDraw2()->DrawPolyline(ctx, kBoxPoints, corners);
    else
        GetGDraw2()->DrawCircle(ctx, centre, radius);
}

void AddSurrounding(DList* work, const EntRec* record) {
    if (g_state.surrounding != kSurroundBox && g_state.surrounding != kSurroundCircle) return;
    double corners[2 * kBoxPoints];
    double centre[2];
    double radius = 0;
    SurroundingShape(record, corners, centre, &radius);
    RecordBuffer shape = g_state.surrounding == kSurroundBox ? BuildPolygon(corners, kBoxPoints)
                                                             : BuildCircle(centre, radius);
    EntRec* added = AddEntity(work, shape.data());
    if (added == nullptr) return;
    SetCStuff(added);
    MarkEntity(work, added);
    EDraw(0, added);
}

void PlaceCopy(EntRec* record) {
    DList* work = GetWorkDL();
    BeginChange(work);
    SetWorkLength();
    if (EntRec* placed = AddEntity(work, record)) {
        SetCStuff(placed);
        MarkEntity(work, placed);
        EDraw(0, placed);
        AddSurrounding(work, record);
    }
    ShowChanges();
}

void EndPlacement() {
    // A cancelled move leaves the edited text as it was, without the pick highlight.
    if ((g_state.flags & kPlaceEditMode) && g_state.edited != nullptr) {
        if (EntRec* edited = LocateEntity(GetWorkDL(), g_state.edited)) EDraw(0, edited);
        ShowChanges();
    }
    g_state.edited = nullptr;
    CmdEnd();
}

void RewriteEdited(bool oldPosition) {
    if (g_state.edited != nullptr) RewriteTextEntity(g_state.edited, oldPosition);
    g_state.edited = nullptr;
}

// The placement's drag step: modifier keys change the text, a plain move carries it.
void PlacementDrag(void* ctx) {
    EntRec* record = TextWorkRecord();
    double* live = LiveCursorPosition();
    if (record == nullptr || live == nullptr) {
        XHReqCsr(ctx);
        return;
    }
    const double raw[2] = {live[0], live[1]};
    double position[2];
    GetPoint(record, kTextX, position);
    if (raw[0] != g_state.lastCursor[0] || raw[1] != g_state.lastCursor[1]) {
        g_state.valueLabel = DS_NONE;
        g_state.modifierMode = (KeyDown(VK_SHIFT) ? 1 : 0) + (KeyDown(VK_CONTROL) ? 2 : 0);
        if (g_state.modifierMode == 0) {
            ProcCsrSnap(static_cast<int>(g_state.requestFlags & kRequestPlaced));
            PutPoint(record, kTextX, live);
            live[0] = raw[0];
            live[1] = raw[1];
            FollowCurrentSettings(record);
        } else if (g_state.modifierMode == 2) {
            ClearStyleNumber(record);
            double step = DragStep((raw[1] - g_state.lastCursor[1]) * kDragStepsPerView, DragViewHeight(ctx));
            float height = static_cast<float>(GetF32(record, kTextHeight) * DragFactor(step));
            if (std::isfinite(height) && height > 0) PutF32(record, kTextHeight, height);
            g_state.valueLabel = DS_HEIGHT;
        } else {
            ClearStyleNumber(record);
            double angle = AngleOf(position, raw);
            if (g_state.modifierMode == 1) angle = SnapAngle15(angle);
            PutF32(record, kTextAngle, static_cast<float>(angle));
            g_state.valueLabel = DS_ANGLE;
        }
        g_state.lastCursor[0] = raw[0];
        g_state.lastCursor[1] = raw[1];
        GetPoint(record, kTextX, position);
    }
    GetPoint(record, kTextX, g_state.shownAt);
    GetGDraw2()->DrawTextData(ctx, record + kTextData);
    DrawSurroundingPreview(ctx, record);
    if (g_state.modifierMode != 0) GetGDraw2()->DrawLine(ctx, position, raw);
    if (g_state.valueLabel != DS_NONE) {
        float value = GetF32(record, g_state.valueLabel == DS_ANGLE ? kTextAngle : kTextHeight);
        DrawDragStatus(ctx, raw, g_state.valueLabel, nullptr, nullptr, &value);
    }
    XHReqCsr(ctx);
}

void OnPosition(int status) {
    RemoveKeyHook();
    EntRec* record = TextWorkRecord();
    bool editMode = (g_state.flags & kPlaceEditMode) != 0;
    if (status == ST_OK) {
        // After a step that turned or scaled the text the cursor has left it: the click
        // places the text where it was shown, not at the clicked point the host wrote.
        if (g_state.modifierMode != 0) PutPoint(record, kTextX, g_state.shownAt);
        if (editMode) {
            RewriteEdited(false);
            EndPlacement();
            return;
        }
        PlaceCopy(record);
        g_state.requestFlags |= kRequestPlaced;
        AskPosition();
        return;
    }
    if (status == ST_NUMBER) {
        double typed = GetF64(record, kTextX);
        // The host put the number where the position lives.
        PutF64(record, kTextX, g_state.shownAt[0]);
        if (!g_state.ignoreNextNumber) {
            // A height typed by hand is the text's own, as with CTRL.
            ClearStyleNumber(record);
            PutF32(record, kTextHeight, static_cast<float>(std::fabs(typed)));
            PutU8(record, kTextLayout, 0);
        }
        g_state.ignoreNextNumber = false;
        AskPosition();
        return;
    }
    if (status == ST_DEFAULT) {
        if (PromptKey == 0 && g_state.keyHandled && GetTickCount() - g_state.lastKeyTime < kKeyRepeatWindow) {
            g_state.ignoreNextNumber = true;
            AskPosition();
            return;
        }
        // An Enter made by the "!" key is not the user's "use old origin".
        if (editMode && PromptKey == 0) RewriteEdited(true);
    }
    if (PromptKey != 0) {
        HandleShortcutKey(PromptKey);
        return;
    }
    EndPlacement();
}

}  // namespace

TextPlacementState& Placement() { return g_state; }

void ClearStyleNumber(EntRec* record) {
    if (GetU16(record, kTextStyleNumber) != 0) PutU16(record, kTextStyleNumber, 0);
}

void AskPosition() {
    EntRec* record = TextWorkRecord();
    if (g_state.shortcutsDisabled)
        InstallTextKeyHook();
    else
        InstallKeyHook();
    GetPoint(record, kTextX, g_state.shownAt);
    const char* prompt = (g_state.flags & kPlaceEditMode) ? kPromptEdit : kPrompt;
    ReqData(REQ_POINT2, record + kTextX, prompt, QL_DRAG(PlacementDrag), OnPosition, g_state.requestFlags, 0);
}

void StartTextPlacement(int flags) {
    EntRec* record = TextWorkRecord();
    if (record == nullptr) {
        ShowMessage(kNoMemory, "Error", MS_ERROR);
        CmdEnd();
        return;
    }
    g_state.flags = flags;
    PutU8(record, kRecType, ET_TEXT);
    SetWorkLength();
    SetCStuff(record);
    const unsigned char* block = CurrentStyleBlock(TextTemplate());
    g_state.haveSnapshot = block != nullptr;
    if (block != nullptr) {
        std::memcpy(g_state.snapshot, block, kStyleBlockSize);
        if ((flags & kPlaceKeepStyle) == 0) std::memcpy(record + kTextStyleBlock, block, kStyleBlockSize);
    }
    ClearSelect();
    g_state.requestFlags = kRequestStart;
    g_state.shortcutsDisabled = false;
    g_state.keyHandled = false;
    g_state.ignoreNextNumber = false;
    g_state.modifierMode = 0;
    g_state.valueLabel = DS_NONE;
    AskPosition();
}

void PlaceStringAsText(const char* text) {
    g_state.surrounding = kSurroundNone;
    size_t length = text != nullptr ? strnlen(text, kWorkStringCapacity) : 0;
    if (length >= kWorkStringCapacity || EnsureTextWorkRecord() == nullptr) {
        ShowMessage(kNoMemory, "Error", MS_ERROR);
        CmdEnd();
        return;
    }
    SetWorkString(text != nullptr ? text : "", length);
    StartTextPlacement(0);
}

void AdoptTextFromEntity(EntRec* entity) {
    if (entity == nullptr || RecordType(entity) != ET_TEXT || RecordLength(entity) < TextSize(0)) return;
    // The picked text's settings become current as settings of no named style.
    if (unsigned char* block = MakeSettingsCurrent(entity + kTextStyleBlock, true))
        PutU16(block, kSbStyleNumber, 0);
    if (EnsureTextWorkRecord() != nullptr) {
        std::optional<std::string_view> text = EntityString(entity);
        if (text && text->size() < kWorkStringCapacity) SetWorkString(text->data(), text->size());
    }
    g_state.surrounding = kSurroundNone;
}

void SetEditedEntity(EntRec* entity) { g_state.edited = entity; }

EntRec* RewriteTextEntity(EntRec* entity, bool keepPosition) {
    DList* work = GetWorkDL();
    EntRec* record = TextWorkRecord();
    EntRec* stored = LocateEntity(work, entity);
    if (stored == nullptr || record == nullptr || RecordType(stored) != ET_TEXT) return stored;
    EErase(0, stored);
    if (keepPosition && RecordLength(stored) >= kTextY + 8) {
        double position[2];
        GetPoint(stored, kTextX, position);
        PutPoint(record, kTextX, position);
    }
    BeginChange(work);
    size_t length = WorkStringLength();
    if (EntRec* resized = ResizeEntity(work, stored, TextSize(length))) {
        stored = resized;
        std::memcpy(stored + kTextData, record + kTextData, kTextDataSize);
        std::memcpy(stored + kTextString, WorkString(), length + 1);
        PutU8(stored, kTextLayout, 0);
    }
    EDraw(0, stored);
    ShowChanges();
    return stored;
}

void QLTEXT() {
    g_state.surrounding = kSurroundNone;
    RunNewTextDialog();
}

void QLTEXTML() {
    g_state.surrounding = kSurroundNone;
    g_state.multiline = 1;
    RunNewTextDialog();
}

void QLTEXTB() {
    g_state.surrounding = kSurroundBox;
    RunNewTextDialog();
}

void QLTEXTC() {
    g_state.surrounding = kSurroundCircle;
    RunNewTextDialog();
}
