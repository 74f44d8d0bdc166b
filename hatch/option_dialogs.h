// The editing dialogs behind the hatch dialog's "Edit patterns" button: the simple line
// pattern dialog with its saved names, and the list of registered PAT files.
#pragma once

#include <functional>

// Edits the current line settings; OK stores them under the current line settings name.
void EditLinePattern();
// Edits the list of registered PAT files.
void EditPatFiles();

// Deletes the saved line settings of that name, if the Settings key exists.
void DeleteLineSettings(const char* name);
// Calls back with every saved line settings name, in registry order. Names that do not fit
// the 65-byte name field, and the empty name, are skipped. False when the Settings key
// cannot be opened.
bool EnumLineSettings(const std::function<void(const char* name)>& callback);

// Asks "Are sure you want to delete:" with the name; true for Yes.
bool ConfirmDelete(const char* name);
