// On POSIX systems the loader knows no DllMain: these run it at load and unload, with the
// library's base address as the module instance, so attach and detach behave as on Windows.
#ifndef _WIN32
#include <dlfcn.h>

#include "core/registration.h"

namespace {

HINSTANCE ModuleBase() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&DllMain), &info) == 0) return nullptr;
    return static_cast<HINSTANCE>(info.dli_fbase);
}

__attribute__((constructor)) void Attach() { DllMain(ModuleBase(), DLL_PROCESS_ATTACH, nullptr); }
__attribute__((destructor)) void Detach() { DllMain(ModuleBase(), DLL_PROCESS_DETACH, nullptr); }

}  // namespace
#endif
