// Texts, files, macros and windows of the host interface: StLen, StMatch, SetVar,
// ExecScriptCopy, LoadFile, RelMem, FullFileName, GetOpenFN, GetMainWin, GetADWin.
#include <cstring>
#include <string>

#include "core/host_api.h"
#include "host/drawing/names.h"
#include "host/platform/hooks.h"
#include "host/platform/system.h"
#include "host/protocol/protocol.h"
#include "host/state/events.h"
#include "host/state/parts.h"
#include "host/ui/modal.h"

extern "C" int StLen(const char* text) {
    return text ? static_cast<int>(std::strlen(text)) : 0;
}

extern "C" int StMatch(const char* pattern, const char* name) {
    if (!pattern || !name) return 0;
    return qlhost::MatchName(pattern, name) ? 1 : 0;
}

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
namespace {
// The text FullFileName hands out, valid until the next call.
struct FullNamePart {
    std::string buffer;
};
}  // namespace

extern "C" const char* FullFileName(const char* name) {
    std::string& buffer = qlhost::Part<FullNamePart>().buffer;
    buffer = qlhost::OpenableName(name ? name : "");
    return buffer.c_str();
}
extern "C" HWND GetMainWin(void) { return qlhost::MainWindow(); }
extern "C" int GetOpenFN(const char* title, OpenFNRec* record) { return qlhost::OpenFileDialog(title, record); }
extern "C" ADWin* GetADWin(void) { return qlhost::ActiveWindow(); }
