// The plug-in's dialog templates: every .rc (and .h) file in the "resources" folder beside
// the library a module instance belongs to, parsed once and kept. The Windows build reads
// the module's own compiled RT_DIALOG resources instead (path then names the module).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/win32.h"
#include "host/ui/rc.h"

namespace qlhost {

struct ResourceFolder {
    std::string path;
    rc::Document doc;
};

// The templates of the module that instance belongs to; null with error when the module or
// its resources cannot be found. Faults in the files are reported (ScriptFault) once, when
// the folder is first read; the dialogs of the readable files stay usable.
std::shared_ptr<const ResourceFolder> ResourcesOf(HINSTANCE instance, std::string& error);

// Names the resources folder of a module instance directly (tests, hosts that embed the
// plug-in's objects).
void SetResourceFolder(HINSTANCE instance, const std::string& folder);
// Forgets every parsed folder so the next use reads the files again.
void ClearResourceCache();

}  // namespace qlhost
