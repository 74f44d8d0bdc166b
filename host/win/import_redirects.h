// The Win32 calls of a loaded plug-in that the Windows host answers itself. The plug-in
// imports every Win32 function from Windows' own DLLs, as it must to load into Corvane; after
// LoadLibraryA the host rewrites the entries of this list in the plug-in module's import
// address table, so these calls reach the host's emulated dialogs, owner-draw device contexts
// and scripted clock while everything else stays Windows'. Plain types only: read by sources
// that see the host's own Win32 subset and by the one that sees <windows.h>.
#pragma once

#include <cstddef>
#include <string>

namespace qlhost::win {

struct ImportRedirect {
    const char* module;  // the system DLL the plug-in imports the function from
    const char* name;    // the function's name in that DLL's export table
    void* replacement;   // the host's function of the same signature
};

// The list, in the order of module then name.
const ImportRedirect* ImportRedirects(size_t* count);

// Rewrites, in the import address table of the module loaded at base, each function of the
// list that the module imports by name; modules are compared without regard to case. Returns
// the number of entries rewritten, or -1 with error when the module's import directory
// cannot be read or a page cannot be made writable.
int RedirectModuleImports(void* base, const ImportRedirect* list, size_t count, std::string& error);

}  // namespace qlhost::win
