// The few dlfcn.h calls the host makes, over the Windows loader (LoadLibraryA,
// GetModuleHandleExA, FreeLibrary, GetModuleFileNameA). Plain types only: this header is
// read by sources that see the host's own Win32 subset instead of <windows.h>.
#pragma once

#include <string>

#define RTLD_NOW 0x2
#define RTLD_LOCAL 0x0
#define RTLD_NOLOAD 0x4

struct Dl_info {
    const char* dli_fname;  // the module's file (valid until the next dladdr)
    void* dli_fbase;        // the module's base address (its instance handle)
    const char* dli_sname;
    void* dli_saddr;
};

// RTLD_NOLOAD: the module only when it is already loaded (its reference count is raised).
void* dlopen(const char* path, int flags);
int dlclose(void* module);
// The last failure as text, or null; cleared by reading it.
const char* dlerror();
int dladdr(const void* address, Dl_info* info);

namespace qlhost::win {

// The full path of the running executable.
std::string ExecutablePath();

}  // namespace qlhost::win
