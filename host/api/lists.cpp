// GetWorkDL, CreateDList, ClearSelect, SetNewTag: the drawing lists as the plug-in asks for them.
#include "core/host_api.h"
#include "host/drawing/drawing.h"

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

extern "C" void SetNewTag(EntRec* entity) {
    if (qlhost::Node* node = qlhost::LocateNode(entity)) node->flags |= qlhost::Node::kNewTag;
}
