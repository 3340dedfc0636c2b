// PixelImage: layout, creation, conversions, paste, fill, expansion, both
// resizes and the serialised form. Expected bytes are worked out by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "image/PixelImage.h"
#include "support/ImageBuilders.h"
#include "support/PixelChecks.h"

namespace clipvane {
namespace {

void Put(PixelImage& img, int x, int y, std::initializer_list<int> bytes) {
    uint8_t* p = img.PixelAddress(x, y);
    for (int b : bytes) *p++ = uint8_t(b);
}

std::vector<int> At(const PixelImage& img, int x, int y) {
    const uint8_t* p = img.PixelAddress(x, y);
    return std::vector<int>(p, p + img.Depth() / 8);
}

TEST(PixelImageLayout, RowsAreBottomUpAndPaddedToFourBytes) {
    PixelImage img;
    ASSERT_TRUE(img.Create(3, 2, 24));
    EXPECT_EQ(img.Stride(), 12);  // 9 bytes padded to 12
    EXPECT_EQ(img.ByteCount(), 24u);
    // Row 0 (the top row) is the last row in memory.
    EXPECT_EQ(img.Row(0), img.Bits() + 12);
    EXPECT_EQ(img.Row(1), img.Bits());
    EXPECT_EQ(img.PixelAddress(2, 0), img.Bits() + 12 + 6);
    const BitmapInfoHeader& h = img.Info();
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 3);
    EXPECT_EQ(h.biHeight, 2);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biCompression, 0u);
    // Fresh storage is zero: black.
    for (size_t i = 0; i < img.ByteCount(); ++i) ASSERT_EQ(img.Bits()[i], 0);

    // 5 pixels at 4 bits are 20 bits: one padded 4-byte word; 33 at 1 bit need two.
    ASSERT_TRUE(img.Create(5, 1, 4));
    EXPECT_EQ(img.Stride(), 4);
    ASSERT_TRUE(img.Create(33, 1, 1));
    EXPECT_EQ(img.Stride(), 8);
    ASSERT_TRUE(img.Create(3, 1, 16));
    EXPECT_EQ(img.Stride(), 8);
    EXPECT_EQ(img.RedMask(), 0x7C00u);
    EXPECT_EQ(img.GreenMask(), 0x03E0u);
    EXPECT_EQ(img.BlueMask(), 0x001Fu);
}

TEST(PixelImageLayout, NewPalettesAreGreyRamps) {
    PixelImage img;
    ASSERT_TRUE(img.Create(1, 1, 1));
    ASSERT_EQ(img.Palette().size(), 2u);
    EXPECT_EQ(img.Palette()[1], (RgbQuad{255, 255, 255, 0}));
    ASSERT_TRUE(img.Create(1, 1, 4));
    ASSERT_EQ(img.Palette().size(), 16u);
    EXPECT_EQ(img.Palette()[1], (RgbQuad{17, 17, 17, 0}));
    EXPECT_EQ(img.Palette()[15], (RgbQuad{255, 255, 255, 0}));
    ASSERT_TRUE(img.Create(1, 1, 8));
    EXPECT_EQ(img.Palette()[200], (RgbQuad{200, 200, 200, 0}));
    ASSERT_TRUE(img.Create(1, 1, 24));
    EXPECT_TRUE(img.Palette().empty());
}

TEST(PixelImageCreate, BadArgumentsLeaveTheImageAsItWas) {
    PixelImage img;
    ASSERT_TRUE(img.Create(2, 2, 24));
    Put(img, 1, 1, {9, 8, 7});
    EXPECT_FALSE(img.Create(0, 2, 24));
    EXPECT_FALSE(img.Create(2, -1, 24));
    EXPECT_FALSE(img.Create(2, 2, 2));
    EXPECT_FALSE(img.Create(2, 2, 12));
    BitmapInfoHeader h;
    h.biWidth = 2;
    h.biHeight = 2;
    h.biBitCount = 24;
    h.biCompression = 1;  // run-length coding is not a storage layout
    EXPECT_FALSE(img.CreateFromHeader(h));
    EXPECT_EQ(img.Width(), 2);
    EXPECT_EQ(At(img, 1, 1), (std::vector<int>{9, 8, 7}));
}

TEST(PixelImageCreate, RefusedStorageIsAFailedCreationThatKeepsTheImage) {
    PixelImage img;
    ASSERT_TRUE(img.Create(2, 2, 32));
    Put(img, 0, 0, {1, 2, 3, 4});
    // Two petabytes: more than any address space.
    EXPECT_FALSE(img.Create(500000000, 1000000, 32));
    // A stride that does not fit the header's arithmetic.
    EXPECT_FALSE(img.Create(0x7FFFFFFF, 1, 32));
    EXPECT_EQ(img.Width(), 2);
    EXPECT_EQ(At(img, 0, 0), (std::vector<int>{1, 2, 3, 4}));
}

TEST(PixelImageCreate, BitFieldHeadersTakeTheirMasksOnlyAtSixteenBits) {
    struct {
        BitmapInfoHeader h;
        uint32_t masks[3];
    } block;
    block.h.biSize = 40;
    block.h.biWidth = 1;
    block.h.biHeight = 1;
    block.h.biBitCount = 16;
    block.h.biCompression = kBiBitfields;
    block.h.biXPelsPerMeter = 3780;
    block.masks[0] = 0xF800;
    block.masks[1] = 0x07E0;
    block.masks[2] = 0x001F;
    PixelImage img;
    ASSERT_TRUE(img.CreateFromHeader(block.h));  // masks follow the header in memory
    EXPECT_EQ(img.GreenMask(), 0x07E0u);
    EXPECT_EQ(img.RedMask(), 0xF800u);
    EXPECT_EQ(img.Info().biCompression, kBiBitfields);
    EXPECT_EQ(img.Info().biXPelsPerMeter, 3780);
    block.h.biBitCount = 24;
    ASSERT_TRUE(img.CreateFromHeader(block.h));
    EXPECT_EQ(img.Info().biCompression, 0u);  // forced to plain RGB above 16 bits
}

TEST(PixelImagePixels, GetPixelAtEveryDepth) {
    PixelImage img;
    ASSERT_TRUE(img.Create(10, 2, 1));
    *img.PixelAddress(0, 0) = 0xA0;  // 1010 0000: pixels 0 and 2 set
    *img.PixelAddress(8, 0) = 0x40;  // pixel 9 is the second bit of the second byte
    EXPECT_EQ(img.GetPixel(0, 0), 1u);
    EXPECT_EQ(img.GetPixel(1, 0), 0u);
    EXPECT_EQ(img.GetPixel(2, 0), 1u);
    EXPECT_EQ(img.GetPixel(9, 0), 1u);
    EXPECT_EQ(img.GetPixel(10, 0), 0u);  // outside
    EXPECT_EQ(img.GetPixel(0, -1), 0u);
    // GetPixel(0, 0) reads the last stored row of the block.
    EXPECT_EQ(img.PixelAddress(0, 0), img.Bits() + img.Stride());

    ASSERT_TRUE(img.Create(3, 1, 4));
    *img.PixelAddress(0, 0) = 0x3C;
    *img.PixelAddress(2, 0) = 0x70;
    EXPECT_EQ(img.GetPixel(0, 0), 3u);
    EXPECT_EQ(img.GetPixel(1, 0), 12u);
    EXPECT_EQ(img.GetPixel(2, 0), 7u);
    EXPECT_EQ(img.PixelAddress(2, 0) - img.PixelAddress(0, 0), 1);

    ASSERT_TRUE(img.Create(2, 1, 16));
    Put(img, 1, 0, {0x34, 0x12});
    EXPECT_EQ(img.GetPixel(1, 0), 0x1234u);
    ASSERT_TRUE(img.Create(2, 1, 24));
    Put(img, 1, 0, {0x11, 0x22, 0x33});
    EXPECT_EQ(img.GetPixel(1, 0), 0x332211u);
    ASSERT_TRUE(img.Create(2, 1, 32));
    Put(img, 1, 0, {0x11, 0x22, 0x33, 0x44});
    EXPECT_EQ(img.GetPixel(1, 0), 0x44332211u);
    EXPECT_EQ(img.GetPixel(2, 0), 0u);
}

TEST(PixelImagePixels, PaletteAccessIsLimitedToItsEntries) {
    PixelImage img;
    ASSERT_TRUE(img.Create(1, 1, 1));
    const RgbQuad in[3] = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
    EXPECT_TRUE(img.SetPalette(1, 3, in));  // only entry 1 exists of those
    EXPECT_EQ(img.Palette()[1], in[0]);
    RgbQuad out[2];
    EXPECT_TRUE(img.GetPalette(0, 2, out));
    EXPECT_EQ(out[0], (RgbQuad{0, 0, 0, 0}));
    EXPECT_EQ(out[1], in[0]);
    PixelImage deep;
    ASSERT_TRUE(deep.Create(1, 1, 24));
    EXPECT_FALSE(deep.SetPalette(0, 1, in));
    EXPECT_FALSE(deep.GetPalette(0, 1, out));
}

TEST(PixelImageCopy, IsDeepAndIgnoresEmptySources) {
    PixelImage a;
    ASSERT_TRUE(a.Create(2, 2, 8));
    *a.PixelAddress(1, 1) = 77;
    const RgbQuad red{0, 0, 255, 0};
    a.SetPalette(77, 1, &red);
    a.originX = 4;
    a.originY = -2;
    a.frameDelay = 50;
    PixelImage b(a);
    EXPECT_EQ(b.GetPixel(1, 1), 77u);
    EXPECT_EQ(b.Palette()[77], red);
    EXPECT_EQ(b.originX, 4);
    EXPECT_EQ(b.originY, -2);
    EXPECT_EQ(b.frameDelay, 50);
    *a.PixelAddress(1, 1) = 1;
    EXPECT_EQ(b.GetPixel(1, 1), 77u);  // not shared

    PixelImage empty;
    b.Copy(empty);  // keeps its old pixels
    EXPECT_EQ(b.GetPixel(1, 1), 77u);
    b.Copy(b);
    EXPECT_EQ(b.GetPixel(1, 1), 77u);
    b.Destroy();
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(b.Width(), 0);
    EXPECT_EQ(b.originX, 4);  // Destroy keeps origin and delay
    EXPECT_EQ(b.frameDelay, 50);
}

TEST(PixelImageConvert, PaletteDepthsGoThroughThePalette) {
    PixelImage img;
    ASSERT_TRUE(img.Create(3, 1, 1));
    *img.PixelAddress(0, 0) = 0xA0;  // 1, 0, 1
    img.ConvertTo(24);
    ASSERT_EQ(img.Depth(), 24);
    EXPECT_EQ(At(img, 0, 0), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(At(img, 1, 0), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(At(img, 2, 0), (std::vector<int>{255, 255, 255}));

    ASSERT_TRUE(img.Create(2, 1, 4));
    *img.PixelAddress(0, 0) = 0x3C;  // indexes 3 and 12 of the ramp: 51 and 204
    img.ConvertTo(32);
    EXPECT_EQ(At(img, 0, 0), (std::vector<int>{51, 51, 51, 255}));
    EXPECT_EQ(At(img, 1, 0), (std::vector<int>{204, 204, 204, 255}));

    // The grey ramp gives blue = green = red = the index; other palettes their entries.
    ASSERT_TRUE(img.Create(2, 1, 8));
    *img.PixelAddress(0, 0) = 130;
    *img.PixelAddress(1, 0) = 5;
    const RgbQuad c{10, 20, 30, 99};
    img.SetPalette(5, 1, &c);
    img.originX = 3;
    img.ConvertTo(24);
    EXPECT_EQ(At(img, 0, 0), (std::vector<int>{130, 130, 130}));
    EXPECT_EQ(At(img, 1, 0), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(img.originX, 3);
}

TEST(PixelImageConvert, SixteenBitLayoutsByTheirGreenMask) {
    PixelImage img;
    ASSERT_TRUE(img.Create(2, 1, 16));  // 5-5-5
    Put(img, 0, 0, {0xFF, 0x7F});       // 0x7FFF: every channel full, low 3 bits cut
    Put(img, 1, 0, {0x10, 0x42});       // 0x4210: 16 in each channel -> 0x80
    img.ConvertTo(24);
    EXPECT_EQ(At(img, 0, 0), (std::vector<int>{0xF8, 0xF8, 0xF8}));
    EXPECT_EQ(At(img, 1, 0), (std::vector<int>{0x80, 0x80, 0x80}));

    struct {
        BitmapInfoHeader h;
        uint32_t masks[3];
    } block{{40, 2, 1, 1, 16, kBiBitfields}, {0xF800, 0x07E0, 0x001F}};
    ASSERT_TRUE(img.CreateFromHeader(block.h, block.masks));  // 5-6-5
    Put(img, 0, 0, {0xFF, 0xFF});                             // red F8, green FC, blue F8
    Put(img, 1, 0, {0x41, 0x08});                             // 0x0841: red 1, green 2, blue 1 -> 08, 08, 08
    img.ConvertTo(32);
    EXPECT_EQ(At(img, 0, 0), (std::vector<int>{0xF8, 0xFC, 0xF8, 255}));
    EXPECT_EQ(At(img, 1, 0), (std::vector<int>{0x08, 0x08, 0x08, 255}));
}

TEST(PixelImageConvert, AlphaIsDroppedAndRestoredOpaque) {
    PixelImage img;
    ASSERT_TRUE(img.Create(1, 1, 32));
    Put(img, 0, 0, {1, 2, 3, 4});
    img.ConvertTo(32);  // same depth: nothing changes
    EXPECT_EQ(At(img, 0, 0), (std::vector<int>{1, 2, 3, 4}));
    img.ConvertTo(16);  // not a target depth
    EXPECT_EQ(img.Depth(), 32);
    img.ConvertTo(24);
    EXPECT_EQ(At(img, 0, 0), (std::vector<int>{1, 2, 3}));
    img.ConvertTo(32);
    EXPECT_EQ(At(img, 0, 0), (std::vector<int>{1, 2, 3, 255}));
    PixelImage empty;
    empty.ConvertTo(24);
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(PixelImageConvert, BetweenTwentyFourAndThirtyTwoBitsLikeAFreshImage) {
    // Every stored byte (row padding included), the header and the masks are
    // those of a new image of the target depth filled pixel by pixel; the
    // widths cover every padding length and rows narrower than a word.
    for (int w : {1, 2, 3, 4, 5, 6, 7, 33})
        for (int h : {1, 2, 5}) {
            PixelImage img = test::PhotoLike(w, h, 24, uint32_t(w * 10 + h));
            // Stale bytes in the padding of the 24-bit rows must not come back.
            for (int y = 0; y < h; ++y) std::memset(img.Row(y) + size_t(w) * 3, 0xEE, size_t(img.Stride() - w * 3));
            img.originX = -7;
            img.frameDelay = 40;
            const PixelImage original = img;
            PixelImage expected;
            ASSERT_TRUE(expected.Create(w, h, 32));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    std::memcpy(expected.PixelAddress(x, y), original.PixelAddress(x, y), 3);
                    expected.PixelAddress(x, y)[3] = 255;
                }
            img.ConvertTo(32);
            ASSERT_EQ(img.Depth(), 32);
            ASSERT_EQ(img.ByteCount(), expected.ByteCount()) << w << " x " << h;
            EXPECT_EQ(std::memcmp(img.Bits(), expected.Bits(), img.ByteCount()), 0) << w << " x " << h;
            EXPECT_EQ(std::memcmp(&img.Info(), &expected.Info(), sizeof(BitmapInfoHeader)), 0);
            EXPECT_EQ(img.Row(0), img.Bits() + size_t(h - 1) * size_t(img.Stride()));
            EXPECT_EQ(img.originX, -7);
            EXPECT_EQ(img.frameDelay, 40);

            // Alpha set on the way back is dropped; the padding comes back zero.
            img.PixelAddress(0, 0)[3] = 9;
            img.ConvertTo(24);
            PixelImage back;
            ASSERT_TRUE(back.Create(w, h, 24));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) std::memcpy(back.PixelAddress(x, y), original.PixelAddress(x, y), 3);
            ASSERT_EQ(img.Depth(), 24);
            ASSERT_EQ(img.ByteCount(), back.ByteCount());
            EXPECT_EQ(std::memcmp(img.Bits(), back.Bits(), img.ByteCount()), 0) << w << " x " << h;
            EXPECT_EQ(std::memcmp(&img.Info(), &back.Info(), sizeof(BitmapInfoHeader)), 0);
            EXPECT_EQ(img.RedMask(), back.RedMask());
            EXPECT_EQ(img.originX, -7);
            // A copy of the result is a whole, independent image.
            PixelImage copy = img;
            EXPECT_TRUE(test::SamePixels(copy, back));
        }
}

TEST(PixelImagePaste, ClipsToTheTargetAndRefusesMismatches) {
    PixelImage dst, src;
    ASSERT_TRUE(dst.Create(4, 4, 24));
    ASSERT_TRUE(src.Create(2, 2, 24));
    Put(src, 0, 0, {1, 1, 1});
    Put(src, 1, 0, {2, 2, 2});
    Put(src, 0, 1, {3, 3, 3});
    Put(src, 1, 1, {4, 4, 4});
    // Placed at (-1, -1) only the source's bottom-right pixel lands, at (0, 0).
    EXPECT_TRUE(dst.Paste(src, -1, -1));
    EXPECT_EQ(At(dst, 0, 0), (std::vector<int>{4, 4, 4}));
    EXPECT_EQ(At(dst, 1, 0), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(At(dst, 0, 1), (std::vector<int>{0, 0, 0}));
    // At (3, 3) only the top-left pixel lands, at (3, 3).
    EXPECT_TRUE(dst.Paste(src, 3, 3));
    EXPECT_EQ(At(dst, 3, 3), (std::vector<int>{1, 1, 1}));
    EXPECT_FALSE(dst.Paste(src, 4, 0));   // entirely outside
    EXPECT_FALSE(dst.Paste(src, -2, 0));  // touching the left edge only
    PixelImage other;
    ASSERT_TRUE(other.Create(2, 2, 32));
    EXPECT_FALSE(dst.Paste(other, 0, 0));
    PixelImage a4, b4;
    ASSERT_TRUE(a4.Create(2, 2, 4));
    ASSERT_TRUE(b4.Create(2, 2, 4));
    EXPECT_FALSE(a4.Paste(b4, 0, 0));  // below 8 bits
}

TEST(PixelImageFill, ClipsTheRectangle) {
    PixelImage img;
    ASSERT_TRUE(img.Create(3, 3, 32));
    const uint8_t px[4] = {9, 8, 7, 6};
    img.FillRect(Rect{2, -5, 10, 2}, px);
    EXPECT_EQ(At(img, 2, 0), (std::vector<int>{9, 8, 7, 6}));
    EXPECT_EQ(At(img, 2, 1), (std::vector<int>{9, 8, 7, 6}));
    EXPECT_EQ(At(img, 2, 2), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(At(img, 1, 0), (std::vector<int>{0, 0, 0, 0}));
    img.FillRect(Rect{5, 5, 9, 9}, px);  // nothing left after clipping
    ASSERT_TRUE(img.Create(3, 1, 8));
    const uint8_t index = 42;
    img.FillRect(Rect{0, 0, 2, 1}, &index);
    EXPECT_EQ(img.GetPixel(1, 0), 42u);
    EXPECT_EQ(img.GetPixel(2, 0), 0u);
}

TEST(PixelImageExpand, ReplicationFillsCornersEdgesAndSides) {
    // A B      A A B B B
    // C D  ->  A A B B B   (left 1, top 1, right 2, bottom 1)
    //          C C D D D
    //          C C D D D
    PixelImage img;
    ASSERT_TRUE(img.Create(2, 2, 32));
    Put(img, 0, 0, {1, 1, 1, 1});
    Put(img, 1, 0, {2, 2, 2, 2});
    Put(img, 0, 1, {3, 3, 3, 3});
    Put(img, 1, 1, {4, 4, 4, 4});
    img.originX = 10;
    img.originY = 20;
    img.Expand(true, 1, 1, 2, 1);
    ASSERT_EQ(img.Width(), 5);
    ASSERT_EQ(img.Height(), 4);
    EXPECT_EQ(img.originX, 9);
    EXPECT_EQ(img.originY, 19);
    const int expect[4][5] = {{1, 1, 2, 2, 2}, {1, 1, 2, 2, 2}, {3, 3, 4, 4, 4}, {3, 3, 4, 4, 4}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(img.PixelAddress(x, y)[0], expect[y][x]) << x << "," << y;
}

TEST(PixelImageExpand, WithoutReplicationTheFrameIsTransparentBlack) {
    PixelImage img;
    ASSERT_TRUE(img.Create(1, 1, 32));
    Put(img, 0, 0, {5, 6, 7, 255});
    img.Expand(false, 5, 5, 5, 5);
    ASSERT_EQ(img.Width(), 11);
    ASSERT_EQ(img.Height(), 11);
    EXPECT_EQ(img.originX, -5);
    EXPECT_EQ(img.originY, -5);
    EXPECT_EQ(At(img, 5, 5), (std::vector<int>{5, 6, 7, 255}));
    EXPECT_EQ(At(img, 0, 0), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(At(img, 10, 5), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(At(img, 5, 4), (std::vector<int>{0, 0, 0, 0}));
    // Refusals: all margins zero, a negative margin, a depth below 8.
    img.Expand(false, 0, 0, 0, 0);
    img.Expand(true, 1, -1, 0, 0);
    EXPECT_EQ(img.Width(), 11);
    PixelImage low;
    ASSERT_TRUE(low.Create(2, 2, 4));
    low.Expand(false, 1, 1, 1, 1);
    EXPECT_EQ(low.Width(), 2);
}

TEST(PixelImageResize, NearestNeighbourUsesIntegerColumnAndRowTables) {
    PixelImage img;
    ASSERT_TRUE(img.Create(2, 3, 24));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x) Put(img, x, y, {10 * y + x, 0, 0});
    // Columns: i * 2 / 5 = 0 0 0 1 1; rows: e * 3 / 2 = 0 1.
    img.Resize(5, 2);
    ASSERT_EQ(img.Width(), 5);
    ASSERT_EQ(img.Height(), 2);
    const int expect[2][5] = {{0, 0, 0, 1, 1}, {10, 10, 10, 11, 11}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(img.PixelAddress(x, y)[0], expect[y][x]) << x << "," << y;
    // Palette images keep their palette.
    PixelImage pal;
    ASSERT_TRUE(pal.Create(2, 1, 8));
    const RgbQuad c{1, 2, 3, 0};
    pal.SetPalette(0, 1, &c);
    pal.Resize(4, 2);
    EXPECT_EQ(pal.Palette()[0], c);
    EXPECT_EQ(pal.Width(), 4);
}

TEST(PixelImageResize, SixteenBitLayoutSurvivesResizeAndExpand) {
    // A 5-6-5 image re-created at another size keeps its masks; with the
    // default 5-5-5 masks the pure green word 0x07E0 would read as 0x08F800.
    PixelImage img = test::Make565(2, 1);
    ASSERT_FALSE(img.IsEmpty());
    Put(img, 1, 0, {0xE0, 0x07});
    PixelImage grown = img;
    grown.Expand(false, 1, 0, 0, 0);  // old (1, 0) is now (2, 0)
    img.Resize(4, 1);                 // columns i x 2 / 4: 0 0 1 1
    for (PixelImage* p : {&grown, &img}) {
        EXPECT_EQ(p->GreenMask(), 0x07E0u);
        EXPECT_EQ(p->RedMask(), 0xF800u);
        EXPECT_EQ(p->Info().biCompression, kBiBitfields);
        p->ConvertTo(24);
        EXPECT_EQ(p->GetPixel(2, 0), 0x00FC00u);  // green (0x07E0 >> 3) & 0xFC
    }
}

TEST(PixelImageResize, SmoothResizeOfOnePixelRepeatsIt) {
    PixelImage img;
    ASSERT_TRUE(img.Create(1, 1, 24));
    Put(img, 0, 0, {12, 34, 56});
    img.ResizeSmooth(3, 4);
    ASSERT_EQ(img.Width(), 3);
    ASSERT_EQ(img.Height(), 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(At(img, x, y), (std::vector<int>{12, 34, 56}));
}

TEST(PixelImageResize, SmoothResizeInterpolatesWithTruncation) {
    // 2x1 grows to 2x2 by replication first. For 3 columns from W = 2:
    // x=0: sx 0, nx 0 (copy); x=1: sx 0, nx 2, fx 2/3; x=2: sx 1 >= W-1 so
    // sx 0, nx 2, fx 2/3. Row 0: sy 0, ny 0. Channels: trunc(v * 2/3):
    // 100 -> 66, 200 -> 133, 50 -> 33.
    PixelImage img;
    ASSERT_TRUE(img.Create(2, 1, 24));
    Put(img, 1, 0, {100, 200, 50});
    img.originX = 7;
    img.ResizeSmooth(3, 1);
    ASSERT_EQ(img.Width(), 3);
    ASSERT_EQ(img.Height(), 1);
    EXPECT_EQ(At(img, 0, 0), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(At(img, 1, 0), (std::vector<int>{66, 133, 33}));
    EXPECT_EQ(At(img, 2, 0), (std::vector<int>{66, 133, 33}));
    EXPECT_EQ(img.originX, 7);

    // Halving 4 columns lands on whole source pixels: columns 0 and 2.
    ASSERT_TRUE(img.Create(4, 2, 24));
    for (int x = 0; x < 4; ++x) Put(img, x, 0, {x + 1, 0, 0});
    img.ResizeSmooth(2, 1);
    EXPECT_EQ(img.PixelAddress(0, 0)[0], 1);
    EXPECT_EQ(img.PixelAddress(1, 0)[0], 3);
}

TEST(PixelImageResize, SmoothResizeWeighsColoursByAlpha) {
    // Opaque (200, 100, 0) beside transparent black, sampled at fx = 2/3:
    // A = trunc(255 - 255 * 2/3) = 85; blue = trunc(51000 / 3) / 85 = 200,
    // green = 8500 / 85 = 100: the transparent neighbour does not darken.
    PixelImage img;
    ASSERT_TRUE(img.Create(2, 1, 32));
    Put(img, 0, 0, {200, 100, 0, 255});
    img.ResizeSmooth(3, 1);
    EXPECT_EQ(At(img, 0, 0), (std::vector<int>{200, 100, 0, 255}));
    EXPECT_EQ(At(img, 1, 0), (std::vector<int>{200, 100, 0, 85}));
}

TEST(PixelImageResize, SmoothResizeRefusals) {
    PixelImage img;
    ASSERT_TRUE(img.Create(2, 2, 8));
    img.ResizeSmooth(4, 4);  // below 24 bits
    EXPECT_EQ(img.Width(), 2);
    ASSERT_TRUE(img.Create(2, 2, 24));
    img.ResizeSmooth(0, 4);
    EXPECT_EQ(img.Width(), 2);
}

TEST(SampleBilinearTest, ShortcutsAndTransparentResults) {
    const uint8_t a[4] = {10, 20, 30, 40}, b[4] = {10, 20, 30, 41};
    uint8_t out[4];
    // Four equal pixels come back whole with the alpha flag ...
    SampleBilinear(0.5, 0.5, true, a, a, a, a, out);
    EXPECT_EQ(std::vector<int>(out, out + 4), (std::vector<int>{10, 20, 30, 40}));
    // ... and with alpha 255 without it, even when alphas differ.
    SampleBilinear(0.5, 0.5, false, a, b, a, b, out);
    EXPECT_EQ(std::vector<int>(out, out + 4), (std::vector<int>{10, 20, 30, 255}));
    // Fractions below the float epsilon take the top-left pixel.
    const uint8_t c[4] = {200, 200, 200, 255};
    SampleBilinear(1e-8, 0.0, false, a, c, c, c, out);
    EXPECT_EQ(std::vector<int>(out, out + 4), (std::vector<int>{10, 20, 30, 255}));
    // Fully transparent mixes come out white and transparent.
    const uint8_t t1[4] = {1, 2, 3, 0}, t2[4] = {4, 5, 6, 0};
    SampleBilinear(0.5, 0.5, true, t1, t2, t1, t2, out);
    EXPECT_EQ(std::vector<int>(out, out + 4), (std::vector<int>{255, 255, 255, 0}));
    // Opaque pixels interpolate per channel: halfway between 0 and 255 is 127.
    const uint8_t k[4] = {0, 0, 0, 255}, w[4] = {255, 255, 255, 255};
    SampleBilinear(0.5, 0.0, true, k, w, k, w, out);
    EXPECT_EQ(std::vector<int>(out, out + 4), (std::vector<int>{127, 127, 127, 255}));
}

TEST(PixelImageSerialize, RoundTripKeepsPixelsMasksAndOrigin) {
    PixelImage img;
    ASSERT_TRUE(img.Create(3, 2, 24));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) Put(img, x, y, {x, y, x + y});
    img.originX = 7;
    img.originY = -3;
    // 2 rows of 12 bytes plus 60 bytes of header, masks and origin.
    ASSERT_EQ(img.SerializedSize(), 84u);
    std::vector<uint8_t> buf(84);
    EXPECT_EQ(img.Serialize(true, buf.data(), buf.size()), 84u);
    EXPECT_EQ(buf[0], 40);                       // biSize
    EXPECT_EQ(buf[44], 0xE0);                    // green mask 0x03E0, little-endian
    EXPECT_EQ(buf[52 + 12 + 3], img.Row(0)[3]);  // bottom row first: row 0 comes second
    PixelImage back;
    EXPECT_EQ(back.Serialize(false, buf.data(), buf.size()), 84u);
    ASSERT_EQ(back.Width(), 3);
    EXPECT_EQ(back.originX, 7);
    EXPECT_EQ(back.originY, -3);
    EXPECT_EQ(std::memcmp(back.Bits(), img.Bits(), img.ByteCount()), 0);

    // A damaged or short buffer is refused and changes nothing.
    EXPECT_EQ(back.Serialize(false, buf.data(), 83), 0u);
    buf[4] = 0xFF;  // width becomes huge
    EXPECT_EQ(back.Serialize(false, buf.data(), buf.size()), 0u);
    EXPECT_EQ(back.Width(), 3);
}

TEST(PixelImageSerialize, PaletteImagesComeBackWithTheGreyRamp) {
    PixelImage img;
    ASSERT_TRUE(img.Create(1, 1, 8));
    const RgbQuad c{1, 2, 3, 0};
    img.SetPalette(0, 1, &c);
    std::vector<uint8_t> buf(img.SerializedSize());
    ASSERT_EQ(img.Serialize(true, buf.data(), buf.size()), buf.size());
    PixelImage back;
    ASSERT_EQ(back.Serialize(false, buf.data(), buf.size()), buf.size());
    EXPECT_EQ(back.Palette()[0], (RgbQuad{0, 0, 0, 0}));
}

TEST(PixelImageBitmapInfo, CarriesThePaletteOrTheMasks) {
    PixelImage img;
    ASSERT_TRUE(img.Create(1, 1, 8));
    EXPECT_EQ(img.BuildBitmapInfo().size(), 40u + 256 * 4);
    ASSERT_TRUE(img.Create(1, 1, 4));
    EXPECT_EQ(img.BuildBitmapInfo().size(), 40u + 16 * 4);
    ASSERT_TRUE(img.Create(1, 1, 24));
    const std::vector<uint8_t> info = img.BuildBitmapInfo();
    ASSERT_EQ(info.size(), 52u);
    EXPECT_EQ(info[40], 0x00);  // red mask 0x7C00
    EXPECT_EQ(info[41], 0x7C);
}

TEST(PixelImageAlpha, SetAlphaOnlyAtThirtyTwoBits) {
    PixelImage img;
    ASSERT_TRUE(img.Create(2, 1, 32));
    img.SetAlpha(128);
    EXPECT_EQ(At(img, 1, 0), (std::vector<int>{0, 0, 0, 128}));
    ASSERT_TRUE(img.Create(2, 1, 24));
    img.SetAlpha(128);
    EXPECT_EQ(At(img, 1, 0), (std::vector<int>{0, 0, 0}));
}

}  // namespace
}  // namespace clipvane
