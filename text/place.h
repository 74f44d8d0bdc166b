// Text placement: a text hangs at the cursor, single keys change it, each click places a
// copy. Entry points for the text commands, the text edit command and other subsystems.
#pragma once

#include "core/host_api.h"

// Placement flags.
constexpr int kPlaceEditMode = 1;   // an existing text is being moved (rewritten at the end)
constexpr int kPlaceKeepStyle = 2;  // keep the record's own style, do not load the current one

// Starts the placement of the work record (which must exist): asks for the position with
// the placement drag; the placement ends the command.
void StartTextPlacement(int flags);

// The "As text" buttons: places a string as text with the current settings, carrying the
// running command on (it ends when the placement does). A string of 32,000 characters or
// more, or no memory for the work record, shows the memory error and ends the command.
void PlaceStringAsText(const char* text);

// The same-as command: makes a picked text's style the current settings (the template is
// normalised first) and copies its string into the work record, for a following QLTEXT.
void AdoptTextFromEntity(EntRec* entity);

// The entity that an edit-mode placement rewrites.
void SetEditedEntity(EntRec* entity);

// Rewrites a stored text with the work record's data part and string (at the entity's own
// position when keepPosition) and returns its address from then on; null when it is gone.
EntRec* RewriteTextEntity(EntRec* entity, bool keepPosition);

// Results of the edit dialog besides the dialog's own (1 OK, 2 Cancel, 1009 New position,
// 1010 Insert copy).
constexpr int kEditNotText = -1;    // not a plain text: the host's EEdit takes it
constexpr int kEditNoMemory = 0;    // the memory error was shown; the command must end
constexpr int kEditNewPosition = 1009;
constexpr int kEditInsertCopy = 1010;

// The text dialog for an existing text entity.
int TextEditDialog(EntRec* entity);
