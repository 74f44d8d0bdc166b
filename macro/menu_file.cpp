// Parsing pop-up menu files within the loaded size.
#include "macro/menu_file.h"

namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

std::vector<MenuItem> ParseMenuFile(const char* text, size_t size) {
    std::vector<MenuItem> items;
    size_t pos = 0;
    auto atEnd = [&](size_t p) { return p >= size || text[p] == '\0'; };
    while (!atEnd(pos) && items.size() < kMaxMenuItems) {
        size_t labelEnd = pos;
        while (!atEnd(labelEnd) && text[labelEnd] != ':' && !IsLineEnd(text[labelEnd])) ++labelEnd;
        if (labelEnd > pos) {
            MenuItem item;
            if (text[pos] == '-') {
                item.separator = true;
            } else {
                item.label.assign(text + pos, labelEnd - pos);
                item.scriptOffset = !atEnd(labelEnd) && text[labelEnd] == ':' ? labelEnd + 1 : kNoScript;
            }
            items.push_back(std::move(item));
        }
        pos = labelEnd;
        while (!atEnd(pos) && !IsLineEnd(text[pos])) ++pos;
        while (!atEnd(pos) && IsLineEnd(text[pos])) ++pos;
    }
    return items;
}

std::string_view MenuScriptAt(const char* text, size_t size, size_t offset) {
    if (offset >= size) return {};
    size_t end = offset;
    while (end < size && text[end] != '\0' && !IsLineEnd(text[end])) ++end;
    return std::string_view(text + offset, end - offset);
}
