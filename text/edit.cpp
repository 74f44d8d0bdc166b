// QLTEDIT and QLTEDITDBG: pick texts one after another and change them in the text dialog;
// keep them in place, move them, or place changed copies. QLTEDITDBG reports each step.
#include "core/commands.h"
#include "core/hooks.h"
#include "core/prompts.h"
#include "text/entity_text.h"
#include "text/place.h"

namespace {

constexpr char kPrompt[] = "Select text to edit: ";
constexpr uint32_t kPickFlags = 0x40002C;
constexpr int kPlaceMove = kPlaceEditMode | kPlaceKeepStyle;
constexpr int kPlaceCopies = kPlaceKeepStyle;

struct EditState {
    double pick[2] = {0, 0};
    bool trace = false;
};
EditState g_edit;

void OnPick(int status);

void Trace(const char* text) {
    if (g_edit.trace) ShowMessage(text, "Message", MS_MESSAGE);
}

// Texts anywhere but inside symbol references, on layers that are not hidden. A candidate
// that cannot be allocated ends the scan; the pick works with what was found.
void AskPick() {
    ClearCandidates();
    CandidateScan scan;
    scan.enterReferences = false;
    ScanCandidates(scan);
    InstallTextKeyHook();
    ReqData(REQ_POINT2, g_edit.pick, kPrompt, QL_DRAG(PickFeedback), OnPick, kPickFlags, 0);
}

void EndEdit() {
    ClearCandidates();
    CmdEnd();
}

void OnPick(int status) {
    RemoveKeyHook();
    if (status != ST_OK) {
        EndEdit();
        return;
    }
    TextCandidate* nearest = NearestCandidate(g_edit.pick);
    EntRec* entity = nearest != nullptr ? nearest->entity : nullptr;
    ClearCandidates();
    if (entity == nullptr) {
        AskPick();
        return;
    }
    Trace("01: Found pEntRec");
    EMark(entity);
    ShowChanges();
    switch (TextEditDialog(entity)) {
        case kEditNoMemory:
            EndEdit();
            return;
        case kEditNotText:
            Trace("02: Error in MyTextEdit - calling normal EEdit");
            BeginChange(GetWorkDL());
            if (EEdit(entity) != 0) return;
            ShowChanges();
            break;
        case IDOK:
            Trace("03: MyTextEdit returned OK");
            RewriteTextEntity(entity, false);
            break;
        case kEditNewPosition:
            Trace("03: MyTextEdit returned move button");
            SetEditedEntity(entity);
            StartTextPlacement(kPlaceMove);
            return;
        case kEditInsertCopy:
            Trace("03: MyTextEdit returned copy button");
            EDraw(0, entity);
            ShowChanges();
            StartTextPlacement(kPlaceCopies);
            return;
        default:
            Trace("03: MyTextEdit was cancelled");
            EDraw(0, entity);
            ShowChanges();
            break;
    }
    AskPick();
}

void Start(bool trace) {
    g_edit = EditState{};
    g_edit.trace = trace;
    AskPick();
}

}  // namespace

void QLTEDIT() { Start(false); }

void QLTEDITDBG() { Start(true); }
