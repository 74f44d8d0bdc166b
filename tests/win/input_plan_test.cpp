// The pure parts of the Windows host's input: the real cursor kept inside the drawing window,
// SendInput's absolute coordinates, and the VK_DOWN presses that choose a pop-up menu item.
#include "host/win/input_plan.h"

#include <gtest/gtest.h>

namespace {

using qlhost::win::AbsoluteCoordinate;
using qlhost::win::ClampPixel;
using qlhost::win::DownPressesFor;

TEST(WindowsInputPlan, PixelsOutsideTheWindowAreClampedIntoIt) {
    EXPECT_EQ(ClampPixel(-40, 800), 0);
    EXPECT_EQ(ClampPixel(0, 800), 0);
    EXPECT_EQ(ClampPixel(799, 800), 799);
    EXPECT_EQ(ClampPixel(800, 800), 799);
    EXPECT_EQ(ClampPixel(100000, 800), 799);
    EXPECT_EQ(ClampPixel(5, 0), 0) << "a window without a client area";
}

// Windows turns an absolute coordinate back into a pixel as value * extent / 65536: every
// pixel of the screen must come back as itself, including both edges.
TEST(WindowsInputPlan, AbsoluteCoordinatesComeBackAsTheSamePixel) {
    for (int extent : {640, 768, 1024, 1080, 1366, 1920, 2560, 3840}) {
        for (int pixel = 0; pixel < extent; ++pixel) {
            const int32_t value = AbsoluteCoordinate(pixel, extent);
            ASSERT_GE(value, 0);
            ASSERT_LE(value, 65535) << "pixel " << pixel << " of " << extent;
            ASSERT_EQ(static_cast<int>(int64_t{value} * extent / 65536), pixel) << "extent " << extent;
        }
    }
    EXPECT_EQ(AbsoluteCoordinate(-5, 1024), 0);
    EXPECT_EQ(AbsoluteCoordinate(5000, 1024), AbsoluteCoordinate(1023, 1024));
    EXPECT_EQ(AbsoluteCoordinate(3, 1), 0);
}

TEST(WindowsInputPlan, MenuItemsAreReachedByDownPressesOverSeparators) {
    // Item, separator, item, item, separator, item.
    const std::vector<bool> separators{false, true, false, false, true, false};
    EXPECT_EQ(DownPressesFor(separators, 0), 1);
    EXPECT_EQ(DownPressesFor(separators, 2), 2);
    EXPECT_EQ(DownPressesFor(separators, 3), 3);
    EXPECT_EQ(DownPressesFor(separators, 5), 4);
    // No choice: the menu is closed instead.
    EXPECT_EQ(DownPressesFor(separators, -1), 0);
    EXPECT_EQ(DownPressesFor(separators, 1), 0) << "a separator is no item to choose";
    EXPECT_EQ(DownPressesFor(separators, 6), 0);
    EXPECT_EQ(DownPressesFor({}, 0), 0);
    EXPECT_EQ(DownPressesFor({true, true, false}, 2), 1) << "leading separators";
}

}  // namespace
