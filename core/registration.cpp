// Registration with the host: the product text, the command names, the procedure table,
// the library entry and the About box.
#include "core/registration.h"

#include <cstring>

#include "core/commands.h"
#include "core/host_api.h"

namespace {

HINSTANCE g_instance = nullptr;

void About();

// Name k belongs to procedure k; the list ends with an empty name.
const char kCommandNames[] =
    "QLLAYERS\0"
    "QLHIDEF\0"
    "QLSHOWF\0"
    "QLTHAWF\0"
    "QLFREEZEF\0"
    "QLMTRIM\0"
    "QLCUT\0"
    "QLSAMEAS\0"
    "QLDIMSCALE\0"
    "QLDIMSCALENOW\0"
    "QLGROUP1\0"
    "QLMOVE\0"
    "QLCOPY\0"
    "QLROTATE\0"
    "QLROTATE2\0"
    "QLSCALE\0"
    "QLSHEAR\0"
    "QLPART\0"
    "QLPARTM\0"
    "QLGETFNAMEM\0"
    "QLGETLAYERNAMEM\0"
    "QLTEXT\0"
    "QLTEXTML\0"
    "QLTEXTB\0"
    "QLTEXTC\0"
    "QLTINC\0"
    "QLTREPLACE\0"
    "QLTEDIT\0"
    "QLTEDITDBG\0"
    "QLTCASE\0"
    "QLTSEQ\0"
    "QLATTREXPL\0"
    "QLTEXTEXPL\0"
    "QLFRONT\0"
    "QLBACK\0"
    "QLHATCH\0"
    "QLHATCHSCAN\0"
    "QLHATCHSMART\0"
    "QLHATCHSTANDARD\0"
    "QLHATCHLAST\0"
    "QLHEXPLODE\0"
    "QLHATCHOPTSEL\0"
    "QLHATCHOPTMOD\0"
    "QLHATCHOPT\0"
    "QLDIST\0"
    "QLLENGTH\0"
    "QLDIMA\0"
    "QLLOGFILEINIT\0"
    "QLLOGFILEWRITE\0"
    "QLGVD\0"
    "QLKEYSTAT\0"
    "QLGTH\0"
    "QLCMENU\0"
    "";

const CmdProc kProcedures[] = {
    About,
    QLLAYERS,
    QLHIDEF,
    QLSHOWF,
    QLTHAWF,
    QLFREEZEF,
    QLMTRIM,
    QLCUT,
    QLSAMEAS,
    QLDIMSCALE,
    QLDIMSCALENOW,
    QLGROUP1,
    QLMOVE,
    QLCOPY,
    QLROTATE,
    QLROTATE2,
    QLSCALE,
    QLSHEAR,
    QLPART,
    QLPARTM,
    QLGETFNAMEM,
    QLGETLAYERNAMEM,
    QLTEXT,
    QLTEXTML,
    QLTEXTB,
    QLTEXTC,
    QLTINC,
    QLTREPLACE,
    QLTEDIT,
    QLTEDITDBG,
    QLTCASE,
    QLTSEQ,
    QLATTREXPL,
    QLTEXTEXPL,
    QLFRONT,
    QLBACK,
    QLHATCH,
    QLHATCHSCAN,
    QLHATCHSMART,
    QLHATCHSTANDARD,
    QLHATCHLAST,
    QLHEXPLODE,
    QLHATCHOPTSEL,
    QLHATCHOPTMOD,
    QLHATCHOPT,
    QLDIST,
    QLLENGTH,
    QLDIMA,
    QLLOGFILEINIT,
    QLLOGFILEWRITE,
    QLGVD,
    QLKEYSTAT,
    QLGTH,
    QLCMENU,
    nullptr,
};

const XPRecord kRegistration = {0, 0, "Quillet release 1026", kCommandNames, kProcedures, 0, 0};

// The About box lists the commands five to a line under a heading and an empty line.
void About() {
    char text[4096] = {};
    size_t used = 0;
    auto append = [&](const char* s) {
        size_t n = std::strlen(s);
        if (used + n >= sizeof text) n = sizeof text - 1 - used;
        std::memcpy(text + used, s, n);
        used += n;
    };
    append("User commands:\n");
    int counter = 0;
    for (const char* name = kCommandNames; *name; name += std::strlen(name) + 1) {
        append(counter == 0 ? "\n" : ", ");
        append(name);
        counter = (counter + 1) % 5;
    }
    FormSt(text, -1, "About Quillet", 0x21);
}

}  // namespace

HINSTANCE PluginInstance() { return g_instance; }

const XPRecord* RegistrationRecord() { return &kRegistration; }

extern "C" QL_LIBRARY_ENTRY BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            g_instance = instance;
            XPRegister(&kRegistration);
            break;
        case DLL_PROCESS_DETACH:
            XPUnRegister(&kRegistration);
            FreeTextWorkRecord();
            break;
        default:
            break;
    }
    return TRUE;
}
