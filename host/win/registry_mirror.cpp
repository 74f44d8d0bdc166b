// The host's registry branch on the real keys: the store stays the host's view, the real keys
// of HKEY_CURRENT_USER hold the branch while the host runs, the registry file the copy that
// persists between runs.
#include "host/platform/registry_mirror.h"

#include <cstdlib>
#include <string>

#include "host/ui/env.h"
#include "host/win/native_registry.h"

namespace qlhost::win {
namespace {

struct Mirror {
    std::string written;  // the file's text as of the last load or save
    bool exitHook = false;
};

Mirror& State() {
    static Mirror mirror;
    return mirror;
}

void Apply(const std::vector<RegChange>& changes) {
    std::string error;
    if (!ApplyRealChanges(changes, error)) ScriptFault("registry: " + error);
}

// At exit: what the plug-in changed directly goes to the file.
void WriteBackAtExit() {
    const RegistryStore& store = HostRegistry();
    if (WriteRegText(store) != State().written) SaveHostRegistry();
}

}  // namespace

void RegistryLoaded(RegistryStore& store) {
    Mirror& m = State();
    Apply(RewriteBranch(store));
    // Read back, so the store lists values in the real registry's order from the start.
    RegistryPull(store);
    m.written = WriteRegText(store);
    if (!m.exitHook) m.exitHook = std::atexit(WriteBackAtExit) == 0;
}

void RegistryPull(RegistryStore& store) {
    RegistryStore real;
    std::string error;
    if (!ReadRealBranch(real, error)) return ScriptFault("registry: " + error);
    ReplaceBranch(store, real);
}

void RegistryPush(RegistryStore& store) {
    RegistryStore real;
    std::string error;
    if (!ReadRealBranch(real, error)) return ScriptFault("registry: " + error);
    Apply(BranchChanges(real, store));
    RegistryPull(store);
    State().written = WriteRegText(store);
}

void StartRegistry() {
    HostRegistry();
}

}  // namespace qlhost::win
