// State of the text placement shared by its steps, its keys and its dialogs.
#pragma once

#include <cstdint>

#include "core/host_api.h"
#include "text/work_record.h"

// Surrounding modes.
constexpr int kSurroundNone = 0;
constexpr int kSurroundBox = 1;
constexpr int kSurroundCircle = 2;

struct TextPlacementState {
    // Kept between commands.
    int32_t surrounding = kSurroundNone;
    uint32_t multiline = 0;  // the "Multiline" check box (bit 0)
    // The running placement.
    int flags = 0;
    bool shortcutsDisabled = false;
    uint32_t requestFlags = 0;
    bool haveSnapshot = false;
    unsigned char snapshot[kStyleBlockSize] = {};
    double lastCursor[2] = {0, 0};
    int modifierMode = 0;
    int valueLabel = 0;
    bool keyHandled = false;
    uint32_t lastKeyTime = 0;
    bool ignoreNextNumber = false;
    double shownAt[2] = {0, 0};  // the position the text was last asked for or drawn at
    EntRec* edited = nullptr;
};

TextPlacementState& Placement();

// Asks for the position again (keyboard hook, prompt, drag step).
void AskPosition();
// Handles the shortcut key waiting in PromptKey and asks for the position again.
void HandleShortcutKey(unsigned char key);
// The help dialog on the work record's justification, style flags, height and angle.
void RunHelpDialog();
// The text dialog for a new text (QLTEXT and its variants); ends the command or starts the
// placement.
void RunNewTextDialog();
// Sets the style number of the work record to 0 (the text's settings were changed by hand).
void ClearStyleNumber(EntRec* record);
