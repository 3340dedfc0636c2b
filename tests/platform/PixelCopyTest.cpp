// Copying the X server's 32-bit rows into 24-bit images, and image cropping.
#include <gtest/gtest.h>

#include <vector>

#include "image/PixelImage.h"
#include "platform/PixelCopy.h"

namespace {

using namespace clipvane;

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

    EXPECT_FALSE(CropImage(src, Rect{5, 5, 5, 9}, out));  // empty
    EXPECT_FALSE(CropImage(src, Rect{9, 5, 5, 9}, out));  // inverted
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

}  // namespace
