// The host's other modal windows: pop-up menus, the file dialog, the text settings dialog;
// and the shell. Each takes its answer from the script and writes to the transcript.
#pragma once

#include <string>

#include "core/host_api.h"

namespace qlhost {

// Pop-up menus (CreatePopupMenu, DestroyMenu, InsertMenuItemA, TrackPopupMenuEx). The
// menu lists its items in the transcript and returns the id of the item the script's
// `menu "LABEL"` names (with TPM_RETURNCMD; TRUE otherwise), 0 for `menu none`, `esc` or
// the end of the script.
HMENU NewPopupMenu();
BOOL DestroyPopupMenu(HMENU menu);
BOOL InsertPopupItem(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info);
BOOL TrackPopupMenu(HMENU menu, UINT flags);
// The labels of a menu in order ("-" for separators), for tests; empty for an unknown menu.
std::string MenuLabels(HMENU menu);

// GetOpenFN: `file "PATH"` (copied with at most bufferSize - 1 bytes) returns 1; `file
// cancel`, `esc` or the end of the script return 0.
int OpenFileDialog(const char* title, OpenFNRec* record);

// TSpecDialog: the host's text settings dialog TSPECDLG. `dialog set height V` sets the
// height of the style block (the given one, or the current text style for a null block);
// `dialog click 1` (or `enter`) keeps it and returns 1, `dialog click 2`, `esc` or the end
// of the script change nothing and return 0.
int TextSettingsDialog(unsigned char* styleBlock, int mode);

// ShellExecuteA: recorded in the transcript; returns (HINSTANCE)42, a success.
HINSTANCE ShellOpen(const char* operation, const char* file, const char* parameters);

}  // namespace qlhost
