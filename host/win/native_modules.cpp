// The dlfcn.h shim over the Windows loader.
#include <windows.h>

#include <string>

#include "host/platform/dl_shim.h"
#include "host/platform/registry_mirror.h"
#include "host/win/import_redirects.h"

namespace {

std::string g_error;
bool g_errorSet = false;
char g_moduleName[MAX_PATH + 1];

void SetError(const std::string& what) {
    char text[512] = {};
    const DWORD code = GetLastError();
    if (code == 0) {
        g_error = what;
        g_errorSet = true;
        return;
    }
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                   text, sizeof text, nullptr);
    std::string reason(text, n);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
        reason.pop_back();
    g_error = what + " (error " + std::to_string(code) + (reason.empty() ? "" : ": " + reason) + ")";
    g_errorSet = true;
}

}  // namespace

void* dlopen(const char* path, int flags) {
    if (!path) return GetModuleHandleA(nullptr);
    HMODULE module = nullptr;
    if (flags & RTLD_NOLOAD) {
        if (!GetModuleHandleExA(0, path, &module)) return nullptr;
        return module;
    }
    // A plug-in reads the real registry directly: the host's keys are in place before it runs.
    qlhost::win::StartRegistry();
    module = LoadLibraryA(path);
    if (!module) {
        SetError("LoadLibraryA failed");
        return nullptr;
    }
    // The plug-in imports its Win32 functions from Windows; the few the host answers itself
    // are rewritten in the module's own import table before any command runs.
    size_t count = 0;
    const qlhost::win::ImportRedirect* list = qlhost::win::ImportRedirects(&count);
    std::string why;
    if (qlhost::win::RedirectModuleImports(module, list, count, why) < 0) {
        FreeLibrary(module);
        SetLastError(0);
        SetError("the plug-in's imports cannot be redirected: " + why);
        return nullptr;
    }
    return module;
}

int dlclose(void* module) {
    if (FreeLibrary(static_cast<HMODULE>(module))) return 0;
    SetError("FreeLibrary failed");
    return -1;
}

const char* dlerror() {
    if (!g_errorSet) return nullptr;
    g_errorSet = false;
    return g_error.c_str();
}

int dladdr(const void* address, Dl_info* info) {
    HMODULE module = nullptr;
    const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (!info || !GetModuleHandleExA(flags, static_cast<LPCSTR>(address), &module)) return 0;
    const DWORD n = GetModuleFileNameA(module, g_moduleName, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 0;
    g_moduleName[n] = '\0';
    *info = Dl_info{g_moduleName, module, nullptr, nullptr};
    return 1;
}

namespace qlhost::win {

std::string ExecutablePath() {
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(path, n) : std::string();
}

}  // namespace qlhost::win
