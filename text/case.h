// Case conversion of text strings: the letters A to Z, a to z and the Latin-1 letters
// Ä Å Ö ä å ö; every other character is left as it is.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

enum TextCase : int {
    TC_LOWER = 0,
    TC_UPPER = 1,
    TC_CAPITALIZED = 2,
};

// Strings of this many characters or more are never converted.
constexpr size_t kCaseBufferSize = 1024;

// True for the letters the conversion knows.
bool IsCaseLetter(unsigned char c);
unsigned char LowerLetter(unsigned char c);
unsigned char UpperLetter(unsigned char c);

// The converted string. Capitalized case lowers a letter that follows a letter and raises
// every other character. Unknown case values convert to lower case.
std::string ConvertCase(std::string_view text, int textCase);

// True when the string exists, is not empty, is shorter than kCaseBufferSize and its
// conversion differs from it.
bool CaseMatches(std::optional<std::string_view> text, int textCase);
