// The host's user-interface room: dialogs built from the plug-in's .rc templates, message
// boxes and formatted prompt texts, the file dialog and pop-up menus. (The registry file is
// the platform room's, host/platform/registry.h.)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/win32.h"
#include "host/platform/registry.h"

namespace qlhost {

// True when target is a host dialog or message box; WM_CLOSE closes it with IDCANCEL and
// keys go to it. False for every other window.
bool UiHandleMessage(HWND target, UINT msg, WPARAM w, LPARAM l);

// The text shown for a prompt: a host prompt number, a plain text, or a prompt record
// (flags bit 0, REQ_FLAG_RECORD) with its placeholders filled in.
std::string FormatPrompt(const void* prompt, uint32_t flags);

// One placeholder: the value at value shown by its format code and precision (255 = the
// host's default). See docs/formats.md.
std::string FormatValue(const void* value, int format, int precision);

// The inverse of FormatValue for edits and typed prompt answers; false (value untouched)
// when text is not a valid value of that format.
bool ParseValue(const std::string& text, int format, void* value);

}  // namespace qlhost
