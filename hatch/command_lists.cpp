// The pattern lists of the hatch dialog: the saved line settings, the host's scalable hatch
// patterns or the PAT patterns, filtered by the search text, in a preview list and a plain
// list that always hold the same items.
#include <cstdio>
#include <cstring>
#include <deque>
#include <string_view>

#include "core/host_api.h"
#include "core/records.h"
#include "hatch/command.h"
#include "hatch/engine/patterns.h"
#include "hatch/option_dialogs.h"
#include "resources/hatch_ids.h"

namespace {

constexpr int kHatchPatternStyle = 3;  // host fill style kind of a scalable hatch pattern
constexpr size_t kListTextLength = 255;

// Items live at stable addresses until the next filling.
std::deque<PatternItem> g_items;

void AddItem(PatternItem item) {
    if (item.name.size() > kListTextLength) item.name.resize(kListTextLength);
    g_items.push_back(std::move(item));
    PatternItem& stored = g_items.back();
    const int at = AddLstStr(IDC_HATCH_PREVIEW_LIST, stored.name.c_str());
    if (at >= 0) SetLstData(IDC_HATCH_PREVIEW_LIST, at, reinterpret_cast<uintptr_t>(&stored));
    AddLstStr(IDC_HATCH_PLAIN_LIST, stored.name.c_str());
}

void AddSavedSettings(const char* search) {
    EnumLineSettings([&](const char* name) {
        if (PassesSearch(search, name)) AddItem(PatternItem{kPatternSimple, name, nullptr, nullptr});
    });
}

void AddScalablePatterns(const char* search) {
    DList* work = GetWorkDL();
    const unsigned char* table = work != nullptr ? GetTemplate(work, TPL_FILL_STYLES) : nullptr;
    ForEachTableEntry(table, kTblEntries, [&](const unsigned char* entry) {
        const uint32_t length = GetU32(entry, kEntryLength);
        if (length <= kFillStyleName || GetU8(entry, kFillStyleKind) != kHatchPatternStyle) return false;
        const std::string name(BoundedName(entry, kFillStyleName, length - kFillStyleName));
        if (PassesSearch(search, name.c_str())) AddItem(PatternItem{kPatternScalable, name, entry, nullptr});
        return false;
    });
}

void AddPatPatterns(const char* search) {
    ListPatPatterns(search, [](const PatPattern& pattern) {
        AddItem(PatternItem{kPatternPat, pattern.name, nullptr, &pattern});
    });
}

const char* CurrentName(const HatchOptions& options) {
    switch (options.patternKind) {
        case kPatternSimple: return options.lineSettingsName;
        case kPatternScalable: return options.scalableName;
        case kPatternPat: return options.patName;
        default: return "";
    }
}

void SelectName(int id, const char* name, int& index, char* text) {
    index = name[0] != '\0' ? FndLstStr(id, name) : -1;
    text[0] = '\0';
    if (index >= 0) CopyNameField(text, sizeof ThePatternLists().previewText, name);
    UpdCtl(id);
}

}  // namespace

PatternListState& ThePatternLists() {
    static PatternListState state;
    return state;
}

bool PassesSearch(const char* search, const char* name) {
    return search[0] == '\0' || StMatch(search, name) != 0;
}

std::string PatternListLabel(const char* search) {
    if (search[0] == '\0') return "Available patterns:";
    return std::string("Patterns matching \"") + search + "\":";
}

void FillPatternLists() {
    ClrLstStr(IDC_HATCH_PREVIEW_LIST);
    ClrLstStr(IDC_HATCH_PLAIN_LIST);
    g_items.clear();
    HatchOptions& options = TheHatchOptions();
    options.searchText[kSearchTextSize - 1] = '\0';
    const char* search = options.searchText;
    switch (options.patternKind) {
        case kPatternSimple: AddSavedSettings(search); break;
        case kPatternScalable: AddScalablePatterns(search); break;
        case kPatternPat: AddPatPatterns(search); break;
        default: break;
    }
    PatternListState& lists = ThePatternLists();
    const char* name = CurrentName(options);
    SelectName(IDC_HATCH_PREVIEW_LIST, name, lists.previewIndex, lists.previewText);
    SelectName(IDC_HATCH_PLAIN_LIST, name, lists.plainIndex, lists.plainText);
    CopyNameField(lists.label, sizeof lists.label, PatternListLabel(search).c_str());
    UpdCtl(IDC_HATCH_LIST_LABEL);
}

void ClearPatternItems() { g_items.clear(); }

const PatternItem* FindPatternItem(uintptr_t itemData) {
    for (const PatternItem& item : g_items)
        if (reinterpret_cast<uintptr_t>(&item) == itemData) return &item;
    return nullptr;
}

void CopyNameField(char* field, size_t size, const char* text) {
    if (size == 0) return;
    const size_t length = strnlen(text, size - 1);
    std::memcpy(field, text, length);
    std::memset(field + length, 0, size - length);
}
