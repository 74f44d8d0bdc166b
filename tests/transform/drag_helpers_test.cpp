// Drag factor, 15-degree snap, drag steps, scale range, shear factor and part file names.
#include "transform/drag_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "transform/engine.h"
#include "transform/part.h"
#include "transform/shear.h"

namespace {

constexpr double kDegree = 3.14159265358979323846 / 180.0;
// The snap step as the snap multiplies it (0.2617994 in single precision).
constexpr double kSingleStep = 0.2617993950843811;

TEST(DragFactorTest, GrowsUpAndShrinksDownSymmetrically) {
    EXPECT_EQ(DragFactor(0.0), 1.0);
    EXPECT_EQ(DragFactor(1.0), 2.0);
    EXPECT_EQ(DragFactor(-1.0), 0.5);
    EXPECT_EQ(DragFactor(-3.0), 0.25);
    for (double d : {0.01, 0.37, 2.5, 100.0}) {
        EXPECT_GT(DragFactor(-d), 0.0);
        EXPECT_NEAR(DragFactor(d) * DragFactor(-d), 1.0, 1e-15) << d;
    }
}

TEST(DragFactorTest, StepOfOneSixthViewDoublesAndHalves) {
    const double view = 75.0;
    EXPECT_DOUBLE_EQ(DragFactor(DragStep(view / 6.0 * 6.0, view)), 2.0);
    EXPECT_DOUBLE_EQ(DragFactor(DragStep(-view / 6.0 * 6.0, view)), 0.5);
}

TEST(DragStepTest, UnusableViewSizeGivesNoStep) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(DragStep(3.0, 0.0), 0.0);
    EXPECT_EQ(DragStep(3.0, -5.0), 0.0);
    EXPECT_EQ(DragStep(3.0, nan), 0.0);
    EXPECT_EQ(DragStep(3.0, inf), 0.0);
    EXPECT_EQ(DragStep(1e308, 1e-308), 0.0);
    EXPECT_EQ(DragStep(3.0, 6.0), 0.5);
}

TEST(SnapAngle15Test, ConstantIsHeldInSinglePrecision) {
    EXPECT_EQ(static_cast<double>(kSnapStepSingle), kSingleStep);
    EXPECT_EQ(SnapAngle15(90 * kDegree), 6 * kSingleStep);
    EXPECT_NE(SnapAngle15(90 * kDegree), 90 * kDegree);
}

TEST(SnapAngle15Test, SnapsToNearestStepFromMinusSevenAndAHalf) {
    EXPECT_EQ(SnapAngle15(0.0), 0.0);
    EXPECT_EQ(SnapAngle15(7.4 * kDegree), 0.0);
    EXPECT_EQ(SnapAngle15(7.6 * kDegree), kSingleStep);
    EXPECT_EQ(SnapAngle15(52.0 * kDegree), 3 * kSingleStep);
    EXPECT_EQ(SnapAngle15(-7.4 * kDegree), 0.0);
    EXPECT_EQ(SnapAngle15(179.0 * kDegree), 12 * kSingleStep);
}

TEST(SnapAngle15Test, TruncatesTowardZeroBelowMinusSevenAndAHalf) {
    EXPECT_EQ(SnapAngle15(-17.0 * kDegree), 0.0);
    EXPECT_EQ(SnapAngle15(-29.0 * kDegree), -kSingleStep);
    EXPECT_EQ(SnapAngle15(-8.0 * kDegree), 0.0);
    EXPECT_EQ(SnapAngle15(-23.0 * kDegree), -kSingleStep);
    EXPECT_EQ(SnapAngle15(-90.0 * kDegree), -5 * kSingleStep);
}

TEST(ScaleRangeTest, KeepsScalesFiniteAndAwayFromZero) {
    EXPECT_TRUE(ScaleInRange(1.0));
    EXPECT_TRUE(ScaleInRange(-2.0));
    EXPECT_TRUE(ScaleInRange(kMinScale));
    EXPECT_TRUE(ScaleInRange(-kMaxScale));
    EXPECT_FALSE(ScaleInRange(0.0));
    EXPECT_FALSE(ScaleInRange(kMinScale / 2));
    EXPECT_FALSE(ScaleInRange(kMaxScale * 2));
    EXPECT_FALSE(ScaleInRange(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(ScaleInRange(std::numeric_limits<double>::quiet_NaN()));
}

TEST(ShearFactorTest, OnTheAxisGivesNoShear) {
    EXPECT_EQ(ShearFactor(5.0, 0.0, 10.0), 0.0);
    // What a slanted axis leaves of v for a point on it after the turn into the axis frame.
    EXPECT_EQ(ShearFactor(5.0, 3e-15, 10.0), 0.0);
    EXPECT_EQ(ShearFactor(5.0, -9e-9, 10.0), 0.0);
    EXPECT_EQ(ShearFactor(5.0, 2.0, 0.0), 0.0);
}

TEST(ShearFactorTest, OffTheAxisGivesUOverV) {
    EXPECT_EQ(ShearFactor(3.0, 2.0, 10.0), 1.5);
    EXPECT_EQ(ShearFactor(-3.0, 2.0, 10.0), -1.5);
    EXPECT_EQ(ShearFactor(0.0, 2.0, 10.0), 0.0);
    EXPECT_EQ(ShearFactor(1e308, 1e-300, 1e-300), 0.0);
}

TEST(PartNameTest, WorkFolderBesideTheProgram) {
    char out[64];
    ASSERT_TRUE(WorkFolderName("C:\\Corvane\\PLV7.EXE", out, sizeof out));
    EXPECT_STREQ(out, "C:\\Corvane\\Work");
    ASSERT_TRUE(WorkFolderName("C:\\Corvane\\", out, sizeof out));
    EXPECT_STREQ(out, "C:\\Corvane\\Work");
    ASSERT_TRUE(WorkFolderName("/opt/qlhost", out, sizeof out));
    EXPECT_STREQ(out, "Work");
    ASSERT_TRUE(WorkFolderName("PLV7.EXE", out, sizeof out));
    EXPECT_STREQ(out, "Work");
    ASSERT_TRUE(WorkFolderName("", out, sizeof out));
    EXPECT_STREQ(out, "Work");
}

TEST(PartNameTest, WorkFolderThatDoesNotFitIsRefused) {
    char out[12];
    std::strcpy(out, "kept");
    EXPECT_FALSE(WorkFolderName("C:\\Corvane\\PLV7.EXE", out, sizeof out));
    EXPECT_STREQ(out, "kept");
    ASSERT_TRUE(WorkFolderName("C:\\abc\\x", out, sizeof out));  // 11 characters and the NUL
    EXPECT_STREQ(out, "C:\\abc\\Work");
    EXPECT_FALSE(WorkFolderName("C:\\abcd\\x", out, sizeof out));
}

TEST(PartNameTest, ThreeLetterExtension) {
    EXPECT_TRUE(HasThreeLetterExtension("door.cv7"));
    EXPECT_TRUE(HasThreeLetterExtension(".CV7"));
    EXPECT_FALSE(HasThreeLetterExtension("door"));
    EXPECT_FALSE(HasThreeLetterExtension("cv7"));
    EXPECT_FALSE(HasThreeLetterExtension("door.c"));
    EXPECT_FALSE(HasThreeLetterExtension("door.json"));
    EXPECT_FALSE(HasThreeLetterExtension(""));
}

TEST(PartNameTest, ExtensionAddedOnlyWhenItFits) {
    char out[10];
    ASSERT_TRUE(WithPartExtension("door", out, sizeof out));
    EXPECT_STREQ(out, "door.CV7");
    ASSERT_TRUE(WithPartExtension("doors", out, sizeof out));  // 9 characters and the NUL
    EXPECT_STREQ(out, "doors.CV7");
    EXPECT_FALSE(WithPartExtension("doorsx", out, sizeof out));
    EXPECT_STREQ(out, "");
}

TEST(PartNameTest, CopyNameIsBounded) {
    char out[5] = "abc";
    EXPECT_TRUE(CopyName(out, sizeof out, "wxyz"));
    EXPECT_STREQ(out, "wxyz");
    EXPECT_FALSE(CopyName(out, sizeof out, "vwxyz"));
    EXPECT_STREQ(out, "wxyz");
    std::string longName(kPartNameSize, 'a');
    static char big[kPartNameSize];
    EXPECT_FALSE(CopyName(big, sizeof big, longName.c_str()));
    longName.pop_back();
    EXPECT_TRUE(CopyName(big, sizeof big, longName.c_str()));
}

}  // namespace
