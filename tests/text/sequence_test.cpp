// The string work of the text sequence: matching, the chosen number or string, the written
// number with its zeros, and sums that stay within 32 bits.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "text/sequence.h"

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

SequenceRule Numbers(int32_t choice) {
    SequenceRule rule;
    rule.choice = choice;
    return rule;
}

std::string Renumber(const std::string& text, const SequenceRule& rule, int32_t number) {
    return RenumberedString(text, rule, number).value_or("<unchanged>");
}

TEST(TextSequence, ReplacesTheChosenRunOfDigits) {
    EXPECT_EQ(Renumber("P-17", Numbers(SC_FIRST), 1), "P-1");  // the "-" is no sign
    EXPECT_EQ(Renumber("A1-B7", Numbers(SC_LAST), 5), "A1-B5");
    EXPECT_EQ(Renumber("A1-B7", Numbers(SC_SECOND_LAST), 5), "A5-B7");
    EXPECT_EQ(Renumber("1.2.3", Numbers(SC_SECOND), 9), "1.9.3");
    EXPECT_EQ(Renumber("1.2.3", Numbers(SC_THIRD), 9), "1.2.9");
    EXPECT_EQ(Renumber("R007x", Numbers(SC_FIRST), 12), "R12x");
    EXPECT_EQ(Renumber("42", Numbers(SC_LAST), -3), "-3");
}

TEST(TextSequence, TextsWithTooFewNumbersAreLeftAlone) {
    EXPECT_EQ(Renumber("A1", Numbers(SC_SECOND), 5), "<unchanged>");
    EXPECT_EQ(Renumber("A1-B2", Numbers(SC_THIRD), 5), "<unchanged>");
    EXPECT_EQ(Renumber("A1", Numbers(SC_SECOND_LAST), 5), "<unchanged>");
    EXPECT_EQ(Renumber("A1", Numbers(SC_COUNT), 5), "<unchanged>");
    EXPECT_EQ(Renumber("no digits", Numbers(SC_FIRST), 5), "<unchanged>");
    // Still a match: it holds a digit, so it is a candidate that takes no number.
    EXPECT_TRUE(SequenceMatches(std::string_view("A1"), Numbers(SC_THIRD)));
}

TEST(TextSequence, StringModeComparesExactCharacters) {
    SequenceRule rule;
    rule.find = SF_STRING;
    rule.findString = "XX";
    EXPECT_EQ(Renumber("Door XX", rule, 1), "Door 1");
    EXPECT_EQ(Renumber("XX and XX", rule, 2), "2 and XX");
    EXPECT_EQ(Renumber("door xx", rule, 1), "<unchanged>");
    EXPECT_FALSE(SequenceMatches(std::string_view("door xx"), rule));
    rule.findString = "";
    EXPECT_FALSE(SequenceMatches(std::string_view("anything"), rule));
    EXPECT_FALSE(SequenceMatches(std::string_view(""), rule));
}

TEST(TextSequence, LongStringsAndMissingStringsDoNotMatch) {
    EXPECT_FALSE(SequenceMatches(std::nullopt, Numbers(SC_FIRST)));
    EXPECT_TRUE(SequenceMatches(std::string(kSequenceMaxString - 1, '1'), Numbers(SC_FIRST)));
    EXPECT_FALSE(SequenceMatches(std::string(kSequenceMaxString, '1'), Numbers(SC_FIRST)));
}

TEST(TextSequence, FixedLengthAndLeadingZeros) {
    SequenceRule rule;
    rule.fixedLength = true;
    rule.length = 3;
    EXPECT_EQ(SequenceNumberText(7, rule), "007");
    EXPECT_EQ(SequenceNumberText(1234, rule), "1234");
    EXPECT_EQ(SequenceNumberText(-5, rule), "0-5");  // the zeros go before the sign
    rule.leadingZero = true;
    EXPECT_EQ(SequenceNumberText(123, rule), "0123");
    EXPECT_EQ(SequenceNumberText(7, rule), "007");
    rule.fixedLength = false;
    EXPECT_EQ(SequenceNumberText(5, rule), "05");
    EXPECT_EQ(SequenceNumberText(12, rule), "012");
    rule.leadingZero = false;
    EXPECT_EQ(SequenceNumberText(12, rule), "12");
    EXPECT_EQ(SequenceNumberText(kMin, rule), "-2147483648");
}

TEST(TextSequence, FixedLengthPadsAtMostTwentyZerosWhateverTheLength) {
    SequenceRule rule;
    rule.fixedLength = true;
    rule.length = kMax;
    EXPECT_EQ(SequenceNumberText(1, rule), std::string(kSequenceMaxZeros, '0') + "1");
    rule.length = kMin;
    EXPECT_EQ(SequenceNumberText(kMin, rule), "-2147483648");
    rule.leadingZero = true;
    EXPECT_EQ(SequenceNumberText(kMin, rule), "0-2147483648");
}

TEST(TextSequence, SumsStayWithinThirtyTwoBits) {
    EXPECT_EQ(AddWithinRange(1, 1), 2);
    EXPECT_EQ(AddWithinRange(kMax, -1), kMax - 1);
    EXPECT_EQ(AddWithinRange(kMax, 0), kMax);
    EXPECT_EQ(AddWithinRange(kMax, 1), std::nullopt);
    EXPECT_EQ(AddWithinRange(kMin, -1), std::nullopt);
    EXPECT_EQ(AddWithinRange(kMin, kMax), -1);
    EXPECT_EQ(AddWithinRange(0, std::numeric_limits<int64_t>::max()), std::nullopt);
    EXPECT_EQ(AddWithinRange(0, std::numeric_limits<int64_t>::min()), std::nullopt);
}

}  // namespace
