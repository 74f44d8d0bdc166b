// The PAT reader's state machine on texts, with the quirks real pattern files have.
#include "hatch/engine/pat_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

constexpr double kDeg = 3.14159265 / 180;

PatLibrary Read(const char* text) {
    PatLibrary library;
    library.Parse(text);
    return library;
}

double Number(const char* text, const char** rest = nullptr) {
    const char* cursor = text;
    double value = -999;
    EXPECT_TRUE(ReadPatNumber(cursor, value)) << text;
    if (rest != nullptr) *rest = cursor;
    return value;
}

TEST(PatNumber, SignsPointsAndNoExponent) {
    EXPECT_EQ(Number("5"), 5);
    EXPECT_EQ(Number("-.5"), -0.5);
    EXPECT_EQ(Number("5."), 5);
    EXPECT_EQ(Number("- 5"), -5);
    EXPECT_EQ(Number("--5"), 5);
    EXPECT_DOUBLE_EQ(Number("0.25"), 0.25);
    const char* rest = nullptr;
    EXPECT_EQ(Number("1e-3", &rest), 1);
    EXPECT_STREQ(rest, "e-3");
}

TEST(PatNumber, NoDigitsMovesPastWhatWasRead) {
    const char* cursor = "-  x";
    double value = 7;
    EXPECT_FALSE(ReadPatNumber(cursor, value));
    EXPECT_STREQ(cursor, "x");
    EXPECT_EQ(value, 7);
    cursor = ".,";
    EXPECT_FALSE(ReadPatNumber(cursor, value));
    EXPECT_STREQ(cursor, ",");
}

TEST(PatNumber, LongDigitRunsSaturate) {
    EXPECT_EQ(Number("2147483647"), 2147483647.0);
    EXPECT_EQ(Number("99999999999999999999999999999999999999"), 2147483647.0);
    EXPECT_EQ(Number("-99999999999999999999.5"), -2147483647.5);
    std::string longFraction = "0." + std::string(500, '3');
    EXPECT_NEAR(Number(longFraction.c_str()), 1.0 / 3, 1e-12);
}

TEST(PatReader, ReadsPatternsNewestFirstWithFamiliesReversed) {
    PatLibrary lib = Read(
        "; standard PAT patterns\n\n"
        "*Square, square grid, Solid, 5.0 mm separation \n"
        "90,1,1,0,5.0\n"
        "0,0,0,1,5.0\n"
        "*Diagonal4, 45 diagonal R\n"
        "45,0,0,0,4.0\n");
    ASSERT_EQ(lib.Size(), 2u);
    EXPECT_STREQ(lib.At(0).name, "Diagonal4, 45 diagonal R");
    EXPECT_STREQ(lib.At(1).name, "Square, square grid, Solid, 5.0 mm separation ");
    const PatPattern* square = lib.Find("Square, square grid, Solid, 5.0 mm separation ");
    ASSERT_NE(square, nullptr);
    ASSERT_EQ(square->families.size(), 2u);
    const PatFamily& last = square->families[0];
    EXPECT_EQ(last.angle, 0);
    EXPECT_EQ(last.deltaX, 1);
    EXPECT_EQ(last.deltaY, 5);
    const PatFamily& first = square->families[1];
    EXPECT_DOUBLE_EQ(first.angle, 90 * kDeg);
    EXPECT_EQ(first.originX, 1);
    EXPECT_EQ(first.originY, 1);
    EXPECT_TRUE(first.dashes.empty());
    EXPECT_EQ(lib.Find("Square"), nullptr);
}

TEST(PatReader, LaterTextWinsForEqualNames) {
    PatLibrary lib;
    lib.Parse("*A\n0,0,0,0,1\n");
    lib.Parse("*A\n0,0,0,0,2\n*B\n0,0,0,0,3\n");
    ASSERT_EQ(lib.Size(), 3u);
    EXPECT_STREQ(lib.At(0).name, "B");
    EXPECT_EQ(lib.Find("A")->families[0].deltaY, 2);
    lib.Clear();
    EXPECT_TRUE(lib.Empty());
}

TEST(PatReader, ZeroDeltaYDropsTheFamilyButKeepsThePattern) {
    PatLibrary lib = Read("*Flat\n0,0,0,1,0\n45,0,0,1,0,1,-1\n*Mixed\n0,0,0,0,0\n90,0,0,0,2\n");
    ASSERT_NE(lib.Find("Flat"), nullptr);
    EXPECT_TRUE(lib.Find("Flat")->families.empty());
    ASSERT_EQ(lib.Find("Mixed")->families.size(), 1u);
    EXPECT_EQ(lib.Find("Mixed")->families[0].deltaY, 2);
}

TEST(PatReader, LongHeaderIsCutAndItsRestSkipped) {
    const std::string name(80, 'n');
    const std::string text = "*" + name + "XYZ,45,1,2,3,4\n0,0,0,0,1\n";
    PatLibrary lib = Read(text.c_str());
    ASSERT_EQ(lib.Size(), 1u);
    EXPECT_EQ(std::string(lib.At(0).name), name);
    ASSERT_EQ(lib.At(0).families.size(), 1u);
    EXPECT_EQ(lib.At(0).families[0].deltaY, 1);
}

TEST(PatReader, TrailingCommaMakesTheNextLineDashes) {
    PatLibrary lib = Read("*A\n0,0,0,0,1,\n0.5,-0.25\n90,0,0,0,1\n");
    ASSERT_EQ(lib.At(0).families.size(), 2u);
    const PatFamily& dashed = lib.At(0).families[1];
    ASSERT_EQ(dashed.dashes.size(), 2u);
    EXPECT_FLOAT_EQ(dashed.dashes[0], 0.5f);
    EXPECT_FLOAT_EQ(dashed.dashes[1], -0.25f);
    EXPECT_FLOAT_EQ(dashed.cycleLength, 0.75f);
}

TEST(PatReader, CommentsEndLinesButKeepTheCommaFlag) {
    PatLibrary plain = Read("*A ; not a comment\n0,0,0,0,1 ; first\n90,0,0,0,1;second\n");
    ASSERT_EQ(plain.Size(), 1u);
    EXPECT_STREQ(plain.At(0).name, "A ; not a comment");
    EXPECT_EQ(plain.At(0).families.size(), 2u);
    PatLibrary comma = Read("*A\n0,0,0,0,1, ; trailing comma\n0.5\n");
    ASSERT_EQ(comma.At(0).families.size(), 1u);
    ASSERT_EQ(comma.At(0).families[0].dashes.size(), 1u);
}

TEST(PatReader, KeepsTwoHundredDashes) {
    std::string text = "*Many\n0,0,0,0,1";
    for (int i = 0; i < 205; ++i) text += i % 2 == 0 ? ",1" : ",-0.5";
    PatLibrary lib = Read(text.c_str());
    const PatFamily& family = lib.At(0).families[0];
    ASSERT_EQ(family.dashes.size(), 200u);
    EXPECT_FLOAT_EQ(family.cycleLength, 150.0f);
}

TEST(PatReader, LineEndsTabsAndEndOfFileMarks) {
    const char* variants[] = {
        "*A, d\r\n0,\t0,0, 0,1,0.5,-0.5\r\n",
        "*A, d\n0,0,0,0,1,0.5,-0.5",
        "*A, d\n0,0,0,0,1,0.5,-0.5\n\x1a",
        "*A, d\r0,0,0,0,1,0.5,-0.5\r;end",
        "*A, d\n0,0,0,0,1,0.5,-0.5\n; comment without a newline",
    };
    for (const char* text : variants) {
        PatLibrary lib = Read(text);
        ASSERT_EQ(lib.Size(), 1u) << text;
        EXPECT_STREQ(lib.At(0).name, "A, d");
        ASSERT_EQ(lib.At(0).families.size(), 1u) << text;
        EXPECT_EQ(lib.At(0).families[0].dashes.size(), 2u) << text;
    }
}

TEST(PatReader, IncompleteAndStrayNumbersAreIgnored) {
    PatLibrary lib = Read("1,2,3,4,5\n*A\n0,0,0,0,1\n45,1,1\n*B\n0,0,0,0,2\n30,1");
    EXPECT_EQ(lib.Find("A")->families.size(), 1u);
    EXPECT_EQ(lib.Find("B")->families.size(), 1u);
}

TEST(PatReader, NumberFormsGapsDotsAndNegativeDeltaY) {
    // "1e-3" reads as delta x 1 and delta y -3.
    PatLibrary lib = Read("*Q\n+45,-.5,5.,1e-3\n");
    ASSERT_EQ(lib.Size(), 1u);
    const auto& families = lib.At(0).families;
    ASSERT_EQ(families.size(), 1u);
    const PatFamily& f = families[0];
    EXPECT_DOUBLE_EQ(f.angle, 45 * kDeg);
    EXPECT_EQ(f.originX, -0.5);
    EXPECT_EQ(f.originY, 5);
    EXPECT_EQ(f.deltaX, 1);
    EXPECT_EQ(f.deltaY, -3);
    EXPECT_TRUE(f.dashes.empty());
    PatLibrary dots = Read("*D\n0,0,0,0,-1,-0.5,0,-0.5,0\n");
    const PatFamily& d = dots.At(0).families[0];
    EXPECT_EQ(d.deltaY, -1);
    ASSERT_EQ(d.dashes.size(), 4u);
    EXPECT_EQ(d.dashes[0], -0.5f);
    EXPECT_EQ(d.dashes[1], 0.0f);
    EXPECT_FLOAT_EQ(d.cycleLength, 1.0f);
}

TEST(PatReader, EmptyHeaderAndEmptyText) {
    EXPECT_TRUE(Read("").Empty());
    EXPECT_TRUE(Read("; only a comment").Empty());
    PatLibrary lib = Read("*\n0,0,0,0,1\n*");
    ASSERT_EQ(lib.Size(), 2u);
    EXPECT_STREQ(lib.At(1).name, "");
    EXPECT_EQ(lib.At(1).families.size(), 1u);
}

}  // namespace
