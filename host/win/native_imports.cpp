// Rewriting a loaded module's import address table (see import_redirects.h). The loader has
// bound every import when LoadLibraryA returns; the import lookup table beside each address
// table still names the functions, so an entry is found by its DLL and name and its slot in
// the address table is overwritten. Only the plug-in module's own table changes: Windows and
// the host itself keep calling the real functions.
#include <windows.h>

#include <cstring>

#include "host/win/import_redirects.h"

namespace qlhost::win {

namespace {

const ImportRedirect* Find(const ImportRedirect* list, size_t count, const char* module, const char* name) {
    for (size_t i = 0; i < count; ++i)
        if (_stricmp(list[i].module, module) == 0 && std::strcmp(list[i].name, name) == 0) return &list[i];
    return nullptr;
}

bool Overwrite(IMAGE_THUNK_DATA* slot, void* replacement) {
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return false;
    slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
    VirtualProtect(slot, sizeof *slot, old, &old);
    return true;
}

}  // namespace

int RedirectModuleImports(void* base, const ImportRedirect* list, size_t count, std::string& error) {
    auto* bytes = static_cast<unsigned char*>(base);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(bytes + dos->e_lfanew);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE || nt->Signature != IMAGE_NT_SIGNATURE) {
        error = "the module has no PE headers";
        return -1;
    }
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return 0;
    int rewritten = 0;
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(bytes + directory.VirtualAddress); d->Name != 0;
         ++d) {
        const char* module = reinterpret_cast<const char*>(bytes + d->Name);
        // Without a lookup table the names are gone once bound; mingw-w64's linker always writes one.
        if (d->OriginalFirstThunk == 0) continue;
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(bytes + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(bytes + d->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(bytes + names->u1.AddressOfData);
            const ImportRedirect* redirect = Find(list, count, module, reinterpret_cast<const char*>(byName->Name));
            if (!redirect) continue;
            if (!Overwrite(slots, redirect->replacement)) {
                error = std::string("cannot rewrite the import of ") + redirect->name + " (error " +
                        std::to_string(GetLastError()) + ")";
                return -1;
            }
            ++rewritten;
        }
    }
    return rewritten;
}

}  // namespace qlhost::win
