// The overlay's geometry, the window grid, image cropping and the key mapping.
#include <gtest/gtest.h>

#include <vector>

#include "capture/OverlayGeometry.h"
#include "image/PixelImage.h"
#include "platform/KeyMap.h"
#include "platform/PixelCopy.h"

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

PixelImage Pattern(int w, int h, int depth) {
    PixelImage img;
    img.Create(w, h, depth);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = img.PixelAddress(x, y);
            p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = uint8_t(x + y);
            if (depth == 32) p[3] = 0x80;
        }
    return img;
}

TEST(CropImage, KeepsTheRequestedSizeWithBlackOutside) {
    const PixelImage src = Pattern(20, 10, 24);
    PixelImage out;
    ASSERT_TRUE(CropImage(src, Rect{-5, -2, 10, 6}, out));
    EXPECT_EQ(out.Width(), 15);
    EXPECT_EQ(out.Height(), 8);
    EXPECT_EQ(out.Depth(), 24);
    EXPECT_EQ(out.GetPixel(0, 0), 0u);
    EXPECT_EQ(out.GetPixel(4, 7), 0u);
    EXPECT_EQ(out.GetPixel(5, 2), src.GetPixel(0, 0));
    EXPECT_EQ(out.GetPixel(14, 7), src.GetPixel(9, 5));

    ASSERT_TRUE(CropImage(src, Rect{30, 30, 33, 31}, out));  // wholly outside: all black
    EXPECT_EQ(out.Width(), 3);
    EXPECT_EQ(out.GetPixel(2, 0), 0u);

    ASSERT_TRUE(CropImage(src, Rect{3, 4, 4, 5}, out));  // 1 x 1
    EXPECT_EQ(out.GetPixel(0, 0), src.GetPixel(3, 4));

    EXPECT_FALSE(CropImage(src, Rect{5, 5, 5, 9}, out));   // empty
    EXPECT_FALSE(CropImage(src, Rect{9, 5, 5, 9}, out));   // inverted
    EXPECT_FALSE(CropImage(PixelImage(), Rect{0, 0, 2, 2}, out));

    const PixelImage src32 = Pattern(8, 8, 32);
    ASSERT_TRUE(CropImage(src32, Rect{6, 6, 10, 10}, out));
    EXPECT_EQ(out.Depth(), 32);
    EXPECT_EQ(out.GetPixel(1, 1), src32.GetPixel(7, 7));
    EXPECT_EQ(out.GetPixel(2, 2), 0u);
}

TEST(CopyXRows, ConvertsServerRowsTo24BitsWithoutTouchingNeighbours) {
    const int w = 5, h = 3;
    std::vector<uint8_t> rows(size_t(w) * h * 4);
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = uint8_t(i);
    PixelImage img;
    img.Create(8, 5, 24);
    std::vector<uint8_t> fill = {0xAA, 0xBB, 0xCC};
    img.FillRect(Rect{0, 0, 8, 5}, fill.data());
    CopyXRowsTo24(rows.data(), size_t(w) * 4, w, h, img, 2, 1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* s = &rows[(size_t(y) * w + x) * 4];
            const uint8_t* d = img.PixelAddress(2 + x, 1 + y);
            EXPECT_EQ(d[0], s[0]);
            EXPECT_EQ(d[1], s[1]);
            EXPECT_EQ(d[2], s[2]);
        }
    EXPECT_EQ(img.GetPixel(7, 1), 0xCCBBAAu);  // right of the block
    EXPECT_EQ(img.GetPixel(1, 2), 0xCCBBAAu);
    EXPECT_EQ(img.GetPixel(3, 0), 0xCCBBAAu);
    EXPECT_EQ(img.GetPixel(3, 4), 0xCCBBAAu);
}

TEST(CopyXRows, WideRowsTakeTheVectorPathAndItsTail) {
    for (int w : {16, 37, 64}) {
        std::vector<uint8_t> rows(size_t(w) * 2 * 4);
        for (size_t i = 0; i < rows.size(); ++i) rows[i] = uint8_t(i * 7 + 3);
        PixelImage img;
        img.Create(w + 1, 2, 24);
        CopyXRowsTo24(rows.data(), size_t(w) * 4, w, 2, img, 1, 0);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t* s = &rows[(size_t(y) * w + x) * 4];
                ASSERT_EQ(img.GetPixel(1 + x, y), uint32_t(s[2]) << 16 | uint32_t(s[1]) << 8 | s[0]) << w << " " << x;
            }
        EXPECT_EQ(img.GetPixel(0, 0), 0u);
    }
}

TEST(KeyMap, VirtualKeysToKeysymsAndBack) {
    EXPECT_EQ(KeysymForVirtualKey('F'), uint32_t('f'));
    EXPECT_EQ(KeysymForVirtualKey('7'), uint32_t('7'));
    EXPECT_EQ(KeysymForVirtualKey(0x70), 0xffbeu);  // F1
    EXPECT_EQ(KeysymForVirtualKey(0x7B), 0xffc9u);  // F12
    EXPECT_EQ(KeysymForVirtualKey(0x2C), 0xff61u);  // Print
    EXPECT_EQ(KeysymForVirtualKey(0x61), 0xffb1u);  // KP_1
    EXPECT_EQ(KeysymForVirtualKey(0), 0u);
    EXPECT_EQ(KeysymForVirtualKey(0xFF), 0u);
    for (int vk : {int('A'), int('Z'), int('0'), 0x70, 0x87, 0x25, 0x2E, 0xBA, 0xDE, 0x69})
        EXPECT_EQ(VirtualKeyForKeysym(KeysymForVirtualKey(vk)), vk) << vk;
    EXPECT_EQ(VirtualKeyForKeysym('F'), 'F');
    EXPECT_EQ(XModifierMask(6), (1 << 0) | (1 << 2));
    EXPECT_EQ(XModifierMask(1), 1 << 3);
    EXPECT_EQ(XModifierMask(8), 1 << 6);
}

}  // namespace
