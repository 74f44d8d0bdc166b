// QLTSEQ: renumbers texts with a running number. In each text a chosen run of digits (or a
// given string) is replaced by the next value of a sequence, optionally padded with zeros.
// Texts are picked one by one, or selected together and numbered in X, Y or list order.
#include "text/sequence.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "core/commands.h"
#include "core/dialog_helpers.h"
#include "core/hooks.h"
#include "core/layers.h"
#include "core/prompts.h"
#include "core/records.h"
#include "core/registration.h"
#include "resources/text_case_seq_ids.h"
#include "text/entity_text.h"
#include "text/increment.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t CountDigitRuns(std::string_view text) {
    size_t runs = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (IsDigit(text[i]) && (i == 0 || !IsDigit(text[i - 1]))) ++runs;
    return runs;
}

// The run of digits with this index (0 = the first), as start and size.
bool DigitRun(std::string_view text, size_t index, size_t& at, size_t& size) {
    size_t run = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!IsDigit(text[i]) || (i > 0 && IsDigit(text[i - 1]))) continue;
        if (run++ != index) continue;
        size_t end = i;
        while (end < text.size() && IsDigit(text[end])) ++end;
        at = i;
        size = end - i;
        return true;
    }
    return false;
}

}  // namespace

bool SequenceMatches(std::optional<std::string_view> text, const SequenceRule& rule) {
    if (!text || text->size() >= kSequenceMaxString) return false;
    if (rule.find == SF_STRING) return !rule.findString.empty() && text->find(rule.findString) != std::string_view::npos;
    return CountDigitRuns(*text) > 0;
}

bool FindSequenceItem(std::string_view text, const SequenceRule& rule, size_t& at, size_t& size) {
    if (rule.find == SF_STRING) {
        if (rule.findString.empty()) return false;
        at = text.find(rule.findString);
        size = rule.findString.size();
        return at != std::string_view::npos;
    }
    const size_t runs = CountDigitRuns(text);
    size_t index = 0;
    switch (rule.choice) {
        case SC_FIRST: case SC_SECOND: case SC_THIRD:
            index = static_cast<size_t>(rule.choice);
            break;
        case SC_SECOND_LAST:
            if (runs < 2) return false;
            index = runs - 2;
            break;
        case SC_LAST:
            if (runs < 1) return false;
            index = runs - 1;
            break;
        default:
            return false;
    }
    return DigitRun(text, index, at, size);
}

std::string SequenceNumberText(int32_t number, const SequenceRule& rule) {
    char digits[16];
    const int written = std::snprintf(digits, sizeof digits, "%d", number);
    const std::string_view text(digits, written > 0 ? static_cast<size_t>(written) : 0);
    int64_t zeros = 0;
    if (rule.fixedLength) {
        // In 64 bits: any length the dialog takes, however negative, leaves no overflow.
        zeros = std::min<int64_t>(static_cast<int64_t>(rule.length) - static_cast<int64_t>(text.size()),
                                  kSequenceMaxZeros);
        if (zeros <= 0 && rule.leadingZero) zeros = 1;
    } else if (rule.leadingZero) {
        zeros = 1;
    }
    std::string result(zeros > 0 ? static_cast<size_t>(zeros) : 0, '0');
    result.append(text);
    return result;
}

std::optional<std::string> RenumberedString(std::string_view text, const SequenceRule& rule, int32_t number) {
    size_t at = 0, size = 0;
    if (!SequenceMatches(text, rule) || !FindSequenceItem(text, rule, at, size)) return std::nullopt;
    std::string result(text.substr(0, at));
    result.append(SequenceNumberText(number, rule));
    result.append(text.substr(at + size));
    return result;
}

std::optional<int32_t> AddWithinRange(int32_t a, int64_t b) {
    constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    if (b < kMin - kMax || b > kMax - kMin) return std::nullopt;
    const int64_t sum = static_cast<int64_t>(a) + b;
    if (sum < kMin || sum > kMax) return std::nullopt;
    return static_cast<int32_t>(sum);
}

namespace {

constexpr char kSelectPrompt[] = "Pick entities in sequence (h = help): ";
constexpr int kSelectCursor = 11;
constexpr uint32_t kPickFlags = 0x40002D;
constexpr size_t kFindStringLength = 60;
constexpr int kNumberEditLength = 15;
constexpr const char* kChoiceNames[SC_COUNT] = {"1st number", "2nd number", "3rd number", "2nd last number",
                                                "Last number"};
// Member lists nest only a few levels; a deeper walk is refused rather than risked.
constexpr int kMaxDepth = 256;

enum SequenceMode : int32_t { kSelectMultiple = 0, kQuickPick = 1 };

// Kept for the life of the plug-in; the dialog binds these fields.
struct SequenceSettings {
    int32_t find = SF_NUMBER;
    int32_t choice = SC_FIRST;
    char findString[kFindStringLength + 1] = {};
    int32_t startValue = 1;
    int32_t increment = 1;
    uint32_t fixedLength = 0;
    int32_t length = 3;
    uint32_t leadingZero = 0;
    int32_t mode = kQuickPick;
    int32_t sort = CO_SMALLEST_X;
    int32_t nextNumber = 1;
};
SequenceSettings g_settings;

// The combo box's companion text and whether its items were added in this dialog run.
char g_choiceText[256] = {};
bool g_choicesAdded = false;
double g_pick[2] = {0, 0};

constexpr PromptRec kPickPrompt =
    MakePrompt("Pick next text in sequence. Next number is <!01>: ", PromptValue(&g_settings.nextNumber, PF_WHOLE));

SequenceRule CurrentRule() {
    SequenceRule rule;
    rule.find = g_settings.find;
    rule.choice = g_settings.choice;
    rule.findString = std::string_view(g_settings.findString, strnlen(g_settings.findString, kFindStringLength));
    rule.fixedLength = (g_settings.fixedLength & 1) != 0;
    rule.length = g_settings.length;
    rule.leadingZero = (g_settings.leadingZero & 1) != 0;
    return rule;
}

// Gives the entity the next number and advances it. A text without the item, or whose
// following number would leave the 32-bit range, is left alone and uses no number.
EntRec* Renumber(EntRec* entity, const EntRec* reference) {
    std::optional<std::string_view> text = EntityString(entity);
    if (!text) return entity;
    std::optional<int32_t> following = AddWithinRange(g_settings.nextNumber, g_settings.increment);
    if (!following) return entity;
    std::optional<std::string> result = RenumberedString(*text, CurrentRule(), g_settings.nextNumber);
    if (!result) return entity;
    g_settings.nextNumber = *following;
    return SetEntityString(entity, *result, true, reference);
}

struct ScanContext {
    SequenceRule rule;
    int depth;
};

// Matching texts on layers neither hidden nor frozen become candidates; other top-level
// entities leave the selection. Groups and symbol references are entered.
int ScanEntity(DList* list, EntRec* entity, void* user1, void* user2) {
    auto* context = static_cast<ScanContext*>(user1);
    auto* chain = static_cast<const ReferenceChain*>(user2);
    const int layer = RecordLayer(entity);
    if (IsTextBearing(entity) && !IsLayerHidden(layer) && AskLayerFrozen(layer) == 0 &&
        SequenceMatches(EntityString(entity), context->rule)) {
        double position[2] = {0, 0};
        EntityPosition(entity, position);
        // A candidate that cannot be allocated ends the scan; the command goes on with the rest.
        return AddCandidate(entity, position, chain) ? 0 : 1;
    }
    if (context->depth == 0) {
        UnmarkEntity(list, entity);
        EDraw(0, entity);
    }
    const int type = RecordType(entity);
    if (type != ET_GROUP && type != ET_SYMBOL) return 0;
    DList* members = SubList(list, entity);
    if (members == nullptr || context->depth >= kMaxDepth) return 0;
    // Positions inside nested references show through every one of them.
    ReferenceChain link{entity, chain};
    const ReferenceChain* inner = type == ET_SYMBOL ? &link : chain;
    ++context->depth;
    const int stop =
        ForEachEntity(members, ScanEntity, SCOPE_ALL, context, const_cast<ReferenceChain*>(inner));
    --context->depth;
    return stop;
}

void Scan(uint32_t scope) {
    ClearCandidates();
    if (DList* work = GetWorkDL()) {
        ScanContext context{CurrentRule(), 0};
        ForEachEntity(work, ScanEntity, scope, &context, nullptr);
    }
}

void OnSelection(int) {
    Scan(SCOPE_SELECTED);
    if (DList* work = GetWorkDL()) BeginChange(work);
    while (TextCandidate* candidate = NextCandidate(g_settings.sort)) {
        candidate->entity = Renumber(candidate->entity, candidate->reference);
        MarkCandidateUsed(candidate);
    }
    ClearCandidates();
    ShowChanges();
    CmdEnd();
}

void OnPick(int status);

void AskPick() {
    InstallTextKeyHook();
    ReqData(REQ_POINT2, g_pick, &kPickPrompt, QL_DRAG(PickFeedback), OnPick, kPickFlags, 0);
}

// The keys that end the pick prompt through the hook: -1 or +1 to the next number.
void StepNextNumber(unsigned char key) {
    if (key == VK_LEFT || key == VK_DOWN || key == VK_SUBTRACT)
        g_settings.nextNumber = StepWholeNumber(g_settings.nextNumber, -1);
    if (key == VK_UP || key == VK_RIGHT || key == VK_ADD)
        g_settings.nextNumber = StepWholeNumber(g_settings.nextNumber, 1);
}

void OnPick(int status) {
    RemoveKeyHook();
    if (status == ST_OK) {
        if (TextCandidate* nearest = NearestCandidate(g_pick)) {
            BeginChange(GetWorkDL());
            nearest->entity = Renumber(nearest->entity, nearest->reference);
            ShowChanges();
        }
    } else if (status == ST_NUMBER) {
        g_settings.nextNumber = ClampTypedNumber(g_pick[0], g_settings.nextNumber);
    } else if (PromptKey == 0) {
        ClearCandidates();
        CmdEnd();
        return;
    } else {
        StepNextNumber(PromptKey);
    }
    AskPick();
}

// Enables the controls that belong to the chosen options; fills the number choices once.
int RefreshSequenceDialog() {
    if (!g_choicesAdded) {
        for (const char* name : kChoiceNames) AddCmbStr(IDC_TSEQ_NUMBER_CHOICE, name);
        UpdCtl(IDC_TSEQ_NUMBER_CHOICE);
        g_choicesAdded = true;
    }
    EnableControl(IDC_TSEQ_NUMBER_CHOICE, g_settings.find == SF_NUMBER);
    EnableControl(IDC_TSEQ_STRING, g_settings.find == SF_STRING);
    EnableControl(IDC_TSEQ_LENGTH, (g_settings.fixedLength & 1) != 0);
    for (int id : {IDC_TSEQ_SORT_X, IDC_TSEQ_SORT_Y, IDC_TSEQ_SORT_DATABASE})
        EnableControl(id, g_settings.mode == kSelectMultiple);
    return 0;
}

int OnOptionChanged(int) { return RefreshSequenceDialog(); }

bool RunSequenceDialog() {
    g_choicesAdded = false;
    void* dialog = DefDlg("DLG_QLTSEQ", 0, 0, RefreshSequenceDialog, 0, 0);
    RBCTL(dialog, IDC_TSEQ_FIND_NUMBER, 0, 0, &g_settings.find, SF_NUMBER, OnOptionChanged);
    RBCTL(dialog, IDC_TSEQ_FIND_STRING, 0, 0, &g_settings.find, SF_STRING, OnOptionChanged);
    CMBCTL(dialog, IDC_TSEQ_NUMBER_CHOICE, 0, 0, &g_settings.choice, g_choiceText, nullptr, nullptr);
    EDCTL(dialog, IDC_TSEQ_STRING, 0, PF_TEXT, static_cast<int>(kFindStringLength), g_settings.findString, 0);
    EDCTL(dialog, IDC_TSEQ_START, 0, PF_WHOLE, kNumberEditLength, &g_settings.startValue, 0);
    EDCTL(dialog, IDC_TSEQ_INCREMENT, 0, PF_WHOLE, kNumberEditLength, &g_settings.increment, 0);
    CHKCTL(dialog, IDC_TSEQ_FIXED_LENGTH, 0, 0, &g_settings.fixedLength, 1, OnOptionChanged);
    EDCTL(dialog, IDC_TSEQ_LENGTH, 0, PF_WHOLE, kNumberEditLength, &g_settings.length, 0);
    CHKCTL(dialog, IDC_TSEQ_LEADING_ZERO, 0, 0, &g_settings.leadingZero, 1, nullptr);
    RBCTL(dialog, IDC_TSEQ_QUICK, 0, 0, &g_settings.mode, kQuickPick, OnOptionChanged);
    RBCTL(dialog, IDC_TSEQ_SELECT, 0, 0, &g_settings.mode, kSelectMultiple, OnOptionChanged);
    RBCTL(dialog, IDC_TSEQ_SORT_X, 0, 0, &g_settings.sort, CO_SMALLEST_X, nullptr);
    RBCTL(dialog, IDC_TSEQ_SORT_Y, 0, 0, &g_settings.sort, CO_LARGEST_Y, nullptr);
    RBCTL(dialog, IDC_TSEQ_SORT_DATABASE, 0, 0, &g_settings.sort, CO_LIST, nullptr);
    const int result = Dialog(dialog, PluginInstance(), 0);
    RelDlg(dialog);
    g_settings.nextNumber = g_settings.startValue;
    return result == IDOK;
}

}  // namespace

void QLTSEQ() {
    g_pick[0] = g_pick[1] = 0;
    if (!RunSequenceDialog()) {
        CmdEnd();
        return;
    }
    if (g_settings.mode == kQuickPick) {
        // An empty list does not end the command: numbers can still be typed and stepped.
        Scan(SCOPE_ALL);
        AskPick();
        return;
    }
    ReqData(REQ_SELECTION, nullptr, kSelectPrompt, QL_CURSOR(kSelectCursor), OnSelection, 0, 0);
}
