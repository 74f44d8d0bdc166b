// The number-group step and the far justification table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/entity_text.h"
#include "text/work_record.h"

namespace {

struct StepCase {
    const char* before;
    int mode;
    const char* after;
};

std::string Step(const std::string& text, int mode, size_t capacity = 64) {
    std::vector<char> buffer(capacity, 'x');
    std::copy(text.begin(), text.end(), buffer.begin());
    buffer[text.size()] = 0;
    StepNumberGroup(buffer.data(), capacity, mode);
    return std::string(buffer.data());
}

constexpr int kUp = 0;
constexpr int kDown = kStepDown;
constexpr int kRight = kStepLastGroup;
constexpr int kLeft = kStepLastGroup | kStepDown;

TEST(NumberGroupStep, CountsTheFirstOrTheLastGroup) {
    const StepCase cases[] = {
        {"Room 12", kUp, "Room 13"},   {"Room 10", kDown, "Room 9"},  {"A-5", kRight, "A-4"},
        {"A0", kLeft, "A-1"},          {"x9y9", kUp, "x10y9"},        {"x9y9", kRight, "x9y10"},
        {"A099", kRight, "A100"},      {"099", kUp, "100"},           {"A007", kRight, "A008"},
        {"A007", kUp, "A8"},           {"A-1", kRight, "A0"},         {"A-9", kLeft, "A-10"},
        {"x-5 y", kUp, "x-4 y"},       {"A09", kRight, "A10"},        {"12", kDown, "11"},
        {"7 of 9", kDown, "6 of 9"},   {"7 of 9", kLeft, "7 of 8"},   {"Z000", kRight, "Z001"},
        {"A-005", kRight, "A-006"},
    };
    for (const StepCase& c : cases) EXPECT_EQ(Step(c.before, c.mode), c.after) << c.before << " mode " << c.mode;
}

TEST(NumberGroupStep, LeavesStringsWithoutANumberAlone) {
    for (const char* text : {"", "no digits", "-", "A-"}) {
        std::vector<char> buffer(32, 0);
        std::copy(text, text + std::char_traits<char>::length(text), buffer.begin());
        EXPECT_FALSE(StepNumberGroup(buffer.data(), buffer.size(), kUp)) << text;
        EXPECT_STREQ(buffer.data(), text);
    }
}

TEST(NumberGroupStep, RefusesResultsOutsideThirtyTwoBits) {
    EXPECT_EQ(Step("n=2147483647", kUp), "n=2147483647");
    EXPECT_EQ(Step("n=-2147483648", kDown), "n=-2147483648");
    EXPECT_EQ(Step("n=99999999999", kDown), "n=99999999999");
    EXPECT_EQ(Step("n=2147483646", kUp), "n=2147483647");
    EXPECT_EQ(Step("n=-2147483647", kDown), "n=-2147483648");
    // Leading zeros of the first group do not count towards the range.
    EXPECT_EQ(Step("000000000000000000041", kUp), "42");
}

TEST(NumberGroupStep, StaysInsideItsBuffer) {
    // "A99" needs four characters and the NUL once it counts up.
    EXPECT_EQ(Step("A99", kUp, 4), "A99");
    EXPECT_EQ(Step("A99", kUp, 5), "A100");
    // A buffer without a NUL is not a string.
    char full[3] = {'1', '2', '3'};
    EXPECT_FALSE(StepNumberGroup(full, sizeof full, kUp));
    EXPECT_EQ(std::string(full, 3), "123");
}

TEST(FarTable, MapsFarCodesToPlainAndBack) {
    const int table[kJustifyCodes] = {11, 13, 15, 9, 4, 10, 16, 18, 20, 3, 5, 0, 0, 1, 2, 2, 6, 6, 7, 8, 8};
    for (int code = 0; code < kJustifyCodes; ++code) EXPECT_EQ(kFarTable[code], table[code]) << code;
    // Every plain code but middle-centre has a far variant that maps back to it.
    for (int code = 0; code <= 8; ++code) {
        int far = kFarTable[code];
        EXPECT_EQ(kFarTable[far], code) << code;
        EXPECT_EQ(far > 8, code != 4) << code;
    }
}

TEST(FarTable, SplitsAndBuildsCodes) {
    bool far = true;
    EXPECT_EQ(PlainJustify(5, &far), 5);
    EXPECT_FALSE(far);
    EXPECT_EQ(PlainJustify(11, &far), 0);
    EXPECT_TRUE(far);
    EXPECT_EQ(PlainJustify(16, &far), 6);
    EXPECT_TRUE(far);
    // Codes past the table are no justification: bottom-left, not far.
    EXPECT_EQ(PlainJustify(21, &far), 0);
    EXPECT_FALSE(far);
    EXPECT_EQ(PlainJustify(255, &far), 0);
    EXPECT_EQ(BuildJustify(1, 0, true), 9);
    EXPECT_EQ(BuildJustify(0, 2, true), 15);
    EXPECT_EQ(BuildJustify(1, 1, true), 4);
    EXPECT_EQ(BuildJustify(2, 2, false), 8);
}

}  // namespace
