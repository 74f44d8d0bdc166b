// Pop-up menu files of QLCMENU: one item per line, a label, ":" and the script text; a line
// starting with "-" is a separator; a line without ":" shows an item that does nothing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct MenuItem {
    bool separator = false;
    std::string label;
    // Offset of the script (the character after the ":") from the start of the text, or
    // kNoScript for a line without ":".
    size_t scriptOffset = 0;
};

constexpr size_t kNoScript = static_cast<size_t>(-1);

// Menus carry 16-bit identifiers; identifier k (1 and up) is item k - 1, 0 means none.
constexpr size_t kMaxMenuItems = 0xFFFF;

// The items of a menu file. The walk ends at size or at the first NUL, whichever comes
// first; labels end at ":", carriage return, line feed or the end of the text.
std::vector<MenuItem> ParseMenuFile(const char* text, size_t size);

// The script starting at offset: the text up to the next carriage return, line feed, NUL or
// the end of the text. Empty for an offset at or past size.
std::string_view MenuScriptAt(const char* text, size_t size, size_t offset);
