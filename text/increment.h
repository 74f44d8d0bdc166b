// The arithmetic of QLTINC, apart from the command so it can be tested alone: adding a value
// to the first or last run of digits inside a string, and the whole numbers the user types or
// steps with the arrow keys (shared with QLTREPLACE).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Strings this long or longer are never changed.
constexpr size_t kIncrementMaxLength = 200;

// True when the string is shorter than kIncrementMaxLength and holds a digit 0 to 9.
bool IncrementMatches(std::string_view text);

// Adds increment to the first run of digits of text (the last run with lastGroup), or
// subtracts it when down is set; a "-" before the digits is no sign. A result below zero
// becomes 0; a run that began with "0" keeps its width with leading zeros. The new string
// goes to out with its NUL (capacity bytes). False, with out untouched, when the text does
// not match, when the digit run or the result lies beyond the 32-bit range, or when the new
// string does not fit.
bool IncrementNumber(std::string_view text, int32_t increment, bool down, bool lastGroup, char* out,
                     size_t capacity);

// A number typed at a prompt as a whole number: truncated toward zero and clamped to the
// 32-bit range. NaN leaves the previous value.
int32_t ClampTypedNumber(double typed, int32_t previous);

// value + step, or value itself when the sum would leave the 32-bit range.
int32_t StepWholeNumber(int32_t value, int32_t step);
