// The overlay's geometry and the window grid.
#include <gtest/gtest.h>

#include <vector>

#include "capture/OverlayGeometry.h"

namespace {

using namespace clipvane;

TEST(InfoBox, JumpsAwayFromTheCornersAndStaysInTheMiddle) {
    const int W = 1920, H = 1080, boxH = kInfoBoxHeightRect;
    EXPECT_TRUE(BoxAtBottomRight(10, 600, W, H, boxH, false));   // x <= 190
    EXPECT_TRUE(BoxAtBottomRight(900, 320, W, H, boxH, false));  // y <= 320, boundary included
    EXPECT_FALSE(BoxAtBottomRight(900, 321, W, H, boxH, false));
    EXPECT_FALSE(BoxAtBottomRight(1800, 600, W, H, boxH, true));  // W - x <= 190
    EXPECT_FALSE(BoxAtBottomRight(900, 800, W, H, boxH, true));   // H - y <= 320
    EXPECT_TRUE(BoxAtBottomRight(900, 600, W, H, boxH, true));    // middle: unchanged
    EXPECT_FALSE(BoxAtBottomRight(900, 600, W, H, boxH, false));
    // Both tests hold on a small screen: the top-left side wins.
    EXPECT_FALSE(BoxAtBottomRight(100, 100, 300, 400, boxH, true));
    // The window mode's shorter box changes the vertical thresholds.
    EXPECT_FALSE(BoxAtBottomRight(900, 200, W, H, kInfoBoxHeightWindow, false));
    EXPECT_TRUE(BoxAtBottomRight(900, 130, W, H, kInfoBoxHeightWindow, false));

    EXPECT_EQ(InfoBoxRect(false, W, H, boxH), (Rect{0, 0, 190, 320}));
    EXPECT_EQ(InfoBoxRect(true, W, H, kInfoBoxHeightWindow), (Rect{1730, 950, 1920, 1080}));
}

TEST(FixedRect, ClampsEachEdgeWithoutShifting) {
    EXPECT_EQ(FixedRectAt(10, 10, 100, 100, 1920, 1080), (Rect{0, 0, 60, 60}));
    EXPECT_EQ(FixedRectAt(1915, 1078, 100, 100, 1920, 1080), (Rect{1865, 1028, 1920, 1080}));
    EXPECT_EQ(FixedRectAt(500, 500, 100, 100, 1920, 1080), (Rect{450, 450, 550, 550}));
    // Odd sizes lose one pixel: integer halves on both sides.
    const Rect odd = FixedRectAt(500, 500, 101, 51, 1920, 1080);
    EXPECT_EQ(odd.Width(), 100);
    EXPECT_EQ(odd.Height(), 50);
    EXPECT_EQ(FixedRectUnclamped(10, 10, 100, 100), (Rect{-40, -40, 60, 60}));
    // Larger than the screen: clamped to the whole screen.
    EXPECT_EQ(FixedRectAt(10, 10, 5000, 5000, 320, 240), (Rect{0, 0, 320, 240}));
}

TEST(DragRect, NormalisedWhicheverWayTheDragWent) {
    EXPECT_EQ(NormalisedRect(100, 80, 10, 20), (Rect{10, 20, 100, 80}));
    EXPECT_EQ(NormalisedRect(10, 20, 100, 80), (Rect{10, 20, 100, 80}));
    EXPECT_EQ(NormalisedRect(10, 80, 100, 20), (Rect{10, 20, 100, 80}));
    EXPECT_TRUE(NormalisedRect(5, 5, 5, 90).IsEmpty());
}

TEST(SizeLabel, CentredOrAboveLeftWhenTooSmall) {
    int x = 0, y = 0;
    SizeLabelOrigin(Rect{100, 100, 300, 200}, 40, 16, &x, &y);
    EXPECT_EQ(x, 180);
    EXPECT_EQ(y, 142);
    SizeLabelOrigin(Rect{100, 100, 120, 200}, 40, 16, &x, &y);  // too narrow
    EXPECT_EQ(x, 60);
    EXPECT_EQ(y, 84);
    SizeLabelOrigin(Rect{}, 30, 14, &x, &y);  // the empty rectangle of the fixed mode: off screen
    EXPECT_EQ(x, -30);
    EXPECT_EQ(y, -14);
}

TEST(WindowGrid, SamplesTheTopmostWindowEveryThreePixels) {
    WindowGrid grid;
    // Topmost first: 2 overlaps 1.
    grid.Build({TopWindow{2, Rect{50, 50, 100, 100}}, TopWindow{1, Rect{0, 0, 80, 80}},
                TopWindow{3, Rect{-100, 200, 10, 400}}},
               320, 240);
    EXPECT_EQ(grid.Columns(), 106);
    EXPECT_EQ(grid.Rows(), 80);
    EXPECT_EQ(grid.IndexAt(7, 5), 106 * 1 + 2);
    ASSERT_NE(grid.WindowAt(60, 60), nullptr);
    EXPECT_EQ(grid.WindowAt(60, 60)->id, 2u);
    EXPECT_EQ(grid.WindowAt(10, 10)->id, 1u);
    EXPECT_EQ(grid.WindowAt(150, 150), nullptr);
    EXPECT_EQ(grid.WindowAt(0, 210)->id, 3u);  // a window partly off screen
    // Sample points decide: (78, 78) belongs to the cell sampled at (78, 78).
    EXPECT_EQ(grid.WindowAt(78, 78)->id, 2u);
    // Right edge exclusive: the cell sampled at x = 99 is inside, at 102 not.
    EXPECT_EQ(grid.WindowAt(99, 60)->id, 2u);
    EXPECT_EQ(grid.WindowAt(102, 60), nullptr);
    // Outside the grid: no window.
    EXPECT_EQ(grid.IndexAt(0, 240), -1);
    EXPECT_EQ(grid.WindowAt(5, 300), nullptr);
    EXPECT_EQ(grid.IndexAt(-1, 5), -1);
}

TEST(WindowGrid, OddScreenSizesUseIntegerDivision) {
    WindowGrid grid;
    grid.Build({TopWindow{9, Rect{0, 0, 1000, 1000}}}, 1001, 767);
    EXPECT_EQ(grid.Columns(), 333);
    EXPECT_EQ(grid.Rows(), 255);
    EXPECT_EQ(grid.WindowAt(998, 764)->id, 9u);
    EXPECT_EQ(grid.IndexAt(0, 765), -1);
}

}  // namespace
