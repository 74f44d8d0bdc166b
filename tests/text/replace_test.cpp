// Matching and replacing of QLTREPLACE: the three match modes, case folding of exactly the
// letters named (a to z and three Latin-1 letters), occurrences searched only in the original
// string, strings too long to match, and results too long for the host refused whole.
#include "text/replace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

ReplaceRules Rules(std::string_view search, std::string_view replacement, int32_t match,
                   bool ignoreCase = true) {
    ReplaceRules rules;
    rules.search = search;
    rules.replacement = replacement;
    rules.match = match;
    rules.ignoreCase = ignoreCase;
    return rules;
}

std::string Replaced(std::string_view text, const ReplaceRules& rules) {
    std::vector<char> out(kReplaceResultLength + 1, 'x');
    size_t length = 0;
    switch (ReplaceText(text, rules, out.data(), out.size(), &length)) {
        case RO_UNCHANGED:
            return "<unchanged>";
        case RO_TOO_LONG:
            return "<too long>";
        case RO_REPLACED:
            break;
    }
    EXPECT_EQ(std::string(out.data()).size(), length);
    return std::string(out.data(), length);
}

TEST(FoldCase, FoldsExactlyTheNamedLetters) {
    EXPECT_EQ(FoldCase('a'), 'A');
    EXPECT_EQ(FoldCase('z'), 'Z');
    EXPECT_EQ(FoldCase('A'), 'A');
    EXPECT_EQ(FoldCase(228), 196);  // a-umlaut
    EXPECT_EQ(FoldCase(229), 197);  // a-ring
    EXPECT_EQ(FoldCase(246), 214);  // o-umlaut
    for (int c = 0; c < 256; ++c) {
        bool named = (c >= 'a' && c <= 'z') || c == 228 || c == 229 || c == 246;
        if (!named) {
            EXPECT_EQ(FoldCase(static_cast<unsigned char>(c)), c) << c;
        }
    }
}

TEST(ReplaceMatches, MatchModes) {
    EXPECT_TRUE(ReplaceMatches("ab", Rules("ab", "x", RM_ALL)));
    EXPECT_FALSE(ReplaceMatches("abc", Rules("ab", "x", RM_ALL)));
    EXPECT_FALSE(ReplaceMatches("cab", Rules("ab", "x", RM_ALL)));
    EXPECT_TRUE(ReplaceMatches("AB", Rules("ab", "x", RM_ALL)));
    EXPECT_FALSE(ReplaceMatches("AB", Rules("ab", "x", RM_ALL, false)));
    EXPECT_TRUE(ReplaceMatches("abc", Rules("ab", "x", RM_BEGINNING)));
    EXPECT_FALSE(ReplaceMatches("cab", Rules("ab", "x", RM_BEGINNING)));
    EXPECT_TRUE(ReplaceMatches("cab", Rules("ab", "x", RM_PART)));
    EXPECT_FALSE(ReplaceMatches("cAb", Rules("ab", "x", RM_PART, false)));
}

TEST(ReplaceMatches, EmptyOrLongStringsAndEmptySearchNeverMatch) {
    EXPECT_FALSE(ReplaceMatches("", Rules("a", "x", RM_PART)));
    EXPECT_FALSE(ReplaceMatches("abc", Rules("", "x", RM_PART)));
    EXPECT_FALSE(ReplaceMatches("ab", Rules("abc", "x", RM_PART)));
    EXPECT_TRUE(ReplaceMatches(std::string(199, 'a'), Rules("a", "x", RM_PART)));
    EXPECT_FALSE(ReplaceMatches(std::string(200, 'a'), Rules("a", "x", RM_PART)));
    EXPECT_EQ(Replaced(std::string(200, 'a'), Rules("a", "x", RM_PART)), "<unchanged>");
}

TEST(ReplaceMatches, IgnoreCaseFoldsLatin1UmlautsButNotAccents) {
    const std::string lowerUmlaut = "B\xe4r";  // a-umlaut
    const std::string upperUmlaut = "B\xc4R";  // A-umlaut
    const std::string lowerAcute = "caf\xe9";  // e-acute
    const std::string upperAcute = "CAF\xc9";  // E-acute
    EXPECT_TRUE(ReplaceMatches(lowerUmlaut, Rules(upperUmlaut, "x", RM_ALL)));
    EXPECT_TRUE(ReplaceMatches(upperUmlaut, Rules(lowerUmlaut, "x", RM_ALL)));
    EXPECT_TRUE(ReplaceMatches("\xe5\xf6", Rules("\xc5\xd6", "x", RM_ALL)));
    EXPECT_FALSE(ReplaceMatches(lowerUmlaut, Rules(upperUmlaut, "x", RM_ALL, false)));
    EXPECT_FALSE(ReplaceMatches(lowerAcute, Rules(upperAcute, "x", RM_ALL)));
    EXPECT_TRUE(ReplaceMatches(lowerAcute, Rules("CAF\xe9", "x", RM_ALL)));
}

TEST(ReplaceText, ReplacesFirstOrEveryOccurrence) {
    EXPECT_EQ(Replaced("ab", Rules("ab", "x", RM_ALL)), "x");
    EXPECT_EQ(Replaced("abc", Rules("ab", "x", RM_ALL)), "<unchanged>");
    EXPECT_EQ(Replaced("AB", Rules("ab", "x", RM_ALL)), "x");
    EXPECT_EQ(Replaced("abab", Rules("ab", "x", RM_BEGINNING)), "xab");
    EXPECT_EQ(Replaced("abab", Rules("ab", "x", RM_PART)), "xx");
    EXPECT_EQ(Replaced("cabab", Rules("ab", "x", RM_PART)), "cxx");
    EXPECT_EQ(Replaced("Room 12", Rules("room", "P1", RM_BEGINNING)), "P1 12");
    EXPECT_EQ(Replaced("a.b.c", Rules(".", "", RM_PART)), "abc");
}

TEST(ReplaceText, SearchesOnlyTheOriginalString) {
    // No endless loop and no second look at inserted text.
    EXPECT_EQ(Replaced("banana", Rules("a", "aa", RM_PART)), "baanaanaa");
    EXPECT_EQ(Replaced("aaa", Rules("aa", "b", RM_PART)), "ba");
    EXPECT_EQ(Replaced("xAx", Rules("a", "AA", RM_PART)), "xAAx");
}

TEST(ReplaceText, RefusesAResultLongerThanTheHostTakes) {
    // 199 occurrences of a 200-character replacement: 39800 characters.
    const std::string text(199, 'a');
    const std::string replacement(kReplaceTextLength, 'b');
    EXPECT_EQ(Replaced(text, Rules("a", replacement, RM_PART)), "<too long>");
    // 160 replacements of 200 characters are exactly the limit; one character more is not.
    EXPECT_EQ(Replaced(std::string(160, 'a'), Rules("a", replacement, RM_PART)).size(),
              kReplaceResultLength);
    EXPECT_EQ(Replaced(std::string(160, 'a') + "c", Rules("a", replacement, RM_PART)),
              "<too long>");
    // A small buffer holds the string and its NUL, or nothing.
    char out[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(ReplaceText("ab", Rules("b", "cd", RM_PART), out, sizeof out, nullptr), RO_REPLACED);
    EXPECT_STREQ(out, "acd");
    EXPECT_EQ(ReplaceText("ab", Rules("b", "cde", RM_PART), out, sizeof out, nullptr), RO_TOO_LONG);
    EXPECT_STREQ(out, "");
}

TEST(ReplacementNumbers, DigitsAndAllDigits) {
    EXPECT_TRUE(HasDigit("P1"));
    EXPECT_FALSE(HasDigit("Px"));
    EXPECT_FALSE(HasDigit(""));
    EXPECT_TRUE(AllDigits("12"));
    EXPECT_TRUE(AllDigits(""));
    EXPECT_FALSE(AllDigits("P1"));
    EXPECT_FALSE(AllDigits("-1"));
}

}  // namespace
