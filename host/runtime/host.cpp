// The reset of the whole host, room by room from the top down: the session before the rooms
// it uses, the preview frame after the view it is sized by.
#include "host/runtime/host.h"

#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/geometry/geometry.h"
#include "host/platform/hooks.h"
#include "host/platform/system.h"
#include "host/protocol/protocol.h"

namespace qlhost {

void Host::Reset() {
    ResetSession();
    ResetCursorState();
    ReleaseAllKeys();
    RemoveAllHooks();
    ClearMacroVars();
    ResetClock();
    ResetMatrixStack();
    TheDrawing().Reset();
    ClearSymbolDefinitions();
    BeginFrame(ViewWidth(), ViewHeight());
    ClearControlPreviews();
    ClearHighlights();
    ResetScreenCounters();
    SetFocusWindow(nullptr);
}

Host& Host::Current() {
    static Host host;
    return host;
}

}  // namespace qlhost
