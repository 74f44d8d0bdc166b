// Screen and progress calls of the host interface.
#include "core/host_api.h"
#include "host/display/preview.h"

extern "C" void EDraw(int mode, EntRec* entity) { qlhost::ScreenDraw(mode, entity); }
extern "C" void EErase(int mode, EntRec* entity) { qlhost::ScreenErase(mode, entity); }
extern "C" void EMark(EntRec* entity) { qlhost::ScreenMark(entity); }
extern "C" void Redraw(void) { qlhost::ScreenRedraw(); }
extern "C" void ShowChanges(void) { qlhost::ScreenShowChanges(); }
extern "C" void ProgressMsg(const char* text) { qlhost::ScreenProgressMsg(text); }
extern "C" void ShowProgress(int done, int total) { qlhost::ScreenShowProgress(done, total); }
