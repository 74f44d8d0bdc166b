// QLTREPLACE: replaces a search text by another text in text strings, in every selected text
// at once or text by text with the quick one-by-one pick, where the arrow keys count a
// number in the replacement up and down and a typed number replaces an all-digit one.
#include "text/replace.h"

#include <cstdio>
#include <cstring>
#include <optional>

#include "core/dialog_helpers.h"
#include "core/commands.h"
#include "core/hooks.h"
#include "core/prompts.h"
#include "core/registration.h"
#include "resources/text_increment_ids.h"
#include "text/entity_text.h"
#include "text/increment.h"
#include "text/selected_texts.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool SameChar(char a, char b, bool ignoreCase) {
    if (!ignoreCase) return a == b;
    return FoldCase(static_cast<unsigned char>(a)) == FoldCase(static_cast<unsigned char>(b));
}

// Appends part to out at *at; false when it and the NUL would not fit capacity.
bool Append(char* out, size_t capacity, size_t* at, std::string_view part) {
    if (part.size() >= capacity - *at) return false;
    std::memcpy(out + *at, part.data(), part.size());
    *at += part.size();
    return true;
}

}  // namespace

unsigned char FoldCase(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - ('a' - 'A'));
    switch (c) {
        case 228:
            return 196;
        case 229:
            return 197;
        case 246:
            return 214;
        default:
            return c;
    }
}

size_t FindText(std::string_view text, std::string_view search, size_t from, bool ignoreCase) {
    if (search.empty() || search.size() > text.size()) return std::string_view::npos;
    for (size_t p = from; p + search.size() <= text.size(); ++p) {
        size_t i = 0;
        while (i < search.size() && SameChar(text[p + i], search[i], ignoreCase)) ++i;
        if (i == search.size()) return p;
    }
    return std::string_view::npos;
}

bool ReplaceMatches(std::string_view text, const ReplaceRules& rules) {
    if (text.empty() || text.size() >= kReplaceMaxLength) return false;
    size_t at = FindText(text, rules.search, 0, rules.ignoreCase);
    if (at == std::string_view::npos) return false;
    switch (rules.match) {
        case RM_ALL:
            return at == 0 && text.size() == rules.search.size();
        case RM_BEGINNING:
            return at == 0;
        default:
            return true;
    }
}

ReplaceOutcome ReplaceText(std::string_view text, const ReplaceRules& rules, char* out,
                           size_t capacity, size_t* length) {
    if (!ReplaceMatches(text, rules)) return RO_UNCHANGED;
    if (out == nullptr || capacity == 0) return RO_TOO_LONG;
    size_t written = 0;
    size_t from = 0;
    bool fits = true;
    for (;;) {
        size_t at = FindText(text, rules.search, from, rules.ignoreCase);
        if (at == std::string_view::npos) break;
        fits = Append(out, capacity, &written, text.substr(from, at - from)) &&
               Append(out, capacity, &written, rules.replacement);
        if (!fits) break;
        from = at + rules.search.size();
        if (rules.match != RM_PART) break;
    }
    if (!fits || !Append(out, capacity, &written, text.substr(from))) {
        out[0] = 0;
        return RO_TOO_LONG;
    }
    out[written] = 0;
    if (length != nullptr) *length = written;
    return RO_REPLACED;
}

bool HasDigit(std::string_view text) {
    for (char c : text)
        if (IsDigit(c)) return true;
    return false;
}

bool AllDigits(std::string_view text) {
    for (char c : text)
        if (!IsDigit(c)) return false;
    return true;
}

namespace {

constexpr int32_t kModeSelect = 0;
constexpr int32_t kModePick = 1;
constexpr int kCursorSelect = 11;
constexpr uint32_t kNumericPickFlags = 0x40002D;
constexpr uint32_t kPlainPickFlags = 0x40002C;
constexpr char kSelectPrompt[] = "Pick entities to replace (h = help): ";
constexpr char kPlainPrompt[] = "Pick text to replace ";
constexpr char kNumericPrompt[] = "Pick text to replace. New text is <!01>: ";
constexpr char kNothingMatches[] = "No text string is matching the search criteria";
constexpr char kNoMoreMatches[] = "No more matching text strings";
constexpr char kRefused[] =
    "Text strings left unchanged: !01\n\nThe new text would be longer than !02 characters.";
constexpr size_t kRefusedSize = 160;

// Kept for the life of the plug-in.
struct ReplaceSettings {
    char search[kReplaceTextLength + 1] = {};
    char replacement[kReplaceTextLength + 1] = {};
    int32_t mode = kModePick;
    int32_t match = RM_PART;
    uint32_t ignoreCase = 1;
};
ReplaceSettings g_settings;

struct ReplaceRun {
    double pick[2] = {0, 0};
    int32_t refused = 0;  // entities whose result was too long
};
ReplaceRun g_run;

// The prompt shows the replacement as it is when the host draws it.
const PromptRec g_numericPrompt =
    MakePrompt(kNumericPrompt, PromptValue(g_settings.replacement, PF_TEXT));

char g_result[kReplaceResultLength + 1];

std::string_view Bounded(const char* text) {
    return std::string_view(text, strnlen(text, kReplaceTextLength));
}

ReplaceRules CurrentRules() {
    ReplaceRules rules;
    rules.search = Bounded(g_settings.search);
    rules.replacement = Bounded(g_settings.replacement);
    rules.match = g_settings.match;
    rules.ignoreCase = (g_settings.ignoreCase & 1) != 0;
    return rules;
}

bool MatchTest(const EntRec*, std::string_view text, void*) {
    return ReplaceMatches(text, CurrentRules());
}

bool StillMatches(const EntRec* entity) {
    std::optional<std::string_view> text = EntityString(entity);
    return text && ReplaceMatches(*text, CurrentRules());
}

// Replaces in the entity's string; entity then holds its address from then on. False when
// the string was left as it was (a result too long is counted).
bool ReplaceInEntity(EntRec*& entity, EntRec* reference) {
    std::optional<std::string_view> text = EntityString(entity);
    if (!text) return false;
    size_t length = 0;
    ReplaceOutcome outcome = ReplaceText(*text, CurrentRules(), g_result, sizeof g_result, &length);
    if (outcome == RO_TOO_LONG) ++g_run.refused;
    if (outcome != RO_REPLACED) return false;
    entity = SetEntityString(entity, std::string_view(g_result, length), true, reference);
    return true;
}

bool ReplaceSelected(EntRec* entity, EntRec* reference) {
    return ReplaceInEntity(entity, reference);
}

void ShowBox(const char* text, const char* caption, uintptr_t style) {
    ShowMessageClosedByRightButton(text, caption, style);
}

void EndRun() {
    ClearCandidates();
    if (g_run.refused > 0) {
        const int32_t limit = static_cast<int32_t>(kReplaceResultLength);
        const PromptRec record = MakePrompt(kRefused, PromptValue(&g_run.refused, PF_WHOLE),
                                            PromptValue(&limit, PF_WHOLE));
        char text[kRefusedSize];
        FormatInto(record, text, sizeof text);
        ShowBox(text, "Warning", MS_WARNING);
    }
    CmdEnd();
}

bool RunDialog() {
    ReplaceSettings edited = g_settings;
    void* dialog = DefDlg("DLG_QLTREPLACE", 0, 0, nullptr, 0, 0);
    EDCTL(dialog, IDC_TREP_SEARCH, 0, PF_TEXT, static_cast<int>(kReplaceTextLength), edited.search,
          0);
    EDCTL(dialog, IDC_TREP_REPLACEMENT, 0, PF_TEXT, static_cast<int>(kReplaceTextLength),
          edited.replacement, 0);
    RBCTL(dialog, IDC_TREP_ALL, 0, 0, &edited.match, RM_ALL, nullptr);
    RBCTL(dialog, IDC_TREP_BEGINNING, 0, 0, &edited.match, RM_BEGINNING, nullptr);
    RBCTL(dialog, IDC_TREP_PART, 0, 0, &edited.match, RM_PART, nullptr);
    CHKCTL(dialog, IDC_TREP_IGNORE_CASE, 0, 0, &edited.ignoreCase, 1, nullptr);
    RBCTL(dialog, IDC_TREP_PICK, 0, 0, &edited.mode, kModePick, nullptr);
    RBCTL(dialog, IDC_TREP_SELECT, 0, 0, &edited.mode, kModeSelect, nullptr);
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
    ChangeSelectedTexts(ReplaceSelected);
    ShowChanges();
    EndRun();
}

void OnPick(int status);

void AskPick() {
    InstallTextKeyHook();
    if (HasDigit(Bounded(g_settings.replacement)))
        ReqData(REQ_POINT2, g_run.pick, &g_numericPrompt, QL_DRAG(PickFeedback), OnPick,
                kNumericPickFlags, 0);
    else
        ReqData(REQ_POINT2, g_run.pick, kPlainPrompt, QL_DRAG(PickFeedback), OnPick,
                kPlainPickFlags, 0);
}

// False when the pick emptied the candidate list and the command has ended.
bool PickNearest() {
    TextCandidate* nearest = NearestCandidate(g_run.pick);
    DList* work = GetWorkDL();
    if (nearest == nullptr || work == nullptr) return true;
    BeginChange(work);
    ReplaceInEntity(nearest->entity, nearest->reference);
    ShowChanges();
    if (StillMatches(nearest->entity)) return true;
    RemoveCandidate(nearest);
    if (!CandidatesEmpty()) return true;
    ShowBox(kNoMoreMatches, "Message", MS_MESSAGE);
    EndRun();
    return false;
}

void TypeNumber(double typed) {
    if (!AllDigits(Bounded(g_settings.replacement))) return;
    int32_t value = ClampTypedNumber(typed, 0);
    std::snprintf(g_settings.replacement, sizeof g_settings.replacement, "%d",
                  static_cast<int>(value));
}

void StepReplacement(int mode) {
    StepNumberGroup(g_settings.replacement, sizeof g_settings.replacement, mode);
}

void OnPick(int status) {
    RemoveKeyHook();
    if (status == ST_OK) {
        if (!PickNearest()) return;
    } else if (status == ST_NUMBER) {
        TypeNumber(g_run.pick[0]);
    } else {
        switch (PromptKey) {
            case 0:
                EndRun();
                return;
            case VK_UP:
            case VK_ADD:
                StepReplacement(0);
                break;
            case VK_DOWN:
            case VK_SUBTRACT:
                StepReplacement(kStepDown);
                break;
            case VK_RIGHT:
                StepReplacement(kStepLastGroup);
                break;
            case VK_LEFT:
                StepReplacement(kStepLastGroup | kStepDown);
                break;
            default:
                break;
        }
    }
    AskPick();
}

void StartPicks() {
    ClearCandidates();
    CandidateScan scan;
    scan.match = MatchTest;
    ScanCandidates(scan);
    if (CandidatesEmpty()) {
        ShowBox(kNothingMatches, "Message", MS_MESSAGE);
        EndRun();
        return;
    }
    AskPick();
}

}  // namespace

void QLTREPLACE() {
    g_run = ReplaceRun{};
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
