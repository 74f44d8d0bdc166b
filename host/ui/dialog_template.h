// Dialog templates as a module's compiled RT_DIALOG resources hold them (DLGTEMPLATE and
// DLGTEMPLATEEX with their items), read into the same model the resource script parser gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "host/ui/rc.h"

namespace qlhost::rc {

// Reads the bytes of one RT_DIALOG resource into dialog: rectangle, styles, caption, font and
// controls. Each control gets the class, the statement keyword a resource script would use
// for its class and style, and its texts in the host's 8-bit code page (Latin-1, other
// characters '?'); an icon named by number gets the number as its text. The name, number,
// file and line are left to the caller. A truncated or malformed template gives false and
// error says where.
bool ReadDialogTemplate(const uint8_t* data, size_t size, Dialog& dialog, std::string& error);

}  // namespace qlhost::rc
