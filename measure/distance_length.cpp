// QLDIST and QLLENGTH: measure between two points or along entities and show the values in
// small read-only dialogs, each value with an "As text" button that places it as a text.
#include "measure/distance_length.h"

#include <cstdio>
#include <initializer_list>

#include "core/commands.h"
#include "core/dialog_helpers.h"
#include "core/geometry.h"
#include "core/hooks.h"
#include "core/prompts.h"
#include "core/registration.h"
#include "text/place.h"

namespace {

constexpr int kCursorPoint = 4;
constexpr int kCursorRubber = 5;
constexpr int kCursorPick = 7;
constexpr int kQueryLength = 5;
constexpr int kValueLength = 25;
constexpr size_t kValueTextSize = 128;
constexpr int kClosesDialog = 2;

// Controls of IDD_DLGDIST.
constexpr int kIdDistance = 1038;
constexpr int kIdDx = 1043;
constexpr int kIdDy = 1044;
constexpr int kIdAngle = 1045;
constexpr int kIdDistanceText = 1060;
constexpr int kIdDxText = 1061;
constexpr int kIdDyText = 1062;
constexpr int kIdAngleText = 1063;

// Controls of IDD_DLGLENGTH.
constexpr int kIdTotal = 1038;
constexpr int kIdIgnoredCount = 1058;
constexpr int kIdTotalText = 1060;
constexpr int kIdIgnoredLabel = 1061;
constexpr int kIgnoredTextLength = 15;

// The first point keeps its value from the last run and is offered again.
double g_first[2] = {0, 0};
double g_answer[2];
double g_second[2];
DistanceValues g_values;

EntRec* g_picked;
double g_total;
int32_t g_ignored;
char g_ignoredText[kIgnoredTextLength + 1];

const PromptRec kFromPrompt = MakePrompt("Distance from [!01]:", PromptValue(g_first, PF_POINT2));
const PromptRec kDistanceValue = MakePrompt("!01", PromptValue(&g_values.distance, PF_DOUBLE));
const PromptRec kDxValue = MakePrompt("!01", PromptValue(&g_values.dx, PF_DOUBLE));
const PromptRec kDyValue = MakePrompt("!01", PromptValue(&g_values.dy, PF_DOUBLE));
const PromptRec kAngleValue = MakePrompt("!01", PromptValue(&g_values.angle, PF_ANGLE));
const PromptRec kTotalValue = MakePrompt("!01", PromptValue(&g_total, PF_DISTANCE));

int CloseWithId(int) { return kClosesDialog; }

// Runs a defined dialog between the right-button hook calls and releases it.
int RunDialog(void* dialog) {
    int result = RunDialogClosedByRightButton(dialog);
    return result;
}

void ShowError(const char* text) {
    ShowMessageClosedByRightButton(text, "Error", MS_ERROR);
}

// Hands a value record, formatted by the host, to the text placement (which goes on with the
// command).
void PlaceValue(const PromptRec& value) {
    char text[kValueTextSize];
    FormatInto(value, text, sizeof text);
    PlaceStringAsText(text);
}

void ShowDistanceDialog() {
    void* dialog = DefDlg("IDD_DLGDIST", 0, 0, nullptr, 0, 0);
    EDCTL(dialog, kIdDistance, 0, PF_DOUBLE, kValueLength, &g_values.distance, 0);
    EDCTL(dialog, kIdDx, 0, PF_DOUBLE, kValueLength, &g_values.dx, 0);
    EDCTL(dialog, kIdDy, 0, PF_DOUBLE, kValueLength, &g_values.dy, 0);
    EDCTL(dialog, kIdAngle, 0, PF_ANGLE, kValueLength, &g_values.angle, 0);
    for (int id : {kIdDistanceText, kIdDxText, kIdDyText, kIdAngleText})
        BTNCTL(dialog, id, 0, 0, CloseWithId, nullptr);
    switch (RunDialog(dialog)) {
        case kIdDistanceText: PlaceValue(kDistanceValue); break;
        case kIdDxText: PlaceValue(kDxValue); break;
        case kIdDyText: PlaceValue(kDyValue); break;
        case kIdAngleText: PlaceValue(kAngleValue); break;
        default: CmdEnd(); break;
    }
}

void OnDistanceTo(int status) {
    if (status != ST_OK) {
        CmdEnd();
        return;
    }
    g_values = MeasureBetween(g_first, g_second);
    ShowDistanceDialog();
}

void OnDistanceFrom(int status) {
    if (status == ST_OK) {
        g_first[0] = g_answer[0];
        g_first[1] = g_answer[1];
    } else if (status != ST_DEFAULT) {
        CmdEnd();
        return;
    }
    SetRubberOrigin2(g_first);
    ReqData(REQ_POINT2, g_second, "Distance to: ", QL_CURSOR(kCursorRubber), OnDistanceTo, 0, 0);
}

int RefreshLengthDialog() {
    std::snprintf(g_ignoredText, sizeof g_ignoredText, "%d", static_cast<int>(g_ignored));
    UpdCtl(kIdIgnoredCount);
    ShowControl(kIdIgnoredCount, g_ignored > 0);
    ShowControl(kIdIgnoredLabel, g_ignored > 0);
    return 0;
}

int RedrawEntity(DList*, EntRec* entity, void*, void*) {
    EDraw(0, entity);
    return 0;
}

void ShowLengthDialog() {
    g_ignoredText[0] = '\0';
    void* dialog = DefDlg("IDD_DLGLENGTH", 0, 0, RefreshLengthDialog, 0, 0);
    EDCTL(dialog, kIdTotal, 0, PF_DISTANCE, kValueLength, &g_total, 0);
    EDCTL(dialog, kIdIgnoredCount, 0, PF_TEXT, kIgnoredTextLength, g_ignoredText, 0);
    BTNCTL(dialog, kIdTotalText, 0, 0, CloseWithId, nullptr);
    int result = RunDialog(dialog);
    ForEachEntity(GetWorkDL(), RedrawEntity, SCOPE_SELECTED);
    ShowChanges();
    if (result == kIdTotalText)
        PlaceValue(kTotalValue);
    else
        CmdEnd();
}

void OnLengthSelection(int status) {
    if (status != ST_OK) {
        CmdEnd();
        return;
    }
    SelectionLength measured = MeasureSelection(GetWorkDL());
    g_total = measured.total;
    g_ignored = measured.ignored;
    ShowChanges();
    ShowLengthDialog();
}

void OnLengthPick(int status) {
    if (status == ST_DEFAULT) {
        ReqData(REQ_SELECTION, nullptr, "Select entities to measure (h = help):",
                QL_CURSOR(kCursorPick), OnLengthSelection, 0, 0);
        return;
    }
    if (status != ST_OK) {
        CmdEnd();
        return;
    }
    if (g_picked == nullptr || !EGet(g_picked, kQueryLength, nullptr, &g_total)) {
        ShowError("Picked entity does not support length calculation");
        CmdEnd();
        return;
    }
    ClearSelect();
    MarkEntity(GetWorkDL(), g_picked);
    EMark(g_picked);
    ShowChanges();
    g_ignored = 0;
    ShowLengthDialog();
}

struct LengthWalk {
    double total = 0;
    int32_t ignored = 0;
};

int AddLength(DList* list, EntRec* entity, void* user, void*) {
    LengthWalk& walk = *static_cast<LengthWalk*>(user);
    double length = 0;
    if (EGet(entity, kQueryLength, nullptr, &length)) {
        walk.total += length;
    } else {
        ++walk.ignored;
        EDraw(0, entity);
        UnmarkEntity(list, entity);
    }
    return 0;
}

}  // namespace

DistanceValues MeasureBetween(const double* from, const double* to) {
    return DistanceValues{DistanceOf(from, to), to[0] - from[0], to[1] - from[1], AngleOf(from, to)};
}

SelectionLength MeasureSelection(DList* list) {
    LengthWalk walk;
    if (list != nullptr) ForEachEntity(list, AddLength, SCOPE_SELECTED | SCOPE_VISIBLE, &walk);
    return SelectionLength{walk.total, walk.ignored};
}

void QLDIST() {
    ReqData(REQ_POINT2, g_answer, &kFromPrompt, QL_CURSOR(kCursorPoint), OnDistanceFrom,
            REQ_FLAG_RECORD, 0);
}

void QLLENGTH() {
    g_picked = nullptr;
    g_total = 0;
    g_ignored = 0;
    ReqData(REQ_PICK, &g_picked, "Length of entity [select multiple]:", QL_CURSOR(kCursorPick),
            OnLengthPick, 0, 0);
}
