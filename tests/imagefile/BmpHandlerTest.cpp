// BMP reading and writing: hand-built buffers for the refusals and edge
// cases, ImageMagick files for the header variants it writes.
#include <gtest/gtest.h>

#include <cstring>

#include "imagefile/Handlers.h"
#include "imagefile/ImageFile.h"
#include "support/MagickFiles.h"

namespace {

namespace test = clipvane::test;

using clipvane::BmpHandler;
using clipvane::PixelImage;
using clipvane::test::ScratchDir;

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

// A BMP with a 40-byte info header, `paletteEntries` palette entries and
// `pixelBytes` bytes of pixel data (filled with 0x11, 0x22, ...).
std::vector<uint8_t> MakeBmp(int width, int height, int depth, int paletteEntries, size_t pixelBytes,
                             uint32_t compression = 0) {
    const size_t offset = 14 + 40 + size_t(paletteEntries) * 4;
    std::vector<uint8_t> b(offset + pixelBytes, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, uint32_t(b.size()));
    Put32(b, 10, uint32_t(offset));
    Put32(b, 14, 40);
    Put32(b, 18, uint32_t(width));
    Put32(b, 22, uint32_t(height));
    Put16(b, 26, 1);
    Put16(b, 28, uint32_t(depth));
    Put32(b, 30, compression);
    for (int i = 0; i < paletteEntries; ++i) {
        b[54 + size_t(i) * 4] = uint8_t(i * 10);      // blue
        b[54 + size_t(i) * 4 + 1] = uint8_t(i * 20);  // green
        b[54 + size_t(i) * 4 + 2] = uint8_t(i * 30);  // red
    }
    for (size_t i = 0; i < pixelBytes; ++i) b[offset + i] = uint8_t(0x11 * (i % 15 + 1));
    return b;
}

bool Load(const std::vector<uint8_t>& b, PixelImage* out = nullptr) {
    BmpHandler h;
    if (!h.LoadMemory(b.data(), b.size())) return false;
    if (h.Frames().size() != 1) return false;
    if (out) *out = *h.Frames().front();
    return true;
}

TEST(BmpRead, RefusesMalformedHeaders) {
    // Exactly 14 bytes: a file header and nothing else.
    std::vector<uint8_t> b = MakeBmp(2, 2, 24, 0, 16);
    std::vector<uint8_t> fourteen(b.begin(), b.begin() + 14);
    EXPECT_FALSE(Load(fourteen));
    EXPECT_FALSE(BmpHandler().LoadMemory(nullptr, 100));

    std::vector<uint8_t> wrongMagic = b;
    wrongMagic[0] = 'X';
    EXPECT_FALSE(Load(wrongMagic));

    std::vector<uint8_t> offsetAtEnd = b;
    Put32(offsetAtEnd, 10, uint32_t(b.size()));
    EXPECT_FALSE(Load(offsetAtEnd));

    std::vector<uint8_t> topDown = b;
    Put32(topDown, 22, uint32_t(-2));
    EXPECT_FALSE(Load(topDown));

    EXPECT_FALSE(Load(MakeBmp(2, 2, 8, 256, 8, 1)));  // RLE8
    EXPECT_FALSE(Load(MakeBmp(2, 2, 4, 16, 8, 2)));   // RLE4

    std::vector<uint8_t> coreHeader = b;
    Put32(coreHeader, 14, 12);
    EXPECT_FALSE(Load(coreHeader));

    std::vector<uint8_t> badDepth = b;
    Put16(badDepth, 28, 7);
    EXPECT_FALSE(Load(badDepth));

    std::vector<uint8_t> zeroWidth = b;
    Put32(zeroWidth, 18, 0);
    EXPECT_FALSE(Load(zeroWidth));
}

TEST(BmpRead, RefusesPaletteOrMasksPastTheData) {
    // An 8-bit bitmap promises 256 entries (1024 bytes) but the file ends
    // after 100 palette bytes.
    std::vector<uint8_t> b = MakeBmp(4, 1, 8, 25, 0);
    b.push_back(0);  // one pixel byte, so the offset is inside the file
    Put32(b, 10, uint32_t(b.size() - 1));
    EXPECT_FALSE(Load(b));

    // Bit-field masks need 12 bytes after the 40-byte header.
    std::vector<uint8_t> masks(14 + 40 + 4, 0);
    std::memcpy(masks.data(), MakeBmp(1, 1, 16, 0, 0, 3).data(), 14 + 40);
    Put32(masks, 10, 14 + 40);
    EXPECT_FALSE(Load(masks));
}

TEST(BmpRead, RefusesHugeDimensionsBeforeAllocating) {
    // 40000 x 40000 x 4 bytes = 6.4e9 bytes of pixels, far above 1 GiB.
    EXPECT_FALSE(Load(MakeBmp(40000, 40000, 32, 0, 16)));
    // 16384 x 16385 x 4 = 1 GiB + 64 KiB: just over.
    EXPECT_FALSE(Load(MakeBmp(16384, 16385, 32, 0, 16)));
}

TEST(BmpRead, ShortPixelDataLeavesTheRestAsCreated) {
    // 2 x 2 at 24 bits: stride ((2*24+31)/32)*4 = 8, 16 bytes in all. Only the
    // first 8 (the bottom row, stored first) are in the file.
    PixelImage img;
    ASSERT_TRUE(Load(MakeBmp(2, 2, 24, 0, 8), &img));
    EXPECT_EQ(img.Width(), 2);
    EXPECT_EQ(img.Depth(), 24);
    // Bottom row (y = 1): bytes 0x11 0x22 0x33 | 0x44 0x55 0x66 -> pixel 0 is
    // blue 0x11, green 0x22, red 0x33 = 0x332211.
    EXPECT_EQ(img.GetPixel(0, 1), 0x332211u);
    EXPECT_EQ(img.GetPixel(1, 1), 0x665544u);
    EXPECT_EQ(img.GetPixel(0, 0), 0u);
    EXPECT_EQ(img.GetPixel(1, 0), 0u);
}

TEST(BmpRead, PaletteAndColoursUsed) {
    // 4-bit, 3 colours used: only 12 palette bytes are stored, then pixels.
    std::vector<uint8_t> b = MakeBmp(2, 1, 4, 3, 4);
    Put32(b, 46, 3);         // colours used
    b[b.size() - 4] = 0x12;  // pixel 0 = index 1, pixel 1 = index 2
    PixelImage img;
    ASSERT_TRUE(Load(b, &img));
    ASSERT_EQ(img.Depth(), 4);
    EXPECT_EQ(img.GetPixel(0, 0), 1u);
    EXPECT_EQ(img.GetPixel(1, 0), 2u);
    // Entry 2 was written as blue 20, green 40, red 60; entries past the
    // three stored ones are black.
    EXPECT_EQ(img.Palette()[2], (clipvane::RgbQuad{20, 40, 60, 0}));
    EXPECT_EQ(img.Palette()[3], (clipvane::RgbQuad{}));
}

TEST(BmpRead, SixteenBitMasks) {
    // 5-6-5 masks after the header; one pixel word 0xF800 (pure red in 5-6-5).
    std::vector<uint8_t> b = MakeBmp(1, 1, 16, 0, 4, 3);
    b.insert(b.begin() + 54, 12, 0);
    Put32(b, 10, 54 + 12);
    Put32(b, 54, 0xF800);
    Put32(b, 58, 0x07E0);
    Put32(b, 62, 0x001F);
    b[66] = 0x00;
    b[67] = 0xF8;
    PixelImage img;
    ASSERT_TRUE(Load(b, &img));
    EXPECT_EQ(img.GreenMask(), 0x07E0u);
    EXPECT_EQ(img.GetPixel(0, 0), 0xF800u);
}

TEST(BmpRead, ImageMagickFilesWithLargeHeaders) {
    ScratchDir dir;
    struct Case {
        const char* args;
        uint32_t headerSize;
        int depth;
    } cases[] = {
        {"-size 7x5 gradient:red-blue", 124, 24},
        {"-size 7x5 gradient:red-blue -alpha set -channel A -evaluate set 50% +channel", 124, 32},
        {"-size 7x5 gradient:red-blue -define bmp:format=bmp3", 40, 24},
        {"-size 6x3 xc:red -fill blue -draw 'point 1,1' -fill lime -draw 'point 2,2' -type Palette", 124, 0},
    };
    for (const Case& c : cases) {
        const std::string path = dir / "im.bmp";
        ASSERT_TRUE(test::Magick(std::string(c.args) + " " + test::Quote(path))) << c.args;
        const std::vector<uint8_t> bytes = test::ReadBytes(path);
        ASSERT_GT(bytes.size(), 18u);
        EXPECT_EQ(bytes[14] | (bytes[15] << 8), int(c.headerSize)) << c.args;
        PixelImage img;
        ASSERT_TRUE(Load(bytes, &img)) << c.args;
        if (c.depth) {
            EXPECT_EQ(img.Depth(), c.depth) << c.args;
        }
        EXPECT_EQ(test::MaxDifference(test::ImagePixels(img), test::MagickPixels(path)), 0) << c.args;

        if (c.headerSize != 124) continue;
        // The same file with a 108-byte (version 4) header: drop the last 16
        // header bytes and move the sizes and offset along.
        std::vector<uint8_t> v4 = bytes;
        v4.erase(v4.begin() + 14 + 108, v4.begin() + 14 + 124);
        Put32(v4, 2, uint32_t(v4.size()));
        Put32(v4, 10, (bytes[10] | (bytes[11] << 8)) - 16);
        Put32(v4, 14, 108);
        PixelImage img4;
        ASSERT_TRUE(Load(v4, &img4)) << c.args;
        EXPECT_EQ(test::MaxDifference(test::ImagePixels(img4), test::MagickPixels(path)), 0) << c.args;
    }
}

TEST(BmpWrite, LayoutOfA24BitFile) {
    ScratchDir dir;
    PixelImage img;
    ASSERT_TRUE(img.Create(3, 2, 24));
    img.PixelAddress(0, 0)[2] = 0xFF;  // top-left red
    const std::string path = dir / "out.bmp";
    BmpHandler h;
    h.targets.push_back(&img);
    ASSERT_TRUE(h.SaveFile(path, -1));
    const std::vector<uint8_t> b = test::ReadBytes(path);
    // stride ((3*24+31)/32)*4 = 12, P = 24, T = 24 + 54 = 78, offset 54.
    ASSERT_EQ(b.size(), 78u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(b[2], 78);
    EXPECT_EQ(b[10], 54);
    EXPECT_EQ(b[14], 40);
    // The top row is stored last: its first pixel's red byte at 54 + 12 + 2.
    EXPECT_EQ(b[54 + 12 + 2], 0xFF);
    EXPECT_EQ(b[54 + 2], 0);
}

TEST(BmpWrite, PaletteAndMaskSizes) {
    ScratchDir dir;
    // 8 bits: T = P + 54 + 4 * 256; 2 x 1 -> stride 4, T = 4 + 54 + 1024 = 1082.
    PixelImage grey;
    ASSERT_TRUE(grey.Create(2, 1, 8));
    BmpHandler h8;
    h8.targets.push_back(&grey);
    ASSERT_TRUE(h8.SaveFile(dir / "g.bmp", -1));
    EXPECT_EQ(test::ReadBytes(dir / "g.bmp").size(), 1082u);

    // 16 bits with masks: T = P + 54 + 12; 1 x 1 -> stride 4, T = 70.
    clipvane::BitmapInfoHeader hdr;
    hdr.biWidth = 1;
    hdr.biHeight = 1;
    hdr.biBitCount = 16;
    hdr.biCompression = clipvane::kBiBitfields;
    const uint32_t masks[3] = {0xF800, 0x07E0, 0x001F};
    PixelImage rgb565;
    ASSERT_TRUE(rgb565.CreateFromHeader(hdr, masks));
    BmpHandler h16;
    h16.targets.push_back(&rgb565);
    ASSERT_TRUE(h16.SaveFile(dir / "m.bmp", -1));
    const std::vector<uint8_t> b = test::ReadBytes(dir / "m.bmp");
    ASSERT_EQ(b.size(), 70u);
    EXPECT_EQ(b[10], 66);
    EXPECT_EQ(b[58], 0xE0);  // green mask low byte
    PixelImage back;
    ASSERT_TRUE(Load(b, &back));
    EXPECT_EQ(back.GreenMask(), 0x07E0u);
}

TEST(BmpWrite, WriteErrorIsAFailure) {
    PixelImage img;
    ASSERT_TRUE(img.Create(64, 64, 24));
    BmpHandler h;
    h.targets.push_back(&img);
    EXPECT_FALSE(h.SaveFile("/dev/full", -1));
    EXPECT_FALSE(h.SaveFile("/nonexistent-folder/x.bmp", -1));
    BmpHandler empty;
    EXPECT_FALSE(empty.SaveFile("/dev/null", -1));
}

}  // namespace
