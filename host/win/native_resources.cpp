// The dialog templates of a module from its own resources (EnumResourceNamesA, FindResourceA,
// LoadResource, LockResource, SizeofResource), read by the host's template reader.
#include <windows.h>

#include "host/ui/dialog_template.h"
#include "host/ui/native_resources.h"

namespace qlhost::win {
namespace {

struct Enumeration {
    const std::string* file;
    rc::Document* doc;
    std::vector<std::string>* faults;
};

void AddDialog(HMODULE module, LPCSTR name, Enumeration& e) {
    rc::Dialog d;
    if (IS_INTRESOURCE(name)) {
        d.number = static_cast<int>(reinterpret_cast<ULONG_PTR>(name));
        d.name = "#" + std::to_string(d.number);
    } else {
        d.name = name;
    }
    d.file = *e.file;
    HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(5));  // RT_DIALOG
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = found ? SizeofResource(module, found) : 0;
    if (bytes == nullptr) {
        e.faults->push_back(*e.file + ": dialog " + d.name + " cannot be loaded (error " +
                            std::to_string(GetLastError()) + ")");
        return;
    }
    std::string error;
    if (!rc::ReadDialogTemplate(static_cast<const uint8_t*>(bytes), size, d, error)) {
        e.faults->push_back(*e.file + ": dialog " + d.name + ": " + error);
        return;
    }
    e.doc->dialogs.push_back(std::move(d));
}

BOOL CALLBACK OnName(HMODULE module, LPCSTR, LPSTR name, LONG_PTR param) {
    AddDialog(module, name, *reinterpret_cast<Enumeration*>(param));
    return TRUE;
}

}  // namespace

bool ReadModuleDialogs(const void* address, const std::string& file, rc::Document& doc,
                       std::vector<std::string>& faults, std::string& error) {
    HMODULE module = nullptr;
    const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (!GetModuleHandleExA(flags, static_cast<LPCSTR>(address), &module)) {
        error = "the module instance is not a loaded library";
        return false;
    }
    Enumeration e{&file, &doc, &faults};
    if (EnumResourceNamesA(module, MAKEINTRESOURCEA(5), OnName, reinterpret_cast<LONG_PTR>(&e))) return true;
    // A module without resources, or without dialogs, simply has no templates.
    const DWORD code = GetLastError();
    if (code != ERROR_RESOURCE_DATA_NOT_FOUND && code != ERROR_RESOURCE_TYPE_NOT_FOUND)
        faults.push_back(file + ": its dialogs cannot be listed (error " + std::to_string(code) + ")");
    return true;
}

}  // namespace qlhost::win
