// QLTINC: adds a value to a number inside text strings, in every selected text at once or
// text by text with the quick one-by-one pick (CTRL subtracts, the arrow keys and a typed
// number change the value shown in the prompt).
#include "text/increment.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

#include "core/commands.h"
#include "core/hooks.h"
#include "core/prompts.h"
#include "core/registration.h"
#include "resources/text_increment_ids.h"
#include "text/entity_text.h"
#include "text/selected_texts.h"
#include "transform/drag_helpers.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool IncrementMatches(std::string_view text) {
    if (text.size() >= kIncrementMaxLength) return false;
    for (char c : text)
        if (IsDigit(c)) return true;
    return false;
}

bool IncrementNumber(std::string_view text, int32_t increment, bool down, bool lastGroup, char* out,
                     size_t capacity) {
    if (out == nullptr || !IncrementMatches(text)) return false;
    size_t start = 0;
    size_t end = 0;
    if (lastGroup) {
        end = text.size();
        while (!IsDigit(text[end - 1])) --end;
        start = end - 1;
        while (start > 0 && IsDigit(text[start - 1])) --start;
    } else {
        while (!IsDigit(text[start])) ++start;
        end = start;
        while (end < text.size() && IsDigit(text[end])) ++end;
    }
    int64_t value = 0;
    for (size_t i = start; i < end; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT32_MAX) return false;
    }
    int64_t result = down ? value - increment : value + increment;
    if (result < 0) result = 0;
    if (result > INT32_MAX) return false;

    char number[16];
    int written = std::snprintf(number, sizeof number, "%d", static_cast<int>(result));
    if (written <= 0) return false;
    size_t numberLength = static_cast<size_t>(written);
    size_t runLength = end - start;
    size_t zeros = text[start] == '0' && runLength > numberLength ? runLength - numberLength : 0;
    size_t tail = text.size() - end;
    size_t total = start + zeros + numberLength + tail;
    if (total + 1 > capacity) return false;
    std::memcpy(out, text.data(), start);
    std::memset(out + start, '0', zeros);
    std::memcpy(out + start + zeros, number, numberLength);
    std::memcpy(out + start + zeros + numberLength, text.data() + end, tail);
    out[total] = 0;
    return true;
}

int32_t ClampTypedNumber(double typed, int32_t previous) {
    if (std::isnan(typed)) return previous;
    if (typed >= static_cast<double>(INT32_MAX)) return INT32_MAX;
    if (typed <= static_cast<double>(INT32_MIN)) return INT32_MIN;
    return static_cast<int32_t>(typed);
}

int32_t StepWholeNumber(int32_t value, int32_t step) {
    int64_t sum = static_cast<int64_t>(value) + step;
    return sum < INT32_MIN || sum > INT32_MAX ? value : static_cast<int32_t>(sum);
}

namespace {

constexpr int32_t kModeSelect = 0;
constexpr int32_t kModePick = 1;
constexpr int32_t kGroupLast = 1;
constexpr int kValueLength = 15;
constexpr int kCursorSelect = 11;
constexpr uint32_t kPickFlags = 0x40002D;
constexpr char kSelectPrompt[] = "Pick entities to increment (h = help): ";
constexpr char kPickPrompt[] = "Pick text to increment by <!01> (CTRL = decrement): ";
// Room for a string of kIncrementMaxLength characters whose number grows to ten digits.
constexpr size_t kResultSize = kIncrementMaxLength + 16;

// Kept for the life of the plug-in.
struct IncrementSettings {
    int32_t value = 1;
    int32_t mode = kModePick;
    int32_t group = 0;
};
IncrementSettings g_settings;

// The prompt shows the value as it is when the host draws it.
const PromptRec g_pickPrompt = MakePrompt(kPickPrompt, PromptValue(&g_settings.value, PF_WHOLE));

double g_pick[2] = {0, 0};

bool MatchTest(const EntRec*, std::string_view text, void*) {
    return IncrementMatches(text);
}

// Increments the entity's string; entity then holds its address from then on. False when
// the string was left as it was.
bool IncrementEntity(EntRec*& entity, bool down, EntRec* reference) {
    std::optional<std::string_view> text = EntityString(entity);
    char result[kResultSize];
    if (!text || !IncrementNumber(*text, g_settings.value, down, g_settings.group == kGroupLast,
                                  result, sizeof result))
        return false;
    entity = SetEntityString(entity, result, true, reference);
    return true;
}

bool IncrementSelected(EntRec* entity, EntRec* reference) {
    return IncrementEntity(entity, false, reference);
}

bool RunDialog() {
    IncrementSettings edited = g_settings;
    void* dialog = DefDlg("DLG_QLTINC", 0, 0, nullptr, 0, 0);
    EDCTL(dialog, IDC_TINC_VALUE, 0, PF_WHOLE, kValueLength, &edited.value, 0);
    RBCTL(dialog, IDC_TINC_PICK, 0, 0, &edited.mode, kModePick, nullptr);
    RBCTL(dialog, IDC_TINC_SELECT, 0, 0, &edited.mode, kModeSelect, nullptr);
    RBCTL(dialog, IDC_TINC_FIRST, 0, 0, &edited.group, 0, nullptr);
    RBCTL(dialog, IDC_TINC_LAST, 0, 0, &edited.group, kGroupLast, nullptr);
    // An ordinary dialog: a right click leaves it open.
    int result = Dialog(dialog, PluginInstance(), 0);
    RelDlg(dialog);
    if (result != IDOK) return false;
    g_settings = edited;
    return true;
}

void OnSelection(int) {
    DList* work = GetWorkDL();
    if (work != nullptr) BeginChange(work);
    ChangeSelectedTexts(IncrementSelected);
    ShowChanges();
    CmdEnd();
}

void OnPick(int status);

void AskPick() {
    InstallTextKeyHook();
    ReqData(REQ_POINT2, g_pick, &g_pickPrompt, QL_DRAG(PickFeedback), OnPick, kPickFlags, 0);
}

void EndPicks() {
    ClearCandidates();
    CmdEnd();
}

void PickNearest() {
    TextCandidate* nearest = NearestCandidate(g_pick);
    DList* work = GetWorkDL();
    if (nearest == nullptr || work == nullptr) return;
    BeginChange(work);
    IncrementEntity(nearest->entity, KeyDown(VK_CONTROL), nearest->reference);
    ShowChanges();
}

void OnPick(int status) {
    RemoveKeyHook();
    if (status == ST_OK) {
        PickNearest();
    } else if (status == ST_NUMBER) {
        g_settings.value = ClampTypedNumber(g_pick[0], g_settings.value);
    } else {
        switch (PromptKey) {
            case 0:
                EndPicks();
                return;
            case VK_LEFT:
            case VK_DOWN:
            case VK_SUBTRACT:
                g_settings.value = StepWholeNumber(g_settings.value, -1);
                break;
            case VK_UP:
            case VK_RIGHT:
            case VK_ADD:
                g_settings.value = StepWholeNumber(g_settings.value, 1);
                break;
            default:
                break;
        }
    }
    AskPick();
}

// An empty candidate list does not end the command: picks then change nothing.
void StartPicks() {
    ClearCandidates();
    CandidateScan scan;
    scan.match = MatchTest;
    ScanCandidates(scan);
    AskPick();
}

}  // namespace

void QLTINC() {
    if (!RunDialog()) {
        CmdEnd();
        return;
    }
    if (g_settings.mode == kModeSelect) {
        ReqData(REQ_SELECTION, nullptr, kSelectPrompt, QL_CURSOR(kCursorSelect), OnSelection, 0, 0);
        return;
    }
    StartPicks();
}
