// Macro variables, host scripts, files, parts and the main window of the host interface.
#include <string>

#include "core/host_api.h"
#include "host/events/events.h"
#include "host/platform/hooks.h"
#include "host/platform/system.h"

extern "C" void SetVar(const char* name, const char* value) {
    if (!name || !value) {
        qlhost::ScriptFault("SetVar with a null name or value");
        return;
    }
    qlhost::SetMacroVar(name, value);
}
extern "C" int ExecScriptCopy(const char* script) { return qlhost::RunHostScript(script); }
extern "C" int LoadFile(const char* name, char** text, uint32_t* size) {
    return qlhost::LoadHostFile(name, text, size) ? 1 : 0;
}
extern "C" void RelMem(void* block) {
    if (!qlhost::ReleaseHostBlock(block)) qlhost::ScriptFault("RelMem of a block the host did not hand out");
}
extern "C" const char* FullFileName(const char* name) {
    static std::string buffer;
    buffer = qlhost::OpenableName(name ? name : "");
    return buffer.c_str();
}
extern "C" HWND GetMainWin(void) { return qlhost::MainWindow(); }
extern "C" DList* PartLoad(const char* name) { return qlhost::LoadPart(name); }
extern "C" int PartInsert(DList* part, DList* target, const double* matrix, DList* owner) {
    return qlhost::InsertPart(part, target, matrix, owner);
}
