// QLHATCHSTANDARD: the regular hatch. The user selects the boundary entities; everything
// inside them (even-odd along each hatch line) is filled with the current pattern as one
// new group.
#include "core/commands.h"
#include "core/host_api.h"
#include "core/layers.h"
#include "core/prompts.h"
#include "core/records.h"
#include "hatch/engine/expand.h"

namespace {

constexpr uintptr_t kSelectCursor = 4;
constexpr uint32_t kBorderScope = SCOPE_SELECTED | SCOPE_VISIBLE;

// The records of the running command.
HatchRun g_run;

void HatchSelection(int status) {
    if (status != ST_OK) {
        RedrawSelection();
        CmdEnd();
        return;
    }
    HatchBorder border;
    if (!CreateHatchBorder(border)) {
        ShowMessage("Error: Couldn't create temporary drawing list 1\n\nExiting...", "Error",
                    MS_ERROR);
        CmdEnd();
        return;
    }
    HostMatrix toHatch;
    RotationMatrix(kQuarterTurn - g_run.line.angle, toHatch);
    DList* work = GetWorkDL();
    CollectBorder(border, work, toHatch, kBorderScope);
    RedrawSelection();
    ClearSelect();

    BeginChange(work);
    EntRec* group = AddEntity(work, BuildGroup().data());
    DList* members = group != nullptr ? OpenSubList(work, group) : nullptr;
    ExpandResult result;
    if (members != nullptr) {
        MarkEntity(members, group);
        SetCStuff(group);
        result = ExpandPattern(members, border, nullptr, g_run);
    }
    ReleaseHatchBorder(border);
    ShowChanges();
    if (result.tooDense) ShowTooDenseWarning();
    if (result.unusable) ShowUnusableWarning();
    CmdEnd();
}

}  // namespace

void QLHATCHSTANDARD() {
    g_run = PrepareHatchRun();
    ReqData(REQ_SELECTION, nullptr, "Regular hatch - pick entities:", QL_CURSOR(kSelectCursor),
            HatchSelection, 0, 0);
}
