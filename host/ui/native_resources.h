// The dialog templates compiled into a module's RT_DIALOG resources, for the Windows build's
// dialogs. Plain types only: read by sources that see the host's own Win32 subset.
#pragma once

#include <string>
#include <vector>

#include "host/ui/rc.h"

namespace qlhost::win {

// Reads every RT_DIALOG resource of the module that contains address into doc: a dialog named
// by a string keeps it, one named by a number gets "#N" and the number; file names the module
// in the dialogs' messages. faults receives one line per resource that cannot be read (the
// others stay usable). False with error when address lies in no module.
bool ReadModuleDialogs(const void* address, const std::string& file, rc::Document& doc,
                       std::vector<std::string>& faults, std::string& error);

}  // namespace qlhost::win
