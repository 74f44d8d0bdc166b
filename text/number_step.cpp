// The number-group step: counts the first or last number inside a string up or down.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "text/entity_text.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Start of the number the step works on, or length when the string has no digit.
size_t NumberStart(const char* text, size_t length, bool lastGroup) {
    if (!lastGroup) {
        size_t i = 0;
        while (i < length && !IsDigit(text[i])) ++i;
        return i;
    }
    size_t end = length;
    while (end > 0 && !IsDigit(text[end - 1])) --end;
    if (end == 0) return length;
    size_t start = end - 1;
    while (start > 0 && IsDigit(text[start - 1])) --start;
    // Leading zeros stay in the string: in "007" the number starts at the 7.
    while (text[start] == '0' && start + 1 < end) ++start;
    return start;
}

}  // namespace

bool StepNumberGroup(char* buffer, size_t capacity, int mode) {
    if (buffer == nullptr || capacity == 0) return false;
    const void* nul = std::memchr(buffer, 0, capacity);
    if (nul == nullptr) return false;
    size_t length = static_cast<size_t>(static_cast<const char*>(nul) - buffer);
    size_t digits = NumberStart(buffer, length, (mode & kStepLastGroup) != 0);
    if (digits >= length) return false;

    size_t start = digits;
    bool negative = start > 0 && buffer[start - 1] == '-';
    if (negative) --start;
    int64_t value = 0;
    size_t end = digits;
    for (; end < length && IsDigit(buffer[end]); ++end) {
        value = value * 10 + (buffer[end] - '0');
        if (value > INT64_C(2147483648)) return false;
    }
    if (negative) value = -value;
    value += (mode & kStepDown) ? -1 : 1;
    if (value < INT32_MIN || value > INT32_MAX) return false;

    char number[16];
    int written = std::snprintf(number, sizeof number, "%d", static_cast<int>(value));
    if (written <= 0) return false;
    size_t newSize = static_cast<size_t>(written);
    // A number that grows by a digit takes over one zero before it, so the width stays.
    if (newSize > end - start && start > 0 && buffer[start - 1] == '0') --start;
    size_t oldSize = end - start;
    size_t newLength = length - oldSize + newSize;
    if (newLength + 1 > capacity) return false;
    std::memmove(buffer + start + newSize, buffer + end, length - end + 1);
    std::memcpy(buffer + start, number, newSize);
    return true;
}
