// TGA reading and writing: hand-built files for the layout rules and the
// refusals, ImageMagick files for raw and run-length coded real files.
#include <gtest/gtest.h>

#include "imagefile/Handlers.h"
#include "support/MagickFiles.h"

namespace {

namespace test = clipvane::test;

using clipvane::PixelImage;
using clipvane::TgaHandler;
using clipvane::test::ScratchDir;

std::vector<uint8_t> Header(int imageType, int width, int height, int depth, int descriptor, int mapType = 0,
                            int mapFirst = 0, int mapLength = 0, int mapBits = 0) {
    std::vector<uint8_t> h(18, 0);
    h[1] = uint8_t(mapType);
    h[2] = uint8_t(imageType);
    h[3] = uint8_t(mapFirst);
    h[4] = uint8_t(mapFirst >> 8);
    h[5] = uint8_t(mapLength);
    h[6] = uint8_t(mapLength >> 8);
    h[7] = uint8_t(mapBits);
    h[12] = uint8_t(width);
    h[13] = uint8_t(width >> 8);
    h[14] = uint8_t(height);
    h[15] = uint8_t(height >> 8);
    h[16] = uint8_t(depth);
    h[17] = uint8_t(descriptor);
    return h;
}

void Append(std::vector<uint8_t>& b, std::initializer_list<int> bytes) {
    for (int v : bytes) b.push_back(uint8_t(v));
}

bool Load(const std::vector<uint8_t>& b, PixelImage* out = nullptr) {
    TgaHandler h;
    if (!h.LoadMemory(b.data(), b.size()) || h.Frames().size() != 1) return false;
    if (out) *out = *h.Frames().front();
    return true;
}

TEST(TgaRead, RowOrderFollowsDescriptorBit5) {
    // 1 x 2, 24 bits, raw: first stored pixel is blue 1, green 2, red 3.
    for (int descriptor : {0x00, 0x20}) {
        std::vector<uint8_t> b = Header(2, 1, 2, 24, descriptor);
        Append(b, {1, 2, 3, 4, 5, 6});
        PixelImage img;
        ASSERT_TRUE(Load(b, &img));
        // Bit 5 set: the first stored row is the top row; clear: the bottom.
        const int firstRow = descriptor ? 0 : 1;
        EXPECT_EQ(img.GetPixel(0, firstRow), 0x030201u);
        EXPECT_EQ(img.GetPixel(0, 1 - firstRow), 0x060504u);
    }
}

TEST(TgaRead, RunLengthPackets) {
    // 4 x 1 at 24 bits, type 10: a run of 3 (0x82) of blue 9, green 8, red 7,
    // then a literal packet of 1 (0x00) with 1, 2, 3.
    std::vector<uint8_t> b = Header(10, 4, 1, 24, 0x20);
    Append(b, {0x82, 9, 8, 7, 0x00, 1, 2, 3});
    PixelImage img;
    ASSERT_TRUE(Load(b, &img));
    for (int x = 0; x < 3; ++x) EXPECT_EQ(img.GetPixel(x, 0), 0x070809u);
    EXPECT_EQ(img.GetPixel(3, 0), 0x030201u);
}

TEST(TgaRead, ColourMapAndFifteenBits) {
    // Colour-mapped 2 x 1, map entries 1..2 (first index 1, length 2, 24-bit
    // entries): entry 1 = blue 10, green 20, red 30; entry 2 = 40, 50, 60.
    std::vector<uint8_t> b = Header(1, 2, 1, 8, 0x20, 1, 1, 2, 24);
    Append(b, {10, 20, 30, 40, 50, 60, 2, 1});
    PixelImage img;
    ASSERT_TRUE(Load(b, &img));
    ASSERT_EQ(img.Depth(), 8);
    EXPECT_EQ(img.GetPixel(0, 0), 2u);
    EXPECT_EQ(img.Palette()[1], (clipvane::RgbQuad{10, 20, 30, 0}));
    EXPECT_EQ(img.Palette()[2], (clipvane::RgbQuad{40, 50, 60, 0}));
    EXPECT_EQ(img.Palette()[0], (clipvane::RgbQuad{}));  // entries outside the map are 0

    // 32-bit map entries carry their fourth byte.
    std::vector<uint8_t> b32 = Header(1, 1, 1, 8, 0x20, 1, 0, 1, 32);
    Append(b32, {1, 2, 3, 4, 0});
    ASSERT_TRUE(Load(b32, &img));
    EXPECT_EQ(img.Palette()[0], (clipvane::RgbQuad{1, 2, 3, 4}));

    // Depth 15 is read as 16 bits (5-5-5).
    std::vector<uint8_t> b15 = Header(2, 1, 1, 15, 0x20);
    Append(b15, {0x1F, 0x7C});
    ASSERT_TRUE(Load(b15, &img));
    EXPECT_EQ(img.Depth(), 16);
    EXPECT_EQ(img.GetPixel(0, 0), 0x7C1Fu);
}

TEST(TgaRead, RefusesMalformedFiles) {
    std::vector<uint8_t> ok = Header(2, 2, 1, 24, 0x20);
    Append(ok, {1, 2, 3, 4, 5, 6});
    ASSERT_TRUE(Load(ok));

    std::vector<uint8_t> truncated(ok.begin(), ok.end() - 1);
    EXPECT_FALSE(Load(truncated));
    EXPECT_FALSE(Load(std::vector<uint8_t>(ok.begin(), ok.begin() + 17)));

    // Id field longer than the file.
    std::vector<uint8_t> longId = ok;
    longId[0] = 200;
    EXPECT_FALSE(Load(longId));

    // Colour map passing index 255: first 200 + length 57 = 257.
    std::vector<uint8_t> bigMap = Header(1, 1, 1, 8, 0x20, 1, 200, 57, 24);
    bigMap.resize(bigMap.size() + 57 * 3 + 1);
    EXPECT_FALSE(Load(bigMap));
    // 15- and 16-bit map entries, whatever the map type.
    EXPECT_FALSE(Load(Header(2, 1, 1, 24, 0, 0, 0, 0, 16)));
    EXPECT_FALSE(Load(Header(2, 1, 1, 24, 0, 0, 0, 0, 15)));
    // A map longer than the data.
    std::vector<uint8_t> shortMap = Header(1, 1, 1, 8, 0x20, 1, 0, 256, 24);
    shortMap.resize(shortMap.size() + 100);
    EXPECT_FALSE(Load(shortMap));

    // Run-length packet crossing the row's end: a run of 3 in a 2-pixel row.
    std::vector<uint8_t> crossing = Header(10, 2, 2, 24, 0x20);
    Append(crossing, {0x82, 1, 2, 3, 0x80, 4, 5, 6});
    EXPECT_FALSE(Load(crossing));
    // A literal packet promising more pixels than the data holds.
    std::vector<uint8_t> shortLiteral = Header(10, 2, 1, 24, 0x20);
    Append(shortLiteral, {0x01, 1, 2, 3});
    EXPECT_FALSE(Load(shortLiteral));
    // Data ends before the last packet's pixel value.
    std::vector<uint8_t> shortRun = Header(10, 2, 1, 24, 0x20);
    Append(shortRun, {0x81, 1, 2});
    EXPECT_FALSE(Load(shortRun));

    // Unsupported depths and empty or huge sizes.
    EXPECT_FALSE(Load(Header(2, 1, 1, 1, 0)));
    EXPECT_FALSE(Load(Header(2, 0, 1, 24, 0)));
    // 65535 x 65535 x 4 bytes is about 16 GiB: refused before allocating.
    EXPECT_FALSE(Load(Header(2, 65535, 65535, 32, 0)));
}

TEST(TgaRead, ImageMagickFiles) {
    ScratchDir dir;
    const char* variants[] = {
        "-compress None",
        "-compress RLE",
        "-compress None -orient TopLeft",
        "-compress RLE -orient TopLeft",
        "-alpha set -channel A -evaluate set 40% +channel -compress RLE",
        "-type Palette -compress None",
        "-type Palette -compress RLE",
    };
    for (const char* v : variants) {
        const std::string path = dir / "im.tga";
        ASSERT_TRUE(test::Magick("-size 19x7 gradient:yellow-navy -fill red -draw 'rectangle 2,2 9,4' " +
                                 std::string(v) + " " + test::Quote(path)))
            << v;
        PixelImage img;
        ASSERT_TRUE(Load(test::ReadBytes(path), &img)) << v;
        EXPECT_EQ(test::MaxDifference(test::ImagePixels(img), test::MagickPixels(path, 0, "-auto-orient")), 0) << v;
    }
}

TEST(TgaWrite, RawLayout) {
    ScratchDir dir;
    PixelImage img;
    ASSERT_TRUE(img.Create(2, 2, 24));
    img.PixelAddress(0, 0)[0] = 0xAA;  // top-left blue
    img.PixelAddress(1, 1)[2] = 0xBB;  // bottom-right red
    TgaHandler h;
    h.targets.push_back(&img);
    ASSERT_TRUE(h.SaveFile(dir / "raw.tga", -1));
    const std::vector<uint8_t> b = test::ReadBytes(dir / "raw.tga");
    // 18 header + 14 id + 2 rows of 6 bytes = 44.
    ASSERT_EQ(b.size(), 44u);
    EXPECT_EQ(b[0], 14);
    EXPECT_EQ(b[1], 0);
    EXPECT_EQ(b[2], 2);
    EXPECT_EQ(b[5] | (b[6] << 8), 256);
    EXPECT_EQ(b[7], 24);
    EXPECT_EQ(b[12], 2);
    EXPECT_EQ(b[14], 2);
    EXPECT_EQ(b[16], 24);
    EXPECT_EQ(b[17], 0x20);
    EXPECT_EQ(std::string(b.begin() + 18, b.begin() + 32), "Vantile -- TGA");
    EXPECT_EQ(b[32], 0xAA);          // top row first
    EXPECT_EQ(b[32 + 6 + 5], 0xBB);  // bottom row, second pixel, red byte
    // And ImageMagick agrees on the pixels.
    EXPECT_EQ(test::MaxDifference(test::ImagePixels(img), test::MagickPixels(dir / "raw.tga")), 0);
}

TEST(TgaWrite, RunLengthCoding) {
    ScratchDir dir;
    // One row of 8 bits: indexes 5 5 5 7 -> packets 0x82 5, 0x80 7.
    PixelImage img;
    ASSERT_TRUE(img.Create(4, 1, 8));
    uint8_t* row = img.Row(0);
    row[0] = row[1] = row[2] = 5;
    row[3] = 7;
    TgaHandler h;
    h.targets.push_back(&img);
    ASSERT_TRUE(h.SaveFile(dir / "rle.tga", 1));
    const std::vector<uint8_t> b = test::ReadBytes(dir / "rle.tga");
    // 18 + 14 + 768 palette + 4 coded bytes.
    ASSERT_EQ(b.size(), 18u + 14 + 768 + 4);
    EXPECT_EQ(b[1], 1);
    EXPECT_EQ(b[2], 9);
    // Palette entry 5 of the grey ramp: 5, 5, 5.
    EXPECT_EQ(b[32 + 15], 5);
    const size_t data = 32 + 768;
    EXPECT_EQ(b[data], 0x82);
    EXPECT_EQ(b[data + 1], 5);
    EXPECT_EQ(b[data + 2], 0x80);
    EXPECT_EQ(b[data + 3], 7);

    // 300 equal 32-bit pixels: runs of 128, 128 and 44 -> 0xFF, 0xFF, 0xAB.
    PixelImage wide;
    ASSERT_TRUE(wide.Create(300, 1, 32));
    TgaHandler hw;
    hw.targets.push_back(&wide);
    ASSERT_TRUE(hw.SaveFile(dir / "wide.tga", 1));
    const std::vector<uint8_t> w = test::ReadBytes(dir / "wide.tga");
    ASSERT_EQ(w.size(), 32u + 3 * 5);
    EXPECT_EQ(w[2], 10);
    EXPECT_EQ(w[32], 0xFF);
    EXPECT_EQ(w[37], 0xFF);
    EXPECT_EQ(w[42], 0xAB);
}

TEST(TgaWrite, RoundTripsAndRefusals) {
    ScratchDir dir;
    PixelImage img;
    ASSERT_TRUE(img.Create(37, 11, 32));
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 37; ++x) {
            uint8_t* p = img.PixelAddress(x, y);
            p[0] = uint8_t(x * 7);
            p[1] = uint8_t(y * 20);
            p[2] = uint8_t(x / 4);
            p[3] = uint8_t(255 - x);
        }
    for (int param : {-1, 1}) {
        TgaHandler w;
        w.targets.push_back(&img);
        ASSERT_TRUE(w.SaveFile(dir / "rt.tga", param));
        PixelImage back;
        ASSERT_TRUE(Load(test::ReadBytes(dir / "rt.tga"), &back));
        EXPECT_EQ(test::MaxDifference(test::ImagePixels(back), test::ImagePixels(img)), 0);
        EXPECT_EQ(test::MaxDifference(test::MagickPixels(dir / "rt.tga"), test::ImagePixels(img)), 0);
    }
    // A parameter that names no layout writes nothing useful: refused.
    TgaHandler other;
    other.targets.push_back(&img);
    EXPECT_FALSE(other.SaveFile(dir / "other.tga", 0));
    // Depths below 8 have no TGA layout.
    PixelImage mono;
    ASSERT_TRUE(mono.Create(8, 1, 1));
    TgaHandler m;
    m.targets.push_back(&mono);
    EXPECT_FALSE(m.SaveFile(dir / "mono.tga", -1));
    // Write errors are failures.
    TgaHandler full;
    full.targets.push_back(&img);
    EXPECT_FALSE(full.SaveFile("/dev/full", 1));
}

}  // namespace
