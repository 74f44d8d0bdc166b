// The plug-in library: dlopen (RTLD_NOW, so a missing host symbol is reported at load),
// the record registered by its attach procedure, and dlclose at the end.
#include "host/protocol/loader.h"

#ifdef _WIN32
#include "host/platform/dl_shim.h"
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

#include <cstring>
#include <filesystem>

#include "host/platform/hooks.h"
#include "host/protocol/registration.h"
#include "host/state/parts.h"

namespace qlhost {
namespace {

// Bounds for walking a record that may be malformed: no command table is this large.
constexpr size_t kMaxCommands = 4096;
constexpr size_t kMaxNameLength = 256;

// This room's part of the host's state (host/state/parts.h).
struct LoaderState {
    void* library = nullptr;
    std::string path;
};
LoaderState& Loaded() { return Part<LoaderState>(); }

}  // namespace

bool CheckRegistration(const XPRecord* record, CommandTable& table, std::string& error) {
    table = CommandTable{};
    if (!record) {
        error = "the plug-in registered no record (XPRegister was not called at attach)";
        return false;
    }
    if (!record->product || !*record->product) {
        error = "the registration record has no product text";
        return false;
    }
    if (!record->names) {
        error = "the registration record has no command names";
        return false;
    }
    if (!record->procs) {
        error = "the registration record has no procedure table";
        return false;
    }
    const char* name = record->names;
    while (*name) {
        if (table.names.size() == kMaxCommands) {
            error = "the command names do not end with an empty name";
            return false;
        }
        const size_t length = strnlen(name, kMaxNameLength + 1);
        if (length > kMaxNameLength) {
            error = "command name " + std::to_string(table.names.size() + 1) + " is longer than " +
                    std::to_string(kMaxNameLength) + " characters";
            return false;
        }
        table.names.emplace_back(name, length);
        name += length + 1;
    }
    if (table.names.empty()) {
        error = "the registration record names no commands";
        return false;
    }
    if (!record->procs[0]) {
        error = "entry 0 (About) of the procedure table is null";
        return false;
    }
    for (size_t k = 1; k <= table.names.size(); ++k) {
        if (!record->procs[k]) {
            error = "the procedure table ends at entry " + std::to_string(k) + " but " +
                    std::to_string(table.names.size()) + " commands are named";
            return false;
        }
    }
    if (record->procs[table.names.size() + 1]) {
        error = "the procedure table has no null entry after entry " + std::to_string(table.names.size()) +
                " (more procedures than names)";
        return false;
    }
    table.product = record->product;
    table.procs.assign(record->procs, record->procs + table.names.size() + 1);
    return true;
}

bool LoadPlugin(const std::string& path, std::string& error) {
    if (Loaded().library && path == Loaded().path) return true;
    if (Loaded().library) UnloadPlugin();
    const XPRecord* before = RegisteredPlugin();
    void* resident = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (resident) dlclose(resident);
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        error = "cannot load the plug-in " + path + ": " + (reason ? reason : "unknown error");
        return false;
    }
    // A library that stayed resident runs no attach again; its record is still registered.
    const XPRecord* record = RegisteredPlugin();
    if (!resident && record == before) record = nullptr;
    CommandTable table;
    if (!CheckRegistration(record, table, error)) {
        error = path + ": " + error;
        dlclose(library);
        return false;
    }
    Loaded().library = library;
    Loaded().path = path;
    SetCommandTable(std::move(table));
    return true;
}

std::string UnloadPlugin() {
    if (!Loaded().library) return {};
    // Hooks the plug-in left behind would point into the unloaded library.
    RemoveAllHooks();
    const int withdrawn = UnregisterCount();
    dlclose(Loaded().library);
    Loaded().library = nullptr;
    SetCommandTable(CommandTable{});
    std::string report;
    if (UnregisterCount() == withdrawn) {
        void* still = dlopen(Loaded().path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (still)
            dlclose(still);
        else
            report = Loaded().path + ": the plug-in did not withdraw its record (XPUnRegister) at detach";
    }
    Loaded().path.clear();
    return report;
}

bool PluginLoaded() { return Loaded().library != nullptr; }
const std::string& PluginPath() { return Loaded().path; }

std::string ExecutableDir() {
#ifdef _WIN32
    const std::filesystem::path exe = win::ExecutablePath();
    if (exe.empty()) return ".";
#else
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return ".";
#endif
    return exe.parent_path().string();
}

std::string PluginFile(const std::string& name) {
    std::error_code error;
    if (name.find('/') != std::string::npos || std::filesystem::is_regular_file(name, error)) return name;
#ifdef _WIN32
    if (name.find('\\') != std::string::npos) return name;
    return (std::filesystem::path(ExecutableDir()) / (name + ".dll")).string();
#else
    return (std::filesystem::path(ExecutableDir()) / ("lib" + name + ".so")).string();
#endif
}

}  // namespace qlhost
