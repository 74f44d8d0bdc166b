// StMatch: the host's name patterns.
#include <gtest/gtest.h>

#include "core/host_api.h"

TEST(StMatch, PlainPatternMatchesNamesContainingIt) {
    EXPECT_EQ(StMatch("wall", "Walls"), 1);
    EXPECT_EQ(StMatch("ALL", "Walls"), 1);
    EXPECT_EQ(StMatch("door", "Walls"), 0);
    EXPECT_EQ(StMatch("Walls2", "Walls"), 0);
    EXPECT_EQ(StMatch("", "anything"), 1);
}

TEST(StMatch, WildcardsMatchTheWholeName) {
    EXPECT_EQ(StMatch("*", ""), 1);
    EXPECT_EQ(StMatch("*", "Walls"), 1);
    EXPECT_EQ(StMatch("W*", "walls"), 1);
    EXPECT_EQ(StMatch("W*", "Doors"), 0);
    EXPECT_EQ(StMatch("*s", "Doors"), 1);
    EXPECT_EQ(StMatch("*oo*", "Doors"), 1);
    EXPECT_EQ(StMatch("D?ors", "Doors"), 1);
    EXPECT_EQ(StMatch("D?rs", "Doors"), 0);
    EXPECT_EQ(StMatch("?", ""), 0);
    // A wildcard pattern is not a substring search.
    EXPECT_EQ(StMatch("?all", "Walls"), 0);
    EXPECT_EQ(StMatch(".25*", ".25 Right Diagonal"), 1);
    EXPECT_EQ(StMatch("*a*b*c", "xaxxbyyc"), 1);
    EXPECT_EQ(StMatch("*a*b*c", "xaxxbyycd"), 0);
}

TEST(StMatch, EqualsSignMeansStartsWith) {
    EXPECT_EQ(StMatch("=Wal", "Walls"), 1);
    EXPECT_EQ(StMatch("=wal", "WALLS"), 1);
    EXPECT_EQ(StMatch("=all", "Walls"), 0);
    EXPECT_EQ(StMatch("=", "Walls"), 1);
    EXPECT_EQ(StMatch("=D?o", "Doors"), 1);
    EXPECT_EQ(StMatch("=Walls", "Walls"), 1);
}

TEST(StMatch, NullArgumentsNeverMatch) {
    EXPECT_EQ(StMatch(nullptr, "x"), 0);
    EXPECT_EQ(StMatch("x", nullptr), 0);
    EXPECT_EQ(StLen(nullptr), 0);
    EXPECT_EQ(StLen("abc"), 3);
}

TEST(StMatch, LongStarRunsStayQuick) {
    std::string name(5000, 'a');
    std::string pattern;
    for (int i = 0; i < 50; ++i) pattern += "*a";
    pattern += "b";
    EXPECT_EQ(StMatch(pattern.c_str(), name.c_str()), 0);
}
