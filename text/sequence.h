// The string work of the text sequence: which texts match, where the number goes, how it is
// written, and sums that never leave the 32-bit range.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum SequenceFind : int32_t {
    SF_NUMBER = 0,  // a run of digits in the text
    SF_STRING = 1,  // the find string
};

// Index of the number choice of the dialog.
enum SequenceChoice : int32_t {
    SC_FIRST = 0,
    SC_SECOND = 1,
    SC_THIRD = 2,
    SC_SECOND_LAST = 3,
    SC_LAST = 4,
    SC_COUNT = 5,
};

// Strings of this many characters or more are left alone.
constexpr size_t kSequenceMaxString = 200;
// At most this many zeros are written before a number of fixed length.
constexpr int kSequenceMaxZeros = 20;

struct SequenceRule {
    int32_t find = SF_NUMBER;
    int32_t choice = SC_FIRST;
    std::string_view findString;
    bool fixedLength = false;
    int32_t length = 3;
    bool leadingZero = false;
};

// True when the string exists, is shorter than kSequenceMaxString and holds a digit (numbers)
// or the find string (exact characters; an empty find string occurs nowhere).
bool SequenceMatches(std::optional<std::string_view> text, const SequenceRule& rule);

// The part of the string the number replaces: the chosen run of digits, or the first
// occurrence of the find string. False when the text has no such part (too few numbers).
bool FindSequenceItem(std::string_view text, const SequenceRule& rule, size_t& at, size_t& size);

// The number as written: padded with zeros to the fixed length (at most kSequenceMaxZeros, at
// least one when a leading zero is required), or with one zero before it when a leading zero
// is required without fixed length. The zeros go before the minus sign.
std::string SequenceNumberText(int32_t number, const SequenceRule& rule);

// The string with its item replaced by the number; none when the string does not match or
// has no item.
std::optional<std::string> RenumberedString(std::string_view text, const SequenceRule& rule, int32_t number);

// a + b, or none when the sum leaves the 32-bit range.
std::optional<int32_t> AddWithinRange(int32_t a, int64_t b);
