// Undo steps of the running host's drawing (the journal is host/drawing/undo.h): a command is
// one step from its start to its end, and so are a load, a new drawing and a scripted `add`.
// The symbol definitions a load brings are part of the step. The history belongs to the
// session and starts empty with it.
#pragma once

#include <string>

#include "host/drawing/undo.h"

namespace qlhost {

UndoHistory& TheUndoHistory();

void BeginUndoStep(const std::string& name);
void EndUndoStep();
// Takes the latest step back / does the latest undone step again, writing "undo NAME" /
// "redo NAME" (or "Nothing to undo" / "Nothing to redo") to the transcript. Only while no
// command runs.
void UndoLastStep();
void RedoLastStep();

}  // namespace qlhost
