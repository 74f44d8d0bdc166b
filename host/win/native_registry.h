// The real keys of HKEY_CURRENT_USER behind the host's registry branch (registry_branch.h).
// Plain types only: read by sources that see the host's own Win32 subset.
#pragma once

#include <string>
#include <vector>

#include "host/win/registry_branch.h"

namespace qlhost::win {

// Reads the branch with every key and value below it into real (full store paths). A missing
// branch reads as empty; false with error when a key cannot be read.
bool ReadRealBranch(RegistryStore& real, std::string& error);
// Applies the steps in order; false with error at the first that fails.
bool ApplyRealChanges(const std::vector<RegChange>& changes, std::string& error);

}  // namespace qlhost::win
