// QLTCASE: converts text strings to lower, upper or capitalized case, in all selected entities
// at once or text by text with the quick one-by-one pick. Only strings that would change
// take part.
#include "text/case.h"

#include "core/dialog_helpers.h"
#include "core/commands.h"
#include "core/hooks.h"
#include "core/prompts.h"
#include "core/records.h"
#include "core/registration.h"
#include "resources/text_case_seq_ids.h"
#include "text/entity_text.h"
#include "text/selected_texts.h"

namespace {

// The Latin-1 letters the conversion knows besides A to Z, upper and lower alike.
constexpr unsigned char kUpperAE = 196;  // Ä
constexpr unsigned char kUpperAA = 197;  // Å
constexpr unsigned char kUpperOE = 214;  // Ö
constexpr unsigned char kLatinCaseOffset = 32;

bool IsUpperLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || c == kUpperAE || c == kUpperAA || c == kUpperOE;
}

bool IsLowerLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || c == kUpperAE + kLatinCaseOffset || c == kUpperAA + kLatinCaseOffset ||
           c == kUpperOE + kLatinCaseOffset;
}

}  // namespace

bool IsCaseLetter(unsigned char c) { return IsUpperLetter(c) || IsLowerLetter(c); }

unsigned char LowerLetter(unsigned char c) {
    return IsUpperLetter(c) ? static_cast<unsigned char>(c + kLatinCaseOffset) : c;
}

unsigned char UpperLetter(unsigned char c) {
    return IsLowerLetter(c) ? static_cast<unsigned char>(c - kLatinCaseOffset) : c;
}

std::string ConvertCase(std::string_view text, int textCase) {
    std::string converted(text);
    unsigned char previous = 0;
    for (char& c : converted) {
        const auto u = static_cast<unsigned char>(c);
        bool upper = textCase == TC_UPPER || (textCase == TC_CAPITALIZED && !IsCaseLetter(previous));
        c = static_cast<char>(upper ? UpperLetter(u) : LowerLetter(u));
        previous = u;
    }
    return converted;
}

bool CaseMatches(std::optional<std::string_view> text, int textCase) {
    if (!text || text->empty() || text->size() >= kCaseBufferSize) return false;
    return ConvertCase(*text, textCase) != *text;
}

namespace {

constexpr char kSelectPrompt[] = "Pick entities to convert case (h = help): ";
constexpr char kPickPrompt[] = "Pick text to convert case: ";
constexpr char kNoneMatching[] = "No text string is matching the criteria";
constexpr char kNoMoreMatching[] = "No more matching text strings";
constexpr int kSelectCursor = 11;
constexpr uint32_t kPickFlags = 0x40000C;

enum CaseMode : int32_t { kSelectEntities = 0, kQuickPick = 1 };

// Kept for the life of the plug-in.
struct CaseSettings {
    int32_t mode = kQuickPick;
    int32_t textCase = TC_LOWER;
};
CaseSettings g_settings;

double g_pick[2] = {0, 0};

void ShowMatchMessage(const char* text) {
    ShowMessageClosedByRightButton(text, "Message", MS_MESSAGE);
}

bool MatchesCase(const EntRec*, std::string_view text, void*) { return CaseMatches(text, g_settings.textCase); }

// Converts the entity when its string matches; returns its address from then on.
EntRec* ConvertEntity(EntRec* entity, const EntRec* reference) {
    std::optional<std::string_view> text = EntityString(entity);
    if (!CaseMatches(text, g_settings.textCase)) return entity;
    const std::string converted = ConvertCase(*text, g_settings.textCase);
    return SetEntityString(entity, converted, true, reference);
}

bool ConvertIfMatching(EntRec* entity, EntRec* reference) {
    if (!CaseMatches(EntityString(entity), g_settings.textCase)) return false;
    ConvertEntity(entity, reference);
    return true;
}

void OnSelection(int) {
    if (DList* work = GetWorkDL()) {
        BeginChange(work);
        ChangeSelectedTexts(ConvertIfMatching);
        ShowChanges();
    }
    CmdEnd();
}

void EndPick() {
    ClearCandidates();
    CmdEnd();
}

void OnPick(int status);

void AskPick() { ReqData(REQ_POINT2, g_pick, kPickPrompt, QL_DRAG(PickFeedback), OnPick, kPickFlags, 0); }

void OnPick(int status) {
    if (status != ST_OK) {
        EndPick();
        return;
    }
    if (TextCandidate* nearest = NearestCandidate(g_pick)) {
        BeginChange(GetWorkDL());
        nearest->entity = ConvertEntity(nearest->entity, nearest->reference);
        ShowChanges();
        if (!CaseMatches(EntityString(nearest->entity), g_settings.textCase)) {
            RemoveCandidate(nearest);
            if (CandidatesEmpty()) {
                ShowMatchMessage(kNoMoreMatching);
                EndPick();
                return;
            }
        }
    }
    AskPick();
}

void StartPick() {
    ClearCandidates();
    CandidateScan scan;
    scan.match = MatchesCase;
    ScanCandidates(scan);
    if (CandidatesEmpty()) {
        ShowMatchMessage(kNoneMatching);
        EndPick();
        return;
    }
    AskPick();
}

bool RunCaseDialog() {
    void* dialog = DefDlg("DLG_QLTCASE", 0, 0, nullptr, 0, 0);
    RBCTL(dialog, IDC_TCASE_LOWER, 0, 0, &g_settings.textCase, TC_LOWER, nullptr);
    RBCTL(dialog, IDC_TCASE_UPPER, 0, 0, &g_settings.textCase, TC_UPPER, nullptr);
    RBCTL(dialog, IDC_TCASE_CAPITALIZED, 0, 0, &g_settings.textCase, TC_CAPITALIZED, nullptr);
    RBCTL(dialog, IDC_TCASE_QUICK, 0, 0, &g_settings.mode, kQuickPick, nullptr);
    RBCTL(dialog, IDC_TCASE_SELECT, 0, 0, &g_settings.mode, kSelectEntities, nullptr);
    const int result = Dialog(dialog, PluginInstance(), 0);
    RelDlg(dialog);
    return result == IDOK;
}

}  // namespace

void QLTCASE() {
    g_pick[0] = g_pick[1] = 0;
    if (!RunCaseDialog()) {
        CmdEnd();
        return;
    }
    if (g_settings.mode == kQuickPick) {
        StartPick();
        return;
    }
    ReqData(REQ_SELECTION, nullptr, kSelectPrompt, QL_CURSOR(kSelectCursor), OnSelection, 0, 0);
}
