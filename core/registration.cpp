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
#define QL_COMMAND_NAME(name) #name "\0"
const char kCommandNames[] = QL_COMMANDS(QL_COMMAND_NAME) "";
#undef QL_COMMAND_NAME

// Procedure 0 is the About box; the table ends with a null procedure.
#define QL_COMMAND_PROCEDURE(name) name,
const CmdProc kProcedures[] = {About, QL_COMMANDS(QL_COMMAND_PROCEDURE) nullptr};
#undef QL_COMMAND_PROCEDURE
static_assert(sizeof kProcedures / sizeof kProcedures[0] == kCommandCount + 2);

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
