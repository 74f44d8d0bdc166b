// The shortcut keys of the text placement: justification, style flags, keeping and using
// the default settings, the help dialog, disabling the letters, and counting numbers.
#include <cstring>

#include "core/hooks.h"
#include "core/records.h"
#include "text/entity_text.h"
#include "text/placement_state.h"

namespace {

constexpr unsigned char kDisableKey = '!';

bool IsLetter(unsigned char key) { return key >= 'A' && key <= 'Z'; }

// L, C, R, B, M, T, F and N work on the plain code and make it far again when far.
void Justify(EntRec* record, unsigned char key) {
    bool far = false;
    int code = PlainJustify(GetU8(record, kTextJustify), &far);
    switch (key) {
        case 'L': code = code / 3 * 3; break;
        case 'C': code = code / 3 * 3 + 1; break;
        case 'R': code = code / 3 * 3 + 2; break;
        case 'B': code = code % 3; break;
        case 'M': code = code % 3 + 3; break;
        case 'T': code = code % 3 + 6; break;
        case 'F': far = true; break;
        case 'N': far = false; break;
        default: break;
    }
    ClearStyleNumber(record);
    PutU8(record, kTextJustify, static_cast<uint8_t>(far ? kFarTable[code] : code));
}

void ToggleFlag(EntRec* record, uint8_t flag) {
    ClearStyleNumber(record);
    PutU8(record, kTextFlags, static_cast<uint8_t>(GetU8(record, kTextFlags) ^ flag));
}

void StepNumber(int mode) { StepNumberGroup(WorkString(), kWorkStringCapacity + 1, mode); }

void ApplyKey(EntRec* record, unsigned char key) {
    switch (key) {
        case 'L': case 'C': case 'R': case 'B': case 'M': case 'T': case 'F': case 'N':
            Justify(record, key);
            break;
        case 'S': ToggleFlag(record, kTextBold); break;
        case 'U': ToggleFlag(record, kTextUnderline); break;
        case 'I': ToggleFlag(record, kTextItalic); break;
        case 'O': ToggleFlag(record, kTextOutline); break;
        // The code is kept as the text has it, far included.
        case 'K': MakeSettingsCurrent(record + kTextStyleBlock, true); break;
        case 'D': LoadCurrentSettings(record); break;
        case 'H': RunHelpDialog(); break;
        case kDisableKey: Placement().shortcutsDisabled = true; break;
        case VK_UP: case VK_ADD: StepNumber(0); break;
        case VK_DOWN: case VK_SUBTRACT: StepNumber(kStepDown); break;
        case VK_RIGHT: StepNumber(kStepLastGroup); break;
        case VK_LEFT: StepNumber(kStepLastGroup | kStepDown); break;
        default: break;
    }
}

}  // namespace

void HandleShortcutKey(unsigned char key) {
    EntRec* record = TextWorkRecord();
    TextPlacementState& state = Placement();
    if (!(IsLetter(key) && state.shortcutsDisabled)) ApplyKey(record, key);
    SetWorkLength();
    state.lastKeyTime = GetTickCount();
    state.keyHandled = true;
    // The host draws the preview again at once, as after a move of the mouse.
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    WPARAM packed = static_cast<WPARAM>(static_cast<uint32_t>(cursor.x) + 65536u * static_cast<uint32_t>(cursor.y));
    PostMessageA(GetFocus(), WM_MOUSEMOVE, packed, 0);
    AskPosition();
}
