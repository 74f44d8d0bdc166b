// The preview painters and preview controls of the host interface.
#include "core/host_api.h"
#include "host/display/painters.h"
#include "host/display/preview.h"

extern "C" GDraw2* GetGDraw2(void) { return qlhost::Painter2(); }
extern "C" GDraw3* GetGDraw3(void) { return qlhost::Painter3(); }
extern "C" void* CreateXWCtrl(const double* view, const RECT* rect, HDC dc) {
    return qlhost::CreatePreviewControl(view, rect, dc);
}
extern "C" void ReleaseXWCtrl(void* control) { qlhost::ReleasePreviewControl(control); }
