// Case conversion: the letters it knows, capitalized case after non-letters, and which
// strings take part.
#include <gtest/gtest.h>

#include <string>

#include "text/case.h"

namespace {

struct CaseCase {
    const char* before;
    int textCase;
    const char* after;
};

TEST(TextCase, ConvertsTheKnownLettersOnly) {
    const CaseCase cases[] = {
        {"hELLO wORLD", TC_CAPITALIZED, "Hello World"},
        {"3RD", TC_CAPITALIZED, "3Rd"},
        {"DON'T", TC_CAPITALIZED, "Don'T"},
        {"\xC5SA", TC_CAPITALIZED, "\xC5sa"},             // ÅSA -> Åsa
        {"\xE4pple-\xF6L", TC_CAPITALIZED, "\xC4pple-\xD6l"},  // äpple-öL -> Äpple-Öl
        {"stra\xDF" "e", TC_UPPER, "STRA\xDF" "E"},       // ß is not a known letter
        {"\xE9t\xE9", TC_UPPER, "\xE9T\xE9"},             // é stays é
        {"\xC4\xC5\xD6 ABC", TC_LOWER, "\xE4\xE5\xF6 abc"},
        {"\xE4\xE5\xF6 abc", TC_UPPER, "\xC4\xC5\xD6 ABC"},
        {"a\xC9z", TC_CAPITALIZED, "A\xC9Z"},             // É is no letter: the z after it is raised
        {"x1y_z", TC_CAPITALIZED, "X1Y_Z"},
        {"", TC_UPPER, ""},
    };
    for (const CaseCase& c : cases)
        EXPECT_EQ(ConvertCase(c.before, c.textCase), c.after) << c.before << " case " << c.textCase;
}

TEST(TextCase, OtherCaseValuesLower) { EXPECT_EQ(ConvertCase("MiXeD", 7), "mixed"); }

TEST(TextCase, LetterTablesAgree) {
    for (int c = 0; c < 256; ++c) {
        const auto u = static_cast<unsigned char>(c);
        if (!IsCaseLetter(u)) {
            EXPECT_EQ(LowerLetter(u), u) << c;
            EXPECT_EQ(UpperLetter(u), u) << c;
            continue;
        }
        EXPECT_EQ(LowerLetter(UpperLetter(u)), LowerLetter(u)) << c;
        EXPECT_TRUE(IsCaseLetter(LowerLetter(u)) && IsCaseLetter(UpperLetter(u))) << c;
    }
}

TEST(TextCase, OnlyStringsThatChangeMatch) {
    EXPECT_FALSE(CaseMatches(std::nullopt, TC_UPPER));
    EXPECT_FALSE(CaseMatches(std::string_view(), TC_UPPER));
    EXPECT_FALSE(CaseMatches(std::string_view("already lower"), TC_LOWER));
    EXPECT_FALSE(CaseMatches(std::string_view("123 -- \xDF"), TC_UPPER));
    EXPECT_TRUE(CaseMatches(std::string_view("Lower me"), TC_LOWER));
    EXPECT_FALSE(CaseMatches(std::string_view("Capitalized Words"), TC_CAPITALIZED));
    EXPECT_TRUE(CaseMatches(std::string_view("Capitalized words"), TC_CAPITALIZED));
}

TEST(TextCase, LongStringsNeverMatch) {
    const std::string longest(kCaseBufferSize - 1, 'a');
    EXPECT_TRUE(CaseMatches(longest, TC_UPPER));
    const std::string tooLong(kCaseBufferSize, 'a');
    EXPECT_FALSE(CaseMatches(tooLong, TC_UPPER));
}

}  // namespace
