// The matching and replacing of QLTREPLACE, apart from the command so it can be tested alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/work_record.h"

// The search and replacement texts hold at most this many characters.
constexpr size_t kReplaceTextLength = 200;
// Strings this long or longer are never changed.
constexpr size_t kReplaceMaxLength = 200;
// The longest new string: the longest the host's text edit takes. A longer result is refused.
constexpr size_t kReplaceResultLength = kWorkStringCapacity;

enum ReplaceMatch : int32_t {
    RM_ALL = 0,        // the whole string
    RM_BEGINNING = 1,  // the start of the string
    RM_PART = 2,       // anywhere, every occurrence
};

struct ReplaceRules {
    std::string_view search;
    std::string_view replacement;
    int32_t match = RM_PART;
    bool ignoreCase = true;
};

// Upper case for the comparison without regard to case: a to z, and the Latin-1 letters
// a-umlaut (228), a-ring (229) and o-umlaut (246). Every other character is itself.
unsigned char FoldCase(unsigned char c);

// The first position at or after from where search occurs in text (and ends inside it), or
// std::string_view::npos. An empty search is found nowhere.
size_t FindText(std::string_view text, std::string_view search, size_t from, bool ignoreCase);

// True when the string is not empty, shorter than kReplaceMaxLength, and the search text
// occurs as the match mode asks: as the whole string, at its start, or anywhere.
bool ReplaceMatches(std::string_view text, const ReplaceRules& rules);

enum ReplaceOutcome {
    RO_UNCHANGED,  // the string does not match
    RO_REPLACED,
    RO_TOO_LONG,  // the result would not fit: out holds an empty string
};

// Puts the replacement in place of the first occurrence (every occurrence with RM_PART, each
// searched in the original string after the previous one, never in inserted text). The
// result and its NUL go to out (capacity bytes); its length to *length.
ReplaceOutcome ReplaceText(std::string_view text, const ReplaceRules& rules, char* out,
                           size_t capacity, size_t* length);

// True when the text holds a decimal digit.
bool HasDigit(std::string_view text);
// True when every character is a decimal digit (so also for an empty text).
bool AllDigits(std::string_view text);
