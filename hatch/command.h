// The hatch dialog's parts shared by its files: the pattern list items, the list filling
// with the search filter, the owner-drawn previews, and the start of a hatch method.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/win32.h"
#include "hatch/engine/pat_reader.h"

// One item of the pattern lists: what its preview draws. The preview list carries a pointer
// to it as item data, because the host gives owner-draw procedures no call to read an
// item's text.
struct PatternItem {
    int32_t kind = 0;
    std::string name;
    const unsigned char* style = nullptr;  // kind 1: the host fill style entry
    const PatPattern* pattern = nullptr;   // kind 2
};

// The selection of the two pattern lists and their companion texts (list bindings).
struct PatternListState {
    int previewIndex = -1;
    char previewText[256] = {};
    int plainIndex = -1;
    char plainText[256] = {};
    char label[64] = {};  // "Available patterns:" or "Patterns matching "...":"
};
PatternListState& ThePatternLists();

// Fills both lists with the current kind's names that pass the search text, selects the
// current name of that kind and sets the label. Only while the hatch dialog runs.
void FillPatternLists();
// Forgets the items (the dialog closed).
void ClearPatternItems();
// The item a preview list entry points at, or null when the value is not a live item.
const PatternItem* FindPatternItem(uintptr_t itemData);

// True when the name passes the search: an empty search, or the host's StMatch.
bool PassesSearch(const char* search, const char* name);
// The list label for a search text.
std::string PatternListLabel(const char* search);

// The preview procedure of the preview list (measure and draw requests).
int PatternPreviewDraw(UINT message, void* item);
// The scale of a PAT pattern's preview: one repeat across the lines 0.5 high and 1 to 4
// wide; a pattern of steep lines only repeats 1 wide, one of flat lines only keeps its own
// scale, as does any scale below 0.01.
double PatPreviewScale(const PatPattern& pattern);

// Starts method 0 scan, 1 smart or 2 regular; any other value ends the command.
void StartHatchMethod(int32_t method);
// Copies a text into a name field of the given size, cut to fit with its NUL.
void CopyNameField(char* field, size_t size, const char* text);
