// The drawing lists of the host interface: the working list, temporary lists, parts, the
// screen refresh and progress calls, the selection.
#include <string>

#include "core/host_api.h"
#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/platform/hooks.h"
#include "host/platform/system.h"
#include "host/state/events.h"

extern "C" DList* GetWorkDL(void) {
    return qlhost::TheDrawing().work.get();
}

extern "C" DList* CreateDList(const char* name, int mode) {
    qlhost::Drawing& drawing = qlhost::TheDrawing();
    // A script may make the host run out of lists, as Corvane can, to try the plug-in's answer.
    if (drawing.grantedLists > 0) {
        --drawing.grantedLists;
    } else if (drawing.refusedLists > 0) {
        --drawing.refusedLists;
        return nullptr;
    }
    return drawing.CreateTemporary(name ? name : "", mode);
}

extern "C" void ClearSelect(void) {
    qlhost::TheDrawing().ClearSelection();
}

extern "C" DList* PartLoad(const char* name) { return qlhost::LoadPart(name); }
extern "C" int PartInsert(DList* part, DList* target, const double* matrix, DList* owner) {
    return qlhost::InsertPart(part, target, matrix, owner);
}

extern "C" void Redraw(void) { qlhost::ScreenRedraw(); }
extern "C" void ShowChanges(void) { qlhost::ScreenShowChanges(); }
extern "C" void ProgressMsg(const char* text) { qlhost::ScreenProgressMsg(text); }
extern "C" void ShowProgress(int done, int total) { qlhost::ScreenShowProgress(done, total); }
