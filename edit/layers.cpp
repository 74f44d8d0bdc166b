// Layer visibility without the layer dialog. QLLAYERS hides the layer of each picked entity;
// TAB inverts the view to the hidden layers (picks there bring layers back), CTRL shows a
// layer's entities and name, SHIFT makes a layer current. QLHIDEF, QLSHOWF, QLTHAWF and
// QLFREEZEF change every layer whose name matches a filter. The current layer is never
// changed by them.
#include <cstring>
#include <string_view>

#include "core/commands.h"
#include "core/hooks.h"
#include "core/host_api.h"
#include "core/prompts.h"
#include "core/records.h"

namespace {

constexpr char kHidePrompt[] =
    "Pick entity on layer to HIDE (CTRL = Display, SHIFT = Set current, TAB = Show hidden layers): ";
constexpr char kShowPrompt[] =
    "Pick entity on layer to SHOW (CTRL = Display, SHIFT = Set current, TAB = Show visible layers): ";
constexpr char kCantHide[] = "Can't hide current layer: !01";
constexpr char kLayerShown[] = "Layer: !01";
constexpr uint32_t kPickFlags = 0x40000c;
constexpr int kPickCursor = 7;
constexpr int kPickRecord = 4198;       // RscAdr: the last raw pick position at byte 36
constexpr size_t kPickPosition = 36;
constexpr size_t kLayerNameSize = 256;  // longest name shown in a message
constexpr size_t kFilterSize = 256;   // the host writes up to 255 characters and the NUL

enum FilterMode { kFilterHide = 0, kFilterShow = 1, kFilterThaw = 2, kFilterFreeze = 3 };

int g_showHidden = 0;
int g_invertSkip = 0;  // the layer left alone when the view was inverted to the hidden layers
EntRec* g_picked = nullptr;
int g_filterMode = kFilterHide;
char g_filter[kFilterSize];

unsigned char* LayerTable() {
    DList* work = GetWorkDL();
    return work != nullptr ? GetTemplate(work, TPL_LAYERS) : nullptr;
}

int CurrentLayerId() {
    const unsigned char* current = GetCurLayer();
    return current != nullptr ? GetU16(current, kLayerNumber) : 0;
}

// Entries long enough to hold their flags; others are left alone.
bool HasFlags(const unsigned char* entry) { return GetU32(entry, kEntryLength) >= kLayerFlags + 4; }

void SetLayerFlag(unsigned char* entry, uint32_t bit, bool on) {
    uint32_t flags = GetU32(entry, kLayerFlags);
    PutU32(entry, kLayerFlags, on ? flags | bit : flags & ~bit);
}

// Calls proc on each layer entry of the table that has its flags.
template <typename Proc>
void ForEachLayer(Proc proc) {
    ForEachTableEntry(LayerTable(), kTblEntries, [&](const unsigned char* entry) {
        if (HasFlags(entry)) proc(const_cast<unsigned char*>(entry));
        return false;
    });
}

void LayerName(const unsigned char* entry, char* name, size_t size) {
    const uint32_t length = GetU32(entry, kEntryLength);
    const size_t room = length > kLayerName ? length - kLayerName : 0;
    const std::string_view text = BoundedName(entry, kLayerName, room < size - 1 ? room : size - 1);
    std::memcpy(name, text.data(), text.size());
    name[text.size()] = '\0';
}

// ---------------------------------------------------------------------------------------
// QLLAYERS

// Inverts the hidden bit of every layer but the one skipped. Leaving the hidden-layer view
// skips the layer skipped on entering it, and the current layer too, so neither the earlier
// nor a newly set current layer ends up hidden.
void InvertHiddenLayers() {
    const int current = CurrentLayerId();
    if (!g_showHidden) g_invertSkip = current;
    ForEachLayer([&](unsigned char* entry) {
        const int id = GetU16(entry, kLayerNumber);
        if (id == g_invertSkip || id == current) return;
        SetLayerFlag(entry, kLayerHidden, (GetU32(entry, kLayerFlags) & kLayerHidden) == 0);
    });
    Redraw();
    ShowChanges();
    g_showHidden = !g_showHidden;
}

struct GroupPick {
    double point[2];
    EntRec* found;
};

int FirstPickedMember(DList*, EntRec* entity, void* user, void*) {
    auto* pick = static_cast<GroupPick*>(user);
    if (RecordType(entity) == ET_GROUP || !EPick(entity, pick->point)) return 0;
    pick->found = entity;
    return 1;
}

// A group stands for its member under the pick point; null when there is none.
EntRec* PickedEntity(EntRec* entity) {
    if (RecordType(entity) != ET_GROUP) return entity;
    DList* members = SubList(GetWorkDL(), entity);
    const unsigned char* pickRecord = static_cast<const unsigned char*>(RscAdr(kPickRecord));
    if (members == nullptr || pickRecord == nullptr) return nullptr;
    GroupPick pick{{GetF64(pickRecord, kPickPosition), GetF64(pickRecord, kPickPosition + 8)}, nullptr};
    ForEachEntity(members, FirstPickedMember, SCOPE_VISIBLE, &pick);
    return pick.found;
}

int MarkOnLayer(DList*, EntRec* entity, void* layer, void*) {
    if (RecordType(entity) != ET_GROUP && RecordLayer(entity) == *static_cast<int*>(layer)) EMark(entity);
    return 0;
}

int DrawOnLayer(DList*, EntRec* entity, void* layer, void*) {
    if (RecordType(entity) != ET_GROUP && RecordLayer(entity) == *static_cast<int*>(layer)) EDraw(0, entity);
    return 0;
}

// Highlights the layer's entities while a message box names the layer.
void DisplayLayer(const unsigned char* entry, int layer, bool byControl) {
    DList* work = GetWorkDL();
    ForEachEntity(work, MarkOnLayer, SCOPE_VISIBLE, &layer);
    ShowChanges();
    char name[kLayerNameSize];
    LayerName(entry, name, sizeof name);
    const PromptRec message = MakePrompt(byControl ? kLayerShown : kCantHide, PromptValue(name, PF_TEXT));
    InstallRightCloseHook();
    ShowPromptMessage(message);
    RemoveRightCloseHook();
    ForEachEntity(work, DrawOnLayer, SCOPE_VISIBLE, &layer);
    ShowChanges();
}

void ActOnPick(EntRec* picked) {
    EntRec* entity = PickedEntity(picked);
    if (entity == nullptr) return;
    const int layer = RecordLayer(entity);
    unsigned char* entry = FindLayerID(layer);
    if (entry == nullptr) return;
    const bool control = KeyDown(VK_CONTROL);
    if (control || layer == CurrentLayerId()) {
        DisplayLayer(entry, layer, control);
    } else if (KeyDown(VK_SHIFT)) {
        SetCurLayer(layer);
    } else if (HasFlags(entry)) {
        SetLayerFlag(entry, kLayerHidden, true);
        Redraw();
        ShowChanges();
    }
}

void LayersPicked(int status);

void AskLayerPick() {
    InstallKeyHook();
    g_picked = nullptr;
    ReqData(REQ_PICK, &g_picked, g_showHidden ? kShowPrompt : kHidePrompt, QL_CURSOR(kPickCursor), LayersPicked,
            kPickFlags, 0);
}

void LayersPicked(int status) {
    RemoveKeyHook();
    if (status == ST_OK && g_picked != nullptr) {
        ActOnPick(g_picked);
        return AskLayerPick();
    }
    if (PromptKey == VK_TAB || g_showHidden) InvertHiddenLayers();
    if (PromptKey == 0) return CmdEnd();
    AskLayerPick();
}

// ---------------------------------------------------------------------------------------
// Filter commands

void FilterGiven(int status) {
    if (status == ST_OK) {
        const int current = CurrentLayerId();
        ForEachLayer([&](unsigned char* entry) {
            if (GetU16(entry, kLayerNumber) == current) return;
            char name[kLayerNameSize];
            LayerName(entry, name, sizeof name);
            if (!StMatch(g_filter, name)) return;
            switch (g_filterMode) {
                case kFilterHide: SetLayerFlag(entry, kLayerHidden, true); break;
                case kFilterShow: SetLayerFlag(entry, kLayerHidden, false); break;
                case kFilterThaw: SetLayerFlag(entry, kLayerFrozen, false); break;
                default: SetLayerFlag(entry, kLayerFrozen, true); break;
            }
        });
        Redraw();
        ShowChanges();
    }
    CmdEnd();
}

void AskFilter(int mode) {
    g_filterMode = mode;
    ReqData(REQ_TEXT, g_filter, "Layer filter:", QL_CURSOR(1), FilterGiven, 0, 0);
}

}  // namespace

void QLLAYERS() {
    g_showHidden = 0;
    AskLayerPick();
}

void QLHIDEF() { AskFilter(kFilterHide); }
void QLSHOWF() { AskFilter(kFilterShow); }
void QLTHAWF() { AskFilter(kFilterThaw); }
void QLFREEZEF() { AskFilter(kFilterFreeze); }
