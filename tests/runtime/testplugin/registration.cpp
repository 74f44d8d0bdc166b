// Registration of the test plug-in with the host at load and unload.
#include "core/registration.h"
#include "testplugin.h"

#ifdef _WIN32
// The DLL's own module handle: the real SetWindowsHookExA refuses one that names no module.
extern "C" IMAGE_DOS_HEADER __ImageBase;
#endif

namespace {

HINSTANCE g_instance = nullptr;

void About() { FormSt("Runtime test plug-in", -1, "About", 0x21); }

const char kNames[] =
    "TPKIND\0TPCHAIN\0TPDRAG\0TPHOTKEY\0TPTEXTKEY\0TPPAINT\0TPNOASK\0TPCONTNOASK\0TPAFTEREND\0"
    "TPTWICE\0TPWAIT\0TPBADKIND\0TPLEAK\0TPNEXT\0TPSCRIPT\0TPFILE\0TPPART\0TPREGSET\0TPREGGET\0"
    "TPRES\0TPTICK\0TPRECORD\0TPSNAP\0TPKEEPLIST\0";

const CmdProc kProcs[] = {About,     TPKIND,    TPCHAIN,  TPDRAG,   TPHOTKEY, TPTEXTKEY,   TPPAINT,  TPNOASK,
                          TPCONTNOASK, TPAFTEREND, TPTWICE, TPWAIT, TPBADKIND, TPLEAK,    TPNEXT,   TPSCRIPT,
                          TPFILE,    TPPART,    TPREGSET, TPREGGET, TPRES,    TPTICK,      TPRECORD, TPSNAP, TPKEEPLIST,
                          nullptr};

const XPRecord kRecord = {0, 0, "Runtime test plug-in", kNames, kProcs, 0, 0};

__attribute__((constructor)) void Attach() {
#ifdef _WIN32
    g_instance = reinterpret_cast<HINSTANCE>(&__ImageBase);
#else
    g_instance = reinterpret_cast<HINSTANCE>(const_cast<XPRecord*>(&kRecord));
#endif
    XPRegister(&kRecord);
}
__attribute__((destructor)) void Detach() { XPUnRegister(&kRecord); }

}  // namespace

// The core hooks installed by the test commands take the module instance from here.
HINSTANCE PluginInstance() { return g_instance; }
