// The host's registry branch kept on the real keys of HKEY_CURRENT_USER: the calls the
// registry room makes in the Windows build (host/platform/registry.cpp), and the start.
// Plain types only: also read by sources that see <windows.h>.
#pragma once

namespace qlhost {

class RegistryStore;

namespace win {

// The registry file has been read into store: clears the real branch and writes the store's
// branch there; at exit the branch is written back to the file if it changed.
void RegistryLoaded(RegistryStore& store);
// Before the store is read: its branch is replaced by the real keys (the plug-in changes them
// directly through advapi32).
void RegistryPull(RegistryStore& store);
// After the store changed: the real keys are brought to the store's branch, which is then
// read back in the real registry's order.
void RegistryPush(RegistryStore& store);
// Loads the registry before a plug-in can see the real keys.
void StartRegistry();

}  // namespace win
}  // namespace qlhost
